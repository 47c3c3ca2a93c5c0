// The server's live-mode knobs: output pacing and forced sensor states.
#include "sim/server.h"

#include <algorithm>

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

Pacer::Clock::time_point Server::paceDue() const {
  auto due = Pacer::Clock::time_point::max();
  for (int c = 0; c < kChannels; ++c) {
    const auto& ch = ch_[static_cast<size_t>(c)];
    if (!ch.paceWait) continue;
    // Wait for a batch, or for the rest of what is queued if that is less:
    // the last byte of a reply goes out on time.
    size_t queued = 0;
    for (const auto& o : ch.queue) queued += o.bytes.size();
    queued -= std::min(queued, ch.sentOfFront);
    const Pacer& p = pacers_[static_cast<size_t>(c)];
    due = std::min(due, p.dueAfter(std::clamp<size_t>(queued, 1, p.batch())));
  }
  return due;
}

int Server::pollPaced(std::vector<sys::PollEntry>& fds, int timeoutMs, Pacer::Clock::time_point due) {
  if (due == Pacer::Clock::time_point::max()) return sys::pollEntries(fds, timeoutMs < 0 ? -1 : int64_t{timeoutMs} * 1'000'000);
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(due - Pacer::Clock::now()).count();
  ns = std::max<int64_t>(ns, 0);
  if (timeoutMs >= 0) ns = std::min<int64_t>(ns, int64_t{timeoutMs} * 1'000'000);
  return sys::pollEntries(fds, ns);
}

uint32_t Server::triggerCounter() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.triggerCounter();
}

}  // namespace bx::sim
