#include "live/display.h"

#include "context/context.h"
#include "live/edge_markers.h"

namespace bx {

void DrawVideoCurve(Context& ctx, int row) {
  PlotEdgeGraph(ctx, row, 0, DrawVideoFrame(ctx, 0, ctx.live.video));
}

void InstallLiveDisplays(Context& ctx) { ctx.displays.videoCurve = &DrawVideoCurve; }

}  // namespace bx
