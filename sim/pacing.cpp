#include "sim/pacing.h"

#include <algorithm>

namespace bx::sim {

void Pacer::setBaud(int baud) {
  baud_ = baud > 0 ? baud : 0;
  constexpr int64_t kBitNsTimesBaud = 1'000'000'000LL * kBitsPerByte;
  byteNs_ = baud_ > 0 ? (kBitNsTimesBaud + baud_ - 1) / baud_ : 0;
  start_ = Clock::time_point{};
  sent_ = 0;
  idle_ = true;
}

size_t Pacer::allowance(Clock::time_point now) {
  if (!active()) return SIZE_MAX;
  if (idle_) {
    if (now >= lineFree()) {
      start_ = now;
      sent_ = 0;
    }
    idle_ = false;
  }
  if (now <= start_) return 0;
  const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - start_).count();
  const auto due = static_cast<uint64_t>(elapsed / byteNs_);
  return due > sent_ ? static_cast<size_t>(due - sent_) : 0;
}

size_t Pacer::batch() const {
  if (!active()) return 1;
  return static_cast<size_t>(std::max<int64_t>(1, 1'000'000 / byteNs_));
}

}  // namespace bx::sim
