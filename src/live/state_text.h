#pragma once
// The texts the live displays and the command-line tool derive from the
// live record: the state text and the scan rate. Shared so both show the
// same thing.
#include <cstdint>
#include <string>

#include "wire/live_record.h"

namespace bx {
struct Context;

// The state text of a code (-6..15), in English (the language file gives it
// in the language in force); codes outside that range read as 0.
const char* StateCodeText(int code);
// The code the state field shows: the clamped code of the live record,
// replaced under the edge-count check of `Digital-Out-Mode` 1 (no edges -3,
// more than the live program's row expects -5, fewer than the row of the
// program in force expects -4).
int ShownStateCode(const Context& ctx, const liverec::LiveValues& v);
// The same for the live record in the context.
int ShownStateCode(const Context& ctx);
// The program whose row applies: the sensor's when input IN0 selects it
// (external trigger modes 3 and 4), else `Eval-Program`; at most 3.
int LiveProgram(const Context& ctx, const liverec::LiveValues& v);
// The sensor's scan rate from its cycle time: above 10 Hz a whole number,
// otherwise one decimal; "0" for a cycle time that is not positive. Short
// enough to live in the string itself (no heap).
std::string ScanRateText(int32_t cycleTimeUs);
// A rate in hertz shown the same way ("0" when not positive or not finite).
std::string RateText(double hz);

}  // namespace bx
