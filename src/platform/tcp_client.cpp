#include "platform/tcp_client.h"

#include <algorithm>
#include <cstring>

#include "platform/clock.h"

// The queue and the waits on it; the sockets themselves are in
// tcp_client_posix.cpp and tcp_client_win.cpp.
namespace bx::platform {

int TcpClient::available() {
  // What is queued is known without a system call; only an empty queue asks
  // the socket.
  if (tail_ == head_) pull(false);
  return tail_ - head_;
}

int TcpClient::take(uint8_t* out, int n) {
  int k = std::min(n, tail_ - head_);
  if (k <= 0) return 0;
  std::memcpy(out, queue_.data() + head_, static_cast<size_t>(k));
  head_ += k;
  if (head_ == tail_) head_ = tail_ = 0;
  return k;
}

int TcpClient::waitReadable(double seconds, const int32_t* abort) {
  const double end = Timer() + seconds;
  const int before = tail_ - head_;
  for (;;) {
    if (!isOpen() || peerClosed_) break;
    if (head_ == 0 && tail_ == kQueueSize) {
      // Full: nothing more can be taken in until the reader takes some.
      Delay(0.001);
    } else {
      pull(true);
    }
    if (tail_ - head_ > before || (abort != nullptr && *abort != 0) || Timer() >= end) break;
  }
  return tail_ - head_;
}

void TcpClient::flush() { discardInput(); }

}  // namespace bx::platform
