#include "platform/serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/clock.h"
#include "platform/com_ports.h"

namespace bx::platform {
namespace {

// Undoes what open did to the device before the descriptor goes: a port
// left in exclusive mode refuses every later opener but root until reboot
// (a pseudo-terminal, or a device another program still holds).
void release(int fd, const termios* saved) {
  if (saved != nullptr) (void)::tcsetattr(fd, TCSANOW, saved);
  (void)::ioctl(fd, TIOCNXCL);
  ::close(fd);
}

speed_t speedOf(long baud) {
  switch (baud) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return 0;
  }
}

}  // namespace

int SerialPort::open(int com, long baud) {
  std::string dev = comDevice(com);
  if (dev.empty()) return SER_INVALID_PORT_NUMBER;
  return openDevice(dev, baud);
}

int SerialPort::openDevice(const std::string& device, long baud) {
  close();
  diagnosis_ = PortDiagnosis{};
  speed_t sp = speedOf(baud);
  if (sp == 0) return SER_INVALID_PARAMETER;
  // Another program on the same port would steal our replies, and ours
  // would reach it: whatever way it holds the port, the port is refused.
  std::string lockFile;
  PortHolder locker;
  if (heldLockFile(device, lockDir_, lockFile, locker)) {
    diagnosis_ = diagnoseInUse(device, PortHold::LockFile);
    diagnosis_.lockFile = lockFile;
    diagnosis_.holders.erase(std::remove_if(diagnosis_.holders.begin(), diagnosis_.holders.end(),
                                            [&](const PortHolder& h) { return h.pid == locker.pid; }),
                             diagnosis_.holders.end());
    diagnosis_.holders.insert(diagnosis_.holders.begin(), locker);
    return SER_CANNOT_OPEN_PORT;
  }
  int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    diagnosis_ = diagnoseOpenError(device, err);
    return (err == ENOENT || err == ENXIO || err == ENODEV || err == EBUSY || err == EACCES) ? SER_CANNOT_OPEN_PORT
                                                                                            : SER_UNKNOWN_SYSTEM_ERROR;
  }
  if (!::isatty(fd)) {
    ::close(fd);
    diagnosis_ = diagnoseNotSerial(device);
    return SER_CANNOT_OPEN_PORT;
  }
  termios tio;
  if (::tcgetattr(fd, &tio) != 0) {
    ::close(fd);
    diagnosis_ = diagnoseNotSerial(device);
    return SER_UNKNOWN_IO_ERROR;
  }
  const termios found = tio;
  // Exclusive mode keeps every other opener out but root; a port that
  // another program holds in it is that program's, also for root.
  int exclusive = 0;
  if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) {
    if (!portHolders(device).empty()) {
      ::close(fd);
      diagnosis_ = diagnoseInUse(device, PortHold::Exclusive);
      return SER_CANNOT_OPEN_PORT;
    }
  }
  if (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) {
    ::close(fd);
    return SER_CANNOT_OPEN_PORT;
  }
  // Programs that share a port by convention take a flock on it.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    release(fd, nullptr);
    diagnosis_ = diagnoseInUse(device, PortHold::Flock);
    return SER_CANNOT_OPEN_PORT;
  }
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_iflag |= IGNBRK;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, sp);
  ::cfsetospeed(&tio, sp);
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
    release(fd, &found);
    return SER_INVALID_PARAMETER;
  }
  // USB adapters hold received bytes back for up to 16 ms unless told not to.
  serial_struct ss;
  if (::ioctl(fd, TIOCGSERIAL, &ss) == 0) {
    ss.flags |= ASYNC_LOW_LATENCY;
    (void)::ioctl(fd, TIOCSSERIAL, &ss);
  }
  fd_ = fd;
  gone_ = false;
  device_ = device;
  baud_ = baud;
  saved_ = found;
  queued_ = 0;
  pendingStatus_ = 0;
  serial_icounter_struct ic;
  haveCounters_ = ::ioctl(fd, TIOCGICOUNT, &ic) == 0;
  if (haveCounters_) {
    lastOverrun_ = ic.overrun;
    lastParity_ = ic.parity;
    lastFrame_ = ic.frame;
    lastBufOverrun_ = ic.buf_overrun;
  }
  return 1;
}

bool SerialPort::isOpen() const { return fd_ >= 0; }
int SerialPort::fd() const { return fd_; }

void SerialPort::close() {
  if (fd_ >= 0) release(fd_, &saved_);
  fd_ = -1;
  queued_ = 0;
}

void SerialPort::setCtsMode(bool on) {
  if (fd_ < 0) return;
  termios tio;
  if (::tcgetattr(fd_, &tio) != 0) return;
  if (on)
    tio.c_cflag |= CRTSCTS;
  else
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  (void)::tcsetattr(fd_, TCSANOW, &tio);
}

void SerialPort::flushInQ() {
  queued_ = 0;
  if (fd_ >= 0) (void)::tcflush(fd_, TCIFLUSH);
}

