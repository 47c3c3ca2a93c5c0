#include "live/live_callbacks.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "context/context.h"
#include "link/report.h"
#include "live/edge_markers.h"
#include "live/live_view.h"
#include "params/bindings.h"
#include "params/fields.h"
#include "params/teach_graphs.h"
#include "params/trigger_modes.h"
#include "params/units.h"

namespace bx {
namespace {

constexpr int kTriggerCursorVideo = 2;  // cursor 3 of the video graph
constexpr int kTriggerCursorRange = 4;  // cursor 5 of the range bar

bool isOn(const Context& ctx, const ui::EventArgs& ev) {
  return ctx.ui.intValue(ui::CtlRef{ev.panel, ev.control}) != 0;
}

double toShown(const Context& ctx, double pixels) {
  return ctx.params.unitMm == 1 ? param::PixelToMm(pixels, UmPerPixel(ctx)) : pixels;
}
int toPixel(const Context& ctx, double shown) {
  return static_cast<int>(std::lround(ctx.params.unitMm == 1 ? shown * 1000.0 / UmPerPixel(ctx) : shown));
}

void placeTriggerCursors(Context& ctx, double shownX) {
  const int fs = ctx.ident.model.videoFullScale;
  if (ctx.ui.valid(ctx.refs.display.videoGraph)) {
    auto& c = ctx.ui.graph(ctx.refs.display.videoGraph).cursors[kTriggerCursorVideo];
    c.x = shownX;
    c.y = fs - 5;
    c.visible = true;
  }
  if (ctx.ui.valid(ctx.refs.display.rangeGraph)) {
    auto& c = ctx.ui.graph(ctx.refs.display.rangeGraph).cursors[kTriggerCursorRange];
    c.x = shownX;
    c.y = 0.8;
    c.visible = true;
  }
}

void fixVideoAxis(Context& ctx) {
  if (!ctx.ui.valid(ctx.refs.display.videoGraph)) return;
  auto& x = ctx.ui.graph(ctx.refs.display.videoGraph).x;
  x.autoscale = false;
  x.min = ctx.params.unitMm == 1 ? 0.0 : 1.0;
  x.max = ctx.params.unitMm == 1 ? ctx.ident.model.workingRangeMm : PixelCount(ctx);
}

// The operator moved a trigger cursor to x (display unit): confirm, then
// take the position or put both cursors back.
void confirmTriggerPosition(Context& ctx, double x) {
  const bool yes = ctx.ui.confirm(Localized(ctx, "A T T E N T I O N !"),
                                  Localized(ctx, "Trigger-Position is changed in PARA2! \nFor activation at the sensor "
                                                 "hardware, please don't forget to push the SEND button."));
  if (!yes) {
    placeTriggerCursors(ctx, toShown(ctx, param::get(ctx.params, param::TRIGGER_PIXEL)));
    return;
  }
  if (ctx.ui.valid(ctx.para.p2.trigPix)) ctx.ui.setValue(ctx.para.p2.trigPix, x);
  PlotTeachTriggerLine(ctx, toPixel(ctx, x));
  placeTriggerCursors(ctx, x);
}

void setToggle(Context& ctx, bool positive, bool on, bool visible) {
  const auto& M = ctx.para.meas;
  const auto& T = ctx.para.teach;
  const std::array<ui::CtlRef, 2> both =
      positive ? std::array<ui::CtlRef, 2>{M.posEdge, T.posEdge} : std::array<ui::CtlRef, 2>{M.negEdge, T.negEdge};
  for (ui::CtlRef r : both) {
    if (!ctx.ui.valid(r)) continue;
    ctx.ui.setValue(r, on ? 1 : 0);
    ctx.ui.setVisible(r, visible);
  }
}

int edgeToggle(Context& ctx, const ui::EventArgs& ev, int sign) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const bool self = sign > 0;
  const bool other = !self;
  if (isOn(ctx, ev)) {
    ctx.live.armedTrigger = sign;
    setToggle(ctx, other, false, false);
    setToggle(ctx, self, true, true);
    if (ctx.run.state == RUN_LOOP) ShowTriggerText(ctx, TriggerText::Waiting);
    fixVideoAxis(ctx);
    placeTriggerCursors(ctx, toShown(ctx, param::get(ctx.params, param::TRIGGER_PIXEL)));
  } else {
    ctx.live.armedTrigger = 0;
    setToggle(ctx, self, false, true);
    ShowTriggerText(ctx, TriggerText::Hidden);
  }
  return 0;
}

}  // namespace

