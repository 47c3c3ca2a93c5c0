#include "params/rules.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "commands/commands.h"
#include "context/context.h"
#include "context/displays.h"
#include "link/events.h"
#include "link/exchange.h"
#include "link/ownership.h"
#include "link/report.h"
#include "context/displays.h"
#include "params/bindings.h"
#include "params/fields.h"
#include "params/panel_values.h"
#include "params/sanitise.h"
#include "params/teach_graphs.h"
#include "params/trigger_modes.h"
#include "params/units.h"
#include "wire/orders.h"

namespace bx {
namespace param {

const char* RuleText(RuleMsg m) {
  switch (m) {
    case RuleMsg::TrigOff:
      return "PARA2: \nINTERNAL TRIGGER-MODE will be DISABLED !";
    case RuleMsg::DirtOff:
      return "PARA2: \nINTERNAL DIRT-DETECTION-MODE will be DISABLED !";
    case RuleMsg::BothOff:
      return "PARA2: \nINTERNAL TRIGGER-MODE and DIRT-DETECTION will be DISABLED !";
    case RuleMsg::TrigOn:
      return "PARA2: \nINTERNAL TRIGGER-MODE will be ENABLED !";
    case RuleMsg::DirtOn:
      return "PARA2: \nINTERNAL DIRT-DETECTION-MODE will be ENABLED !";
    case RuleMsg::BothOn:
      return "PARA2: \nINTERNAL TRIGGER-MODE and DIRT-DETECTION will be ENABLED !";
    case RuleMsg::OutPlusOk:
      return "PARA1: \nDIGITAL-OUTPUT-MODE mode is set to [-]OUT0, [+]OUT1, [OK]OUT2 !";
    case RuleMsg::OutPlusTrg:
      return "PARA1: \nDIGITAL-OUTPUT-MODE mode is set to [-]OUT0, [+]OUT1, [TRG]OUT2 !";
    case RuleMsg::OutPlusDrt:
      return "PARA1: \nDIGITAL-OUTPUT-MODE mode is set to [-]OUT0, [+]OUT1, [DRT]OUT2 !";
    case RuleMsg::OutOkDrtTrg:
      return "PARA1: \nDIGITAL-OUTPUT-MODE mode is set to [OK]OUT0, [DRT]OUT1, [TRG]OUT2 !";
    case RuleMsg::OutMinusPlus:
      return "PARA1: \nDIGITAL-OUTPUT-MODE mode is set to [-]OUT0, [+]OUT1 !";
    case RuleMsg::OutTrgOk:
      return "PARA1: \nDIGITAL-OUTPUT-MODE mode is set to [TRG]OUT0, [OK]OUT1 !";
    case RuleMsg::OutDrtOk:
      return "PARA1: \nDIGITAL-OUTPUT-MODE mode is set to [DRT]OUT0, [OK]OUT1 !";
    case RuleMsg::OutDrtTrg:
      return "PARA1: \nDIGITAL-OUTPUT-MODE mode is set to [DRT]OUT0, [TRG]OUT1 !";
    case RuleMsg::None:
      break;
  }
  return "";
}

const char* ConfirmTitle() { return "A T T E N T I O N  -  C O N F I R M  !"; }
const char* InfoTitle() { return "I n f o !"; }

OutModeDecision DecideOutMode(int cfg, int m, bool t, bool d) {
  using R = RuleMsg;
  auto make = [](R q, int setT, int setD, int no) { return OutModeDecision{q, setT, setD, no}; };
  if (cfg == 3) {
    switch (m) {
      case 0:
        if (t && !d) return make(R::TrigOff, 0, -1, 1);
        if (!t && d) return make(R::DirtOff, -1, 0, 2);
        if (t && d) return make(R::BothOff, 0, 0, 3);
        break;
      case 1:
        if (!t && !d) return make(R::TrigOn, 1, -1, 0);
        if (!t && d) return make(R::TrigOn, 1, 0, 2);
        break;
      case 2:
        if (!t && !d) return make(R::DirtOn, -1, 1, 0);
        if (t && !d) return make(R::DirtOn, 0, 1, 1);
        break;
      case 3:
        if (!t && !d) return make(R::BothOn, 1, 1, 0);
        break;
      default:
        break;
    }
  } else if (cfg == 4) {
    switch (m) {
      case 0:
      case 1:
      case 2:
        if (t && !d) return make(R::TrigOff, 0, -1, 3);
        if (!t && d) return make(R::DirtOff, -1, 0, 4);
        if (t && d) return make(R::BothOff, 0, 0, 5);
        break;
      case 3:
        if (!t && !d) return make(R::TrigOn, 1, -1, 0);
        if (t && d) return make(R::DirtOff, -1, 0, 5);
        if (!t && d) return make(R::DirtOff, 1, 0, 4);
        break;
      case 4:
        if (t && d) return make(R::TrigOff, 0, -1, 5);
        if (!t && !d) return make(R::DirtOn, 0, 1, 0);
        if (t && !d) return make(R::DirtOn, 0, 1, 3);
        break;
      case 5:
        if (!t && !d) return make(R::BothOn, 1, 1, 0);
        if (t && !d) return make(R::BothOn, 1, 1, 3);
        if (!t && d) return make(R::BothOn, 1, 1, 4);
        break;
      default:
        break;
    }
  }
  return OutModeDecision{};
}

}  // namespace param

namespace {

using namespace param;

bool confirm(Context& ctx, RuleMsg m) { return ctx.ui.confirm(Localized(ctx, ConfirmTitle()), Localized(ctx, RuleText(m))); }
void inform(Context& ctx, RuleMsg m) { ctx.ui.message(InfoTitle(), Localized(ctx, RuleText(m))); }

int outConfig(const Context& ctx) { return ctx.ident.model.outputConfig; }

void showLamps(Context& ctx, bool trig, bool dirt) {
  ctx.ui.setDimmed(ctx.para.meas.trigLamp, !trig);
  ctx.ui.setDimmed(ctx.para.meas.trigCount, !trig);
  ctx.ui.setDimmed(ctx.para.meas.dirtLamp, !dirt);
}

int rowMode(const Context& ctx, int row) {
  const auto t = ctx.para.teach.table;
  if (!ctx.ui.valid(t) || ctx.ui.at(t).table.rows <= row || ctx.ui.at(t).table.cols < param::TC_COUNT) return 0;
  return static_cast<int>(ctx.ui.at(t).table.at(row, param::TC_MODE).num);
}

}  // namespace

void SetEdgeBForTrigger(Context& ctx, int row, int t) {
  const auto tr = ctx.para.teach.table;
  if (!ctx.ui.valid(tr) || ctx.ui.at(tr).table.cols < param::TC_COUNT) return;
  auto& cell = ctx.ui.table(tr).at(std::clamp(row, 0, param::kTeachRows - 1), param::TC_EDGE_B);
  if (IsEdgeTrigger(t)) {
    cell.num = t == INT_TRIGGER_POSITIVE_EDGE ? 1 : -1;
    cell.readOnly = true;
  } else {
    cell.num = 0;
    cell.readOnly = rowMode(ctx, row) == 0;
  }
  param::rowSet(ctx.params, row, ROW_EDGE_B, static_cast<uint16_t>(static_cast<int16_t>(cell.num)));
}

int CC_HelpOnly(Context&, const ui::EventArgs&) { return 0; }

int CC_DROPoutmode(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_VAL_CHANGED) return 0;
  auto& ui = ctx.ui;
  const auto outR = ctx.refs.choice.outMode, trigR = ctx.refs.choice.intTrig, dirtR = ctx.para.p2.dirtMode;
  const int m = ui.intValue(outR);
  const bool t = ui.intValue(trigR) != 0, d = ui.intValue(dirtR) != 0;
  const OutModeDecision dec = DecideOutMode(outConfig(ctx), m, t, d);
  if (dec.question == RuleMsg::None) return 0;
  if (confirm(ctx, dec.question)) {
    if (dec.setT >= 0) ui.setValue(trigR, dec.setT);
    if (dec.setD >= 0) ui.setValue(dirtR, dec.setD);
    showLamps(ctx, ui.intValue(trigR) != 0, ui.intValue(dirtR) != 0);
  } else {
    ui.setValue(outR, dec.noMode);
  }
  return 0;
}

