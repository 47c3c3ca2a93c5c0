// Recorder samples the sensor sends on its own: one per rising edge at
// input IN0 while RS-232-Mode is 1, each an order-18 frame to the channel
// that spoke last, shaped by the faults for unrequested frames.
#include <algorithm>

#include "sim/sensor.h"
#include "wire/orders.h"

namespace bx::sim {

namespace {
// A stalled simulator does not flood the line with a backlog longer than
// this when it wakes.
constexpr int64_t kMaxCatchUp = 1000;
}  // namespace

void Sensor::streamRecorderSample(const Sample& s, int64_t nowMs) {
  if (ram16(param::kRs232Mode) != 1) return;
  const auto rec = recorderSample(s);
  auto o = spontaneous(order::kRecorderSample, {rec.begin(), rec.end()}, lastChannel_, nowMs);
  pending_.insert(pending_.end(), o.begin(), o.end());
}

void Sensor::catchUpInputEvents(int64_t missed, int64_t nowMs) {
  // Events the automatic pulses fell behind on: each counts, and each sends
  // its sample as the sensor would have, so a late wake-up of this process
  // is not mistaken for samples the tool lost.
  const int64_t sent = std::min(missed, kMaxCatchUp);
  triggerCounter_ += static_cast<uint32_t>(missed - sent);
  if (sent <= 0) return;
  const bool noShadow = faults_.active(Fault::NoShadow, order::kLiveData, false);
  const Sample s = ram16(param::kRs232Mode) == 1 ? measure(nowMs, noShadow) : Sample{};
  for (int64_t i = 0; i < sent; ++i) {
    ++triggerCounter_;
    streamRecorderSample(s, nowMs);
  }
}

}  // namespace bx::sim
