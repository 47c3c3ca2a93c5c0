#pragma once
// The potentiometer adjustment panel's run-time state.
#include <array>
#include <cstdint>

#include "ui/types.h"
#include "wire/adjust_record.h"

namespace bx {

// The adjustment pages' controls, resolved when the panel is loaded.
struct AdjustRefs {
  std::array<ui::CtlRef, 14> fields{};  // in the order of the record's binding table
  ui::CtlRef setValue, unit, measured, refresh1, refresh2, sync;
  std::array<ui::CtlRef, 3> stores{};   // STORE1, STORE2A, STORE2B
  std::array<ui::CtlRef, 3> modes{};    // MODE16..MODE18: one of them on
};

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
  AdjustRefs refs;
};

}  // namespace bx
