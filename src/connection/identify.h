#pragma once
// Identification: the second stage of bring-up, after the firmware text:
// the family and firmware-version gate, the hardware record, the
// calibration record and the closing GET.
#include <cstdint>
#include <string>

namespace bx {
struct Context;

// Second stage of bring-up, after the firmware text has arrived.
int IdentifySensor(Context& ctx);
int GetHARDWAREInfo(Context& ctx);
// 1 dims SEND, GET and RUN and colours the status texts red; 0 the reverse.
void DimmButtons(Context& ctx, unsigned dim);

}  // namespace bx
