#include <csignal>

#include "platform/interrupt.h"

namespace bx::platform {
namespace {

// The one flag a signal handler may set; the program reads it between passes.
volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) { interrupted = 1; }

}  // namespace

void CatchInterrupt() {
  struct sigaction old {};
  if (sigaction(SIGINT, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) return;
  struct sigaction sa {};
  sa.sa_handler = onInterrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGINT, &sa, nullptr);
}

bool InterruptRequested() { return interrupted != 0; }

}  // namespace bx::platform
