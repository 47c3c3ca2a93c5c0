#include "factory/adjust_record.h"

#include "context/context.h"
#include "link/exchange.h"
#include "wire/orders.h"

namespace bx::factory {
namespace {

int takeReply(Context& ctx, AdjustRecord& out) {
  if (ReplyLength(ctx) < kAdjustSize) return -1;
  const uint8_t* d = ReplyData(ctx);
  for (int i = 0; i < kAdjustSize; ++i) out[static_cast<size_t>(i)] = d[i];
  return 1;
}

}  // namespace

int ReadAdjustRecord(Context& ctx, AdjustRecord& out) {
  if (Exchange(ctx, order::kPotentiometer, 0) != 1) return -1;
  return takeReply(ctx, out);
}

int ExchangeAdjustRecord(Context& ctx, const AdjustRecord& send, AdjustRecord& out) {
  if (Exchange(ctx, order::kPotentiometer, 0, send.data(), kAdjustSize) != 1) return -1;
  return takeReply(ctx, out);
}

}  // namespace bx::factory
