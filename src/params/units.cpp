#include "params/units.h"

#include <cmath>
#include <limits>

#include "context/context.h"
#include "context/scope_hooks.h"
#include "params/bindings.h"
#include "params/compare_window.h"
#include "params/fields.h"
#include "params/panel_values.h"
#include "params/sanitise.h"
#include "params/teach_graphs.h"
#include "params/transfer.h"

namespace bx {
namespace param {

double TruncEntry(double x) {
  if (!std::isfinite(x)) return 0;
  const double eps = 1e-9 * std::max(1.0, std::fabs(x));
  return std::trunc(x + (x >= 0 ? eps : -eps));
}

uint16_t ToField16(double x) {
  double t = TruncEntry(x);
  if (t < 0) return 0;
  if (t > 65535) return 65535;
  return static_cast<uint16_t>(t);
}

namespace {
int32_t limit32(double t) {
  if (!std::isfinite(t)) return 0;
  if (t < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (t > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(t);
}
}  // namespace

int32_t ToField32(double x) { return limit32(TruncEntry(x)); }
int32_t RoundField32(double x) { return limit32(std::round(x)); }

uint16_t MmToPixelField(double mm, double s) { return ToField16(mm * 1000.0 / s); }
int32_t MmToUmField(double mm) { return RoundField32(mm * 1000.0); }
int32_t PixelToUmField(double pixels, double s) { return RoundField32(pixels * s); }

}  // namespace param

double UmPerPixel(const Context& ctx) {
  double s = ctx.ident.model.umPerPixel;
  return std::isfinite(s) && s > 0 ? s : 1.0;
}

int PixelCount(const Context& ctx) { return ctx.ident.hw.pixelCount > 0 ? ctx.ident.hw.pixelCount : 1; }

namespace {

void setAxis(Context& ctx, ui::CtlRef g, double min, double max, int precision, const char* unit) {
  if (!ctx.ui.valid(g)) return;
  auto& ax = ctx.ui.graph(g).x;
  ax.min = min;
  ax.max = max;
  ax.precision = precision;
  ax.unit = unit;
}

}  // namespace

void SwitchMMPixel(Context& ctx, int unit) {
  auto& p = ctx.params;
  auto& ui = ctx.ui;
  const auto& m = ctx.ident.model;
  const auto& R = ctx.para;
  const bool mm = unit == 1;
  const int n = PixelCount(ctx);
  p.unitMm = mm ? 1 : 0;

  if (mm) {
    setAxis(ctx, ctx.refs.display.videoGraph, 0, m.workingRangeMm, m.axisDecimals, "mm");
    setAxis(ctx, ctx.refs.display.rangeGraph, 0, m.workingRangeMm, m.axisDecimals, "mm");
  } else {
    setAxis(ctx, ctx.refs.display.videoGraph, 1, n, 0, "pixel");
    setAxis(ctx, ctx.refs.display.rangeGraph, 1, n, 0, "pixel");
  }
  ui.setText(R.meas.unitLabel, mm ? "[mm]" : "[pix]");
  ui.setText(R.meas.videoUnit, mm ? "[mm]" : "[pixel]");

  const int prec = mm ? m.displayPrecision : 0;
  const double step = mm ? m.mmStep : 1.0;
  for (ui::CtlRef f : {R.meas.teachVal, R.meas.tolUp, R.meas.tolLo, R.meas.rangeBeg, R.meas.rangeEnd}) {
    ui.setPrecision(f, prec);
  }
  for (ui::CtlRef f : {R.meas.teachVal, R.meas.tolUp, R.meas.tolLo, R.p2.trigPix}) ui.setStep(f, step);
  ui.setStep(R.meas.rangeBeg, mm ? 5 * m.mmStep : 1.0);
  ui.setStep(R.meas.rangeEnd, step);
  ui.setPrecision(R.p2.trigPix, mm ? 1 : 0);
  if (ui.valid(R.teach.table)) {
    auto& t = ui.table(R.teach.table);
    for (const param::ColumnBinding& c : param::TeachColumns())
      if (c.conv == param::CellConv::Position && c.col < static_cast<int>(t.colPrecision.size()))
        t.colPrecision[static_cast<size_t>(c.col)] = prec;
  }

  param::RefreshWorkingValues(p);
  for (const param::FieldBinding& b : param::ParamBindings())
    if (b.conv == param::Conv::Position) param::ShowField(ctx, b);
  SetTableValues(ctx);
  RefreshRangeGraph(ctx, ui.value(R.meas.rangeBeg), ui.value(R.meas.rangeEnd), p.activeRow);
  RedrawScope(ctx);
  RefreshCompareWindow(ctx);
  // The calibration settings page shows the evaluation range in this unit too.
  ShowCalibSettingsCopies(ctx);
}

}  // namespace bx
