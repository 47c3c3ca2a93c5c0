#include "calib_pages/calib_pages.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "calib/limits.h"
#include "calib_pages/calib_lock.h"
#include "calib_pages/settings_page.h"
#include "calib_pages/two_point.h"
#include "context/context.h"
#include "link/ownership.h"
#include "link/report.h"
#include "live/live_view.h"
#include "live/run_loop.h"

namespace bx {

namespace {

const CalibStepRefs& steps(const Context& ctx, CalibPage page) {
  return page == CalibPage::Distance ? ctx.refs.calib.distance : ctx.refs.calib.twoPoint;
}

CalibPage pageOf(const Context& ctx, const ui::EventArgs& ev) {
  return ev.panel == ctx.refs.calib.distance.panel ? CalibPage::Distance : CalibPage::TwoPoint;
}

// Slope and offset alike on both pages.
void showFit(Context& ctx, double slope, int32_t offset) {
  for (const CalibPage page : {CalibPage::TwoPoint, CalibPage::Distance}) {
    ctx.ui.setValue(steps(ctx, page).slope, slope);
    ctx.ui.setValue(steps(ctx, page).offset, offset);
  }
}

int32_t offsetOn(Context& ctx, CalibPage page) {
  return static_cast<int32_t>(std::lround(ctx.ui.value(steps(ctx, page).offset)));
}

void clearBoxes(Context& ctx, CalibPage page) {
  for (const ui::CtlRef box : steps(ctx, page).check) ctx.ui.setValue(box, 0);
}

// Live mode as the RUN button starts it.
void startRun(Context& ctx) {
  if (!LinkIdle(ctx)) return;
  PrepareLiveAxes(ctx);
  PushRUN(ctx);
}

// Both pages back to their first step: boxes free and clear, no Accept.
void resetSteps(Context& ctx) {
  auto& pg = ctx.calib.page;
  clearBoxes(ctx, CalibPage::TwoPoint);
  clearBoxes(ctx, CalibPage::Distance);
  pg.stepBox[0] = pg.stepBox[1] = true;
  pg.distBox[0] = pg.distBox[1] = true;
  pg.accept[0] = pg.accept[1] = false;
  pg.distAccept = false;
  ShowCalibStep(ctx, CalibPage::TwoPoint, 0);
  ShowCalibStep(ctx, CalibPage::Distance, 0);
}

// The two boxes of a page exclude each other; the second is tested first.
// Returns the step now selected: 2, 1 or 0 for none.
int selectStep(Context& ctx, CalibPage page, bool (&boxes)[2]) {
  const ui::CtlRef b1 = steps(ctx, page).check[0], b2 = steps(ctx, page).check[1];
  int step = 0;
  if (ctx.ui.intValue(b2) != 0) {
    ctx.ui.setValue(b1, 0);
    step = 2;
  } else if (ctx.ui.intValue(b1) != 0) {
    ctx.ui.setValue(b2, 0);
    step = 1;
  }
  boxes[0] = step != 2;
  boxes[1] = step != 1;
  ShowCalibStep(ctx, page, step);
  return step;
}

int stepBox(Context& ctx, const ui::EventArgs& ev, int own) {
  if (ev.event != ui::EVENT_VAL_CHANGED) return 0;
  // The box keeps what the operator gave it; nothing is sent.
  if (!TwoPointModeAllowed(ctx)) return 0;
  auto& pg = ctx.calib.page;
  const int step = selectStep(ctx, CalibPage::TwoPoint, pg.stepBox);
  pg.accept[0] = step == 1;
  pg.accept[1] = step == 2;
  ShowCalibControls(ctx);
  if (step == own) {
    if (TwoPointStartCalibration(ctx)) startRun(ctx);
  } else {
    TwoPointStopCalibration(ctx);
  }
  return 0;
}

int distanceBox(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_VAL_CHANGED) return 0;
  auto& pg = ctx.calib.page;
  const int step = selectStep(ctx, CalibPage::Distance, pg.distBox);
  pg.distAccept = step != 0;
  ShowCalibControls(ctx);
  // The loop sends the stop and ends itself; setting it stopped at once
  // would end it before the stop is sent.
  if (step == 0)
    TwoPointStopCalibration(ctx);
  else
    startRun(ctx);
  return 0;
}

int accept(Context& ctx, const ui::EventArgs& ev, int own) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const CalibPage page = pageOf(ctx, ev);
  const bool distance = page == CalibPage::Distance;
  // A position of the distance page is point 1.
  const int n = distance ? 1 : own;
  const CalibStepRefs& on = steps(ctx, page);
  const double um = std::max(0.0, ctx.ui.value(on.diameter[n - 1]));
  TwoPointAccept(ctx, n, static_cast<uint32_t>(std::lround(um)));
  const double px = ctx.calib.pointX[n - 1];
  ctx.ui.setValue(on.pixel[n - 1], px);
  auto& pg = ctx.calib.page;
  if (distance) {
    clearBoxes(ctx, CalibPage::Distance);
    pg.distBox[0] = pg.distBox[1] = true;
    pg.distAccept = false;
  } else {
    ctx.ui.setValue(on.check[n - 1], 0);
    pg.stepBox[0] = pg.stepBox[1] = true;
    pg.accept[n - 1] = false;
  }
  ShowCalibStep(ctx, page, 0);
  pg.calc = true;
  ShowCalibControls(ctx);
  return 0;
}

}  // namespace

