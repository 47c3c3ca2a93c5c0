#pragma once
// What the live-value displays derive from one live record: limits, the value colour,
// the dirt level compared, the AUTO threshold and the roll-graph point.
// Kept apart from the drawing so each rule can be checked on its own.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/types.h"
#include "wire/live_record.h"

namespace bx {
struct Context;

namespace liveview {


struct Limits {
  int setPx = 1, upperPx = 1, lowerPx = 1;
  int32_t setUm = 0, upperUm = 0, lowerUm = 0;
  double setShown = 0, tolUpShown = 0, tolLoShown = 0;  // in the display unit
};
Limits LimitsOf(const Context& ctx, const liverec::LiveValues& v, int program);
// Set value in use as a range-bar position in the display unit.
double LiveSetPosition(const Context& ctx, const liverec::LiveValues& v);
// Grey outside the measuring range, red outside the limits, else green.
ui::Color ValueColour(const Context& ctx, const liverec::LiveValues& v, const Limits& lim);
// The level the dirt lamp compares for a dirt-detect mode; -1 for mode 0
// (the lamp keeps its state).
int DirtLevelOf(int dirtMode, const liverec::LiveValues& v);
// The flat AUTO threshold: percent of the video peak, kept within 100..900.
int AutoThreshold(int percent, int videoPeak);
// Start of the millimetre axis (the range origin of models that have one).
double AxisStartMm(const Context& ctx);
// One roll-graph point: upper limit, lower limit, set value, value and the
// two values the analog mode picks, in the display unit.
std::array<double, 6> RollPoint(const Context& ctx, const liverec::LiveValues& v, int program);
// Drops the oldest point of an interleaved roll buffer and appends point.
void RollAppend(std::vector<double>& buffer, const std::array<double, 6>& point);

}  // namespace liveview
}  // namespace bx
