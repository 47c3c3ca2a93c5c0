// Fuzzes the reply receiver: the input is what the sensor sends back to one
// request. Byte 0 picks the request's order from the order table, byte 1 its
// frame parameter; the rest is the reply as it arrives on the line.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "link/exchange.h"
#include "link_rig.h"
#include "wire/crc8.h"
#include "wire/orders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bx::fuzz::LinkRig rig;
  if (size < 2) return 0;
  auto& ctx = rig.ctx;
  int count = 0;
  const bx::order::Info* table = bx::order::Table(count);
  const bx::order::Info& req = table[data[0] % count];
  const uint16_t param = data[1] % 4;
  rig.port.load(data + 2, size - 2);
  rig.port.clearWritten();
  ctx.link.drainFirst = false;
  ctx.link.abort = 0;

  const int want = req.request.of(param);
  const unsigned len = want > 0 ? static_cast<unsigned>(want) : 0;
  const int r = bx::Exchange(ctx, req.code, param, nullptr, len);

  if (ctx.link.rxCount < 0 || ctx.link.rxCount > bx::frame::kRxBufferSize) __builtin_trap();
  if (r == 1) {
    // A reply taken answers this request, with the table's length, and its
    // payload checks against its own header.
    const auto& h = ctx.link.hdr;
    if (h.order != req.code) __builtin_trap();
    const int fixed = req.reply.of(param);
    if (fixed != bx::order::kVariable && h.length != fixed) __builtin_trap();
    if (h.length > bx::frame::kMaxReplyPayload) __builtin_trap();
    if (bx::crc8(bx::ReplyData(ctx), bx::ReplyLength(ctx)) != h.dataCrc && h.length > 0) __builtin_trap();
    if (ctx.link.failure != bx::LinkFailure::None) __builtin_trap();
  } else if (ctx.link.failure == bx::LinkFailure::None) {
    __builtin_trap();  // a failure always has its reason
  }
  return 0;
}
