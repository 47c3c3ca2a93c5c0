#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace bx::platform {

double Timer() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void Delay(double seconds) {
  if (seconds <= 0) return;
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace bx::platform
