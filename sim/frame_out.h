#pragma once
// Outgoing frames of the simulated sensor and what the injected faults do to
// them on their way out: corrupted fields, garbage, fragments, delays.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/faults.h"
#include "sim/line_model.h"

namespace bx::sim {

// Bytes to send on one channel at a given time. A close entry asks the
// transport to drop the connection instead (TCP only).
struct Output {
  int channel = 0;
  int64_t atMs = 0;
  std::vector<uint8_t> bytes;
  bool close = false;
  bool held = false;  // goes out just ahead of the channel's next frame
};

std::vector<uint8_t> encodeFrame(uint8_t order, uint16_t param, const uint8_t* payload, size_t length);

// Applies the faults to one complete frame and schedules it from nowMs.
std::vector<Output> shapeFrame(int channel, std::vector<uint8_t> frame, const ActiveFaults& faults, int64_t nowMs,
                               Rng& rng);

}  // namespace bx::sim
