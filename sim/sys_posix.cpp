#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "sim/sys.h"

namespace bx::sim::sys {
namespace {

sigset_t stopSignals;

}  // namespace

bool start() { return true; }

bool openWakePair(int& readEnd, int& writeEnd) {
  int p[2];
  if (pipe2(p, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  readEnd = p[0];
  writeEnd = p[1];
  return true;
}

void closeFd(int fd) {
  if (fd >= 0) close(fd);
}

long receive(int fd, uint8_t* buf, size_t n, bool) {
  for (;;) {
    const ssize_t got = read(fd, buf, n);
    if (got >= 0) return static_cast<long>(got);
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK ? kWouldBlock : kFailed;
  }
}

long transmit(int fd, const uint8_t* buf, size_t n, bool socket) {
  for (;;) {
    const ssize_t sent = socket ? send(fd, buf, n, MSG_NOSIGNAL) : write(fd, buf, n);
    if (sent > 0) return static_cast<long>(sent);
    if (sent < 0 && errno == EINTR) continue;
    return sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? kWouldBlock : kFailed;
  }
}

int pollEntries(std::vector<PollEntry>& entries, int64_t timeoutNs) {
  std::vector<pollfd> fds;
  fds.reserve(entries.size());
  for (const auto& e : entries) fds.push_back({e.fd, static_cast<short>(POLLIN | (e.wantWrite ? POLLOUT : 0)), 0});
  int rc;
  if (timeoutNs < 0) {
    rc = poll(fds.data(), fds.size(), -1);
  } else {
    const timespec ts{static_cast<time_t>(timeoutNs / 1'000'000'000), static_cast<long>(timeoutNs % 1'000'000'000)};
    rc = ppoll(fds.data(), fds.size(), &ts, nullptr);
  }
  if (rc < 0) return errno == EINTR ? 0 : -1;
  for (size_t i = 0; i < entries.size(); ++i) {
    entries[i].readable = (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    entries[i].writable = (fds[i].revents & POLLOUT) != 0;
  }
  return rc;
}

void preciseTimers() {
  // A paced line sends its batches at the wire's times; the default 50 us
  // timer slack would make every batch late.
  (void)prctl(PR_SET_TIMERSLACK, 1000UL);
}

bool havePty() { return true; }

void catchStop() {
  // Signals are taken with sigwait; blocked before the server thread starts
  // so that it inherits the mask. A launcher may have left SIGINT ignored
  // (background jobs), and an ignored signal never reaches sigwait, so the
  // default comes back first.
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

void waitForStop() {
  int sig = 0;
  while (sigwait(&stopSignals, &sig) != 0) {
  }
}

}  // namespace bx::sim::sys