int CC_DROPIntTrigMode(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_VAL_CHANGED) return 0;
  auto& ui = ctx.ui;
  const auto outR = ctx.refs.choice.outMode, trigR = ctx.refs.choice.intTrig;
  const int cfg = outConfig(ctx);
  int t = ui.intValue(trigR);
  const int m = ui.intValue(outR);
  const bool d = ui.intValue(ctx.para.p2.dirtMode) != 0;
  if (t == 0) {
    if (cfg == 3) ui.setValue(outR, d ? 2 : 0);
    if (cfg == 4) ui.setValue(outR, d ? 4 : 0);
  } else {
    RuleMsg q = RuleMsg::None;
    int yes = m;
    if (cfg == 3 && m == 0) q = RuleMsg::OutPlusTrg, yes = 1;
    if (cfg == 3 && m == 2) q = RuleMsg::OutOkDrtTrg, yes = 3;
    if (cfg == 4 && m <= 2) q = RuleMsg::OutTrgOk, yes = 3;
    if (cfg == 4 && m == 4) q = RuleMsg::OutDrtTrg, yes = 5;
    if (q != RuleMsg::None) {
      if (confirm(ctx, q)) {
        ui.setValue(outR, yes);
      } else {
        t = 0;
        ui.setValue(trigR, 0);
      }
    }
  }
  param::set(ctx.params, INT_TRIGGER_MODE, static_cast<uint16_t>(std::clamp(t, 0, 4)));
  SetEdgeBForTrigger(ctx, ActiveRow(ctx), t);
  if (IsEdgeTrigger(t)) ui.setValue(ctx.para.p1.searchDir, 0);
  ApplyTriggerControls(ctx, t);
  return 0;
}

