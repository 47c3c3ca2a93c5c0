#include "live/edge_markers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "context/context.h"
#include "params/fields.h"
#include "params/trigger_modes.h"
#include "params/units.h"

namespace bx {
namespace {

int slot(const EdgeList& l, int i) { return l.pos[static_cast<size_t>(std::clamp(i, 0, 15))]; }
int firstOf(const EdgeList& l) { return slot(l, 0); }
// The last edge by the list's count; an empty list has none, slot 0 stands in.
int lastOf(const EdgeList& l) { return slot(l, std::min<int>(l.count, 16) - 1); }

int edgeByNumber(int n, const EdgeList& p, const EdgeList& nl) {
  const int k = std::min(std::abs(n), 16);
  return n < 0 ? slot(nl, k - 1) : slot(p, k - 1);
}

}  // namespace

int FindMinDistIdx(const int16_t* merged, int count, double x) {
  if (merged == nullptr || count <= 0) return -1;
  int best = 0;
  double bestDist = std::abs(merged[0] - x / 8.0);
  for (int i = 1; i < count; ++i) {
    const double d = std::abs(merged[i] - x / 8.0);
    if (d < bestDist) {
      bestDist = d;
      best = i;
    }
  }
  return best;
}

EdgeNumbers DeriveEdgeNumbers(int intTriggerMode, int rowA, int rowB, const EdgeList& p, const EdgeList& n) {
  EdgeNumbers e{rowA, rowB, rowB};
  const int sN = slot(n, 15), sP = slot(p, 15);
  if (intTriggerMode == INT_TRIGGER_POSITIVE_EDGE) {
    e.a = rowA < 0 ? -sN - rowA - 1 : rowA == 0 ? -sN : sN - rowA;
    e.b = sP;
    e.shownB = sP;
  } else if (intTriggerMode == INT_TRIGGER_NEGATIVE_EDGE) {
    e.a = rowA < 0 ? -sP - rowA : rowA == 0 ? sP : sP - rowA + 1;
    e.b = -sN;
    e.shownB = sN;
  }
  return e;
}

EdgeMarkers SelectEdgeMarkers(int a, int b, bool twoEdges, int searchDirection, const EdgeList& p,
                              const EdgeList& n) {
  const bool down = searchDirection != 0;
  if (!down && a == 0 && (p.count == 0 || n.count == 0)) {
    const int only = p.count == 0 ? firstOf(n) : firstOf(p);
    return {only, only};
  }
  const int firstMin = std::min(firstOf(p), firstOf(n)), firstMax = std::max(firstOf(p), firstOf(n));
  const int lastMin = std::min(lastOf(p), lastOf(n)), lastMax = std::max(lastOf(p), lastOf(n));
  if (!twoEdges) {
    const int e = a != 0 ? edgeByNumber(a, p, n) : down ? firstMax : firstMin;
    return {e, e};
  }
  if (a == 0 && b == 0) return down ? EdgeMarkers{lastMin, firstMax} : EdgeMarkers{firstMin, lastMax};
  if (a == 0) return down ? EdgeMarkers{edgeByNumber(b, p, n), firstMax} : EdgeMarkers{firstMin, edgeByNumber(b, p, n)};
  if (b == 0) return {edgeByNumber(a, p, n), down ? firstMax : lastMax};
  return {edgeByNumber(a, p, n), edgeByNumber(b, p, n)};
}

void PlotEdgeGraph(Context& ctx, int program, int page, size_t slot) {
  const bool teach = page == kPageTeach;
  ui::CtlRef g = teach ? ctx.refs.display.teachGraph : ctx.refs.display.videoGraph;
  if (!ctx.ui.valid(g)) return;
  const auto& pr = ctx.params;
  program = std::clamp(program, 0, 3);
  const int trig = param::get(pr, param::INT_TRIGGER_MODE);
  const EdgeNumbers nums = DeriveEdgeNumbers(trig, param::rowGetS(pr, program, param::ROW_EDGE_A),
                                             param::rowGetS(pr, program, param::ROW_EDGE_B), ctx.live.edgeP,
                                             ctx.live.edgeN);
  if (IsEdgeTrigger(trig) && ctx.ui.valid(ctx.para.sum.edges)) {
    // The edge numbers field of the summary shows the derived numbers.
    char text[32];
    std::snprintf(text, sizeof text, "%d # %d", nums.a, nums.shownB);
    if (ctx.ui.text(ctx.para.sum.edges) != text) ctx.ui.setText(ctx.para.sum.edges, text);
  }
  const bool twoEdges = param::rowGet(pr, program, param::ROW_EVAL_MODE) != 0;
  const int dir = param::get(pr, param::SEARCH_DIRECTION);
  const EdgeMarkers m = SelectEdgeMarkers(nums.a, nums.b, twoEdges, dir, ctx.live.edgeP, ctx.live.edgeN);

  const int r = std::clamp<int>(param::get(pr, param::CCD_OPERATION_MODE), 0, 7);
  const bool mm = !teach && pr.unitMm == 1;
  const int n = PixelCount(ctx);
  auto shown = [&](int edge) {
    double px = static_cast<double>(edge) * 8 * (1 << r);
    if (mm) return param::PixelToMm(px, UmPerPixel(ctx));
    return px == 0 ? 1.0 : px;
  };
  const double xa = shown(m.first);
  const double xb = twoEdges ? shown(m.second) : xa;
  const double axisStart = mm ? 0.0 : 1.0;
  const double axisEnd = mm ? ctx.ident.model.workingRangeMm : n;
  const double height = teach ? 25.0 : ctx.ident.model.videoFullScale / 40.0;
  double from = xa, to = xb;
  if (!twoEdges) {
    from = dir != 0 ? xa : axisStart;
    to = dir != 0 ? axisEnd : xa;
  }
  auto& graph = ctx.ui.graph(g);
  const size_t at = std::min(slot, graph.plots.size());
  ui::Plot& bar = graph.plotAt(at);
  bar.type = ui::PlotType::Rect;
  bar.x = {std::min(from, to), std::max(from, to)};
  bar.y = {teach ? 0.0 : 1.0, height};
  bar.color = ui::kYellow;
  bar.filled = true;
  graph.keepPlots(at + 1);
  if (graph.cursorCount >= 1) graph.cursors[0] = ui::Cursor{xa, height, true, true, ui::kBlue};
  if (graph.cursorCount >= 2) graph.cursors[1] = ui::Cursor{xb, height, true, true, ui::kBlack};
}

}  // namespace bx
