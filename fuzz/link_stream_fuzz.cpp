// Fuzzes the receiver of frames that arrive without a request: the input is
// the byte stream on the line. Byte 0 picks the order waited for (0xFF:
// any); the receiver is called until the stream is used up.
#include <cstddef>
#include <cstdint>

#include "link/exchange.h"
#include "link_rig.h"
#include "wire/crc8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bx::fuzz::LinkRig rig;
  if (size < 1) return 0;
  auto& ctx = rig.ctx;
  const int want = data[0] == 0xFF ? -1 : data[0];
  rig.port.load(data + 1, size - 1);
  ctx.run.state = bx::RUN_LOOP;
  ctx.link.abort = 0;

  // Every call takes at least one byte or ends at the empty stream.
  for (size_t calls = 0; calls <= size; ++calls) {
    const int before = rig.port.available();
    const int r = bx::GetDataFrame(ctx, want, 0.0);
    if (ctx.link.rxCount < 0 || ctx.link.rxCount > bx::frame::kRxBufferSize) __builtin_trap();
    if (r == 1) {
      const auto& h = ctx.link.hdr;
      if (want >= 0 && h.order != want) __builtin_trap();
      if (h.length > bx::frame::kMaxReplyPayload) __builtin_trap();
      if (ctx.link.rxCount != bx::frame::kHeaderSize + h.length) __builtin_trap();
      if (h.length > 0 && bx::crc8(bx::ReplyData(ctx), h.length) != h.dataCrc) __builtin_trap();
    } else if (ctx.link.failure == bx::LinkFailure::None) {
      __builtin_trap();
    }
    if (rig.port.available() == 0) break;
    if (r != 1 && rig.port.available() == before) __builtin_trap();  // no progress
  }
  return 0;
}
