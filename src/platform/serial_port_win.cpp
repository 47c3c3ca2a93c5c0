// The serial port on Windows: a synchronous handle on \\.\COMn read in
// short slices.
//
// Why slices and not overlapped I/O or WaitCommEvent: a read waits for the
// first byte for at most one slice (ReadIntervalTimeout and
// ReadTotalTimeoutMultiplier MAXDWORD, ReadTotalTimeoutConstant the slice)
// and then returns whatever has arrived, so every wait of the link comes
// back to its caller within a slice and keeps serving the operator and the
// abort flag, exactly as the poll loop does on Linux. The same scheme works
// on real Windows drivers and under Wine; Wine's overlapped reads with a
// total time-out never complete and its WaitCommEvent loses events.
//
// What the Wine proofs cannot show (they run against a pseudo-terminal that
// Wine maps to the COM port): the communication-error word of
// ClearCommError is always 0 there, so framing, overrun, parity and break
// counting is proved only on real hardware; Wine lets a second program open
// a COM port that is already open, so "in use by another program"
// (ERROR_ACCESS_DENIED) is never seen there; a removed USB adapter
// (ERROR_DEVICE_REMOVED, ERROR_OPERATION_ABORTED) cannot be staged; and the
// DCB, queue sizes and FlushFileBuffers reach no real UART.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/clock.h"
#include "platform/com_ports.h"
#include "platform/win_text.h"
#include "platform/serial_port.h"

namespace bx::platform {
namespace {

using win::narrow;
using win::widen;

HANDLE H(void* h) { return static_cast<HANDLE>(h); }

// The slice a read waits for its first byte, in milliseconds.
DWORD sliceMs(double seconds) {
  if (seconds <= 0.001) return 1;
  if (seconds >= 0.05) return 50;
  return static_cast<DWORD>(seconds * 1000.0 + 0.5);
}

// Sets the read slice; a read with bytes already in the driver returns them
// at once.
bool setSlice(HANDLE h, DWORD ms) {
  COMMTIMEOUTS t{};
  t.ReadIntervalTimeout = MAXDWORD;
  t.ReadTotalTimeoutMultiplier = MAXDWORD;
  t.ReadTotalTimeoutConstant = ms;
  t.WriteTotalTimeoutMultiplier = 0;
  t.WriteTotalTimeoutConstant = 100;  // one write call; write() loops to its own time-out
  return SetCommTimeouts(h, &t) != 0;
}


// "COM7", "com7" and "\\.\COM7" all name \\.\COM7 (the only form that
// reaches COM10 and above); any other text is taken as it is.
std::string devicePath(const std::string& device) {
  const int com = comNumber(device);
  return com > 0 ? comDevice(com) : device;
}

// The error codes that mean the device went away under an open handle.
bool removedError(DWORD err) {
  switch (err) {
    case ERROR_DEVICE_REMOVED:
    case ERROR_OPERATION_ABORTED:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_HANDLE: return true;
    default: return false;
  }
}

// The communication-error word of ClearCommError as status bits.
int statusOf(DWORD errors) {
  int s = 0;
  if (errors & (CE_RXOVER | CE_OVERRUN)) s |= COM_INPUT_LOST;
  if (errors & CE_RXPARITY) s |= COM_PARITY;
  // A break is a character whose stop bit never came: a framing error.
  if (errors & (CE_FRAME | CE_BREAK)) s |= COM_FRAMING;
  return s;
}

bool supportedRate(long baud) {
  for (int i = 0; i < 8; ++i)
    if (baudOfIndex(i) == baud) return true;
  return false;
}

}  // namespace

bool SerialPort::isOpen() const { return handle_ != nullptr; }
int SerialPort::fd() const { return -1; }

void SerialPort::noteError(unsigned long err) {
  if (removedError(static_cast<DWORD>(err))) gone_ = true;
}

int SerialPort::open(int com, long baud) {
  std::string dev = comDevice(com);
  if (dev.empty()) return SER_INVALID_PORT_NUMBER;
  return openDevice(dev, baud);
}

int SerialPort::openDevice(const std::string& device, long baud) {
  close();
  diagnosis_ = PortDiagnosis{};
  if (!supportedRate(baud)) return SER_INVALID_PARAMETER;
  const std::string path = devicePath(device);
  // Share mode 0: Windows lets no other program open the port meanwhile.
  HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    diagnosis_ = diagnoseOpenError(path, static_cast<int>(err));
    return diagnosis_.problem != PortProblem::None ? SER_CANNOT_OPEN_PORT : SER_UNKNOWN_SYSTEM_ERROR;
  }
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (GetFileType(h) != FILE_TYPE_CHAR || !GetCommState(h, &dcb)) {
    CloseHandle(h);
    diagnosis_ = diagnoseNotSerial(path);
    return SER_CANNOT_OPEN_PORT;
  }
  (void)SetupComm(h, kQueueSize, kQueueSize);
  dcb.BaudRate = static_cast<DWORD>(baud);
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fTXContinueOnXoff = TRUE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  // Bytes arrive as sent: no error character, no stripped zeros, and a line
  // error does not stop the port until someone clears it.
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = FALSE;
  if (!SetCommState(h, &dcb)) {
    CloseHandle(h);
    return SER_INVALID_PARAMETER;
  }
  if (!setSlice(h, 1)) {
    CloseHandle(h);
    return SER_UNKNOWN_IO_ERROR;
  }
  (void)PurgeComm(h, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
  DWORD errors = 0;
  (void)ClearCommError(h, &errors, nullptr);
  handle_ = h;
  sliceMs_ = 1;
  gone_ = false;
  device_ = path;
  baud_ = baud;
  queued_ = 0;
  pendingStatus_ = 0;
  haveCounters_ = true;
  return 1;
}

void SerialPort::close() {
  if (handle_ != nullptr) {
    // What is still going out is sent before the handle goes, as closing a
    // terminal does on Linux.
    COMSTAT st{};
    DWORD errors = 0;
    if (!gone_ && ClearCommError(H(handle_), &errors, &st) && st.cbOutQue > 0) (void)FlushFileBuffers(H(handle_));
    CloseHandle(H(handle_));
  }
  handle_ = nullptr;
  queued_ = 0;
}

void SerialPort::setCtsMode(bool on) {
  if (handle_ == nullptr) return;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(H(handle_), &dcb)) return;
  dcb.fOutxCtsFlow = on ? TRUE : FALSE;
  (void)SetCommState(H(handle_), &dcb);
}

