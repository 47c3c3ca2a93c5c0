#include "live/live_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "context/context.h"
#include "params/fields.h"
#include "params/units.h"
#include "wire/calib_record.h"

namespace bx::liveview {
double AxisStartMm(const Context& ctx) {
  return ctx.ident.model.hasRangeOrigin ? ctx.ident.model.rangeOriginMm : 0.0;
}

Limits LimitsOf(const Context& ctx, const liverec::LiveValues& v, int program) {
  const auto& p = ctx.params;
  const int n = PixelCount(ctx);
  Limits l;
  l.setPx = std::clamp<int>(v.setPointPx == 0 ? 1 : v.setPointPx, 1, n);
  const int up = param::rowGet(p, program, param::ROW_UPPER_TOL), lo = param::rowGet(p, program, param::ROW_LOWER_TOL);
  l.upperPx = std::min(l.setPx + up, n);
  l.lowerPx = std::max(l.setPx - lo, 1);
  const int32_t upUm = param::rowGet32(p, program, param::ROW_UM_TOLUP);
  const int32_t loUm = param::rowGet32(p, program, param::ROW_UM_TOLLO);
  // The sensor measures from its calibrated offset over its measuring
  // range; a record without a range (none read yet) stands for the model's
  // working range.
  const int64_t start = calib::offsetUm(ctx.calib.record);
  const int32_t range = calib::rangeUm(ctx.calib.record);
  const int64_t stop = start + (range > 0 ? range : std::llround(ctx.ident.model.workingRangeMm * 1000));
  l.setUm = v.setPointUm;
  l.upperUm = static_cast<int32_t>(std::clamp<int64_t>(int64_t{v.setPointUm} + upUm, start, stop));
  l.lowerUm = static_cast<int32_t>(std::clamp<int64_t>(int64_t{v.setPointUm} - loUm, start, stop));
  if (p.unitMm == 1) {
    l.setShown = v.setPointUm / 1000.0;
    l.tolUpShown = upUm / 1000.0;
    l.tolLoShown = loUm / 1000.0;
  } else {
    l.setShown = l.setPx;
    l.tolUpShown = up;
    l.tolLoShown = lo;
  }
  return l;
}

double LiveSetPosition(const Context& ctx, const liverec::LiveValues& v) {
  if (ctx.params.unitMm == 1) return v.setPointUm / 1000.0;
  return std::clamp<int>(v.setPointPx == 0 ? 1 : v.setPointPx, 1, PixelCount(ctx));
}

ui::Color ValueColour(const Context& ctx, const liverec::LiveValues& v, const Limits& lim) {
  const auto& p = ctx.params;
  if (p.unitMm == 1) {
    if (v.valueUm < param::get32(p, param::UM_BEGIN) || v.valueUm > param::get32(p, param::UM_END))
      return ui::kGrey;
    return v.valueUm < lim.lowerUm || v.valueUm > lim.upperUm ? ui::kRed : ui::kDarkGreen;
  }
  if (v.valuePx < param::get(p, param::EVAL_BEGIN) || v.valuePx > param::get(p, param::EVAL_END)) return ui::kGrey;
  return v.valuePx < lim.lowerPx || v.valuePx > lim.upperPx ? ui::kRed : ui::kDarkGreen;
}

int DirtLevelOf(int dirtMode, const liverec::LiveValues& v) {
  switch (dirtMode) {
    case 1: return v.dirtFirst;
    case 2: return v.dirtLast;
    case 3: return (v.dirtFirst + v.dirtLast) / 2;
    case 4: return v.videoPeak;
    default: return -1;
  }
}

int AutoThreshold(int percent, int videoPeak) {
  // Both come from the sensor as 16-bit values: their product outgrows int.
  const long long level = static_cast<long long>(percent) * videoPeak / 100;
  return static_cast<int>(std::clamp(level, 100LL, 900LL));
}

std::array<double, 6> RollPoint(const Context& ctx, const liverec::LiveValues& v, int program) {
  const auto& p = ctx.params;
  const int analog = param::get(p, param::ANALOG_MODE);
  double upper, lower, set, value, mx, mn, rangeBegin, rangeEnd;
  if (p.unitMm == 1) {
    const double up = param::rowGet32(p, program, param::ROW_UM_TOLUP), lo = param::rowGet32(p, program, param::ROW_UM_TOLLO);
    upper = (v.setPointUm + up) / 1000.0;
    lower = (v.setPointUm - lo) / 1000.0;
    set = v.setPointUm / 1000.0;
    value = v.valueUm / 1000.0;
    mx = v.maxUm / 1000.0;
    mn = v.minUm / 1000.0;
    rangeBegin = param::get32(p, param::UM_BEGIN) / 1000.0;
    rangeEnd = param::get32(p, param::UM_END) / 1000.0;
  } else {
    const int n = PixelCount(ctx);
    const int s = std::clamp<int>(v.setPointPx == 0 ? 1 : v.setPointPx, 1, n);
    upper = std::min(s + param::rowGet(p, program, param::ROW_UPPER_TOL), n - 1);
    lower = std::max(s - param::rowGet(p, program, param::ROW_LOWER_TOL), 1);
    set = s;
    value = v.valuePx;
    mx = v.maxPx;
    mn = v.minPx;
    rangeBegin = param::get(p, param::EVAL_BEGIN);
    rangeEnd = param::get(p, param::EVAL_END);
  }
  double e1 = value, e2 = value;
  if (analog == 1) {
    e1 = value;
    e2 = mx;
  } else if (analog == 2) {
    e1 = mn == rangeEnd ? rangeBegin : mn;
    e2 = value;
  } else if (analog == 3) {
    e1 = mn;
    e2 = mx;
  }
  if (p.unitMm == 1 && v.valueUm == 0) {
    // No measurement: the trace drops to the axis start instead of 0 mm.
    value = AxisStartMm(ctx);
    e1 = value;
  }
  return {upper, lower, set, value, e1, e2};
}

void RollAppend(std::vector<double>& buffer, const std::array<double, 6>& point) {
  constexpr size_t k = 6;
  if (buffer.size() < k) buffer.assign(k, 0.0);
  buffer.resize(buffer.size() / k * k);
  std::move(buffer.begin() + k, buffer.end(), buffer.begin());
  std::copy(point.begin(), point.end(), buffer.end() - k);
}

}  // namespace bx::liveview
