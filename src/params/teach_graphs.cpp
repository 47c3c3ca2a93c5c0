#include "params/teach_graphs.h"

#include <algorithm>
#include <vector>

#include "context/context.h"
#include "params/fields.h"
#include "params/units.h"
#include "wire/live_record.h"

namespace bx {
namespace {

constexpr double kMinRangePixels = 10;

void setRect(ui::Plot& r, double x0, double x1, double y0, double y1, ui::Color c, int alpha) {
  r.type = ui::PlotType::Rect;
  r.x = {std::min(x0, x1), std::max(x0, x1)};
  r.y = {y0, y1};
  r.color = c;
  r.filled = true;
  r.alpha = alpha;
}

ui::Plot rectPlot(double x0, double x1, double y0, double y1, ui::Color c, int alpha) {
  ui::Plot r;
  r.type = ui::PlotType::Rect;
  r.x = {std::min(x0, x1), std::max(x0, x1)};
  r.y = {y0, y1};
  r.color = c;
  r.filled = true;
  r.alpha = alpha;
  return r;
}

}  // namespace

void PlotTeachRowGraph(Context& ctx, int row) {
  ui::CtlRef g = ctx.refs.display.teachGraph;
  if (!ctx.ui.valid(g)) return;
  row = std::clamp(row, 0, 3);
  const auto& p = ctx.params;
  auto& graph = ctx.ui.graph(g);
  const int n = PixelCount(ctx);
  const int mode = param::rowGet(p, row, param::ROW_EVAL_MODE);
  const double a = param::rowGet(p, row, param::ROW_PIXEL_POS_A);
  const double b = param::rowGet(p, row, param::ROW_PIXEL_POS_B);

  // The trigger line (the one dashed plot) outlives a redraw of the row.
  std::vector<ui::Plot> keep;
  for (auto& pl : graph.plots)
    if (pl.dashed) keep.push_back(std::move(pl));
  graph.clearPlots();
  ui::Plot video;
  video.color = ui::kRed;
  const auto& xs = ctx.ident.model.samplePixels;
  video.x.assign(xs.begin(), xs.end());
  video.y.assign(ctx.live.video.begin(), ctx.live.video.end());
  graph.plots.push_back(std::move(video));
  ui::Plot thd;
  thd.color = ui::kDarkGreen;
  thd.x.assign(xs.begin(), xs.end());
  if (param::get(p, param::VIDEO_THRESHOLD_MODE) == 1)
    thd.y.assign(ctx.live.thresholdProfile.begin(), ctx.live.thresholdProfile.end());
  else
    thd.y.assign(p.thresholdLine.begin(), p.thresholdLine.end());
  graph.plots.push_back(std::move(thd));

  const bool twoEdges = mode == 1 || mode == 2;
  double from = a, to = b;
  if (!twoEdges) {
    const bool down = param::get(p, param::SEARCH_DIRECTION) != 0;
    from = down ? a : 1;
    to = down ? n : a;
  }
  graph.plots.push_back(rectPlot(from, to, 0, 25, ui::kYellow, 255));
  for (auto& pl : keep) graph.plots.push_back(std::move(pl));
  graph.x.min = 1;
  graph.x.max = n;
  graph.y.min = 0;
  graph.y.max = ctx.ident.model.videoFullScale;
  if (graph.cursorCount >= 1) {
    graph.cursors[0] = ui::Cursor{a, 25, true, true, ui::kBlue};
  }
  if (graph.cursorCount >= 2) {
    graph.cursors[1] = ui::Cursor{b, 25, twoEdges, true, ui::kBlack};
  }
}

void PlotTeachTriggerLine(Context& ctx, int pixel) {
  ui::CtlRef g = ctx.refs.display.teachGraph;
  if (!ctx.ui.valid(g)) return;
  auto& plots = ctx.ui.graph(g).plots;
  // The trigger line is the one dashed plot of the teach graph.
  plots.erase(std::remove_if(plots.begin(), plots.end(), [](const ui::Plot& pl) { return pl.dashed; }), plots.end());
  if (pixel >= 0) {
    ui::Plot line;
    line.dashed = true;
    line.color = ui::kDarkGreen;
    line.x = {static_cast<double>(pixel), static_cast<double>(pixel)};
    line.y = {0, static_cast<double>(ctx.ident.model.videoFullScale)};
    plots.push_back(std::move(line));
  }
}

double MinRangeWidth(const Context& ctx) {
  return ctx.params.unitMm == 1 ? param::PixelToMm(kMinRangePixels, UmPerPixel(ctx)) : kMinRangePixels;
}

void ClampRange(const Context& ctx, double& begin, double& end) {
  if (ctx.params.unitMm == 1) {
    const double len = ctx.ident.model.workingRangeMm, w = MinRangeWidth(ctx);
    // A begin with no room for the minimum width after it goes to the end
    // of the line: the bar shows the whole line out of range rather than a
    // range the operator did not set.
    if (begin < 0) begin = 0;
    else if (begin > len - w) begin = len;
    end = std::clamp(end, std::min(w, len), len);
  } else {
    const double n = PixelCount(ctx);
    begin = std::clamp(begin, 1.0, n);
    end = std::clamp(end, 1.0, n);
  }
}

void RefreshRangeGraph(Context& ctx, double begin, double end, int row, const liverec::LiveValues* live) {
  ui::CtlRef g = ctx.refs.display.rangeGraph;
  if (!ctx.ui.valid(g)) return;
  row = std::clamp(row, 0, 3);
  const auto& p = ctx.params;
  const bool mm = p.unitMm == 1;
  const bool running = ctx.run.state == RUN_LOOP;
  ClampRange(ctx, begin, end);
  const double n = PixelCount(ctx);
  const double len = ctx.ident.model.workingRangeMm;
  double set, lo, hi;
  if (mm) {
    // While running the band sits on the set value the sensor uses.
    const int32_t setUm = running ? (live ? live->setPointUm : frame::gets32(&ctx.live.record[liverec::SET_POINT_UM]))
                                  : param::rowGet32(p, row, param::ROW_UM_TEACH);
    set = param::UmToMm(setUm);
    lo = std::max(0.0, set - param::UmToMm(param::rowGet32(p, row, param::ROW_UM_TOLLO)));
    hi = std::min(set + param::UmToMm(param::rowGet32(p, row, param::ROW_UM_TOLUP)), len);
  } else {
    set = running ? (live ? live->setPointPx : frame::gets16(&ctx.live.record[liverec::SET_POINT_PX]))
                  : param::rowGet(p, row, param::ROW_TEACH_VALUE);
    lo = std::max(set - param::rowGet(p, row, param::ROW_LOWER_TOL), 1.0);
    hi = std::min(set + param::rowGet(p, row, param::ROW_UPPER_TOL), n);
  }
  const double axisStart = mm ? 0.0 : 1.0, axisEnd = mm ? len : n;
  auto& graph = ctx.ui.graph(g);
  graph.y.min = 0;
  graph.y.max = 1;
  size_t used = 0;
  setRect(graph.plotAt(used++), lo, hi, 0, 0.5, ui::kGreen, 255);
  if (begin > axisStart) setRect(graph.plotAt(used++), axisStart, begin, 0, 1, ui::kGrey, 255);
  if (end < axisEnd) setRect(graph.plotAt(used++), end, axisEnd, 0, 1, ui::kGrey, 255);
  graph.keepPlots(used);
  auto cursor = [&](int i, double x, double y, ui::Color c) {
    if (i < graph.cursorCount) graph.cursors[static_cast<size_t>(i)] = ui::Cursor{x, y, true, true, c};
  };
  cursor(1, begin, 0.1, ui::kBlue);
  cursor(2, end, 0.1, ui::kBlue);
  cursor(3, set, 0.1, ui::kBlack);
}

}  // namespace bx
