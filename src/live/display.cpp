#include "live/display.h"

#include "context/context.h"
#include "params/fields.h"

namespace bx {

void DrawVideoCurve(Context& ctx, int row) {
  (void)row;
  ui::CtlRef g = ctx.refs.display.videoGraph;
  if (!ctx.ui.valid(g)) return;
  auto& graph = ctx.ui.graph(g);
  const auto& m = ctx.ident.model;
  const auto& xs = ctx.params.unitMm == 1 ? m.sampleMm : m.samplePixels;
  graph.clearPlots();
  ui::Plot video;
  video.color = ui::kRed;
  video.x.assign(xs.begin(), xs.end());
  video.y.resize(256);
  for (size_t i = 0; i < 256; ++i) video.y[i] = ctx.live.video[i];
  graph.plots.push_back(std::move(video));

  ui::Plot thd;
  thd.color = ui::kDarkGreen;
  thd.width = 2;
  thd.x.assign(xs.begin(), xs.end());
  thd.y.resize(256);
  const int mode = param::get(ctx.params, param::VIDEO_THRESHOLD_MODE);
  const int fs = m.videoFullScale;
  for (size_t i = 0; i < 256; ++i) {
    thd.y[i] = mode == 1 ? ctx.live.thresholdProfile[i] : fs * param::get(ctx.params, param::VIDEO_THRESHOLD) / 100;
  }
  graph.plots.push_back(std::move(thd));
  graph.y.min = 0;
  graph.y.max = fs;
  ctx.ui.touch(g);
}

void InstallLiveDisplays(Context& ctx) { ctx.displays.videoCurve = &DrawVideoCurve; }

}  // namespace bx
