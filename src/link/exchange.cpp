#include "link/exchange.h"

#include <algorithm>
#include <cstring>

#include "context/context.h"
#include "link/events.h"
#include "link/ownership.h"
#include "link/transport.h"
#include "platform/clock.h"
#include "platform/link_port.h"
#include "platform/serial_port.h"
#include "wire/crc8.h"
#include "wire/orders.h"

namespace bx {
namespace {

constexpr const char* kTimeout = "TIMEOUT!";
constexpr const char* kBadHeader = "ATTENTION! RECEIVED HEADER FRAME IS INCORRECT!";
constexpr const char* kBadData = "ATTENTION! RECEIVED DATA FRAME IS INCORRECT!";

// After a failed exchange the line must stay silent before the next request
// goes out: for as long as the longest frame takes on the line at the
// current rate (a reply still on its way shows within that time), and never
// less than a USB adapter's delivery lag.
constexpr double kMinQuietSeconds = 0.05;
constexpr double kBitsPerByte = 10.0;  // start bit, 8 data bits, stop bit

void appendCommErrors(Context& ctx, int status) {
  if (status & platform::COM_INPUT_LOST) ctx.status += " COMM ERROR: INPUT LOST!";
  if (status & platform::COM_PARITY) ctx.status += " COMM ERROR: PARITY!";
  if (status & platform::COM_FRAMING) ctx.status += " COMM ERROR: FRAMING!";
}

int fail(Context& ctx, LinkFailure why) {
  ctx.link.failure = why;
  return -1;
}

enum class WaitEnd { Complete, TimedOut, Aborted, Stopped, Closed };

// Moves received bytes into the receive buffer until it holds `need`, the
// deadline passes, the abort flag is raised, the other end closes or (when
// watchRun) the run state leaves the loop. Only the bytes still missing are
// taken, so what follows stays queued for the next frame. A count reached in
// the last pass wins over the deadline.
WaitEnd fill(Context& ctx, int need, double deadline, bool watchRun) {
  auto& L = ctx.link;
  need = std::min(need, frame::kRxBufferSize);
  L.rxCount = std::clamp(L.rxCount, 0, need);
  // The transport open at the start; event processing may close it, and
  // closing empties the slot, so the port is looked up again after each.
  platform::LinkPort* port = OpenPort(ctx);
  const bool hadPort = port != nullptr;
  // Nothing can come from an adapter that is gone.
  if (!hadPort && L.adapterRemoved) return WaitEnd::Closed;
  for (;;) {
    // What is queued costs no system call; the event processing below
    // takes in what arrives.
    if (port != nullptr && L.rxCount < need) L.rxCount += port->take(L.rx.data() + L.rxCount, need - L.rxCount);
    if (L.rxCount >= need) return WaitEnd::Complete;
    if (port != nullptr && port->peerClosed()) {
      LinkPortClosed(ctx);
      return WaitEnd::Closed;
    }
    if (platform::Timer() > deadline) return WaitEnd::TimedOut;
    if (L.abort == 1) return WaitEnd::Aborted;
    if (watchRun && ctx.run.state != RUN_LOOP) return WaitEnd::Stopped;
    ProcessSystemEvents(ctx, true);
    port = OpenPort(ctx);
    if (hadPort && port == nullptr) return WaitEnd::Closed;
  }
}

// The end of a wait that did not complete, or a line error after one that
// did: status line and reason. 1 when the wait may go on.
int checkWait(Context& ctx, WaitEnd end) {
  if (end == WaitEnd::Aborted) return fail(ctx, LinkFailure::Aborted);
  if (end == WaitEnd::Stopped) return fail(ctx, LinkFailure::Stopped);
  if (end == WaitEnd::Closed) return fail(ctx, LinkFailure::Closed);
  platform::LinkPort* port = OpenPort(ctx);
  const int status = port != nullptr ? port->errorState() : 0;
  if (end == WaitEnd::TimedOut || status > 0) {
    if (end == WaitEnd::TimedOut) ctx.status = kTimeout;
    appendCommErrors(ctx, status);
    return fail(ctx, end == WaitEnd::TimedOut ? LinkFailure::TimedOut : LinkFailure::LineError);
  }
  return 1;
}

// Reads and drops the payload of a frame that is not taken.
WaitEnd skipPayload(Context& ctx, unsigned length, double deadline, bool watchRun) {
  ctx.link.rxCount = frame::kHeaderSize;
  WaitEnd end = fill(ctx, frame::kHeaderSize + static_cast<int>(length), deadline, watchRun);
  ++ctx.link.repliesDiscarded;
  ctx.link.rxCount = 0;
  return end;
}

// Line time of the longest frame at the rate in use. Over TCP the sensor's
// own line behind its network interface runs at the configured rate.
double longestFrameSeconds(const Context& ctx, const platform::LinkPort& port) {
  const auto* serial = dynamic_cast<const platform::SerialPort*>(&port);
  long baud = serial != nullptr ? serial->baud() : 0;
  if (baud <= 0) baud = platform::baudOfIndex(ctx.link.baudIndex);
  return (frame::kHeaderSize + frame::kMaxReplyPayload) * kBitsPerByte / static_cast<double>(baud);
}

// Lets the line fall quiet: what arrives is dropped until nothing has come
// for the quiet time. A sensor that never stops sending (streamed samples)
// ends the drain after one more frame and quiet time, so it cannot hang.
void drainLine(Context& ctx, platform::LinkPort& port) {
  const double frameTime = longestFrameSeconds(ctx, port);
  const double quiet = std::max(kMinQuietSeconds, frameTime);
  const double bound = 2 * quiet + frameTime;
  const double start = platform::Timer();
  double last = start;
  uint8_t sink[256];
  for (;;) {
    while (port.available() > 0) {
      (void)port.take(sink, static_cast<int>(sizeof sink));
      last = platform::Timer();
    }
    const double now = platform::Timer();
    if (now - last >= quiet || now - start >= bound || ctx.link.abort == 1 || port.peerClosed()) return;
    (void)port.waitReadable(0.001, &ctx.link.abort);
  }
}

void storeHeader(Context& ctx, uint8_t* order, uint16_t* parameter, uint16_t* length, uint8_t* dataCrc) {
  const uint8_t* h = ctx.link.rx.data();
  *order = h[1];
  *parameter = frame::get16(h + 2);
  *length = frame::get16(h + 4);
  *dataCrc = h[6];
}

bool headerAcceptable(const uint8_t* h) {
  return frame::headerValid(h) && frame::get16(h + 4) <= frame::kMaxReplyPayload;
}

// The bytes at the start of the receive buffer are no frame start: keeps
// what follows from the next sync byte among them, so the hunt goes on
// there without losing a header that began inside them.
void shiftToNextSync(LinkState& L) {
  uint8_t* h = L.rx.data();
  int from = 1;
  while (from < L.rxCount && h[from] != frame::kSync) ++from;
  std::memmove(h, h + from, static_cast<size_t>(L.rxCount - from));
  L.rxCount -= from;
}

int refusal(Context& ctx, uint16_t parameter) {
  // The parameter says why.
  if (parameter == 1)
    ctx.status = "INVALIDE ORDER NUMBER!";
  else if (parameter == 2)
    ctx.status = "COMM ERROR! YOU MAY REDUCE BAUDRATE!";
  ctx.link.refusalParam = parameter;
  return fail(ctx, LinkFailure::Refused);
}

}  // namespace

platform::LinkPort* OpenPort(const Context& ctx) {
  platform::LinkPort* p = ctx.link.port.get();
  return (p != nullptr && p->isOpen()) ? p : nullptr;
}

bool IsTcp(const Context& ctx) {
  if (const platform::LinkPort* p = OpenPort(ctx)) return std::strcmp(p->name(), "TCP") == 0;
  return ctx.link.transport == TRANSPORT_TCP;
}

const uint8_t* ReplyData(const Context& ctx) { return ctx.link.rx.data() + frame::kHeaderSize; }

unsigned ReplyLength(const Context& ctx) {
  return std::min<unsigned>(ctx.link.hdr.length, frame::kMaxReplyPayload);
}

const char* LinkFailureText(LinkFailure failure) {
  switch (failure) {
    case LinkFailure::None: return "no failure";
    case LinkFailure::Refused: return "refused by the sensor";
    case LinkFailure::BadHeader: return "incorrect reply header";
    case LinkFailure::BadData: return "incorrect reply data";
    case LinkFailure::TimedOut: return "time-out";
    case LinkFailure::LineError: return "line error";
    case LinkFailure::Closed: return "connection closed";
    case LinkFailure::Aborted: return "aborted";
    case LinkFailure::Stopped: return "stopped";
  }
  return "?";
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
    if (ord == order::kXFlashRead) {
      // The 16-bit word count, little-endian; only these two bytes go out.
      // (Taking the count from a single byte would turn a full 512-byte
      // block, 256 words, into a request for none.)
      tx[8] = payload ? payload[0] : 0;
      tx[9] = payload && length >= 2 ? payload[1] : 0;
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
  L.failure = LinkFailure::None;
  L.rxCount = 0;
  L.timeoutSeen = TimeoutSeen::Nothing;
  if (platform::LinkPort* port = OpenPort(ctx)) {
    // A reply to an earlier request that failed may still be on its way.
    if (L.drainFirst) drainLine(ctx, *port);
    port->flush();
    // The write's result is not examined: a failed write shows up as a
    // reply time-out.
    (void)port->write(L.tx.data(), static_cast<int>(count));
  }
  const double sentAt = platform::Timer();
  float& usual = L.replySeconds[L.tx[1]];
  L.replyDueAt = usual > 0 ? sentAt + usual : 0;
  int r = GetHeaderFrame(ctx, &L.hdr.order, &L.hdr.param, &L.hdr.length, &L.hdr.dataCrc);
  if (r == 1 && L.hdr.length > 0) r = GetPayloadFrame(ctx, L.hdr.length);
  L.replyDueAt = 0;
  if (r == 1) {
    // Events handled in the wait can only make a reply look slower: the
    // shortest time is taken at once, a longer one only little by little.
    const auto took = static_cast<float>(platform::Timer() - sentAt);
    usual = usual <= 0 || took < usual ? took : 0.95f * usual + 0.05f * took;
  }
  L.drainFirst = r != 1;
  if (L.failure == LinkFailure::TimedOut && L.timeoutSeen == TimeoutSeen::Nothing && L.rxCount > 0)
    L.timeoutSeen = TimeoutSeen::PartOfReply;
  NotifyExchangeEnded(ctx);
  // A reply, or a time-out, says whether the sensor answers; a stop, an
  // abort or a damaged frame says nothing about it.
  if (r == 1 || L.failure == LinkFailure::TimedOut) {
    const bool silent = r != 1;
    if (silent != L.silent) {
      L.silent = silent;
      NotifyAnswering(ctx);
    }
  }
  return r;
}

int CheckHeaderCRC(Context& ctx, uint8_t* order, uint16_t* parameter, uint16_t* length, uint8_t* dataCrc) {
  // A header announcing more than the receive buffer holds is as bad as a
  // corrupt one.
  if (!headerAcceptable(ctx.link.rx.data())) {
    ctx.status = kBadHeader;
    return fail(ctx, LinkFailure::BadHeader);
  }
  storeHeader(ctx, order, parameter, length, dataCrc);
  return 1;
}

int GetHeaderFrame(Context& ctx, uint8_t* order, uint16_t* parameter, uint16_t* length, uint8_t* dataCrc) {
  auto& L = ctx.link;
  // The reply answers the request in the transmit buffer.
  const uint8_t wantOrder = L.tx[1];
  const int wantLength = order::ReplySize(wantOrder, frame::get16(&L.tx[2]));
  const platform::LinkPort* port = OpenPort(ctx);
  const double deadline =
      platform::Timer() + (port != nullptr ? port->headerWait(L.replyTimeout, L.tcpTimeoutMs) : L.replyTimeout);
  // The reply is hunted for: bytes before it (the rest of a reply that
  // came too late, even to an earlier run, or line noise) are skipped up to
  // a sync byte that starts a header whose CRC checks.
  bool sawJunk = false;
  L.rxCount = 0;
  for (;;) {
    const WaitEnd end = fill(ctx, frame::kHeaderSize, deadline, false);
    if (end == WaitEnd::TimedOut && sawJunk) {
      // Bytes came, but never a header that checked.
      ctx.status = kBadHeader;
      if (platform::LinkPort* open = OpenPort(ctx)) appendCommErrors(ctx, open->errorState());
      return fail(ctx, LinkFailure::BadHeader);
    }
    if (checkWait(ctx, end) != 1) return -1;
    if (!headerAcceptable(L.rx.data())) {
      sawJunk = true;
      shiftToNextSync(L);
      continue;
    }
    uint8_t o;
    uint16_t p, n;
    uint8_t c;
    storeHeader(ctx, &o, &p, &n, &c);
    if (o == order::kRefusal) {
      *order = o;
      *parameter = p;
      *length = n;
      *dataCrc = c;
      return refusal(ctx, p);
    }
    if (o == wantOrder && (wantLength == order::kVariable || n == wantLength)) {
      *order = o;
      *parameter = p;
      *length = n;
      *dataCrc = c;
      return 1;
    }
    // Not this request's reply: a late one, or one nobody asked for.
    L.timeoutSeen = o == wantOrder ? TimeoutSeen::WrongLength : TimeoutSeen::OtherReplies;
    if (checkWait(ctx, skipPayload(ctx, n, deadline, false)) != 1) return -1;
  }
}

int GetPayloadFrame(Context& ctx, unsigned length) {
  auto& L = ctx.link;
  const unsigned len = std::min<unsigned>(length, frame::kMaxReplyPayload);
  const platform::LinkPort* port = OpenPort(ctx);
  const double deadline =
      platform::Timer() + (port != nullptr ? port->payloadWait(L.replyTimeout, L.tcpTimeoutMs) : L.replyTimeout);
  L.rxCount = std::max(L.rxCount, frame::kHeaderSize);
  if (checkWait(ctx, fill(ctx, frame::kHeaderSize + static_cast<int>(len), deadline, false)) != 1) return -1;
  const unsigned crcLen = std::min<unsigned>(L.hdr.length, frame::kMaxReplyPayload);
  uint8_t crc = crc8Update(L.rx.data(), frame::kHeaderSize, static_cast<int>(crcLen), crc8Table());
  if (crc != L.hdr.dataCrc) {
    ctx.status = kBadData;
    return fail(ctx, LinkFailure::BadData);
  }
  return 1;
}

int GetDataFrame(Context& ctx, int wantOrder, double timeout) {
  auto& L = ctx.link;
  L.failure = LinkFailure::None;
  const double deadline = platform::Timer() + timeout;
  L.rxCount = 0;
  for (;;) {
    if (checkWait(ctx, fill(ctx, frame::kHeaderSize, deadline, true)) != 1) return -1;
    uint8_t* h = L.rx.data();
    if (!headerAcceptable(h)) {
      shiftToNextSync(L);
      continue;
    }
    ExchangeHeader got;
    storeHeader(ctx, &got.order, &got.param, &got.length, &got.dataCrc);
    got.headerCrc = h[7];
    const platform::LinkPort* port = OpenPort(ctx);
    const double payloadDeadline =
        std::max(deadline, platform::Timer() + (port != nullptr ? port->payloadWait(L.replyTimeout, L.tcpTimeoutMs)
                                                                : L.replyTimeout));
    if (got.order == order::kRefusal) {
      L.hdr = got;
      return refusal(ctx, got.param);
    }
    if (wantOrder >= 0 && got.order != wantOrder) {
      if (checkWait(ctx, skipPayload(ctx, got.length, payloadDeadline, true)) != 1) return -1;
      continue;
    }
    if (checkWait(ctx, fill(ctx, frame::kHeaderSize + got.length, payloadDeadline, true)) != 1) return -1;
    L.hdr = got;
    if (crc8Update(h, frame::kHeaderSize, got.length, crc8Table()) != got.dataCrc) {
      ctx.status = kBadData;
      return fail(ctx, LinkFailure::BadData);
    }
    return 1;
  }
}

int GetSpontaneousFrame(Context& ctx, int wantOrder, double timeout, int huntBytes) {
  auto& L = ctx.link;
  L.failure = LinkFailure::None;
  const double deadline = platform::Timer() + timeout;
  const platform::LinkPort* port = OpenPort(ctx);
  const double restWait = port != nullptr ? port->payloadWait(L.replyTimeout, L.tcpTimeoutMs) : L.replyTimeout;
  L.rxCount = 0;
  int skipped = 0;
  double huntDeadline = deadline;
  for (;;) {
    if (checkWait(ctx, fill(ctx, frame::kHeaderSize, skipped > 0 ? huntDeadline : deadline, true)) != 1) {
      // Bytes that were no frame and nothing after them: a damaged frame.
      if (skipped > 0 && L.failure == LinkFailure::TimedOut) break;
      return -1;
    }
    uint8_t* h = L.rx.data();
    if (!headerAcceptable(h)) {
      int from = 1;
      while (from < frame::kHeaderSize && h[from] != frame::kSync) ++from;
      std::memmove(h, h + from, static_cast<size_t>(frame::kHeaderSize - from));
      L.rxCount = frame::kHeaderSize - from;
      skipped += from;
      if (skipped >= huntBytes) break;
      // The rest of a damaged frame follows at once; a line that falls
      // quiet after it holds no frame.
      huntDeadline = std::min(deadline, platform::Timer() + restWait);
      continue;
    }
    ExchangeHeader got;
    storeHeader(ctx, &got.order, &got.param, &got.length, &got.dataCrc);
    got.headerCrc = h[7];
    L.hdr = got;
    if (got.order == order::kRefusal) return refusal(ctx, got.param);
    const double payloadDeadline = platform::Timer() + restWait;
    // A "header" found among garbage whose data never comes was garbage too.
    auto payloadFailed = [&] { return skipped > 0 && L.failure == LinkFailure::TimedOut; };
    if (got.order != wantOrder || got.length == 0) {
      if (got.length > 0 && checkWait(ctx, skipPayload(ctx, got.length, payloadDeadline, true)) != 1) {
        if (payloadFailed()) break;
        return -1;
      }
      return 1;
    }
    if (checkWait(ctx, fill(ctx, frame::kHeaderSize + got.length, payloadDeadline, true)) != 1) {
      if (payloadFailed()) break;
      return -1;
    }
    if (crc8Update(h, frame::kHeaderSize, got.length, crc8Table()) != got.dataCrc) {
      if (skipped > 0) break;
      ctx.status = kBadData;
      return fail(ctx, LinkFailure::BadData);
    }
    return 1;
  }
  L.rxCount = 0;
  ctx.status = kBadHeader;
  return fail(ctx, LinkFailure::BadHeader);
}

int Exchange(Context& ctx, int order, int parameter, const uint8_t* payload, unsigned length) {
  FillTxBuf(ctx, order, parameter, payload, length);
  return DataExchange(ctx, frame::kHeaderSize + std::min<unsigned>(length, LinkState::kTxPayloadMax));
}

}  // namespace bx
