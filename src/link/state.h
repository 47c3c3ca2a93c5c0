#pragma once
// State of the sensor link: buffers, exchange header, connection, and who
// holds the link (the run state and the requests left pending for a loop).
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "wire/frame_format.h"
#include "platform/link_port.h"

namespace bx {

enum Transport : uint16_t { TRANSPORT_RS232 = 0, TRANSPORT_TCP = 1 };

// Why the last exchange or streamed-frame wait failed, for service output
// beside the status line.
enum class LinkFailure : uint8_t {
  None,
  Refused,      // order 0; refusalParam says why
  BadHeader,
  BadData,
  TimedOut,
  LineError,    // the port reported parity, framing or overrun
  Closed,       // the other end closed the connection
  Aborted,
  Stopped,      // the run state left the loop during a streamed wait
};

// What came before a request timed out: nothing, the start of its reply, a
// reply of its order but of another length, or only replies to other
// orders. Tells silence, short replies and a wrong order apart on the
// service line.
enum class TimeoutSeen : uint8_t { Nothing, PartOfReply, WrongLength, OtherReplies };

struct ExchangeHeader {
  uint8_t sync = frame::kSync;
  uint8_t order = 1;
  uint16_t param = 0;
  uint16_t length = 0;
  uint8_t dataCrc = 0;
  uint8_t headerCrc = 0;
};

struct LinkState {
  static constexpr int kTxPayloadMax = 1024;  // largest request: 512-byte flash blocks
  std::array<uint8_t, frame::kHeaderSize + kTxPayloadMax> tx{};
  std::array<uint8_t, frame::kRxBufferSize> rx{};
  int32_t rxCount = 0;
  ExchangeHeader hdr;
  int32_t abort = 0;
  double replyTimeout = 1.5;      // seconds
  unsigned tcpTimeoutMs = 2000;
  LinkFailure failure = LinkFailure::None;
  TimeoutSeen timeoutSeen = TimeoutSeen::Nothing;  // with failure TimedOut
  uint16_t refusalParam = 0;
  // The last exchange failed: a reply may still be on its way, so the next
  // request first lets the line fall quiet.
  bool drainFirst = false;
  uint32_t repliesDiscarded = 0;  // frames not taken: another order or length
  // The last exchange timed out: the sensor does not answer (until a reply
  // comes again). shownConnected: the indicator shows a connected sensor.
  bool silent = false;
  bool shownConnected = false;
  // Room for a failure text composed for the transport in use.
  char failureText[96] = {};

  // Connection. port: the one slot for the carrier the open of the chosen
  // transport filled (the serial port, the TCP client, or a test double);
  // empty when none is open. Closing empties it.
  std::unique_ptr<platform::LinkPort> port;
  uint16_t transport = TRANSPORT_RS232;
  uint16_t comPort = 1;
  uint16_t baudIndex = 4;
  // The serial adapter was unplugged under the open port: every wait fails
  // at once until the next connect. removedDevice names it.
  bool adapterRemoved = false;
  std::string removedDevice;
  // Why the last serial open failed and what to do, for the operator; ""
  // when it opened or the code says all.
  std::string openReason;
  std::string ipAddress;
  int32_t tcpPort = 5000;
  int32_t identFailed = 0;

  // Firmware-information text: received copy and working copy, each with
  // room for the terminating zero.
  static constexpr int kFwInfoMax = 72;
  char fwInfo[kFwInfoMax + 1] = {};
  char fwInfoWork[kFwInfoMax + 1] = {};
  uint16_t fwInfoParam = 0;
  int16_t echoSerial = 0;

  // The status bar's link area: exchanges that succeeded, counted over a
  // window of about a second while a loop runs, and the last failure with
  // its time (kept after later successes, unlike the service line).
  uint32_t rateCount = 0;
  double rateWindowStart = 0;
  double exchangesPerSecond = 0;
  std::string lastFailure;
  std::string lastFailureTime;

  // How long a reply to each order took, request to complete reply (the
  // shortest seen, rising slowly), and when the reply awaited now is due
  // (0: none awaited). Lets a front-end draw while bytes are on the wire.
  std::array<float, 256> replySeconds{};
  double replyDueAt = 0;
};

// The run state: a loop owns the link (RUN_LOOP), nothing runs (RUN_IDLE),
// or the loop is ending after a failed exchange (RUN_TIMEOUT).
enum RunStateValue : int { RUN_LOOP = 0, RUN_IDLE = 1, RUN_TIMEOUT = -1, RUN_RECORDER_DONE = 2 };

// Operator requests that arrived while a loop owned the link, in the order
// the loop serves them between two cycles.
enum PendingRequest : int {
  PENDING_SEND = 0,
  PENDING_GET,
  PENDING_TEACH,
  PENDING_RESET,
  PENDING_TEST,
  PENDING_EDGE_REFRESH,
  PENDING_REFRESH_DATA,
  PENDING_WRITE_CALIB,
  PENDING_SAVE_CALIB,
  PENDING_STOP_CALIB,
  PENDING_WRITE_LOOKUP,
  PENDING_START_CALIB,
  PENDING_COUNT
};

struct PendingRequests {
  std::array<bool, PENDING_COUNT> flags{};
  bool has(PendingRequest r) const { return flags[static_cast<size_t>(r)]; }
  void set(PendingRequest r, bool on = true) { flags[static_cast<size_t>(r)] = on; }
  // Clears the request; true when it was pending.
  bool take(PendingRequest r) {
    const bool was = has(r);
    set(r, false);
    return was;
  }
  bool any() const {
    for (bool f : flags)
      if (f) return true;
    return false;
  }
  void clear() { flags.fill(false); }
};

struct RunState {
  int state = RUN_IDLE;
  PendingRequests pending;
  // Operations holding the link right now (nested holds count up). While it
  // is above 0 no operator action may start an exchange of its own.
  int linkHeld = 0;
  // Disconnect pressed while the link was held: the holder was aborted and
  // the link closes when the outermost hold ends.
  bool disconnectPending = false;
  // The result of a request that ended the run from its last pass (the
  // lookup-table write): the stop shows it instead of its own text.
  std::string closingStatus;
};

}  // namespace bx
