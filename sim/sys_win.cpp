#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h:
#include <windows.h>

#include <algorithm>

#include "sim/sys.h"

namespace bx::sim::sys {
namespace {

// Windows handles carry 32 significant bits, so a SOCKET fits the int
// that the server keeps for every descriptor.
SOCKET S(int fd) { return static_cast<SOCKET>(static_cast<unsigned>(fd)); }
int F(SOCKET s) { return static_cast<int>(static_cast<unsigned>(s)); }

HANDLE stopEvent = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  if (stopEvent != nullptr) SetEvent(stopEvent);
  return TRUE;
}

void nonBlocking(SOCKET s) {
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
}

}  // namespace

bool start() {
  static const bool ready = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

// Windows has no pipe that a socket poll waits on: a loopback TCP pair.
bool openWakePair(int& readEnd, int& writeEnd) {
  if (!start()) return false;
  SOCKET l = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (l == INVALID_SOCKET) return false;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof addr;
  SOCKET w = INVALID_SOCKET, r = INVALID_SOCKET;
  if (bind(l, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && listen(l, 1) == 0 &&
      getsockname(l, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
    w = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (w != INVALID_SOCKET && connect(w, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) r = accept(l, nullptr, nullptr);
  }
  closesocket(l);
  if (r == INVALID_SOCKET) {
    if (w != INVALID_SOCKET) closesocket(w);
    return false;
  }
  nonBlocking(r);
  nonBlocking(w);
  BOOL one = TRUE;
  setsockopt(w, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  readEnd = F(r);
  writeEnd = F(w);
  return true;
}

void closeFd(int fd) {
  if (fd >= 0) closesocket(S(fd));
}

long receive(int fd, uint8_t* buf, size_t n, bool) {
  const int got = recv(S(fd), reinterpret_cast<char*>(buf), static_cast<int>(std::min<size_t>(n, 1 << 20)), 0);
  if (got >= 0) return got;
  return WSAGetLastError() == WSAEWOULDBLOCK ? kWouldBlock : kFailed;
}

long transmit(int fd, const uint8_t* buf, size_t n, bool) {
  const int sent = send(S(fd), reinterpret_cast<const char*>(buf), static_cast<int>(std::min<size_t>(n, 1 << 20)), 0);
  if (sent > 0) return sent;
  return sent < 0 && WSAGetLastError() == WSAEWOULDBLOCK ? kWouldBlock : kFailed;
}

int pollEntries(std::vector<PollEntry>& entries, int64_t timeoutNs) {
  std::vector<WSAPOLLFD> fds;
  fds.reserve(entries.size());
  for (const auto& e : entries) {
    WSAPOLLFD p{};
    p.fd = S(e.fd);
    p.events = static_cast<SHORT>(POLLRDNORM | (e.wantWrite ? POLLWRNORM : 0));
    fds.push_back(p);
  }
  // Whole milliseconds, rounded up so that a due time is never early.
  const INT ms = timeoutNs < 0 ? -1 : static_cast<INT>(std::min<int64_t>((timeoutNs + 999'999) / 1'000'000, 60'000));
  const int rc = WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), ms);
  if (rc < 0) return -1;
  for (size_t i = 0; i < entries.size(); ++i) {
    entries[i].readable = (fds[i].revents & (POLLRDNORM | POLLHUP | POLLERR)) != 0;
    entries[i].writable = (fds[i].revents & POLLWRNORM) != 0;
  }
  return rc;
}

void preciseTimers() {}

bool havePty() { return false; }

void catchStop() {
  stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void waitForStop() {
  if (stopEvent != nullptr) WaitForSingleObject(stopEvent, INFINITE);
}

}  // namespace bx::sim::sys