int CC_DROPDirtMode(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_VAL_CHANGED) return 0;
  auto& ui = ctx.ui;
  const auto outR = ctx.refs.choice.outMode, dirtR = ctx.para.p2.dirtMode;
  const int cfg = outConfig(ctx);
  const int d = ui.intValue(dirtR);
  const int m = ui.intValue(outR);
  const bool t = ui.intValue(ctx.refs.choice.intTrig) != 0;
  if (d == 0) {
    ui.setDimmed(ctx.para.meas.dirtLamp, true);
    if (cfg != 3 && cfg != 4) return 0;
    if (!t) {
      inform(ctx, cfg == 3 ? RuleMsg::OutPlusOk : RuleMsg::OutMinusPlus);
      ui.setValue(outR, 0);
    } else {
      inform(ctx, cfg == 3 ? RuleMsg::OutPlusTrg : RuleMsg::OutTrgOk);
      ui.setValue(outR, cfg == 3 ? 1 : 3);
    }
    return 0;
  }
  ui.setDimmed(ctx.para.meas.dirtLamp, false);
  RuleMsg q = RuleMsg::None;
  int yes = m;
  if (cfg == 3 && m == 0) q = RuleMsg::OutPlusDrt, yes = 2;
  if (cfg == 3 && m == 1) q = RuleMsg::OutOkDrtTrg, yes = 3;
  if (cfg == 4 && m <= 2) q = RuleMsg::OutDrtOk, yes = 4;
  if (cfg == 4 && m == 3) q = RuleMsg::OutDrtTrg, yes = 5;
  if (q == RuleMsg::None) return 0;
  if (confirm(ctx, q)) {
    ui.setValue(outR, yes);
  } else {
    ui.setValue(dirtR, 0);
    ui.setDimmed(ctx.para.meas.dirtLamp, true);
  }
  return 0;
}

int CC_NUMTrigThreshold(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  auto& ui = ctx.ui;
  const int t = ui.intValue(ctx.refs.choice.intTrig);
  if (t != 3 && t != 4) return 0;
  const double v = ui.value(ctx.para.p2.trigPix);
  const double px = ctx.params.unitMm == 1 ? v * 1000.0 / UmPerPixel(ctx) : v;
  const int pixel = std::isfinite(px) ? static_cast<int>(std::clamp(std::round(px), 0.0, 65535.0)) : 0;
  PlotTeachTriggerLine(ctx, pixel);
  const int armed = ctx.live.armedTrigger;
  if ((t == 3 && armed == 1) || (t == 4 && armed == -1)) {
    const double x = ctx.params.unitMm == 1 ? PixelToMm(pixel, UmPerPixel(ctx)) : pixel;
    for (auto [g, idx] : {std::pair{ctx.refs.display.videoGraph, 2}, std::pair{ctx.refs.display.rangeGraph, 4}}) {
      if (!ui.valid(g) || ui.graph(g).cursorCount <= idx) continue;
      ui.graph(g).cursors[static_cast<size_t>(idx)].x = x;
    }
  }
  return 0;
}

int CC_NUMDirtThreshold(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  auto& ui = ctx.ui;
  double v = ui.value(ctx.para.p2.dirtThr);
  if (!std::isfinite(v) || v < 0) v = 0;
  if (v > 100) v = 100;
  ui.setValue(ctx.para.p2.dirtThr, v);
  const int fs = ctx.ident.model.videoFullScale;
  const auto level = static_cast<uint16_t>(fs * static_cast<int>(v) / 100);
  ctx.params.dirtLine.fill(level);
  ctx.params.dirtLevel = level;
  return 0;
}

int CC_DROPvideoThdMode(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  auto& ui = ctx.ui;
  auto& p = ctx.params;
  const auto& P2 = ctx.para.p2;
  // Keep what the slider showed for the previous mode before it shows the other threshold.
  const int old = get(p, VIDEO_THRESHOLD_MODE);
  const auto slider = static_cast<uint16_t>(std::clamp(ui.intValue(P2.vthd), 0, 100));
  set(p, old == 1 ? TRACK_THRESHOLD : VIDEO_THRESHOLD, slider);
  const int mode = std::clamp(ui.intValue(P2.vthdMode), 0, 2);
  set(p, VIDEO_THRESHOLD_MODE, static_cast<uint16_t>(mode));
  const bool track = mode == 1;
  ui.setValue(P2.vthd, get(p, track ? TRACK_THRESHOLD : VIDEO_THRESHOLD));
  ui.setDimmed(P2.refreshVthd, !track);
  RefreshDerivedValues(p, ctx.ident.model.videoFullScale);
  PlotVIDEOCurve(ctx, ActiveRow(ctx));
  return 0;
}

