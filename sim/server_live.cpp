// The server's live-mode knobs: output pacing and forced sensor states.
#include "sim/server.h"

#include <algorithm>
#include <thread>

namespace bx::sim {

void Server::setPaceBaud(int baud) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    for (auto& p : pacers_) p.setBaud(baud);
  }
  wake();
}

void Server::forceState(int code) {
  std::lock_guard<std::mutex> lock(mu_);
  sensor_.forceState(code);
}

void Server::forceProgramWord(int program) {
  std::lock_guard<std::mutex> lock(mu_);
  sensor_.forceProgramWord(program);
}

Server::PaceDue Server::paceDue() const {
  PaceDue due;
  for (int c = 0; c < kChannels; ++c) {
    const auto& ch = ch_[static_cast<size_t>(c)];
    if (!ch.paceWait) continue;
    // Wait for a batch, or for the rest of what is queued if that is less:
    // the last byte of a reply goes out on time.
    size_t queued = 0;
    for (const auto& o : ch.queue) queued += o.bytes.size();
    queued -= std::min(queued, ch.sentOfFront);
    const Pacer& p = pacers_[static_cast<size_t>(c)];
    const auto at = p.dueAfter(std::clamp<size_t>(queued, 1, p.batch()));
    if (at < due.at) due = PaceDue{at, queued <= p.batch()};
  }
  return due;
}

int Server::pollPaced(std::vector<sys::PollEntry>& fds, int timeoutMs, PaceDue due) {
  using namespace std::chrono;
  if (due.at == Pacer::Clock::time_point::max())
    return sys::pollEntries(fds, timeoutMs < 0 ? -1 : int64_t{timeoutMs} * 1'000'000);
  // A timer wakes a thread late by the machine's wake-up time (tens of
  // microseconds on a busy or virtual machine), and every reply would end
  // that much later than the wire's. For a reply's last bytes the loop asks
  // to be woken earlier by the lateness it has seen and stays awake for the
  // rest; earlier batches need not be exact, as the schedule catches up.
  const auto lead = due.last ? wakeLead_ : nanoseconds(0);
  const auto asked = due.at - lead;
  auto ns = duration_cast<nanoseconds>(asked - Pacer::Clock::now()).count();
  ns = std::max<int64_t>(ns, 0);
  const bool timerDecides = timeoutMs < 0 || int64_t{timeoutMs} * 1'000'000 >= ns;
  if (!timerDecides) ns = int64_t{timeoutMs} * 1'000'000;
  const int rc = sys::pollEntries(fds, ns);
  if (rc != 0 || !timerDecides || !due.last) return rc;
  const auto now = Pacer::Clock::now();
  if (ns > 0) {
    // Learn slowly, and never lead by more than a fifth of a millisecond:
    // the wait awake stays short whatever one slow wake-up showed.
    constexpr nanoseconds kMaxLead = microseconds(200);
    const auto late = std::clamp(duration_cast<nanoseconds>(now - asked), nanoseconds(0), kMaxLead);
    wakeLead_ += (late - wakeLead_) / 8;
  }
  // Awake, but leaving the core to whatever else is ready (the terminal's
  // own delivery work among it).
  while (Pacer::Clock::now() < due.at) std::this_thread::yield();
  return rc;
}

uint32_t Server::triggerCounter() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.triggerCounter();
}

}  // namespace bx::sim
