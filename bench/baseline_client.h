#pragma once
// The baseline client: the least any client must do for the same exchanges
// (blocking write, blocking read of the known reply size), so that the
// tool's rate can be set against what the machine and the carrier allow.
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "wire/frame_format.h"
#include "wire/orders.h"

namespace bench {

// A connected socket (TCP) or the opened, raw pseudo-terminal; -1 on failure.
inline int openBaselineClient(int port, const std::string& pty, bool tcp) {
  int s;
  if (tcp) {
    s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    if (s >= 0 && connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      close(s);
      return -1;
    }
    int one = 1;
    if (s >= 0) setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  } else {
    s = open(pty.c_str(), O_RDWR | O_NOCTTY);
    termios t;
    if (s >= 0 && tcgetattr(s, &t) == 0) {
      cfmakeraw(&t);
      tcsetattr(s, TCSANOW, &t);
    }
  }
  return s;
}

// Rounds of the given orders (no parameter, no data) a second; 0 when the
// peer failed. pollFirst: the client sleeps in poll() (1 ms at a time)
// before each read, as a client must that keeps answering its operator
// while it waits.
template <typename Orders>
double baselineRate(int s, long count, const Orders& orders, bool pollFirst = false) {
  uint8_t req[bx::frame::kHeaderSize], rep[bx::frame::kHeaderSize + bx::frame::kMaxReplyPayload];
  const double t0 = bx::platform::Timer();
  for (long i = 0; i < count; ++i) {
    for (uint8_t o : orders) {
      bx::frame::encodeHeader(req, o, 0, nullptr, 0);
      if (write(s, req, sizeof req) != static_cast<ssize_t>(sizeof req)) return 0;
      const int want = bx::frame::kHeaderSize + bx::order::ReplySize(o, 0);
      int got = 0;
      while (got < want) {
        if (pollFirst) {
          pollfd p{s, POLLIN, 0};
          while (poll(&p, 1, 1) == 0) {
          }
        }
        const ssize_t n = read(s, rep + got, static_cast<size_t>(want - got));
        if (n <= 0) return 0;
        got += static_cast<int>(n);
      }
    }
  }
  return count / (bx::platform::Timer() - t0);
}

}  // namespace bench
