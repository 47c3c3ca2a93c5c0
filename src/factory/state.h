#pragma once
// The potentiometer adjustment panel's run-time state.
#include <cstdint>

#include "wire/adjust_record.h"

namespace bx {

struct FactoryState {
  int panel = -1;       // the adjustment panel, -1 when not loaded
  int printPanel = -1;  // its print panel
  int pages[3] = {-1, -1, -1};
  int active = 0;       // shown: the run loop exchanges the record
  int lastMode = -1;    // mode word of the last record received
  bool syncToggle = false;
  uint8_t storesTaken = 0;  // store flags sent while their switch stays on
  // The sensor's record must be read before anything is sent: set when the
  // panel opens, cleared by the first good read.
  bool needRead = true;
  adjrec::AdjustRecord sensor{};  // the sensor's record as last received
  adjrec::AdjustSettings shown;   // the panel's settings as last shown from it
};

}  // namespace bx
