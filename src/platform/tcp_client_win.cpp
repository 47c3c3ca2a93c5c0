// The TCP client's sockets on Windows (Winsock 2). The socket stays
// non-blocking; a waiting receive sleeps in select() for the wait quantum.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>

#include "platform/clock.h"
#include "platform/tcp_client.h"

namespace bx::platform {
namespace {

// Winsock is started once for the process and stays started: it holds no
// state of ours, only the DLL's.
bool winsockReady() {
  static const bool ready = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

SOCKET S(uintptr_t s) { return static_cast<SOCKET>(s); }
constexpr uintptr_t kNone = ~uintptr_t{0};

// Waits up to ms for the socket to become readable (or writable).
bool waitSocket(SOCKET s, bool forWrite, long ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  fd_set failed;
  FD_ZERO(&failed);
  FD_SET(s, &failed);
  timeval tv{ms / 1000, (ms % 1000) * 1000};
  const int rc = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, &failed, &tv);
  return rc > 0;
}

}  // namespace

bool TcpClient::isOpen() const { return sock_ != kNone; }
int TcpClient::fd() const { return -1; }

int TcpClient::connect(const std::string& host, int port, unsigned timeoutMs) {
  disconnect();
  if (host.empty() || port <= 0 || port > 65535) return TCP_INVALID_PARAMETER;
  if (!winsockReady()) return TCP_UNABLE_TO_ESTABLISH;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* res = nullptr;
  const std::string portText = std::to_string(port);
  if (getaddrinfo(host.c_str(), portText.c_str(), &hints, &res) != 0 || res == nullptr) return TCP_INVALID_PARAMETER;
  int result = TCP_UNABLE_TO_ESTABLISH;
  for (addrinfo* ai = res; ai != nullptr; ai = ai->ai_next) {
    SOCKET s = WSASocketW(ai->ai_family, ai->ai_socktype, ai->ai_protocol, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) continue;
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    int rc = ::connect(s, ai->ai_addr, static_cast<int>(ai->ai_addrlen));
    int err = rc == 0 ? 0 : WSAGetLastError();
    if (rc != 0 && err == WSAEWOULDBLOCK) {
      // Writable: connected; in the exception set: refused or unreachable.
      fd_set wr, ex;
      FD_ZERO(&wr);
      FD_ZERO(&ex);
      FD_SET(s, &wr);
      FD_SET(s, &ex);
      timeval tv{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
      const int pr = select(0, nullptr, &wr, &ex, &tv);
      if (pr == 0) {
        closesocket(s);
        result = TCP_TIMEOUT;
        continue;
      }
      int soerr = 0;
      int len = sizeof soerr;
      getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soerr), &len);
      if (soerr == 0 && !FD_ISSET(s, &wr)) soerr = WSAECONNREFUSED;
      rc = soerr == 0 ? 0 : -1;
      err = soerr;
    }
    if (rc != 0) {
      result = err == WSAECONNREFUSED ? TCP_FAILED_TO_CONNECT : TCP_UNABLE_TO_ESTABLISH;
      closesocket(s);
      continue;
    }
    BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    sock_ = static_cast<uintptr_t>(s);
    handle_ = nextHandle_++;
    closedSeen_ = false;
    peerClosed_ = false;
    head_ = tail_ = 0;
    result = static_cast<int>(handle_);
    break;
  }
  freeaddrinfo(res);
  return result;
}

void TcpClient::disconnect() {
  if (sock_ != kNone) closesocket(S(sock_));
  sock_ = kNone;
  handle_ = 0;
  head_ = tail_ = 0;
}

int TcpClient::pollEvent() {
  if (sock_ == kNone || closedSeen_) return TCP_EVENT_NONE;
  if (peerClosed_) {
    closedSeen_ = true;
    return TCP_EVENT_DISCONNECT;
  }
  if (tail_ > head_) return TCP_EVENT_DATAREADY;
  char b;
  const int n = recv(S(sock_), &b, 1, MSG_PEEK);
  if (n > 0) return TCP_EVENT_DATAREADY;
  if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
    closedSeen_ = true;
    return TCP_EVENT_DISCONNECT;
  }
  return TCP_EVENT_NONE;
}

int TcpClient::write(const uint8_t* data, int n, unsigned timeoutMs) {
  if (sock_ == kNone) return TCP_NO_CONNECTION;
  int done = 0;
  const double deadline = Timer() + timeoutMs / 1000.0;
  while (done < n) {
    const int w = send(S(sock_), reinterpret_cast<const char*>(data) + done, n - done, 0);
    if (w > 0) {
      done += w;
      continue;
    }
    if (w < 0 && WSAGetLastError() != WSAEWOULDBLOCK) return TCP_WRITE_FAILED;
    const double left = deadline - Timer();
    if (left <= 0) return TCP_TIMEOUT;
    (void)waitSocket(S(sock_), true, static_cast<long>(left * 1000) + 1);
  }
  return done;
}

void TcpClient::discardInput() {
  head_ = tail_ = 0;
  if (sock_ == kNone) return;
  char sink[1024];
  while (recv(S(sock_), sink, sizeof sink, 0) > 0) {
  }
}

void TcpClient::pull(bool wait) {
  if (sock_ == kNone || peerClosed_) return;
  if (head_ == tail_) head_ = tail_ = 0;
  if (tail_ == kQueueSize && head_ > 0) {
    std::memmove(queue_.data(), queue_.data() + head_, static_cast<size_t>(tail_ - head_));
    tail_ -= head_;
    head_ = 0;
  }
  if (tail_ == kQueueSize) return;
  // A waiting pull sleeps in select() for the wait quantum, then reads what
  // has come.
  if (wait && !waitSocket(S(sock_), false, 1)) return;
  const int n = recv(S(sock_), reinterpret_cast<char*>(queue_.data()) + tail_, kQueueSize - tail_, 0);
  if (n > 0) {
    tail_ += n;
  } else if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
    peerClosed_ = true;
  }
}

// Winsock does not tell how much of the send buffer is still unsent.
int TcpClient::outQueueLength() { return 0; }

}  // namespace bx::platform
