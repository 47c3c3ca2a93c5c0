#pragma once
// One run-loop cycle's view of the sensor, decoded once and handed to every
// live display, so no display decodes or sanitises the record itself.
#include <array>
#include <cstdint>

#include "live/state.h"
#include "wire/edge_reply.h"
#include "wire/live_record.h"

namespace bx {

struct LiveFrame {
  // The live record's values, the state code and program held to their
  // ranges.
  liverec::LiveValues values;
  // The live video profile, the one captured at the trigger event, and the
  // two edge lists, as the cycle's requests left them.
  const std::array<uint16_t, 256>* video = nullptr;
  const std::array<uint16_t, 256>* triggeredVideo = nullptr;
  const EdgeList* edgesPositive = nullptr;
  const EdgeList* edgesNegative = nullptr;
};

// The frame of what the live buffers hold now.
LiveFrame DecodeLiveFrame(const LiveState& live);

}  // namespace bx
