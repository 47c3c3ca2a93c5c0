#pragma once
// One request frame, one reply frame: building, sending, waiting with the
// time-out and the abort flag, and validating with the CRC-8. Also the wait
// for frames the sensor sends without a request (scope records, triggered
// recorder samples).
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
#include <cstdint>

#include "link/state.h"

namespace bx {
struct Context;
namespace platform {
class LinkPort;
}

// Builds a request in the transmit buffer; returns the header CRC.
int FillTxBuf(Context& ctx, int order, int parameter, const uint8_t* payload, unsigned length);
// Sends count bytes of the transmit buffer and receives the reply. 1 or -1.
// A reply is taken only when it answers the request in the transmit buffer:
// its order is the request's (or 0, a refusal) and its length the one the
// order table gives, where it gives one. Any other frame is skipped and the
// wait goes on within the same time-out. After a failed exchange the next
// one first lets the line fall quiet for the time the longest frame takes
// at the current rate.
int DataExchange(Context& ctx, unsigned count);
// Waits for the reply header to the request in the transmit buffer. Bytes
// before it that start no valid header (the rest of an earlier reply, noise)
// are skipped; when only such bytes came within the time-out the header is
// reported as incorrect.
int GetHeaderFrame(Context& ctx, uint8_t* order, uint16_t* parameter, uint16_t* length, uint8_t* dataCrc);
// Waits for the reply payload announced by the header just taken, and checks
// it against the exchange header's length and data CRC.
int GetPayloadFrame(Context& ctx, unsigned length);
// Waits for the next frame that arrives without a request. Garbage before a
// frame is skipped; a header counts only with its CRC and sync byte, the
// payload against that header's length and data CRC. order: the order to
// take (frames of other orders are skipped), or -1 for any. Ends with -1 at
// the time-out, at once when the abort flag is raised or the run state
// leaves the loop (0). On 1 the frame is in the receive buffer and its
// fields in the exchange header.
int GetDataFrame(Context& ctx, int order, double timeout);
// The one frame the sensor sends on its own for a wait that must end with
// whatever comes (a scope record). Waits up to `timeout` for it, ending at
// once as GetDataFrame does on abort or stop. Garbage before a frame is
// skipped, but at most huntBytes of it, and only while more keeps coming:
// a damaged frame ends the wait with -1 and LinkFailure::BadHeader. A good
// header gives 1 whatever its order; its payload is read and checked only
// when it carries `order` and data (else dropped): the caller looks at the
// exchange header to see what came.
int GetSpontaneousFrame(Context& ctx, int order, double timeout, int huntBytes);
// The header in the receive buffer: 1 valid (its fields stored), -1 damaged.
int CheckHeaderCRC(Context& ctx, uint8_t* order, uint16_t* parameter, uint16_t* length, uint8_t* dataCrc);

// Convenience: FillTxBuf + DataExchange with 8 + length bytes.
int Exchange(Context& ctx, int order, int parameter, const uint8_t* payload = nullptr, unsigned length = 0);

// Reply payload (offset 8 of the receive buffer) and its length.
const uint8_t* ReplyData(const Context& ctx);
unsigned ReplyLength(const Context& ctx);

// The transport that is open, or nullptr.
platform::LinkPort* OpenPort(const Context& ctx);
// Whether failure texts take their TCP form: the open transport is TCP, or
// with none open, the one configured.
bool IsTcp(const Context& ctx);

// Why the last exchange or streamed wait failed, in words.
const char* LinkFailureText(LinkFailure failure);

}  // namespace bx
