#pragma once
// The adjustment record's exchange with the sensor (layout:
// wire/adjust_record.h).
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
#include "wire/adjust_record.h"

namespace bx {
struct Context;
}

namespace bx::factory {

using namespace adjrec;

// Order 130 without data: the sensor's current record. 1 or -1.
int ReadAdjustRecord(Context& ctx, AdjustRecord& out);
// Order 130 with the outgoing record; the sensor's record after taking it
// over lands in out (untouched on failure). 1 or -1.
int ExchangeAdjustRecord(Context& ctx, const AdjustRecord& send, AdjustRecord& out);

}  // namespace bx::factory
