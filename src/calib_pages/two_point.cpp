#include "calib_pages/two_point.h"

#include <cmath>

#include "calib/backup.h"
#include "calib/fit.h"
#include "wire/calib_record.h"
#include "calib_pages/record_binding.h"
#include "calib/xflash_record.h"
#include "commands/commands.h"
#include "context/context.h"
#include "link/ownership.h"
#include "link/report.h"
#include "params/fields.h"
#include "wire/calib_record.h"
#include "wire/frame_format.h"
#include "wire/live_record.h"

namespace bx {

bool TwoPointModeAllowed(Context& ctx) {
  if (frame::get16(&ctx.params.set[param::EVAL_MODE]) == kEvalModeDistance) return true;
  ctx.ui.message(Localized(ctx, "A T T E N T I O N !"),
                 Localized(ctx,
                           "Start of the 2-point calibration not possible! \n"
                           "Please activate EVALMODE == DISTANCE in TEACH-TABLE row !"));
  return false;
}

bool TwoPointStartCalibration(Context& ctx) {
  ctx.run.pending.set(PENDING_STOP_CALIB, false);
  bool ok = false;
  PerformOrLeavePending(ctx, PENDING_START_CALIB, [&] { ok = CalibrationCommand(ctx, 1); });
  return ok;
}

void TwoPointStopCalibration(Context& ctx) {
  ctx.run.pending.set(PENDING_START_CALIB, false);
  PerformOrLeavePending(ctx, PENDING_STOP_CALIB, [&] { CalibrationCommand(ctx, 0); });
}

bool TwoPointStartStep(Context& ctx) {
  if (!TwoPointModeAllowed(ctx)) return false;
  TwoPointStartCalibration(ctx);
  return true;
}

void TwoPointAccept(Context& ctx, int n, uint32_t diameterUm) {
  auto& c = ctx.calib;
  const int i = n == 2 ? 1 : 0;
  c.pointX[i] = liverec::decode(ctx.live.record).valuePx;
  c.pointY[i] = diameterUm;
  c.accepted[i] = true;
  TwoPointStopCalibration(ctx);
}

void TwoPointCapturePrevious(Context& ctx, double slope, int32_t offset) {
  ctx.calib.prevSlope = slope;
  ctx.calib.prevOffset = offset;
}

bool TwoPointCalc(Context& ctx) {
  auto& c = ctx.calib;
  if (c.accepted[1] && !c.accepted[0]) {
    c.pointX[0] = 0;
    c.pointY[0] = 0;
  } else if (!c.accepted[1]) {
    // One object only (or none): the line goes through the origin.
    c.pointX[1] = c.pointX[0];
    c.pointY[1] = c.pointY[0];
    c.pointX[0] = 0;
    c.pointY[0] = 0;
  }
  c.accepted[0] = c.accepted[1] = false;
  LineFit fit;
  if (!FitLine(c.pointX, c.pointY, 2, fit)) {
    ShowStatusText(ctx, "CALC refused: both objects have the same pixel value!");
    return false;
  }
  c.fitSlope = fit.slope;
  c.fitOffset = static_cast<int32_t>(std::lround(fit.offset));
  return true;
}

void TwoPointDiscard(Context& ctx) {
  ctx.calib.accepted[0] = ctx.calib.accepted[1] = false;
  ctx.calib.fitSlope = ctx.calib.prevSlope;
  ctx.calib.fitOffset = ctx.calib.prevOffset;
  TwoPointStopCalibration(ctx);
}

void TwoPointWrite(Context& ctx, double slope, int32_t offset) {
  CalibRecord& r = ctx.calib.record;
  calib::setField32(r, calib::OFF_SLOPE, static_cast<uint32_t>(calib::StoredSlope(r, slope)));
  calib::setField32(r, calib::OFF_OFFSET, static_cast<uint32_t>(offset));
  ctx.calib.backupDue = true;
  PerformOrLeavePending(ctx, PENDING_SAVE_CALIB, [&] {
    if (TakeDueCalibBackup(ctx) && CalibrationCommand(ctx, 2, calib::slopeX16384(ctx.calib.record), calib::offsetUm(ctx.calib.record)))
      NoteCalibLineSaved(ctx);
  });
}

}  // namespace bx