bool PickEdge(const LiveState& live, double x, int& number, int& edgeValue) {
  // Only slots within each list's count are edges; the rest of the merged
  // pairs are left-overs of earlier replies.
  const bool nFirst = live.edgeP.pos[0] > live.edgeN.pos[0];
  const EdgeList& first = nFirst ? live.edgeN : live.edgeP;
  const EdgeList& second = nFirst ? live.edgeP : live.edgeN;
  std::array<int16_t, 32> known{};
  std::array<int, 32> mergedIdx{};
  int count = 0;
  for (int i = 0; i < 32; ++i) {
    const EdgeList& from = i % 2 == 0 ? first : second;
    if (i / 2 >= std::min<int>(from.count, 16)) continue;
    known[static_cast<size_t>(count)] = live.edgesMerged[static_cast<size_t>(i)];
    mergedIdx[static_cast<size_t>(count++)] = i;
  }
  const int k = FindMinDistIdx(known.data(), count, x);
  if (k < 0) return false;
  const int o = mergedIdx[static_cast<size_t>(k)];
  const bool fromN = (o % 2 == 0) == nFirst;
  number = (fromN ? -1 : 1) * (o / 2 + 1);
  edgeValue = known[static_cast<size_t>(k)];
  return true;
}

int CC_GRAPHVideoTeach(Context& ctx, const ui::EventArgs& ev) {
  ui::CtlRef g{ev.panel, ev.control};
  const int row = std::clamp(ctx.params.activeRow, 0, 3);
  const bool twoEdges = param::rowGet(ctx.params, row, param::ROW_EVAL_MODE) != 0;
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    if (ctx.run.state == RUN_LOOP) ctx.run.state = RUN_IDLE;
    ctx.ui.graph(g).cursorCount = twoEdges ? 2 : 1;
    return 0;
  }
  if (ev.event == ui::EVENT_COMMIT) {
    // A cursor moved by hand returns to the edges chosen last.
    PlotTeachRowGraph(ctx, row);
    return 0;
  }
  if (ev.event != ui::EVENT_LEFT_DOUBLE_CLICK) return 0;
  int number = 0, edge = 0;
  if (!PickEdge(ctx.live, ev.data1, number, edge)) return 0;
  const int cursor = ctx.ui.graph(g).activeCursor;
  if (cursor != 1 && cursor != 2) return 0;
  const auto pos = static_cast<uint16_t>(std::clamp(edge * 8, 0, 65535));
  param::rowSet(ctx.params, row, cursor == 1 ? param::ROW_EDGE_A : param::ROW_EDGE_B, static_cast<uint16_t>(number));
  param::rowSet(ctx.params, row, cursor == 1 ? param::ROW_PIXEL_POS_A : param::ROW_PIXEL_POS_B, pos);
  ui::CtlRef table = ctx.para.teach.table;
  if (ctx.ui.valid(table)) {
    auto& t = ctx.ui.table(table);
    if (row < t.rows && t.cols >= param::TC_COUNT) {
      t.at(row, cursor == 1 ? param::TC_EDGE_A : param::TC_EDGE_B).num = number;
      t.at(row, cursor == 1 ? param::TC_POS_A : param::TC_POS_B).num = pos;
    }
  }
  PlotTeachRowGraph(ctx, row);
  return 0;
}

int CC_GRAPHMeasureRange(Context& ctx, const ui::EventArgs& ev) {
  ui::CtlRef g{ev.panel, ev.control};
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    if (ctx.run.state == RUN_LOOP) ctx.run.state = RUN_IDLE;
    return 0;
  }
  if (ev.event != ui::EVENT_VAL_CHANGED && ev.event != ui::EVENT_COMMIT) return 0;
  const int cursor = ev.data1;
  if (cursor < 1 || cursor > 5) return 0;
  auto& graph = ctx.ui.graph(g);
  double x = std::round(graph.cursors[static_cast<size_t>(cursor - 1)].x * 10) / 10;
  const auto& M = ctx.para.meas;
  if (ev.event == ui::EVENT_VAL_CHANGED) {
    if (cursor == 2 && ctx.ui.valid(M.rangeBeg)) ctx.ui.setValue(M.rangeBeg, x);
    if (cursor == 3 && ctx.ui.valid(M.rangeEnd)) ctx.ui.setValue(M.rangeEnd, x);
    return 0;
  }
  const double w = MinRangeWidth(ctx);
  const double begin = ctx.ui.value(M.rangeBeg), end = ctx.ui.value(M.rangeEnd);
  if (cursor == 2) {
    x = std::min(x, end - w);
    ctx.ui.setValue(M.rangeBeg, x);
    RefreshRangeGraph(ctx, x, end, ctx.params.activeRow);
  } else if (cursor == 3) {
    const double axisEnd = ctx.params.unitMm == 1 ? ctx.ident.model.workingRangeMm : PixelCount(ctx);
    x = std::max(std::min(x, axisEnd), begin + w);
    ctx.ui.setValue(M.rangeEnd, x);
    RefreshRangeGraph(ctx, begin, x, ctx.params.activeRow);
  } else if (cursor == 5) {
    confirmTriggerPosition(ctx, graph.cursors[static_cast<size_t>(kTriggerCursorRange)].x);
  }
  return 0;
}

