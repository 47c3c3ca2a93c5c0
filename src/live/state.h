#pragma once
// Buffers filled by the live, video and edge requests, and the run state
// shared by the loops that can own the link.
#include <array>
#include <string>
#include <cstdint>

#include "wire/edge_reply.h"

namespace bx {

enum RunStateValue : int { RUN_LOOP = 0, RUN_IDLE = 1, RUN_TIMEOUT = -1, RUN_RECORDER_DONE = 2 };

struct LiveState {
  std::array<uint8_t, 64> record{};
  std::array<uint16_t, 256> video{};
  std::array<uint16_t, 256> thresholdProfile{};
  std::array<uint16_t, 256> triggeredVideo{};
  EdgeList edgeP, edgeN;
  uint16_t edgeTotal = 0;
  uint16_t edgeParam = 0;
  std::array<int16_t, 32> edgesMerged{};
  int armedTrigger = 0;           // 0, +1, -1
  int graphSwitch = 1;            // 1 video view, 0 roll view
  uint16_t lastTriggerCount = 0;  // low 16 bits of the counter at the last handled trigger
  double toolCycleHz = 0;         // the run loop's own cycles per second, measured
};

// Operator requests that arrived while a loop owned the link, in the order
// the loop serves them between two cycles.
enum PendingRequest : int {
  PENDING_SEND = 0,
  PENDING_GET,
  PENDING_TEACH,
  PENDING_RESET,
  PENDING_TEST,
  PENDING_EDGE_REFRESH,
  PENDING_REFRESH_DATA,
  PENDING_WRITE_CALIB,
  PENDING_SAVE_CALIB,
  PENDING_STOP_CALIB,
  PENDING_WRITE_LOOKUP,
  PENDING_START_CALIB,
  PENDING_COUNT
};

struct PendingRequests {
  std::array<bool, PENDING_COUNT> flags{};
  bool has(PendingRequest r) const { return flags[static_cast<size_t>(r)]; }
  void set(PendingRequest r, bool on = true) { flags[static_cast<size_t>(r)] = on; }
  // Clears the request; true when it was pending.
  bool take(PendingRequest r) {
    const bool was = has(r);
    set(r, false);
    return was;
  }
  bool any() const {
    for (bool f : flags)
      if (f) return true;
    return false;
  }
  void clear() { flags.fill(false); }
};

struct RunState {
  int state = RUN_IDLE;
  PendingRequests pending;
  // Operations holding the link right now (nested holds count up). While it
  // is above 0 no operator action may start an exchange of its own.
  int linkHeld = 0;
  // Disconnect pressed while the link was held: the holder was aborted and
  // the link closes when the outermost hold ends.
  bool disconnectPending = false;
  // The result of a request that ended the run from its last pass (the
  // lookup-table write): the stop shows it instead of its own text.
  std::string closingStatus;
};
}  // namespace bx
