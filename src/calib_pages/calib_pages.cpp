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

constexpr const char* kTwoPoint = "TAB_2P";
constexpr const char* kDistance = "TAB_DIST";

ui::CtlRef ctl(Context& ctx, const char* page, const char* name) { return ctx.ui.find(page, name); }

const char* pageOf(Context& ctx, const ui::EventArgs& ev) {
  return ev.panel == ctx.ui.findPanel(kDistance) ? kDistance : kTwoPoint;
}

// Slope and offset alike on both pages.
void showFit(Context& ctx, double slope, int32_t offset) {
  for (const char* page : {kTwoPoint, kDistance}) {
    ctx.ui.setValue(ctl(ctx, page, "SLOPE"), slope);
    ctx.ui.setValue(ctl(ctx, page, "OFFSET"), offset);
  }
}

int32_t offsetOn(Context& ctx, const char* page) {
  return static_cast<int32_t>(std::lround(ctx.ui.value(ctl(ctx, page, "OFFSET"))));
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
  for (const char* box : {"CHECKSTEP1", "CHECKSTEP2"}) ctx.ui.setValue(ctl(ctx, kTwoPoint, box), 0);
  for (const char* box : {"CHECKDIST1", "CHECKDIST2"}) ctx.ui.setValue(ctl(ctx, kDistance, box), 0);
  pg.stepBox[0] = pg.stepBox[1] = true;
  pg.distBox[0] = pg.distBox[1] = true;
  pg.accept[0] = pg.accept[1] = false;
  pg.distAccept = false;
  ShowCalibStep(ctx, kTwoPoint, 0);
  ShowCalibStep(ctx, kDistance, 0);
}

// The two boxes of a page exclude each other; the second is tested first.
// Returns the step now selected: 2, 1 or 0 for none.
int selectStep(Context& ctx, const char* page, const char* box1, const char* box2, bool (&boxes)[2]) {
  const ui::CtlRef b1 = ctl(ctx, page, box1), b2 = ctl(ctx, page, box2);
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
  const int step = selectStep(ctx, kTwoPoint, "CHECKSTEP1", "CHECKSTEP2", pg.stepBox);
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
  const int step = selectStep(ctx, kDistance, "CHECKDIST1", "CHECKDIST2", pg.distBox);
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
  const char* page = pageOf(ctx, ev);
  const bool distance = page == kDistance;
  // A position of the distance page is point 1.
  const int n = distance ? 1 : own;
  const char* diameterField = distance ? "DIAMETER" : (n == 1 ? "DIAMETER1" : "DIAMETER2");
  const double um = std::max(0.0, ctx.ui.value(ctl(ctx, page, diameterField)));
  TwoPointAccept(ctx, n, static_cast<uint32_t>(std::lround(um)));
  const double px = ctx.calib.pointX[n - 1];
  ctx.ui.setValue(ctl(ctx, page, distance ? "PIXEL" : (n == 1 ? "PIXEL1" : "PIXEL2")), px);
  auto& pg = ctx.calib.page;
  if (distance) {
    for (const char* box : {"CHECKDIST1", "CHECKDIST2"}) ctx.ui.setValue(ctl(ctx, kDistance, box), 0);
    pg.distBox[0] = pg.distBox[1] = true;
    pg.distAccept = false;
  } else {
    ctx.ui.setValue(ctl(ctx, kTwoPoint, n == 1 ? "CHECKSTEP1" : "CHECKSTEP2"), 0);
    pg.stepBox[0] = pg.stepBox[1] = true;
    pg.accept[n - 1] = false;
  }
  ShowCalibStep(ctx, page, 0);
  pg.calc = true;
  ShowCalibControls(ctx);
  return 0;
}

}  // namespace

void ShowCalibStep(Context& ctx, const char* page, int step) {
  static const char* const kGuides[] = {"GUIDE", "GUIDE1", "GUIDE2"};
  static const char* const kPictures[] = {"PICTURE", "PICTURE1", "PICTURE2"};
  for (int i = 0; i < 3; ++i) {
    ctx.ui.setVisible(ctl(ctx, page, kGuides[i]), i == step);
    ctx.ui.setVisible(ctl(ctx, page, kPictures[i]), i == step);
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
  const char* page = pageOf(ctx, ev);
  // What DISCARD restores: the fields still show it at the release too, so
  // a CALC from the keyboard (no press) captures it as well.
  TwoPointCapturePrevious(ctx, ctx.ui.value(ctl(ctx, page, "SLOPE")), offsetOn(ctx, page));
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
  const char* page = pageOf(ctx, ev);
  const double slope = ctx.ui.value(ctl(ctx, page, "SLOPE"));
  // Checked as typed: a value beyond the offset's field has no int form.
  CalibValues values;
  values.slopeUm = slope;
  values.offsetUm = std::round(ctx.ui.value(ctl(ctx, page, "OFFSET")));
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
