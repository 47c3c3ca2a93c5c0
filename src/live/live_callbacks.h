#pragma once
// Operator actions on the live graphs and their toggles: edge picking in
// the teach video graph, the range and trigger cursors, the edge-trigger
// toggles, the graph, zoom and max/min toggles.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include <cstddef>

#include "live/state.h"
#include "ui/ui.h"

namespace bx {
struct Context;

const ui::CallbackEntry* LiveCallbacks(size_t& count);

// The edge nearest to x (pixels) among the known edges, as the signed edge
// number (+ list P, - list N) and its edge value. False when no edge is
// known.
bool PickEdge(const LiveState& live, double x, int& number, int& edgeValue);

int CC_GRAPHVideoTeach(Context& ctx, const ui::EventArgs& ev);
int CC_GRAPHMeasureRange(Context& ctx, const ui::EventArgs& ev);
int CC_GRAPHVideo(Context& ctx, const ui::EventArgs& ev);
int CC_TOGGButtonPosEdge(Context& ctx, const ui::EventArgs& ev);
int CC_TOGGButtonNegEdge(Context& ctx, const ui::EventArgs& ev);
int CC_RINGgraph(Context& ctx, const ui::EventArgs& ev);
int CC_TOGGmaxmin(Context& ctx, const ui::EventArgs& ev);
int CC_TOGGButtonZoom(Context& ctx, const ui::EventArgs& ev);
int CC_GRAPHRaw(Context& ctx, const ui::EventArgs& ev);

}  // namespace bx
