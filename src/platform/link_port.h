#pragma once
// The byte stream to the sensor, whatever carries it. The serial port and
// the TCP client implement it; the frame layer sees nothing else, so a new
// carrier (or a test double) is one new class.
#include <cstdint>

namespace bx::platform {

class LinkPort {
 public:
  LinkPort() = default;
  LinkPort(const LinkPort&) = delete;
  LinkPort& operator=(const LinkPort&) = delete;
  virtual ~LinkPort() = default;

  virtual bool isOpen() const = 0;
  virtual void close() = 0;
  // Writes n bytes within the carrier's write time-out; returns the count
  // written or a negative code of the carrier.
  virtual int write(const uint8_t* data, int n) = 0;
  // Bytes received and not yet taken; with none queued, takes in what the
  // system holds.
  virtual int available() = 0;
  // Moves up to n received bytes to out without waiting; returns the count.
  virtual int take(uint8_t* out, int n) = 0;
  // Sleeps until bytes arrive beyond those already queued, `seconds` have
  // passed or *abort is non-zero, whichever comes first; returns the count
  // queued. Bytes already queued do not end the sleep, so a wait that leaves
  // them for later does not spin.
  virtual int waitReadable(double seconds, const int32_t* abort) = 0;
  // Drops what is queued in both directions.
  virtual void flush() = 0;
  virtual int inQueueLength() = 0;
  virtual int outQueueLength() = 0;
  // Line-error bits (ComStatus of serial_port.h) seen since the last call.
  virtual int errorState() = 0;
  // The other end has gone (the server closed the connection).
  virtual bool peerClosed() const = 0;
  // Descriptor to sleep on, -1 when closed.
  virtual int fd() const = 0;
  // How failure texts name the carrier: "RS232" or "TCP".
  virtual const char* name() const = 0;
  // The reply waits of this carrier, given the reply time-out and the
  // network time-out: for the header and for the payload after it.
  virtual double headerWait(double replyTimeout, unsigned netTimeoutMs) const = 0;
  virtual double payloadWait(double replyTimeout, unsigned netTimeoutMs) const = 0;
};

}  // namespace bx::platform
