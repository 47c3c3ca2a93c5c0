#include "platform/tcp_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/clock.h"

namespace bx::platform {

int TcpClient::connect(const std::string& host, int port, unsigned timeoutMs) {
  disconnect();
  if (host.empty() || port <= 0 || port > 65535) return TCP_INVALID_PARAMETER;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* res = nullptr;
  std::string portText = std::to_string(port);
  if (::getaddrinfo(host.c_str(), portText.c_str(), &hints, &res) != 0 || res == nullptr) return TCP_INVALID_PARAMETER;
  int result = TCP_UNABLE_TO_ESTABLISH;
  for (addrinfo* ai = res; ai != nullptr; ai = ai->ai_next) {
    int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
    if (fd < 0) continue;
    int rc = ::connect(fd, ai->ai_addr, ai->ai_addrlen);
    if (rc != 0 && errno == EINPROGRESS) {
      pollfd p{fd, POLLOUT, 0};
      int pr;
      do {
        pr = ::poll(&p, 1, static_cast<int>(timeoutMs));
      } while (pr < 0 && errno == EINTR);
      if (pr == 0) {
        ::close(fd);
        result = TCP_TIMEOUT;
        continue;
      }
      int soerr = 0;
      socklen_t len = sizeof soerr;
      ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soerr, &len);
      rc = soerr == 0 ? 0 : -1;
      errno = soerr;
    }
    if (rc != 0) {
      result = (errno == ECONNREFUSED) ? TCP_FAILED_TO_CONNECT : TCP_UNABLE_TO_ESTABLISH;
      ::close(fd);
      continue;
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // From here on the socket blocks, for at most the wait quantum, only in
    // a waiting pull; every other call asks for non-blocking behaviour itself.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    timeval quantum{0, 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &quantum, sizeof quantum);
    fd_ = fd;
    handle_ = nextHandle_++;
    closedSeen_ = false;
    peerClosed_ = false;
    head_ = tail_ = 0;
    result = static_cast<int>(handle_);
    break;
  }
  ::freeaddrinfo(res);
  return result;
}

bool TcpClient::isOpen() const { return fd_ >= 0; }
int TcpClient::fd() const { return fd_; }

void TcpClient::disconnect() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  handle_ = 0;
  head_ = tail_ = 0;
}

int TcpClient::pollEvent() {
  if (fd_ < 0 || closedSeen_) return TCP_EVENT_NONE;
  if (peerClosed_) {
    closedSeen_ = true;
    return TCP_EVENT_DISCONNECT;
  }
  if (tail_ > head_) return TCP_EVENT_DATAREADY;
  // One non-blocking peek tells both: bytes waiting, or the peer has closed.
  uint8_t b;
  ssize_t n = ::recv(fd_, &b, 1, MSG_PEEK | MSG_DONTWAIT);
  if (n > 0) return TCP_EVENT_DATAREADY;
  if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
    closedSeen_ = true;
    return TCP_EVENT_DISCONNECT;
  }
  return TCP_EVENT_NONE;
}

int TcpClient::write(const uint8_t* data, int n, unsigned timeoutMs) {
  if (fd_ < 0) return TCP_NO_CONNECTION;
  int done = 0;
  double deadline = Timer() + timeoutMs / 1000.0;
  while (done < n) {
    ssize_t w = ::send(fd_, data + done, static_cast<size_t>(n - done), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (w > 0) {
      done += static_cast<int>(w);
      continue;
    }
    if (w < 0 && errno != EAGAIN && errno != EINTR) return TCP_WRITE_FAILED;
    double left = deadline - Timer();
    if (left <= 0) return TCP_TIMEOUT;
    pollfd p{fd_, POLLOUT, 0};
    (void)::poll(&p, 1, static_cast<int>(left * 1000) + 1);
  }
  return done;
}

void TcpClient::discardInput() {
  head_ = tail_ = 0;
  if (fd_ < 0) return;
  uint8_t sink[1024];
  for (;;) {
    ssize_t n = ::recv(fd_, sink, sizeof sink, MSG_DONTWAIT);
    if (n <= 0) break;
  }
}

}  // namespace bx::platform

namespace bx::platform {

void TcpClient::pull(bool wait) {
  if (fd_ < 0 || peerClosed_) return;
  if (head_ == tail_) head_ = tail_ = 0;
  if (tail_ == kQueueSize && head_ > 0) {
    std::memmove(queue_.data(), queue_.data() + head_, static_cast<size_t>(tail_ - head_));
    tail_ -= head_;
    head_ = 0;
  }
  // A full queue leaves the rest in the socket until the reader takes some.
  if (tail_ == kQueueSize) return;
  // Blocking here is bounded by the socket's receive time-out (the wait
  // quantum): the wait and the read in one system call.
  ssize_t n = ::recv(fd_, queue_.data() + tail_, static_cast<size_t>(kQueueSize - tail_), wait ? 0 : MSG_DONTWAIT);
  if (n > 0) {
    tail_ += static_cast<int>(n);
  } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
    peerClosed_ = true;
  }
}

int TcpClient::outQueueLength() {
  if (fd_ < 0) return 0;
  int n = 0;
  if (::ioctl(fd_, TIOCOUTQ, &n) != 0) return 0;
  return n;
}

}  // namespace bx::platform
