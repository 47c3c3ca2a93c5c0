#pragma once
// Serial port: 8N1, no handshake, with an input queue of its own so that
// waiting for a byte count sleeps instead of spinning. POSIX termios on
// Linux (serial_port_posix.cpp), the Win32 communications API on Windows
// (serial_port_win.cpp); callers see the same class on both.
#include <array>
#include <cstdint>
#include <string>

#if !defined(_WIN32)
#include <termios.h>
#endif

#include "platform/link_port.h"
#include "platform/port_diagnosis.h"

namespace bx::platform {

// Error codes of opening and of the port's I/O.
enum SerialError : int {
  SER_UNKNOWN_SYSTEM_ERROR = -1,
  SER_INVALID_PORT_NUMBER = -2,
  SER_PORT_NOT_OPEN = -3,
  SER_UNKNOWN_IO_ERROR = -4,
  SER_NO_PORT_FOUND = -6,
  SER_CANNOT_OPEN_PORT = -7,
  SER_INVALID_PARAMETER = -13,
  SER_TIMEOUT = -99,
};

// Communication status bits.
enum ComStatus : int { COM_INPUT_LOST = 0x01, COM_PARITY = 0x10, COM_FRAMING = 0x40 };

class SerialPort final : public LinkPort {
 public:
  static constexpr int kQueueSize = 4096;

  SerialPort() = default;
  ~SerialPort() override { close(); }

  // Opens COM number com (see com_ports.h) or a device path (on Windows
  // "COMn" or "\\.\COMn") at the given
  // rate, 8 data bits, no parity, 1 stop bit, exclusive. Returns 1 or a
  // negative SerialError; then diagnosis() says why where it can. A port
  // that another program holds (exclusive mode, flock, a lock file) is
  // refused as one that cannot be opened, also to root.
  int open(int com, long baud);
  int openDevice(const std::string& device, long baud);
  const PortDiagnosis& diagnosis() const { return diagnosis_; }
  // Folder of the serial lock files (LCK..NAME); tests point it elsewhere.
  // Windows has no such convention and ignores it.
  void setLockDir(const std::string& dir) { lockDir_ = dir; }
  const std::string& device() const { return device_; }
  // Gives the port back as it was found: its terminal settings restored and
  // exclusive mode cleared, so other users and programs can open it.
  void close() override;
  bool isOpen() const override;
  // The descriptor to sleep on; -1 on Windows, where the read slices wait.
  int fd() const override;
  // The rate the port was opened at; 0 when closed.
  long baud() const { return isOpen() ? baud_ : 0; }

  void setTimeout(double seconds) { timeout_ = seconds; }
  void setCtsMode(bool on);
  void flushInQ();
  void flushOutQ();
  // Both queues in one call, as before every request.
  void flushQueues();
  int inQLen();   // bytes waiting (pulls what the driver holds into the queue)
  int queued() const { return queued_; }  // bytes already in the queue, no system call
  int outQLen();
  // Writes n bytes; returns the count written or a negative code.
  int write(const uint8_t* data, int n) override;
  // Reads n bytes within the port's time-out; returns the count read.
  int read(uint8_t* out, int n);
  // Error bits seen since the last call; 0 where the device keeps no counters.
  int comStatus();
  // Records error bits seen outside the driver's counters; they are reported
  // by the next comStatus(). Tests use it to stand in for a noisy line.
  void addStatus(int bits) { pendingStatus_ |= bits; }

  // The link port.
  int available() override { return inQLen(); }
  int take(uint8_t* out, int n) override;
  int waitReadable(double seconds, const int32_t* abort) override;
  // Empties both queues; a queue that is already empty is left alone, as a
  // flush on some drivers also wakes the other end.
  void flush() override;
  int inQueueLength() override { return inQLen(); }
  int outQueueLength() override { return outQLen(); }
  int errorState() override { return comStatus(); }
  // The device has gone (adapter unplugged): the driver reported a hang-up
  // or an I/O error. Stays set after close until the next open.
  bool peerClosed() const override { return gone_; }
  const char* name() const override { return "RS232"; }
  double headerWait(double replyTimeout, unsigned) const override { return replyTimeout; }
  double payloadWait(double replyTimeout, unsigned) const override { return replyTimeout; }

 private:
  void pull();
  // Sets gone_ when poll reports a hang-up.
  void noteHangUp();
#if defined(_WIN32)
  // Marks the device gone when err says it was removed under us.
  void noteError(unsigned long err);
  void* handle_ = nullptr;  // the port's HANDLE
  unsigned long sliceMs_ = 0;  // the read slice in force (COMMTIMEOUTS), ms
#else
  int fd_ = -1;
  termios saved_{};  // the settings found at open, put back at close
#endif
  bool gone_ = false;
  std::string device_;
  std::string lockDir_ = "/var/lock";
  PortDiagnosis diagnosis_;
  long baud_ = 0;
  double timeout_ = 1.5;
  std::array<uint8_t, kQueueSize> queue_{};
  int queued_ = 0;
  int pendingStatus_ = 0;
  bool haveCounters_ = false;
  int lastOverrun_ = 0, lastParity_ = 0, lastFrame_ = 0, lastBufOverrun_ = 0;
};

// Baud rate of a baud index (0..7); any other index gives 115200.
long baudOfIndex(int index);

}  // namespace bx::platform
