#include "recorder/rec_display.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "context/context.h"
#include "link/report.h"
#include "live/frame.h"
#include "live/live_values.h"
#include "live/state_text.h"
#include "params/fields.h"
#include "params/units.h"
#include "recorder/rec_rules.h"
#include "recorder/rec_view.h"

namespace bx {
namespace {

constexpr int kTraces = 4;
constexpr int kPoints = 100;
constexpr double kNoPoint = std::numeric_limits<double>::quiet_NaN();

void setNum(Context& ctx, ui::CtlRef r, double v) {
  if (ctx.ui.valid(r)) ctx.ui.setValue(r, v);
}

void setTxt(Context& ctx, ui::CtlRef r, std::string_view t) {
  if (ctx.ui.valid(r) && ctx.ui.text(r) != t) ctx.ui.setText(r, t);
}

// The program whose limits the recorded value is judged by.
int recordProgram(const Context& ctx) { return std::clamp<int>(param::get(ctx.params, param::EVAL_PROGRAM), 0, 3); }

// The sample as a live record would carry it, with the set value of the
// program's teach row, so the live displays' limit rules apply unchanged.
liverec::LiveValues sampleValues(const Context& ctx) {
  const RecorderSample& s = ctx.recorder.sample;
  const int program = recordProgram(ctx);
  liverec::LiveValues v;
  v.edgeA = s.edgeA;
  v.edgeB = s.edgeB;
  v.valuePx = s.value;
  v.edgeCount = s.edges;
  v.valueUm = s.valueUm;
  v.setPointPx = param::rowGetS(ctx.params, program, param::ROW_TEACH_VALUE);
  v.setPointUm = param::rowGet32(ctx.params, program, param::ROW_UM_TEACH);
  v.program = s.program;
  v.stateCode = s.status;
  return v;
}

double axisTop(const Context& ctx, bool mm) {
  return mm ? std::ceil(ctx.ident.model.workingRangeMm) : PixelCount(ctx);
}

}  // namespace

void ShowRecorderAxis(Context& ctx) {
  const ui::CtlRef g = ctx.refs.rec.recGraph;
  if (!ctx.ui.valid(g)) return;
  const bool mm = ctx.params.unitMm == 1;
  auto& strip = ctx.ui.strip(g);
  // Limits red, set value black, the recorded value blue.
  strip.colors = {ui::kRed, ui::kRed, ui::kBlack, ui::kBlue};
  strip.yCaption = Localized(ctx, "MEASUREMENT-VALUE %1", {mm ? "[mm]" : "[pixel]"});
  strip.y.autoscale = false;
  strip.y.precision = mm ? ctx.ident.model.axisDecimals : 0;
  strip.y.min = mm ? liveview::AxisStartMm(ctx) : 1;
  strip.y.max = axisTop(ctx, mm);
  // The zoom toggle decides only between this fixed range and automatic
  // scaling here; its own fixed range is for when it is switched off.
  const ui::CtlRef zoom = ctx.refs.rec.zoomRec;
  strip.y.autoscale = ctx.ui.valid(zoom) && ctx.ui.intValue(zoom) != 0;
}

void PrepareRecorderChart(Context& ctx) {
  // A new recording takes the chart's place from an opened one.
  CloseOpenedRecording(ctx);
  const ui::CtlRef g = ctx.refs.rec.recGraph;
  if (!ctx.ui.valid(g)) return;
  auto& strip = ctx.ui.strip(g);
  strip.traces = kTraces;
  strip.points = kPoints;
  // Points not yet recorded are gaps, not a line at zero.
  strip.data.assign(static_cast<size_t>(kTraces * kPoints), kNoPoint);
  ctx.recorder.chartPaused = false;
  setNum(ctx, ctx.refs.rec.pause, 0);
  ShowRecorderAxis(ctx);
}

void ApplyRecorderZoom(Context& ctx) {
  const ui::CtlRef g = ctx.refs.rec.recGraph;
  if (!ctx.ui.valid(g)) return;
  const bool mm = ctx.params.unitMm == 1;
  auto& strip = ctx.ui.strip(g);
  const ui::CtlRef zoom = ctx.refs.rec.zoomRec;
  strip.y.autoscale = ctx.ui.valid(zoom) && ctx.ui.intValue(zoom) != 0;
  if (!strip.y.autoscale) {
    strip.y.min = mm ? 1 : 0;
    strip.y.max = axisTop(ctx, mm);
  }
}

LiveFrame RecorderFrame(const Context& ctx) {
  LiveFrame f;
  f.values = sampleValues(ctx);
  return f;
}

void PlotRECGraph(Context& ctx) { PlotRECGraph(ctx, RecorderFrame(ctx)); }

void PlotRECGraph(Context& ctx, const LiveFrame& frame) {
  if (ctx.recorder.chartPaused) return;
  const ui::CtlRef g = ctx.refs.rec.recGraph;
  if (!ctx.ui.valid(g)) return;
  const liverec::LiveValues& v = frame.values;
  const liveview::Limits lim = liveview::LimitsOf(ctx, v, recordProgram(ctx));
  const bool mm = ctx.params.unitMm == 1;
  const double point[kTraces] = {
      mm ? lim.upperUm / 1000.0 : lim.upperPx, mm ? lim.lowerUm / 1000.0 : lim.lowerPx,
      mm ? lim.setUm / 1000.0 : lim.setPx, mm ? v.valueUm / 1000.0 : v.valuePx};
  auto& data = ctx.ui.strip(g).data;
  if (data.size() != static_cast<size_t>(kTraces * kPoints)) data.assign(static_cast<size_t>(kTraces * kPoints), kNoPoint);
  std::copy(data.begin() + kTraces, data.end(), data.begin());
  std::copy(point, point + kTraces, data.end() - kTraces);
}

void PlotVIDEOBarGraphRecord(Context& ctx) { PlotVIDEOBarGraphRecord(ctx, RecorderFrame(ctx)); }

void PlotVIDEOBarGraphRecord(Context& ctx, const LiveFrame& frame) {
  const liverec::LiveValues& v = frame.values;
  const liveview::Limits lim = liveview::LimitsOf(ctx, v, recordProgram(ctx));
  const bool outside = v.valueUm < lim.lowerUm || v.valueUm > lim.upperUm;
  const ui::Color bg = outside ? ui::kRed : ui::kDarkGreen;
  int code = v.stateCode;
  if (code > 15 || code < -6) code = 0;
  const std::string state = Localized(ctx, StateCodeText(code));
  const auto& R = ctx.refs.rec;
  const auto& L = ctx.refs.live;
  struct Fields {
    ui::CtlRef px, mm, edges, program, state;
  };
  // The recorder page's own fields and the measurement page's.
  for (const Fields& f : {Fields{R.recVal, R.recMm, R.recEdges, R.recProg, R.recState},
                          Fields{L.valuePx, L.valueMm, L.edgeCount, L.program, L.stateText}}) {
    setNum(ctx, f.px, v.valuePx);
    setNum(ctx, f.mm, v.valueUm / 1000.0);
    setNum(ctx, f.edges, v.edgeCount);
    setNum(ctx, f.program, v.program);
    setTxt(ctx, f.state, state);
    for (ui::CtlRef r : {f.px, f.mm})
      if (ctx.ui.valid(r)) ctx.ui.setBgColor(r, bg);
  }
  setNum(ctx, L.edgeA, v.edgeA);
  setNum(ctx, L.edgeB, v.edgeB);
}

void CalcRecTime(Context& ctx, long seconds) {
  const recorder::Duration d = recorder::SplitDuration(seconds);
  setNum(ctx, ctx.refs.rec.days, static_cast<double>(d.days));
  setNum(ctx, ctx.refs.rec.hours, static_cast<double>(d.hours));
  setNum(ctx, ctx.refs.rec.minutes, static_cast<double>(d.minutes));
  setNum(ctx, ctx.refs.rec.seconds, static_cast<double>(d.seconds));
}

void ShowRecorderStatus(Context& ctx, std::string_view english, ui::Color colour) {
  const ui::CtlRef r = ctx.refs.rec.recStatus;
  if (!ctx.ui.valid(r)) return;
  setTxt(ctx, r, ctx.app.texts.message(english));
  ctx.ui.setTextColor(r, colour);
}

void SetInputLamp(Context& ctx, bool on) { setNum(ctx, ctx.refs.live.in0, on ? 1 : 0); }

void ShowRecordingStart(Context& ctx, const char* date, const char* time) {
  setTxt(ctx, ctx.refs.rec.recDate, date);
  setTxt(ctx, ctx.refs.rec.recTime, time);
}

void ShowSampleCounter(Context& ctx, int counter) { setNum(ctx, ctx.refs.rec.recCount, counter); }

}  // namespace bx