void SerialPort::flushQueues() {
  queued_ = 0;
  if (fd_ >= 0) (void)::tcflush(fd_, TCIOFLUSH);
}

void SerialPort::flush() {
  if (inQLen() > 0) flushInQ();
  if (outQLen() > 0) flushOutQ();
}

void SerialPort::flushOutQ() {
  if (fd_ >= 0) (void)::tcflush(fd_, TCOFLUSH);
}

void SerialPort::pull() {
  if (fd_ < 0) return;
  if (queued_ >= kQueueSize) {
    // Queue full: what the driver still holds is lost, as on overflow.
    uint8_t sink[256];
    while (::read(fd_, sink, sizeof sink) > 0) pendingStatus_ |= COM_INPUT_LOST;
    return;
  }
  // One read takes all the driver holds unless the queue is nearly full.
  ssize_t n = ::read(fd_, queue_.data() + queued_, static_cast<size_t>(kQueueSize - queued_));
  if (n > 0) {
    queued_ += static_cast<int>(n);
  } else if (n < 0) {
    if (errno == EIO || errno == ENXIO || errno == ENODEV) gone_ = true;
  } else {
    // Nothing to read, or a port hung up: a removed adapter reads as
    // end-of-file, and only poll tells the two apart.
    noteHangUp();
  }
}

void SerialPort::noteHangUp() {
  if (fd_ < 0 || gone_) return;
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) gone_ = true;
}

int SerialPort::inQLen() {
  pull();
  return queued_;
}

int SerialPort::outQLen() {
  if (fd_ < 0) return SER_PORT_NOT_OPEN;
  int n = 0;
  if (::ioctl(fd_, TIOCOUTQ, &n) != 0) return 0;
  return n;
}

int SerialPort::write(const uint8_t* data, int n) {
  if (fd_ < 0) return SER_PORT_NOT_OPEN;
  int done = 0;
  double start = Timer();
  while (done < n) {
    ssize_t w = ::write(fd_, data + done, static_cast<size_t>(n - done));
    if (w > 0) {
      done += static_cast<int>(w);
      continue;
    }
    if (w < 0 && errno != EAGAIN && errno != EINTR) {
      if (errno == EIO || errno == ENXIO || errno == ENODEV) gone_ = true;
      return done > 0 ? done : SER_UNKNOWN_IO_ERROR;
    }
    double left = timeout_ - (Timer() - start);
    if (left <= 0) return done > 0 ? done : SER_TIMEOUT;
    pollfd p{fd_, POLLOUT, 0};
    (void)::poll(&p, 1, static_cast<int>(left * 1000) + 1);
  }
  return done;
}

int SerialPort::read(uint8_t* out, int n) {
  if (fd_ < 0) return SER_PORT_NOT_OPEN;
  if (n <= 0) return 0;
  double start = Timer();
  for (;;) {
    if (queued_ >= n) break;
    pull();
    if (queued_ >= n) break;
    double left = timeout_ - (Timer() - start);
    if (left <= 0) break;
    pollfd p{fd_, POLLIN, 0};
    (void)::poll(&p, 1, static_cast<int>(left * 1000) + 1);
  }
  int take = queued_ < n ? queued_ : n;
  std::memcpy(out, queue_.data(), static_cast<size_t>(take));
  std::memmove(queue_.data(), queue_.data() + take, static_cast<size_t>(queued_ - take));
  queued_ -= take;
  return take;
}

int SerialPort::take(uint8_t* out, int n) {
  int k = queued_ < n ? queued_ : n;
  if (k <= 0) return 0;
  std::memcpy(out, queue_.data(), static_cast<size_t>(k));
  std::memmove(queue_.data(), queue_.data() + k, static_cast<size_t>(queued_ - k));
  queued_ -= k;
  return k;
}

int SerialPort::waitReadable(double seconds, const int32_t* abort) {
  const double end = Timer() + seconds;
  const int before = queued_;
  // The driver's own queue is emptied by every pull, so its descriptor is
  // readable only for bytes not yet queued: poll first, then take them in.
  while (fd_ >= 0 && !gone_ && (abort == nullptr || *abort == 0)) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 1) > 0) {
      if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) gone_ = true;
      pull();
    }
    if (queued_ > before || Timer() >= end) break;
  }
  return queued_;
}

int SerialPort::comStatus() {
  int status = pendingStatus_;
  pendingStatus_ = 0;
  if (fd_ >= 0 && haveCounters_) {
    serial_icounter_struct ic;
    if (::ioctl(fd_, TIOCGICOUNT, &ic) == 0) {
      if (ic.overrun != lastOverrun_ || ic.buf_overrun != lastBufOverrun_) status |= COM_INPUT_LOST;
      if (ic.parity != lastParity_) status |= COM_PARITY;
      if (ic.frame != lastFrame_) status |= COM_FRAMING;
      lastOverrun_ = ic.overrun;
      lastParity_ = ic.parity;
      lastFrame_ = ic.frame;
      lastBufOverrun_ = ic.buf_overrun;
    }
  }
  return status;
}

}  // namespace bx::platform
