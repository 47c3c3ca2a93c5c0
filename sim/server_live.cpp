// The server's live-mode knobs: output pacing and forced sensor states.
#include "sim/server.h"

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

uint32_t Server::triggerCounter() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.triggerCounter();
}

}  // namespace bx::sim
