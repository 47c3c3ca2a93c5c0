#include <windows.h>

#include "platform/wait.h"

namespace bx::platform {

// Neither port has a descriptor on Windows (their waits block in the read
// itself), so this only sleeps: on a high-resolution timer where Windows
// has one, since Sleep(1) may last a whole scheduler tick.
unsigned waitReadable(const int*, int, double timeoutSeconds) {
  if (timeoutSeconds <= 0) return 0;
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif
  HANDLE t = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
  if (t != nullptr) {
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(timeoutSeconds * 1e7);  // relative, in 100 ns
    if (SetWaitableTimer(t, &due, 0, nullptr, nullptr, FALSE)) {
      WaitForSingleObject(t, INFINITE);
      CloseHandle(t);
      return 0;
    }
    CloseHandle(t);
  }
  Sleep(static_cast<DWORD>(timeoutSeconds * 1000.0 + 0.999));
  return 0;
}

}  // namespace bx::platform
