#pragma once
// Identification: the second stage of bring-up, after the firmware text:
// the family and firmware-version gate, the hardware record, the
// calibration record and the closing GET.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
#include <cstdint>
#include <string>

namespace bx {
struct Context;

// Second stage of bring-up, after the firmware text has arrived.
int IdentifySensor(Context& ctx);
// 1 read (and the model configured), 0 failed (the status says why).
int GetHARDWAREInfo(Context& ctx);
// 1 dims SEND, GET and RUN and colours the status texts red; 0 the reverse.
void DimmButtons(Context& ctx, unsigned dim);

}  // namespace bx
