#pragma once
// Output pacing: lets reply bytes out no faster than a serial line of a given
// baud rate would carry them (10 bits a byte: start, 8 data, stop). The
// schedule is absolute, so a late wake-up sends the bytes that have become
// due at once and the average rate stays at the line's rate; nothing is
// ever delivered before the wire would have finished carrying it.
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace bx::sim {

constexpr int kBitsPerByte = 10;

class Pacer {
 public:
  using Clock = std::chrono::steady_clock;

  // 0 (or less) = no limit.
  void setBaud(int baud);
  int baud() const { return baud_; }
  bool active() const { return byteNs_ > 0; }

  // How many bytes may be written at `now`. After the line has been quiet
  // the schedule starts afresh at `now`; the first byte is due one byte
  // time later, when the wire would have delivered it.
  size_t allowance(Clock::time_point now);
  void sent(size_t n) { sent_ += n; }
  // The queue ran empty: the next byte starts a new schedule unless the
  // wire is still busy with the last ones.
  void idle() { idle_ = true; }
  // When the next byte becomes due.
  Clock::time_point nextDue() const { return dueAfter(1); }
  // When n more bytes will have become due.
  Clock::time_point dueAfter(size_t n) const { return start_ + wireTime(sent_ + n); }
  // How many bytes the line carries in about a millisecond (at least 1):
  // the batch a sender waits for, so a fast line costs no wake-up per byte.
  size_t batch() const;

  // The wire time of n bytes at the current rate.
  std::chrono::nanoseconds wireTime(size_t n) const { return std::chrono::nanoseconds(byteNs_ * static_cast<int64_t>(n)); }

 private:
  Clock::time_point lineFree() const { return start_ + wireTime(sent_); }

  int baud_ = 0;
  int64_t byteNs_ = 0;  // rounded up: never faster than the line
  Clock::time_point start_{};
  uint64_t sent_ = 0;  // bytes written since start_
  bool idle_ = true;
};

}  // namespace bx::sim
