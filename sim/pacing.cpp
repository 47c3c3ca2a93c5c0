#include "sim/pacing.h"

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

Pacer::Clock::time_point Pacer::nextDue() const { return start_ + wireTime(sent_ + 1); }

int64_t Pacer::msUntilDue() const {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(nextDue() - Clock::now()).count();
  return ns <= 0 ? 0 : (ns + 999'999) / 1'000'000;
}

}  // namespace bx::sim
