#include "context/displays.h"

#include "context/context.h"

namespace bx {

void PlotVIDEOCurve(Context& ctx, int row) {
  if (ctx.displays.videoCurve) ctx.displays.videoCurve(ctx, row);
}

void ShowRecorderModeHook(Context& ctx) {
  if (ctx.displays.recorderMode) ctx.displays.recorderMode(ctx);
}

void ShowCalibRecordHook(Context& ctx) {
  if (ctx.displays.calibRecord) ctx.displays.calibRecord(ctx);
}

}  // namespace bx
