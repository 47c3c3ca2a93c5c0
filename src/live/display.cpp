#include "live/display.h"

#include "context/context.h"
#include "live/edge_markers.h"
#include "live/frame.h"

namespace bx {

void DrawVideoCurve(Context& ctx, int row) {
  const LiveFrame frame = DecodeLiveFrame(ctx.live);
  PlotEdgeGraph(ctx, row, 0, DrawVideoFrame(ctx, 0, *frame.video, frame.values.videoPeak));
}

void InstallLiveDisplays(Context& ctx) { ctx.displays.videoCurve = &DrawVideoCurve; }

}  // namespace bx