void ShowCalibStep(Context& ctx, CalibPage page, int step) {
  const CalibStepRefs& on = steps(ctx, page);
  for (int i = 0; i < 3; ++i) {
    ctx.ui.setVisible(on.guide[i], i == step);
    ctx.ui.setVisible(on.picture[i], i == step);  // the two-point page has none
  }
}

int CC_CheckStep1(Context& ctx, const ui::EventArgs& ev) { return stepBox(ctx, ev, 1); }
int CC_CheckStep2(Context& ctx, const ui::EventArgs& ev) { return stepBox(ctx, ev, 2); }
int CC_CheckDistance1(Context& ctx, const ui::EventArgs& ev) { return distanceBox(ctx, ev); }
int CC_CheckDistance2(Context& ctx, const ui::EventArgs& ev) { return distanceBox(ctx, ev); }
int CC_ButtonAcceptObject1(Context& ctx, const ui::EventArgs& ev) { return accept(ctx, ev, 1); }
int CC_ButtonAcceptObject2(Context& ctx, const ui::EventArgs& ev) { return accept(ctx, ev, 2); }

int CC_ButtonCALC(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_LEFT_CLICK && ev.event != ui::EVENT_COMMIT) return 0;
  const CalibPage page = pageOf(ctx, ev);
  // What DISCARD restores: the fields still show it at the release too, so
  // a CALC from the keyboard (no press) captures it as well.
  TwoPointCapturePrevious(ctx, ctx.ui.value(steps(ctx, page).slope), offsetOn(ctx, page));
  if (ev.event != ui::EVENT_COMMIT) return 0;
  auto& pg = ctx.calib.page;
  const bool fitted = TwoPointCalc(ctx);
  if (fitted) showFit(ctx, ctx.calib.fitSlope, ctx.calib.fitOffset);
  // A refused fit leaves nothing new to write.
  pg.write = fitted;
  pg.discard = true;
  pg.calc = false;
  ShowCalibControls(ctx);
  return 0;
}

int CC_ButtonDISCARD(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    ShowStatusText(ctx, "STOP calibration...");
    return 0;
  }
  if (ev.event != ui::EVENT_COMMIT) return 0;
  TwoPointDiscard(ctx);
  showFit(ctx, ctx.calib.fitSlope, ctx.calib.fitOffset);
  resetSteps(ctx);
  ctx.calib.page.calc = false;
  ShowCalibControls(ctx);
  return 0;
}

int CC_WriteXFCALIB(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const CalibPage page = pageOf(ctx, ev);
  const double slope = ctx.ui.value(steps(ctx, page).slope);
  // Checked as typed: a value beyond the offset's field has no int form.
  CalibValues values;
  values.slopeUm = slope;
  values.offsetUm = std::round(ctx.ui.value(steps(ctx, page).offset));
  values.rangeUm = std::round(ctx.ui.value(ctx.refs.calib.range));
  // The record takes the settings page's identity along.
  values.hasIdentity = true;
  values.serial = std::round(ctx.ui.value(ctx.refs.calib.calSerial));
  values.hwType = std::round(ctx.ui.value(ctx.refs.calib.hwTypeDisp));
  if (RefuseCalibValues(ctx, values)) return 0;
  if (!ConfirmCalibWrite(ctx, Localized(ctx, "slope and offset"), values, "")) return 0;
  const int32_t offset = offsetOn(ctx, page);
  CollectCalibRecord(ctx);
  showFit(ctx, slope, offset);
  ctx.ui.setValue(ctx.refs.calib.slope, slope);
  ctx.ui.setValue(ctx.refs.calib.offset, offset);
  TwoPointWrite(ctx, slope, offset);
  resetSteps(ctx);
  ShowCalibControls(ctx);
  return 0;
}

int CC_NUMslope(Context&, const ui::EventArgs&) { return 0; }
int CC_NUMoffset(Context&, const ui::EventArgs&) { return 0; }

}  // namespace bx
