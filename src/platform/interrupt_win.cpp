#include <windows.h>

#include <atomic>

#include "platform/interrupt.h"

namespace bx::platform {
namespace {

// Set by the console's handler thread, read by the program between passes.
std::atomic<bool> interrupted{false};

BOOL WINAPI onConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  interrupted = true;
  return TRUE;
}

}  // namespace

void CatchInterrupt() { (void)SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

bool InterruptRequested() { return interrupted; }

}  // namespace bx::platform
