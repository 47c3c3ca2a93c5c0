#include "scope/view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "context/context.h"
#include "link/report.h"
#include "live/live_values.h"
#include "params/fields.h"
#include "params/trigger_modes.h"
#include "params/units.h"
#include "ui/refs.h"

namespace bx {
namespace {

// From this sample period on the time axis counts seconds.
constexpr double kSecondsFromMs = 8.0;
constexpr int kTriggerCursor = 3;

const ui::Color kLimitGreen{0, 128, 0};
const ui::Color kTraceColours[scoperec::kDigitalLines] = {
    {0, 128, 0}, {255, 255, 0}, {255, 0, 255}, {128, 128, 128}, {0, 0, 128}};

double shownValue(const Context& ctx, uint32_t um) {
  if (ctx.params.unitMm == 1) return um / 1000.0;
  return um / UmPerPixel(ctx);
}

void setLine(ui::Plot& p, double y, ui::Color c, bool dashed) {
  p.type = ui::PlotType::Line;
  p.x.resize(scoperec::kSamples);
  p.y.assign(scoperec::kSamples, y);
  for (int i = 0; i < scoperec::kSamples; ++i) p.x[static_cast<size_t>(i)] = i;
  p.color = c;
  p.dashed = dashed;
}

}  // namespace

bool ResolveScopeRefs(Context& ctx, std::vector<std::string>& missing) {
  auto& r = ctx.scope.refs;
  const ui::RefSpec specs[] = {
      {"SCOPE", "TRIGMODE", &r.trigMode},     {"SCOPE", "TRIGLEVEL", &r.trigLevel},
      {"SCOPE", "PRETRIGGER", &r.pretrigger}, {"SCOPE", "SCANRATE", &r.scanRate},
      {"SCOPE", "REFRESH", &r.refresh},       {"SCOPE", "PRINT", &r.print},
      {"SCOPE", "COMMENT", &r.comment},       {"SCOPE", "DELTAX", &r.deltaX},
      {"SCOPE", "DELTAY", &r.deltaY},         {"SCOPE", "WAITTEXT", &r.waitText},
      {"SCOPE", "SCOPEGRAPH", &r.graph},      {"SCOPE", "DIGIGRAPH", &r.digiGraph},
      {"SCOPE", "SAMPLERATE", &r.sampleRate}, {"SCOPE", "SAMPLEPERIOD", &r.samplePeriod},
  };
  const size_t before = missing.size();
  ui::resolveRefs(ctx.ui, specs, std::size(specs), missing);
  r.resolved = missing.size() == before;
  return r.resolved;
}

scoperec::Settings ReadScopeSettings(Context& ctx) {
  const auto& r = ctx.scope.refs;
  scoperec::Settings s;
  s.triggerMode = static_cast<uint16_t>(std::clamp(ctx.ui.intValue(r.trigMode), 0, 3));
  s.triggerLevel = static_cast<uint16_t>(std::clamp(ctx.ui.intValue(r.trigLevel), 0, 100));
  s.pretrigger = static_cast<uint16_t>(std::clamp(ctx.ui.intValue(r.pretrigger), 0, scoperec::kSamples - 1));
  s.scanRate = static_cast<uint16_t>(std::clamp(ctx.ui.intValue(r.scanRate), 1, 65535));
  return s;
}

void SetScopeTimeAxis(Context& ctx, double periodMs) {
  const bool seconds = periodMs >= kSecondsFromMs;
  for (ui::CtlRef g : {ctx.scope.refs.graph, ctx.scope.refs.digiGraph}) {
    if (!ctx.ui.valid(g)) continue;
    auto& axis = ctx.ui.graph(g).x;
    axis.min = 0;
    axis.max = scoperec::kSamples - 1;
    axis.precision = seconds ? 2 : 0;
    axis.caption = Localized(ctx, seconds ? "Time [sec]" : "Time [ms]");
    axis.gain = seconds ? periodMs / 1000.0 : periodMs;
  }
}

void PrepareScopeAxes(Context& ctx) {
  ui::CtlRef g = ctx.scope.refs.graph;
  if (!ctx.ui.valid(g)) return;
  const bool mm = ctx.params.unitMm == 1;
  auto& y = ctx.ui.graph(g).y;
  y.min = mm ? liveview::AxisStartMm(ctx) : 0;
  y.max = mm ? std::ceil(ctx.ident.model.workingRangeMm) : PixelCount(ctx);
  y.precision = mm ? ctx.ident.model.axisDecimals : 0;
  y.caption = Localized(ctx, "MEASUREMENT-VALUE %1", {mm ? "[mm]" : "[pixel]"});
  ui::CtlRef d = ctx.scope.refs.digiGraph;
  if (ctx.ui.valid(d)) {
    auto& dy = ctx.ui.graph(d).y;
    dy.min = 0;
    dy.max = 2.0 * scoperec::kDigitalLines;
  }
}

double TriggerMarkerPosition(const Context& ctx, int levelPercent) {
  if (ctx.params.unitMm == 1) {
    const double start = liveview::AxisStartMm(ctx);
    return start + (ctx.ident.model.workingRangeMm - start) * levelPercent / 100.0;
  }
  return static_cast<double>(PixelCount(ctx) * levelPercent / 100);
}

void PlaceTriggerMarker(Context& ctx, int levelPercent) {
  ui::CtlRef g = ctx.scope.refs.graph;
  if (!ctx.ui.valid(g)) return;
  auto& graph = ctx.ui.graph(g);
  if (graph.cursorCount < kTriggerCursor) return;
  auto& c = graph.cursors[kTriggerCursor - 1];
  c.x = 1;
  c.y = TriggerMarkerPosition(ctx, levelPercent);
  c.visible = true;
  c.selectable = false;
  c.color = ui::kBlue;
}

void calcScopDeltaXY(Context& ctx) {
  const auto& r = ctx.scope.refs;
  if (!ctx.ui.valid(r.graph)) return;
  const scoperec::Settings s = ReadScopeSettings(ctx);
  auto& graph = ctx.ui.graph(r.graph);
  const ui::Cursor c1 = graph.cursors[0], c2 = graph.cursors[1];
  if (ctx.ui.valid(r.digiGraph)) {
    auto& digi = ctx.ui.graph(r.digiGraph);
    digi.cursors[0].x = c1.x;
    digi.cursors[1].x = c2.x;
    digi.cursors[0].y = digi.cursors[1].y = 0;
  }
  PlaceTriggerMarker(ctx, s.triggerLevel);
  const double dxMs = std::fabs(c1.x - c2.x) * ctx.scope.periodMs;
  // Up to a second stays in milliseconds; beyond it seconds.
  const bool seconds = dxMs > 1000.0;
  ctx.ui.setLabel(r.deltaX, seconds ? "Delta-X[sec]" : "Delta-X[ms]");
  ctx.ui.setPrecision(r.deltaX, seconds ? 2 : 0);
  ctx.ui.setValue(r.deltaX, seconds ? dxMs / 1000.0 : dxMs);
  ctx.ui.setPrecision(r.deltaY, ctx.params.unitMm == 1 ? 3 : 0);
  ctx.ui.setValue(r.deltaY, std::fabs(c1.y - c2.y));
}

int ScopeProgram(const Context& ctx, uint32_t firstSample) {
  const int mode = param::get(ctx.params, param::EXT_TRIGGER_MODE);
  int program = param::get(ctx.params, param::EVAL_PROGRAM);
  if (mode == EXT_TRIGGER_SELECT_PROG2) program = static_cast<int>((firstSample >> 24) & 1u);
  if (mode == EXT_TRIGGER_SELECT_PROG4) program = static_cast<int>((firstSample >> 24) & 3u);
  return std::clamp(program, 0, 3);
}

void PlotScopeRecord(Context& ctx) {
  const auto& r = ctx.scope.refs;
  const auto& samples = ctx.scope.samples;
  const auto& p = ctx.params;
  double set = 0, upper = 0, lower = 0;
  if (p.unitMm == 1) {
    // In double: set-point and tolerances are whole 32-bit fields of the
    // parameter set, and their sum may not fit one.
    const double teach = param::get32(p, param::UM_TEACH);
    upper = (teach + param::get32(p, param::UM_TOLUP)) / 1000.0;
    lower = (teach - param::get32(p, param::UM_TOLLO)) / 1000.0;
    set = teach / 1000.0;
  } else {
    const int program = ScopeProgram(ctx, samples[0]);
    const int teach = param::rowGet(p, program, param::ROW_TEACH_VALUE);
    upper = teach + param::rowGet(p, program, param::ROW_UPPER_TOL);
    lower = teach - param::rowGet(p, program, param::ROW_LOWER_TOL);
    set = teach;
  }
  if (ctx.ui.valid(r.graph)) {
    auto& g = ctx.ui.graph(r.graph);
    g.clearPlots();
    ui::Plot& values = g.plotAt(0);
    values.x.resize(scoperec::kSamples);
    values.y.resize(scoperec::kSamples);
    for (int i = 0; i < scoperec::kSamples; ++i) {
      const auto k = static_cast<size_t>(i);
      values.x[k] = i;
      values.y[k] = shownValue(ctx, scoperec::decodeSample(samples[k]).valueUm);
    }
    values.color = ui::kRed;
    setLine(g.plotAt(1), set, ui::kBlack, true);
    setLine(g.plotAt(2), upper, kLimitGreen, false);
    setLine(g.plotAt(3), lower, kLimitGreen, false);
  }
  if (ctx.ui.valid(r.digiGraph)) {
    auto& d = ctx.ui.graph(r.digiGraph);
    d.clearPlots();
    for (int line = 0; line < scoperec::kDigitalLines; ++line) {
      ui::Plot& t = d.plotAt(static_cast<size_t>(line));
      t.type = ui::PlotType::Steps;
      t.x.resize(scoperec::kSamples);
      t.y.resize(scoperec::kSamples);
      for (int i = 0; i < scoperec::kSamples; ++i) {
        const auto k = static_cast<size_t>(i);
        t.x[k] = i;
        t.y[k] = digitalTraceY(line, scoperec::decodeSample(samples[k]).line[static_cast<size_t>(line)]);
      }
      t.color = kTraceColours[line];
      t.width = 2;
    }
  }
  PlaceTriggerMarker(ctx, ReadScopeSettings(ctx).triggerLevel);
}

}  // namespace bx
