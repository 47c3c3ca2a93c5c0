#pragma once
// State of the scope: the settings it was last armed with, the record on
// show, the timing of the time axis and the flag the tab change reads.
#include <array>
#include <cstdint>
#include <string>

#include "ui/types.h"

namespace bx {

struct ScopeRefs {
  ui::CtlRef trigMode, trigLevel, pretrigger, scanRate, refresh, print, comment;
  ui::CtlRef deltaX, deltaY, waitText, graph, digiGraph, sampleRate, samplePeriod;
  bool resolved = false;
};

// How the last arming ended, for front-ends without a panel.
// Discarded: what came was no record (damaged header, another order, no
// data); the scope ended quietly.
enum class ScopeOutcome : uint8_t {
  None, Shown, Stopped, TimedOut, Aborted, ArmFailed, LineError, BadRecord, ShortRecord, Discarded
};

struct ScopeState {
  static constexpr int kSamples = 128;
  ScopeRefs refs;
  bool active = false;               // armed and waiting for the record
  bool hasRecord = false;            // samples hold a record that was shown
  std::array<uint32_t, kSamples> samples{};
  double periodMs = 0;               // sample period T of the time axis
  double sampleRateHz = 0;           // f / N
  ScopeOutcome outcome = ScopeOutcome::None;
  // Longest wait for the record; a front-end without an operator sets it.
  double recordTimeout = 1e12;
};

}  // namespace bx
