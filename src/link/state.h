#pragma once
// State of the sensor link: buffers, exchange header, connection.
#include <array>
#include <cstdint>
#include <string>

#include "wire/frame_format.h"

namespace bx {
namespace platform {
class LinkPort;
}

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

  // Connection. port: the transport that is open (the serial port or the TCP
  // client of the context, or a test double); nullptr when none.
  platform::LinkPort* port = nullptr;
  uint16_t transport = TRANSPORT_RS232;
  uint16_t comPort = 1;
  uint16_t baudIndex = 4;
  int32_t portOpen = 0;           // 1 open; after a failed open the negative code
  // The serial adapter was unplugged under the open port: every wait fails
  // at once until the next connect.
  bool adapterRemoved = false;
  // Why the last serial open failed and what to do, for the operator; ""
  // when it opened or the code says all.
  std::string openReason;
  std::string ipAddress;
  int32_t tcpPort = 5000;
  uint32_t tcpHandle = 0;
  int32_t tcpConnected = 0;
  int32_t identFailed = 0;

  // Firmware-information text: received copy and working copy, each with
  // room for the terminating zero.
  static constexpr int kFwInfoMax = 72;
  char fwInfo[kFwInfoMax + 1] = {};
  char fwInfoWork[kFwInfoMax + 1] = {};
  uint16_t fwInfoParam = 0;
  int16_t echoSerial = 0;
};

}  // namespace bx