void SerialPort::flushInQ() {
  queued_ = 0;
  if (handle_ != nullptr) (void)PurgeComm(H(handle_), PURGE_RXABORT | PURGE_RXCLEAR);
}

void SerialPort::flushOutQ() {
  if (handle_ != nullptr) (void)PurgeComm(H(handle_), PURGE_TXABORT | PURGE_TXCLEAR);
}

void SerialPort::flushQueues() {
  queued_ = 0;
  if (handle_ != nullptr) (void)PurgeComm(H(handle_), PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
}

void SerialPort::flush() {
  if (inQLen() > 0) flushInQ();
  if (outQLen() > 0) flushOutQ();
}

// Takes in what the driver holds without waiting: ClearCommError says how
// much, and a read of that much returns at once.
void SerialPort::pull() {
  if (handle_ == nullptr || gone_) return;
  COMSTAT st{};
  DWORD errors = 0;
  if (!ClearCommError(H(handle_), &errors, &st)) {
    noteError(GetLastError());
    return;
  }
  pendingStatus_ |= statusOf(errors);
  if (st.cbInQue == 0) return;
  if (queued_ >= kQueueSize) {
    // Queue full: what the driver still holds is lost, as on overflow.
    (void)PurgeComm(H(handle_), PURGE_RXCLEAR);
    pendingStatus_ |= COM_INPUT_LOST;
    return;
  }
  const DWORD want = std::min<DWORD>(st.cbInQue, static_cast<DWORD>(kQueueSize - queued_));
  DWORD got = 0;
  if (!ReadFile(H(handle_), queue_.data() + queued_, want, &got, nullptr)) {
    noteError(GetLastError());
    return;
  }
  queued_ += static_cast<int>(got);
}

void SerialPort::noteHangUp() {}

int SerialPort::inQLen() {
  pull();
  return queued_;
}

int SerialPort::outQLen() {
  if (handle_ == nullptr) return SER_PORT_NOT_OPEN;
  COMSTAT st{};
  DWORD errors = 0;
  if (!ClearCommError(H(handle_), &errors, &st)) {
    noteError(GetLastError());
    return 0;
  }
  pendingStatus_ |= statusOf(errors);
  return static_cast<int>(st.cbOutQue);
}

int SerialPort::write(const uint8_t* data, int n) {
  if (handle_ == nullptr) return SER_PORT_NOT_OPEN;
  int done = 0;
  const double start = Timer();
  while (done < n) {
    DWORD w = 0;
    if (!WriteFile(H(handle_), data + done, static_cast<DWORD>(n - done), &w, nullptr)) {
      noteError(GetLastError());
      return done > 0 ? done : SER_UNKNOWN_IO_ERROR;
    }
    done += static_cast<int>(w);
    if (done < n && Timer() - start >= timeout_) return done > 0 ? done : SER_TIMEOUT;
  }
  return done;
}

// One slice: waits up to ms for the first byte the queue does not hold yet,
// then takes in what is there.
static int readSlice(void* handle, uint8_t* out, int space, DWORD ms, bool& gone, unsigned long& sliceInForce) {
  if (ms != sliceInForce) {
    if (!setSlice(H(handle), ms)) return 0;
    sliceInForce = ms;
  }
  DWORD got = 0;
  if (!ReadFile(H(handle), out, static_cast<DWORD>(space), &got, nullptr)) {
    if (removedError(GetLastError())) gone = true;
    return 0;
  }
  return static_cast<int>(got);
}

int SerialPort::read(uint8_t* out, int n) {
  if (handle_ == nullptr) return SER_PORT_NOT_OPEN;
  if (n <= 0) return 0;
  const double start = Timer();
  for (;;) {
    if (queued_ >= n) break;
    pull();
    if (queued_ >= n || gone_) break;
    const double left = timeout_ - (Timer() - start);
    if (left <= 0) break;
    if (queued_ < kQueueSize)
      queued_ += readSlice(handle_, queue_.data() + queued_, kQueueSize - queued_, sliceMs(left), gone_, sliceMs_);
  }
  const int k = queued_ < n ? queued_ : n;
  std::memcpy(out, queue_.data(), static_cast<size_t>(k));
  std::memmove(queue_.data(), queue_.data() + k, static_cast<size_t>(queued_ - k));
  queued_ -= k;
  return k;
}

int SerialPort::take(uint8_t* out, int n) {
  const int k = queued_ < n ? queued_ : n;
  if (k <= 0) return 0;
  std::memcpy(out, queue_.data(), static_cast<size_t>(k));
  std::memmove(queue_.data(), queue_.data() + k, static_cast<size_t>(queued_ - k));
  queued_ -= k;
  return k;
}

int SerialPort::waitReadable(double seconds, const int32_t* abort) {
  const double end = Timer() + seconds;
  const int before = queued_;
  while (handle_ != nullptr && !gone_ && (abort == nullptr || *abort == 0)) {
    if (queued_ >= kQueueSize) {
      // Full: nothing more can be taken in until the reader takes some.
      pull();
      Delay(0.001);
    } else {
      queued_ += readSlice(handle_, queue_.data() + queued_, kQueueSize - queued_, sliceMs(end - Timer()), gone_,
                           sliceMs_);
    }
    if (queued_ > before || Timer() >= end) break;
  }
  return queued_;
}

int SerialPort::comStatus() {
  if (handle_ != nullptr) {
    DWORD errors = 0;
    if (ClearCommError(H(handle_), &errors, nullptr))
      pendingStatus_ |= statusOf(errors);
    else
      noteError(GetLastError());
  }
  const int status = pendingStatus_;
  pendingStatus_ = 0;
  return status;
}

}  // namespace bx::platform
