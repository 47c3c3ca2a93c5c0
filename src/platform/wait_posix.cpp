#include "platform/wait.h"

#include <poll.h>

#include <cerrno>
#include <ctime>

namespace bx::platform {

unsigned waitReadable(const int* fds, int count, double timeoutSeconds) {
  pollfd pfd[4];
  int index[4];
  int n = 0;
  for (int i = 0; i < count && n < 4; ++i) {
    if (fds[i] < 0) continue;
    pfd[n].fd = fds[i];
    pfd[n].events = POLLIN;
    pfd[n].revents = 0;
    index[n] = i;
    ++n;
  }
  if (timeoutSeconds < 0) timeoutSeconds = 0;
  timespec ts;
  ts.tv_sec = static_cast<time_t>(timeoutSeconds);
  ts.tv_nsec = static_cast<long>((timeoutSeconds - static_cast<double>(ts.tv_sec)) * 1e9);
  int rc = ppoll(n > 0 ? pfd : nullptr, static_cast<nfds_t>(n), &ts, nullptr);
  unsigned mask = 0;
  if (rc > 0)
    for (int k = 0; k < n; ++k)
      if (pfd[k].revents != 0) mask |= 1u << index[k];
  return mask;
}

}  // namespace bx::platform
