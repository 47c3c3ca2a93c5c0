#pragma once
// TCP client: non-blocking connect with a time-out, TCP_NODELAY, and events
// (data ready, disconnect) that the owner collects during event processing.
#include <cstdint>
#include <string>

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

class TcpClient {
 public:
  TcpClient() = default;
  TcpClient(const TcpClient&) = delete;
  TcpClient& operator=(const TcpClient&) = delete;
  ~TcpClient() { disconnect(); }

  // Returns a positive handle or a negative TcpError.
  int connect(const std::string& host, int port, unsigned timeoutMs);
  void disconnect();
  bool connected() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  uint32_t handle() const { return handle_; }

  // The next event, without waiting: data ready when bytes wait, disconnect
  // when the server has closed (reported once).
  int pollEvent();
  // Reads at most max bytes, waiting up to timeoutMs for the first; returns
  // the count (0 when none came) or a negative TcpError.
  int read(uint8_t* out, int max, unsigned timeoutMs);
  // Reads at most max bytes, sleeping up to the wait quantum (1 ms) for the
  // first: the wait and the read in one system call. Returns the count, 0
  // when nothing came, TCP_CONNECTION_CLOSED when the server has closed.
  int readOrWait(uint8_t* out, int max);
  // Writes n bytes within timeoutMs; returns n or a negative TcpError.
  int write(const uint8_t* data, int n, unsigned timeoutMs);
  // Drops whatever was received and not yet read.
  void discardInput();

 private:
  int fd_ = -1;
  uint32_t handle_ = 0;
  uint32_t nextHandle_ = 1;
  bool closedSeen_ = false;
};

}  // namespace bx::platform