int CC_SLIDEVideoThreshold(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  auto& ui = ctx.ui;
  const int v = std::clamp(ui.intValue(ctx.para.p2.vthd), 0, 100);
  const bool fix = ui.intValue(ctx.para.p2.vthdMode) == 0;
  const int fs = ctx.ident.model.videoFullScale;
  PlotVIDEOCurve(ctx, ActiveRow(ctx));
  const auto g = ctx.refs.display.videoGraph;
  if (!ui.valid(g) || ui.graph(g).plots.size() < 2) return 0;
  auto& y = ui.graph(g).plots[1].y;
  for (size_t i = 0; i < y.size() && i < 256; ++i) y[i] = fix ? fs * v / 100 : ctx.live.video[i] * v / 100.0;
  return 0;
}

int CC_PICBTNRefreshVTHD(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    ctx.run.state = RUN_IDLE;
    return 0;
  }
  if (ev.event != ui::EVENT_COMMIT) return 0;
  if (!LinkIdle(ctx)) {
    RefuseLinkBusy(ctx);
    return 0;
  }
  if (!ctx.ui.confirm(Localized(ctx, "A T T E N T I O N !"),
                      Localized(ctx, "Laser-light measureing section must be uncovered!")))
    return 0;
  PerformIfIdle(ctx, [&] {
    ShowVideoView(ctx);
    const int v = std::clamp(ctx.ui.intValue(ctx.para.p2.vthd), 0, 100);
    param::set(ctx.params, TRACK_THRESHOLD, static_cast<uint16_t>(v));
    if (WriteVideoDataToEE(ctx, v) != 0) return;
    DelayWithEventProcessing(ctx, 0.25);
    if (GetDATA(ctx, 1) == 1) PlotVIDEOCurve(ctx, ActiveRow(ctx));
    ShowStatus(ctx);
  });
  return 0;
}

int CC_RINGopMode(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_VAL_CHANGED && ev.event != ui::EVENT_COMMIT) return 0;
  RefreshSpeedSwitch(ctx);
  // These two boards state their resolution per read-out speed in line 2.
  const int board = ctx.ident.hw.boardCode;
  if (board != 402111 && board != 402119) return 0;
  static const char* kLine[] = {"resolution    = +/- 100µm", "resolution    = +/- 200µm", "resolution    = +/- 400µm"};
  auto lines = ctx.ident.model.infoLines;
  lines[2] = kLine[std::clamp(ctx.ui.intValue(ctx.refs.choice.ccdMode), 0, 2)];
  ctx.ident.model.infoLines = lines;
  ctx.ui.setText(ctx.refs.calib.infoBox, lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n" + lines[3]);
  return 0;
}

int CC_DROPanaMode(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  if (ctx.ui.intValue(ctx.para.p1.anaMode) != 0) ctx.params.analogExtrasShown = true;
  if (ctx.params.analogExtrasShown) {
    const auto& M = ctx.para.meas;
    for (ui::CtlRef c : {M.maxVal, M.minVal, M.maxMinReset, M.maxMin}) ctx.ui.setVisible(c, true);
  }
  return 0;
}

int CC_NUMrow(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_VAL_CHANGED && ev.event != ui::EVENT_COMMIT) return 0;
  const int row = ActiveRow(ctx);
  ctx.ui.setValue(ctx.para.teach.progNo, row);
  MarkTableRow(ctx, row);
  GetTableRowValues(ctx, row);
  param::set(ctx.params, EVAL_PROGRAM, static_cast<uint16_t>(row));
  RefreshWorkingValues(ctx.params);
  RefreshStatusMessage(ctx);
  PlotTeachRowGraph(ctx, row);
  return 0;
}

int CC_BINSWmillimeter(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_VAL_CHANGED) return 0;
  SwitchMMPixel(ctx, ctx.ui.intValue(ctx.refs.main.mmSwitch));
  // The recorder page's graph axis follows the unit too.
  ShowRecorderModeHook(ctx);
  // Trigger cursors follow the unit.
  ApplyTriggerControls(ctx, ctx.ui.intValue(ctx.refs.choice.intTrig));
  // The video graph follows the unit whichever page shows: left on another
  // page it would show the old unit's curve against the new axis.
  PlotVIDEOCurve(ctx, ActiveRow(ctx));
  return 0;
}

}  // namespace bx
