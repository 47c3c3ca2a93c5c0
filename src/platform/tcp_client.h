#pragma once
// TCP client (POSIX sockets, or Winsock 2 on Windows): non-blocking
// connect with a time-out, TCP_NODELAY, an input
// queue of its own (as the serial port has), and events (data ready,
// disconnect) that the owner collects during event processing.
#include <array>
#include <cstdint>
#include <string>

#include "platform/link_port.h"

namespace bx::platform {

enum TcpEvent : int { TCP_EVENT_NONE = 0, TCP_EVENT_DISCONNECT = 2, TCP_EVENT_DATAREADY = 3 };

// Negative results of connecting and of the I/O calls.
enum TcpError : int {
  TCP_UNABLE_TO_ESTABLISH = -2,
  TCP_FAILED_TO_CONNECT = -4,
  TCP_READ_FAILED = -7,
  TCP_WRITE_FAILED = -8,
  TCP_INVALID_PARAMETER = -9,
  TCP_TIMEOUT = -11,
  TCP_NO_CONNECTION = -12,
  TCP_CONNECTION_CLOSED = -14,
};

class TcpClient final : public LinkPort {
 public:
  static constexpr int kQueueSize = 4096;

  TcpClient() = default;
  ~TcpClient() override { disconnect(); }

  // Returns a positive handle or a negative TcpError.
  int connect(const std::string& host, int port, unsigned timeoutMs);
  void disconnect();
  bool connected() const { return isOpen(); }
  uint32_t handle() const { return handle_; }

  // The next event, without waiting: data ready when bytes wait, disconnect
  // when the server has closed (reported once).
  int pollEvent();
  // Writes n bytes within timeoutMs; returns n or a negative TcpError.
  int write(const uint8_t* data, int n, unsigned timeoutMs);
  // Drops whatever was received and not yet read.
  void discardInput();
  // Time-out of write(data, n).
  void setWriteTimeoutMs(unsigned ms) { writeTimeoutMs_ = ms; }

  // The link port: the queue holds what was received and not yet taken.
  bool isOpen() const override;
  void close() override { disconnect(); }
  int write(const uint8_t* data, int n) override { return write(data, n, writeTimeoutMs_); }
  int available() override;
  int take(uint8_t* out, int n) override;
  int waitReadable(double seconds, const int32_t* abort) override;
  void flush() override;
  int inQueueLength() override { return available(); }
  int outQueueLength() override;
  int errorState() override { return 0; }
  bool peerClosed() const override { return peerClosed_; }
  // The socket's descriptor to sleep on; -1 on Windows (a SOCKET is no
  // descriptor there; the waits block in the receive itself).
  int fd() const override;
  const char* name() const override { return "TCP"; }
  double headerWait(double replyTimeout, unsigned) const override { return replyTimeout + 0.5; }
  double payloadWait(double, unsigned netTimeoutMs) const override { return netTimeoutMs / 1000.0; }

 private:
  // One receive into the queue; wait: block up to the wait quantum for it.
  void pull(bool wait);
#if defined(_WIN32)
  uintptr_t sock_ = ~uintptr_t{0};  // INVALID_SOCKET when closed
#else
  int fd_ = -1;
#endif
  uint32_t handle_ = 0;
  uint32_t nextHandle_ = 1;
  bool closedSeen_ = false;
  bool peerClosed_ = false;
  unsigned writeTimeoutMs_ = 2000;
  std::array<uint8_t, kQueueSize> queue_{};
  int head_ = 0;  // first byte not yet taken
  int tail_ = 0;  // one past the last byte received
};

}  // namespace bx::platform
