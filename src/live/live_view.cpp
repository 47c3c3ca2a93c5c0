// The live displays the run loop calls every cycle: value fields, state
// text, lamps, range bar, video graphs and the roll graph. They only write
// the panel model; the front-end repaints from it at its own pace.
#include "live/live_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "context/context.h"
#include "link/report.h"
#include "live/display.h"
#include "live/edge_markers.h"
#include "live/frame.h"
#include "live/live_values.h"
#include "live/state_text.h"
#include "params/fields.h"
#include "params/teach_graphs.h"
#include "params/trigger_modes.h"
#include "params/units.h"
#include "wire/live_record.h"

namespace bx {
namespace {

constexpr ui::Color kOutsideRange{192, 192, 192};
constexpr ui::Color kShade{225, 225, 225};

using LiveFields = LiveRefs;

void setNum(Context& ctx, ui::CtlRef r, double v) {
  if (ctx.ui.valid(r)) ctx.ui.setValue(r, v);
}
void setTxt(Context& ctx, ui::CtlRef r, const std::string& t) {
  if (ctx.ui.valid(r) && ctx.ui.text(r) != t) ctx.ui.setText(r, t);
}
void setLamp(Context& ctx, ui::CtlRef r, bool on) { setNum(ctx, r, on ? 1 : 0); }

const std::string& stateTextOf(Context& ctx, int code) {
  auto& memo = ctx.live.stateTextMemo;
  if (memo.language != ctx.app.language || memo.code != code) {
    memo.text = Localized(ctx, StateCodeText(code));
    memo.code = code;
    memo.language = ctx.app.language;
  }
  return memo.text;
}

void drawRangeBar(Context& ctx, const liverec::LiveValues& v, int program) {
  const auto& p = ctx.params;
  double begin = param::get(p, param::EVAL_BEGIN), end = param::get(p, param::EVAL_END);
  if (p.unitMm == 1) {
    begin = param::PixelToMm(begin, UmPerPixel(ctx));
    end = param::PixelToMm(end, UmPerPixel(ctx));
  }
  RefreshRangeGraph(ctx, begin, end, program, &v);
  // The measured value, cursor 1.
  ui::CtlRef g = ctx.refs.display.rangeGraph;
  if (!ctx.ui.valid(g)) return;
  auto& graph = ctx.ui.graph(g);
  const double x = p.unitMm == 1 ? param::PixelToMm(v.valuePx, UmPerPixel(ctx)) : std::max<int>(v.valuePx, 1);
  if (graph.cursorCount >= 1) graph.cursors[0] = ui::Cursor{x, 0.5, true, false, ui::kRed};
  if (graph.cursorCount >= 4) graph.cursors[3].x = liveview::LiveSetPosition(ctx, v);
}

// The fields that show the last live record's values.
std::array<ui::CtlRef, 11> valueFields(const LiveFields& f) {
  return {f.edgeA, f.edgeB, f.valuePx, f.valueMm, f.edgeCount, f.program, f.maxVal, f.minVal, f.peak, f.livePower,
          f.trigCount};
}

void refreshValues(Context& ctx, const LiveFrame& frame, bool armed) {
  const liverec::LiveValues& v = frame.values;
  const LiveFields& f = ctx.refs.live;
  const auto& p = ctx.params;
  const bool mm = p.unitMm == 1;

  for (ui::CtlRef r : valueFields(f)) ctx.ui.setDimmed(r, false);
  SetLiveDisplaysStale(ctx, false);
  setNum(ctx, f.edgeA, v.edgeA);
  setNum(ctx, f.edgeB, v.edgeB);
  setTxt(ctx, f.scanRate, ScanRateText(v.cycleUs));
  setTxt(ctx, f.toolRate, RateText(ctx.live.toolCycleHz));

  const int code = ShownStateCode(ctx, v);
  setTxt(ctx, f.stateText, stateTextOf(ctx, code));
  if (ctx.ui.valid(f.stateText)) {
    ctx.ui.setTextColor(f.stateText, code < 0 ? ui::kWhite : ui::kBlack);
    ctx.ui.setBgColor(f.stateText, code < 0 ? ui::kRed : ui::kWhite);
  }

  const int trig = param::get(p, param::INT_TRIGGER_MODE);
  const bool counterShown = armed || IsEdgeTrigger(trig);
  setNum(ctx, f.trigCount, counterShown ? v.triggerCount : v.triggerLevel);

  const int program = LiveProgram(ctx, v);
  const liveview::Limits lim = liveview::LimitsOf(ctx, v, program);
  setNum(ctx, f.teachVal, lim.setShown);
  setNum(ctx, f.tolUp, lim.tolUpShown);
  setNum(ctx, f.tolLo, lim.tolLoShown);
  setNum(ctx, f.maxVal, mm ? v.maxUm / 1000.0 : v.maxPx);
  setNum(ctx, f.minVal, mm ? v.minUm / 1000.0 : v.minPx);
  const int fs = std::max(ctx.ident.model.videoFullScale, 1);
  setNum(ctx, f.peak, v.videoPeak * 100 / fs);
  const int powerMode = param::get(p, param::POWER_MODE);
  // The regulated quantity is read-only on the power panel and follows the
  // sensor; exposure is shown in ms.
  if (powerMode == 1) {
    setNum(ctx, f.livePower, v.laserPower);
    setNum(ctx, ctx.para.p1.power, v.laserPower);
  }
  if (powerMode == 2) {
    const double ms = std::round(v.exposure10us / 10.0) / 10.0;
    setNum(ctx, f.livePower, ms);
    setNum(ctx, ctx.para.p1.expose, ms);
  }

  if (armed) return;
  setNum(ctx, f.valuePx, v.valuePx);
  setNum(ctx, f.valueMm, v.valueUm / 1000.0);
  setNum(ctx, f.edgeCount, v.edgeCount);
  setNum(ctx, f.program, v.program);
  setLamp(ctx, f.in0, v.inputs == 1 || v.inputs == 3);
  setLamp(ctx, f.in1, v.inputs == 2 || v.inputs == 3);
  if (trig == 1 || trig == 2) setLamp(ctx, f.trigLamp, param::get(p, param::TRIGGER_PIXEL) < v.triggerLevel);
  if (trig == INT_TRIGGER_POSITIVE_EDGE) setLamp(ctx, f.trigLamp, v.stateCode == liverec::kStatePositiveTriggerEdge);
  if (trig == INT_TRIGGER_NEGATIVE_EDGE) setLamp(ctx, f.trigLamp, v.stateCode == liverec::kStateNegativeTriggerEdge);
  const int dirt = liveview::DirtLevelOf(param::get(p, param::DIRT_DETECT_MODE), v);
  if (dirt >= 0) setLamp(ctx, f.dirtLamp, dirt < p.dirtLevel);

  const ui::Color bg = liveview::ValueColour(ctx, v, lim);
  for (ui::CtlRef r : {f.valuePx, f.valueMm}) {
    if (!ctx.ui.valid(r)) continue;
    ctx.ui.setBgColor(r, bg);
    ctx.ui.setTextColor(r, bg == ui::kRed || bg == ui::kDarkGreen ? ui::kWhite : ui::kBlack);
  }
  drawRangeBar(ctx, v, program);
}

void shadeOutside(ui::GraphModel& graph, size_t& used, double axisStart, double begin, double end, double axisEnd,
                  double top) {
  for (auto [x0, x1] : {std::pair{axisStart, begin}, std::pair{end, axisEnd}}) {
    if (x1 <= x0) continue;
    ui::Plot& r = graph.plotAt(used++);
    r.type = ui::PlotType::Rect;
    r.x = {x0, x1};
    r.y = {0, top};
    r.color = kShade;
    r.filled = true;
    r.alpha = 128;
  }
}

ui::Plot& curve(ui::GraphModel& graph, size_t& used, const std::array<double, 256>& xs, ui::Color c) {
  ui::Plot& pl = graph.plotAt(used++);
  pl.color = c;
  pl.x.assign(xs.begin(), xs.end());
  pl.y.resize(256);
  return pl;
}

}  // namespace

size_t DrawVideoFrame(Context& ctx, int page, const std::array<uint16_t, 256>& samples, int videoPeak) {
  const bool teach = page == kPageTeach;
  ui::CtlRef g = teach ? ctx.refs.display.teachGraph : ctx.refs.display.videoGraph;
  if (!ctx.ui.valid(g)) return 0;
  const auto& p = ctx.params;
  const auto& m = ctx.ident.model;
  const bool mm = !teach && p.unitMm == 1;
  const auto& xs = mm ? m.sampleMm : m.samplePixels;
  const int fs = m.videoFullScale;
  auto& graph = ctx.ui.graph(g);
  size_t used = 0;
  // Plot 0 is the profile and plot 1 the threshold: the threshold slider
  // previews by rewriting plot 1.
  ui::Plot& video = curve(graph, used, xs, ui::kRed);
  for (size_t i = 0; i < 256; ++i) video.y[i] = samples[i];

  ui::Plot& thd = curve(graph, used, xs, ui::kDarkGreen);
  const int mode = param::get(p, param::VIDEO_THRESHOLD_MODE);
  thd.width = mode == 2 ? 1 : 2;
  const int flat = liveview::AutoThreshold(param::get(p, param::VIDEO_THRESHOLD), videoPeak);
  for (size_t i = 0; i < 256; ++i)
    thd.y[i] = mode == 0 ? p.thresholdLine[i] : mode == 1 ? ctx.live.thresholdProfile[i] : flat;

  const double s = UmPerPixel(ctx);
  double begin = param::get(p, param::EVAL_BEGIN), end = param::get(p, param::EVAL_END);
  const double axisStart = mm ? 0.0 : 1.0;
  double axisEnd = PixelCount(ctx);
  if (mm) {
    begin = param::PixelToMm(begin, s);
    end = param::PixelToMm(end, s);
    axisEnd = m.workingRangeMm;
  }
  shadeOutside(graph, used, axisStart, begin, end, axisEnd, fs);

  if (param::get(p, param::DIRT_DETECT_MODE) != 0) {
    ui::Plot& dirt = curve(graph, used, xs, ui::kBlack);
    dirt.dashed = true;
    for (size_t i = 0; i < 256; ++i) dirt.y[i] = p.dirtLine[i];
  }
  const int trig = param::get(p, param::INT_TRIGGER_MODE);
  if (teach && IsEdgeTrigger(trig)) {
    ui::Plot& line = graph.plotAt(used++);
    line.color = ui::kDarkGreen;
    line.dashed = true;  // the teach graph keeps its one dashed plot as the trigger line
    const double x = param::get(p, param::TRIGGER_PIXEL);
    line.x = {x, x};
    line.y = {0, static_cast<double>(fs - 1)};
  }
  graph.y.min = 0;
  graph.y.max = fs;
  return used;
}

void PlotVIDEOBarGraph(Context& ctx, const LiveFrame& frame) { refreshValues(ctx, frame, false); }
void PlotVIDEOBarGraph(Context& ctx) { PlotVIDEOBarGraph(ctx, DecodeLiveFrame(ctx.live)); }

void RelocalizeStateText(Context& ctx, const LanguageData& oldTexts) {
  const LiveFields& f = ctx.refs.live;
  if (!ctx.ui.valid(f.stateText)) return;
  const std::string shown = ctx.ui.text(f.stateText);
  for (int code = -6; code <= 15; ++code)
    if (shown == oldTexts.message(StateCodeText(code))) {
      setTxt(ctx, f.stateText, Localized(ctx, StateCodeText(code)));
      return;
    }
  // The teach result shares the field.
  if (shown == oldTexts.message("TEACH OK")) setTxt(ctx, f.stateText, Localized(ctx, "TEACH OK"));
}

void SetLiveDisplaysStale(Context& ctx, bool stale) {
  if (ctx.live.displaysStale == stale) return;
  ctx.live.displaysStale = stale;
  const LiveFields& f = ctx.refs.live;
  // The state text keeps its own colours: "COM ERR" says why the rest is old.
  for (ui::CtlRef r : valueFields(f)) ctx.ui.setStale(r, stale);
  for (ui::CtlRef r : {f.in0, f.in1, f.trigLamp, f.dirtLamp, f.rollGraph, f.scanRate, f.toolRate, f.teachVal, f.tolUp,
                       f.tolLo})
    ctx.ui.setStale(r, stale);
  const DisplayRefs& d = ctx.refs.display;
  for (ui::CtlRef r : {d.videoGraph, d.teachGraph, d.rangeGraph}) ctx.ui.setStale(r, stale);
}

void ShowLiveValuesStale(Context& ctx) {
  const LiveFields& f = ctx.refs.live;
  for (ui::CtlRef r : valueFields(f)) ctx.ui.setDimmed(r, true);
  constexpr int kComError = -6;
  setTxt(ctx, f.stateText, Localized(ctx, StateCodeText(kComError)));
  if (ctx.ui.valid(f.stateText)) {
    ctx.ui.setTextColor(f.stateText, ui::kWhite);
    ctx.ui.setBgColor(f.stateText, ui::kRed);
  }
}

void PlotVIDEOBarGraphTrigger(Context& ctx, const LiveFrame& frame) { refreshValues(ctx, frame, true); }
void PlotVIDEOBarGraphTrigger(Context& ctx) { PlotVIDEOBarGraphTrigger(ctx, DecodeLiveFrame(ctx.live)); }

void PlotLiveVideo(Context& ctx, const LiveFrame& frame, int page, bool triggered) {
  const int row = ctx.params.activeRow;
  const size_t used = DrawVideoFrame(ctx, page, triggered ? *frame.triggeredVideo : *frame.video, frame.values.videoPeak);
  const int program = page == kPageTeach ? row : LiveProgram(ctx, frame.values);
  PlotEdgeGraph(ctx, program, page, used);
}
void PlotLiveVideo(Context& ctx, int page, bool triggered) {
  PlotLiveVideo(ctx, DecodeLiveFrame(ctx.live), page, triggered);
}

void PlotRAWGraph(Context& ctx, const LiveFrame& frame) {
  ui::CtlRef g = ctx.refs.live.rollGraph;
  if (!ctx.ui.valid(g)) return;
  const liverec::LiveValues& v = frame.values;
  auto& strip = ctx.ui.strip(g);
  const std::array<double, 6> point = liveview::RollPoint(ctx, v, LiveProgram(ctx, v));
  liveview::RollAppend(strip.data, point);
  const bool mm = ctx.params.unitMm == 1;
  ui::CtlRef zoom = ctx.refs.live.zoom;
  strip.y.autoscale = ctx.ui.valid(zoom) && ctx.ui.intValue(zoom) != 0;
  strip.y.precision = mm ? ctx.ident.model.axisDecimals : 0;
  if (!strip.y.autoscale) {
    strip.y.min = mm ? liveview::AxisStartMm(ctx) : 0;
    strip.y.max = mm ? std::ceil(ctx.ident.model.workingRangeMm) : PixelCount(ctx);
  }
}
void PlotRAWGraph(Context& ctx) { PlotRAWGraph(ctx, DecodeLiveFrame(ctx.live)); }

void ShowTriggerText(Context& ctx, TriggerText text) {
  const std::string t = text == TriggerText::Waiting     ? Localized(ctx, "WAITING FOR TRIGGER ...")
                        : text == TriggerText::Triggered ? Localized(ctx, "TRIGGERED!")
                                                         : "";
  for (ui::CtlRef r : {ctx.refs.live.trigText, ctx.refs.live.teachTrigText}) {
    if (!ctx.ui.valid(r)) continue;
    setTxt(ctx, r, t);
    ctx.ui.setVisible(r, text != TriggerText::Hidden);
  }
}

void ShowGraphView(Context& ctx, int graphSwitch) {
  ctx.live.graphSwitch = graphSwitch != 0 ? 1 : 0;
  const bool video = ctx.live.graphSwitch == 1;
  ui::CtlRef roll = ctx.refs.live.rollGraph, zoom = ctx.refs.live.zoom;
  if (ctx.ui.valid(ctx.refs.display.videoGraph)) ctx.ui.setVisible(ctx.refs.display.videoGraph, video);
  if (ctx.ui.valid(roll)) ctx.ui.setVisible(roll, !video);
  if (ctx.ui.valid(zoom)) ctx.ui.setVisible(zoom, !video);
  if (ctx.ui.valid(ctx.refs.display.teachGraph)) ctx.ui.setDimmed(ctx.refs.display.teachGraph, !video);
}

void PrepareLiveAxes(Context& ctx) {
  const bool mm = ctx.params.unitMm == 1;
  const auto& m = ctx.ident.model;
  ui::CtlRef roll = ctx.refs.live.rollGraph;
  if (ctx.ui.valid(roll)) {
    auto& strip = ctx.ui.strip(roll);
    strip.yCaption = Localized(ctx, "MEASUREMENT-VALUE %1", {mm ? "[mm]" : "[pixel]"});
    strip.y.precision = mm ? m.axisDecimals : 0;
    // Limits red, set value black, the value blue, the analog extras green
    // and magenta.
    strip.colors = {ui::kRed, ui::kRed, ui::kBlack, ui::kBlue, ui::kDarkGreen, ui::Color{255, 0, 255}};
    strip.y.min = mm ? liveview::AxisStartMm(ctx) : 0;
    strip.y.max = mm ? std::ceil(m.workingRangeMm) : PixelCount(ctx);
  }
  ui::CtlRef g = ctx.refs.display.videoGraph;
  if (ctx.ui.valid(g)) {
    auto& graph = ctx.ui.graph(g);
    graph.x.min = mm ? 0.0 : 1.0;
    graph.x.max = mm ? m.workingRangeMm : PixelCount(ctx);
    graph.x.precision = mm ? m.axisDecimals : 0;
    graph.x.unit = mm ? "mm" : "pixel";
    graph.y.min = 0;
    graph.y.max = m.videoFullScale;
  }
}

void ShowLineTestAnswer(Context& ctx) {
  ctx.ui.setValue(ctx.refs.main.testField, static_cast<int16_t>(ctx.link.hdr.param));
}

}  // namespace bx
