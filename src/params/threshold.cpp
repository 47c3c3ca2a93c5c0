#include "params/threshold.h"

#include <algorithm>
#include <cstring>

#include "context/context.h"
#include "link/exchange.h"

namespace bx {

int FetchThresholdProfile(Context& ctx) {
  if (Exchange(ctx, 0x09, 1) != 1) {
    ctx.status = IsTcp(ctx) ? "TCP-Server-error!" : "Timeout RS232-Line!";
    return -1;
  }
  uint8_t bytes[512] = {};
  std::memcpy(bytes, ReplyData(ctx), std::min<unsigned>(sizeof bytes, ReplyLength(ctx)));
  for (size_t i = 0; i < 256; ++i) ctx.live.thresholdProfile[i] = frame::get16(bytes + 2 * i);
  ctx.status = "Transmission successful  - Line Ok!";
  return 1;
}

}  // namespace bx
