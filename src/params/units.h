#pragma once
// Pixel and millimetre units: the conversions and the unit switch.
#include <cstdint>

namespace bx {
struct Context;

namespace param {

// Truncation toward zero that does not lose a whole unit to the binary
// representation of a decimal entry (0.29 * 100 must stay 29).
double TruncEntry(double x);
uint16_t ToField16(double x);  // truncated, limited to 0..65535
int32_t ToField32(double x);   // truncated, limited to the int32 range
int32_t RoundField32(double x);  // rounded to nearest, limited

// With s micrometres per pixel.
inline double PixelToMm(double pixels, double s) { return pixels * s / 1000.0; }
inline double UmToMm(double um) { return um / 1000.0; }
uint16_t MmToPixelField(double mm, double s);  // truncated
int32_t MmToUmField(double mm);                // rounded
int32_t PixelToUmField(double pixels, double s);  // rounded

}  // namespace param

// The scale in force; a zero or negative scale (no model yet) counts as 1.
double UmPerPixel(const Context& ctx);
// Pixel count N of the connected model, at least 1.
int PixelCount(const Context& ctx);

// 1 millimetres, anything else pixels: sets the unit flag and reconfigures
// the position fields, unit labels, teach table and graph axes.
void SwitchMMPixel(Context& ctx, int unit);

}  // namespace bx
