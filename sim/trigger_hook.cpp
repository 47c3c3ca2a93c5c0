// Test hook: puts the trigger counter where a long-running sensor would
// have it, e.g. just below a wrap of its low 16 bits.
#include "sim/server.h"

namespace bx::sim {

void Server::setTriggerCounter(uint32_t count) {
  std::lock_guard<std::mutex> lock(mu_);
  sensor_.setTriggerCounter(count);
}

}  // namespace bx::sim