int CC_GRAPHVideo(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT || ev.data1 < 1 || ev.data1 > 5) return 0;
  ui::CtlRef g{ev.panel, ev.control};
  auto& c = ctx.ui.graph(g).cursors[static_cast<size_t>(ev.data1 - 1)];
  c.y = ctx.ident.model.videoFullScale - 5;
  if (ctx.params.unitMm != 1) c.x = std::round(c.x);
  if (ev.data1 == kTriggerCursorVideo + 1) confirmTriggerPosition(ctx, c.x);
  return 0;
}

int CC_TOGGButtonPosEdge(Context& ctx, const ui::EventArgs& ev) { return edgeToggle(ctx, ev, +1); }
int CC_TOGGButtonNegEdge(Context& ctx, const ui::EventArgs& ev) { return edgeToggle(ctx, ev, -1); }

int CC_RINGgraph(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const bool on = isOn(ctx, ev);
  const ui::CtlRef tab = ctx.refs.main.tab;
  const int page = ctx.ui.valid(tab) ? ctx.ui.activePage(tab) : 0;
  if (page != kPageMeasurement && page != kPageTeach && ctx.ui.valid(tab)) ctx.ui.setActivePage(tab, kPageMeasurement);
  ShowGraphView(ctx, on ? 1 : 0);
  if (page != kPageMeasurement || !on || !ctx.ui.valid(ctx.refs.display.videoGraph)) return 0;
  const int trig = param::get(ctx.params, param::INT_TRIGGER_MODE);
  auto& graph = ctx.ui.graph(ctx.refs.display.videoGraph);
  ui::CtlRef pos = ctx.para.meas.posEdge, neg = ctx.para.meas.negEdge;
  if (ctx.ui.valid(pos)) ctx.ui.setVisible(pos, trig == INT_TRIGGER_POSITIVE_EDGE);
  if (ctx.ui.valid(neg)) ctx.ui.setVisible(neg, trig == INT_TRIGGER_NEGATIVE_EDGE);
  if (IsEdgeTrigger(trig)) {
    fixVideoAxis(ctx);
    placeTriggerCursors(ctx, toShown(ctx, param::get(ctx.params, param::TRIGGER_PIXEL)));
  } else {
    graph.cursors[kTriggerCursorVideo].visible = false;
  }
  graph.activeCursor = 1;
  return 0;
}

int CC_TOGGmaxmin(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const bool on = isOn(ctx, ev);
  for (ui::CtlRef r : {ctx.para.meas.maxVal, ctx.para.meas.minVal})
    if (ctx.ui.valid(r)) ctx.ui.setVisible(r, on);
  ctx.app.maxMinState = on ? 1 : 0;
  return 0;
}

int CC_TOGGButtonZoom(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  ui::CtlRef roll = ctx.refs.live.rollGraph;
  if (!ctx.ui.valid(roll)) return 0;
  ctx.ui.strip(roll).y.autoscale = isOn(ctx, ev);
  if (!isOn(ctx, ev)) PrepareLiveAxes(ctx);
  return 0;
}

int CC_GRAPHRaw(Context&, const ui::EventArgs&) { return 0; }  // help only

const ui::CallbackEntry* LiveCallbacks(size_t& count) {
#define BX_CB(name) {#name, &name}
  static const ui::CallbackEntry kTable[] = {
      BX_CB(CC_GRAPHVideoTeach), BX_CB(CC_GRAPHMeasureRange), BX_CB(CC_GRAPHVideo),
      BX_CB(CC_TOGGButtonPosEdge), BX_CB(CC_TOGGButtonNegEdge), BX_CB(CC_RINGgraph),
      BX_CB(CC_TOGGmaxmin), BX_CB(CC_TOGGButtonZoom), BX_CB(CC_GRAPHRaw),
  };
#undef BX_CB
  count = sizeof kTable / sizeof kTable[0];
  return kTable;
}

}  // namespace bx
