#include "link/exchange.h"

#include <algorithm>
#include <cstring>

#include "context/context.h"
#include "link/crc8.h"
#include "link/events.h"
#include "link/ownership.h"
#include "platform/clock.h"

namespace bx {
namespace {

constexpr const char* kTimeout = "TIMEOUT!";
constexpr const char* kBadHeader = "ATTENTION! RECEIVED HEADER FRAME IS INCORRECT!";
constexpr const char* kBadData = "ATTENTION! RECEIVED DATA FRAME IS INCORRECT!";

bool serialOpen(const Context& ctx) { return ctx.link.portOpen > 0; }

void appendCommErrors(Context& ctx, int status) {
  if (status & platform::COM_INPUT_LOST) ctx.status += " COMM ERROR: INPUT LOST!";
  if (status & platform::COM_PARITY) ctx.status += " COMM ERROR: PARITY!";
  if (status & platform::COM_FRAMING) ctx.status += " COMM ERROR: FRAMING!";
}

enum class WaitEnd { Complete, TimedOut, Aborted };

// Polls until `need` bytes are counted, the time-out passes or the abort
// flag is raised. A count reached in the last pass wins over the time-out.
WaitEnd waitForBytes(Context& ctx, int need, double timeout) {
  const double start = platform::Timer();
  bool timedOut = false;
  for (;;) {
    // Events are processed on every pass; the pass only sleeps while the
    // bytes it waits for are still missing.
    const bool serial = !IsTcp(ctx) && serialOpen(ctx);
    if (serial) ctx.link.rxCount = ctx.serial.queued();
    ProcessSystemEvents(ctx, ctx.link.rxCount < need);
    if (serial) ctx.link.rxCount = ctx.serial.queued();
    if (platform::Timer() - start > timeout) {
      timedOut = true;
      break;
    }
    if (ctx.link.abort == 1) return WaitEnd::Aborted;
    if (ctx.link.rxCount >= need) break;
  }
  if (ctx.link.rxCount >= need) return WaitEnd::Complete;
  return timedOut ? WaitEnd::TimedOut : WaitEnd::Complete;
}

// Serial only: reads n bytes from the port into the receive buffer at off.
// After a time-out only what has arrived is taken; the reply is late anyway.
int readSerial(Context& ctx, int off, int n, bool timedOut) {
  int room = static_cast<int>(ctx.link.rx.size()) - off;
  n = std::clamp(n, 0, room);
  if (timedOut) n = std::min(n, ctx.serial.inQLen());
  return n > 0 ? ctx.serial.read(ctx.link.rx.data() + off, n) : 0;
}

}  // namespace

bool IsTcp(const Context& ctx) { return ctx.link.transport == TRANSPORT_TCP; }

const uint8_t* ReplyData(const Context& ctx) { return ctx.link.rx.data() + frame::kHeaderSize; }

unsigned ReplyLength(const Context& ctx) {
  return std::min<unsigned>(ctx.link.hdr.length, frame::kMaxReplyPayload);
}

int FillTxBuf(Context& ctx, int order, int parameter, const uint8_t* payload, unsigned length) {
  auto& tx = ctx.link.tx;
  uint8_t ord = static_cast<uint8_t>(order);
  uint16_t par = static_cast<uint16_t>(parameter);
  uint16_t len = static_cast<uint16_t>(length);
  // The transmit buffer has room for the largest request; anything longer
  // is cut rather than written past its end.
  len = static_cast<uint16_t>(std::min<unsigned>(len, LinkState::kTxPayloadMax));
  tx[0] = frame::kSync;
  tx[1] = ord;
  frame::put16(&tx[2], par);
  frame::put16(&tx[4], len);
  tx[6] = frame::kEmptyDataCrc;
  if (len > 0) {
    if (ord == 0xB8) {
      // A 16-bit word count taken from a single byte.
      tx[8] = payload ? payload[0] : 0;
      tx[9] = 0;
    } else if (payload) {
      std::memcpy(&tx[8], payload, len);
    } else {
      std::memset(&tx[8], 0, len);
    }
    tx[6] = crc8Update(tx.data(), 8, len, crc8Table());
  }
  tx[7] = crc8Update(tx.data(), 0, 7, crc8Table());
  auto& h = ctx.link.hdr;
  h.sync = tx[0];
  h.order = tx[1];
  h.param = par;
  h.length = len;
  h.dataCrc = tx[6];
  h.headerCrc = tx[7];
  return tx[7];
}

int DataExchange(Context& ctx, unsigned count) {
  LinkHold hold(ctx);  // callbacks run inside the wait must not start another
  auto& L = ctx.link;
  count = std::min<unsigned>(count, static_cast<unsigned>(L.tx.size()));
  std::memset(L.rx.data(), 0, L.rx.size());
  if (IsTcp(ctx)) {
    // A reply that came after its request timed out must not pass for the
    // reply of this one.
    if (L.tcpConnected > 0) ctx.tcp.discardInput();
    L.rxCount = 0;
    if (L.tcpConnected > 0) (void)ctx.tcp.write(L.tx.data(), static_cast<int>(count), L.tcpTimeoutMs);
  } else {
    L.rxCount = 0;
    if (serialOpen(ctx)) {
      ctx.serial.flushQueues();
      (void)ctx.serial.write(L.tx.data(), static_cast<int>(count));
    }
  }
  int r = GetHeaderFrame(ctx, &L.hdr.order, &L.hdr.param, &L.hdr.length, &L.hdr.dataCrc);
  if (r == 1 && L.hdr.length > 0) return GetDataFrame(ctx, L.hdr.length);
  return r;
}

int CheckHeaderCRC(Context& ctx, uint8_t* order, uint16_t* parameter, uint16_t* length, uint8_t* dataCrc) {
  const uint8_t* h = ctx.link.rx.data();
  uint16_t len = frame::get16(h + 4);
  // A header announcing more than the receive buffer holds is as bad as a
  // corrupt one.
  if (!frame::headerValid(h) || len > frame::kMaxReplyPayload) {
    ctx.status = kBadHeader;
    return -1;
  }
  *order = h[1];
  *parameter = frame::get16(h + 2);
  *length = len;
  *dataCrc = h[6];
  return 1;
}

int GetHeaderFrame(Context& ctx, uint8_t* order, uint16_t* parameter, uint16_t* length, uint8_t* dataCrc) {
  const bool tcp = IsTcp(ctx);
  const double timeout = tcp ? ctx.link.replyTimeout + 0.5 : ctx.link.replyTimeout;
  WaitEnd end = waitForBytes(ctx, frame::kHeaderSize, timeout);
  if (end == WaitEnd::Aborted) return -1;
  const bool timedOut = end == WaitEnd::TimedOut;
  int status = 0;
  if (!tcp && serialOpen(ctx)) {
    status = ctx.serial.comStatus();
    (void)readSerial(ctx, 0, frame::kHeaderSize, timedOut);
  }
  if (timedOut || status > 0) {
    if (timedOut) ctx.status = kTimeout;
    appendCommErrors(ctx, status);
    return -1;
  }
  int r = CheckHeaderCRC(ctx, order, parameter, length, dataCrc);
  if (r != 1) return -1;
  if (*order == 0) {
    // Refusal: the parameter says why.
    if (*parameter == 1)
      ctx.status = "INVALIDE ORDER NUMBER!";
    else if (*parameter == 2)
      ctx.status = "COMM ERROR! YOU MAY REDUCE BAUDRATE!";
    return -1;
  }
  return 1;
}

int GetDataFrame(Context& ctx, unsigned length) {
  const bool tcp = IsTcp(ctx);
  unsigned len = std::min<unsigned>(length, frame::kMaxReplyPayload);
  const double timeout = tcp ? ctx.link.tcpTimeoutMs / 1000.0 : ctx.link.replyTimeout;
  const int need = tcp ? static_cast<int>(len) + frame::kHeaderSize : static_cast<int>(len);
  WaitEnd end = waitForBytes(ctx, need, timeout);
  if (end == WaitEnd::Aborted) return -1;
  const bool timedOut = end == WaitEnd::TimedOut;
  int status = 0;
  if (!tcp && serialOpen(ctx)) {
    status = ctx.serial.comStatus();
    (void)readSerial(ctx, frame::kHeaderSize, static_cast<int>(len), timedOut);
  }
  if (timedOut || status > 0) {
    if (timedOut) ctx.status = kTimeout;
    appendCommErrors(ctx, status);
    return -1;
  }
  unsigned crcLen = std::min<unsigned>(ctx.link.hdr.length, frame::kMaxReplyPayload);
  uint8_t crc = crc8Update(ctx.link.rx.data(), frame::kHeaderSize, static_cast<int>(crcLen), crc8Table());
  if (crc != ctx.link.hdr.dataCrc) {
    ctx.status = kBadData;
    return -1;
  }
  return 1;
}

int Exchange(Context& ctx, int order, int parameter, const uint8_t* payload, unsigned length) {
  FillTxBuf(ctx, order, parameter, payload, length);
  return DataExchange(ctx, frame::kHeaderSize + std::min<unsigned>(length, LinkState::kTxPayloadMax));
}

}  // namespace bx
