#include "params/panel_values.h"

#include <algorithm>
#include <cmath>

#include "calib/record.h"
#include "context/context.h"
#include "link/report.h"
#include "context/displays.h"
#include "params/fields.h"
#include "params/labels.h"
#include "params/sanitise.h"
#include "params/teach_graphs.h"
#include "params/trigger_modes.h"
#include "params/units.h"

namespace bx {
namespace {

using namespace param;

enum Col { C_EDGE_A, C_EDGE_B, C_MODE, C_TEACH, C_TOLUP, C_TOLLO, C_EDGES, C_POS_A, C_POS_B, C_COUNT };

bool tableOk(const Context& ctx) {
  const auto r = ctx.para.teach.table;
  if (!ctx.ui.valid(r)) return false;
  const auto& t = ctx.ui.at(r).table;
  return t.rows >= 4 && t.cols >= C_COUNT;
}

int16_t toS16(double v) {
  double t = TruncEntry(v);
  return static_cast<int16_t>(std::clamp(t, -32768.0, 32767.0));
}

int ringValue(const Context& ctx, ui::CtlRef r) { return std::clamp(ctx.ui.intValue(r), 0, 65535); }

}  // namespace

bool EdgeBReadOnly(int evalMode, int intTriggerMode) {
  return evalMode == 0 || evalMode >= 3 || IsEdgeTrigger(intTriggerMode);
}

int ActiveRow(const Context& ctx) {
  int r = ctx.ui.valid(ctx.para.teach.progNo) ? ctx.ui.intValue(ctx.para.teach.progNo) : get(ctx.params, EVAL_PROGRAM);
  return std::clamp(r, 0, 3);
}

void ShowVideoView(Context& ctx) {
  ctx.ui.setActivePage(ctx.refs.main.tab, kPageMeasurement);
  ctx.live.graphSwitch = 1;
}

void SetTableRowValues(Context& ctx, int row) {
  if (!tableOk(ctx)) return;
  row = std::clamp(row, 0, 3);
  const auto& p = ctx.params;
  auto& t = ctx.ui.table(ctx.para.teach.table);
  const bool mm = p.unitMm == 1;
  int mode = rowGet(p, row, ROW_EVAL_MODE);
  if (mode > 2) mode = 0;
  t.at(row, C_EDGE_A).num = rowGetS(p, row, ROW_EDGE_A);
  t.at(row, C_EDGE_B).num = rowGetS(p, row, ROW_EDGE_B);
  t.at(row, C_MODE).num = mode;
  if (mm) {
    t.at(row, C_TEACH).num = UmToMm(rowGet32(p, row, ROW_UM_TEACH));
    t.at(row, C_TOLUP).num = UmToMm(rowGet32(p, row, ROW_UM_TOLUP));
    t.at(row, C_TOLLO).num = UmToMm(rowGet32(p, row, ROW_UM_TOLLO));
  } else {
    t.at(row, C_TEACH).num = rowGet(p, row, ROW_TEACH_VALUE);
    t.at(row, C_TOLUP).num = rowGet(p, row, ROW_UPPER_TOL);
    t.at(row, C_TOLLO).num = rowGet(p, row, ROW_LOWER_TOL);
  }
  t.at(row, C_EDGES).num = rowGet(p, row, ROW_EDGE_COUNT);
  t.at(row, C_POS_A).num = rowGet(p, row, ROW_PIXEL_POS_A);
  t.at(row, C_POS_B).num = rowGet(p, row, ROW_PIXEL_POS_B);
  t.at(row, C_EDGE_B).readOnly = EdgeBReadOnly(mode, get(p, INT_TRIGGER_MODE));
  ctx.ui.touch(ctx.para.teach.table);
}

void SetTableValues(Context& ctx) {
  for (int r = 0; r < 4; ++r) SetTableRowValues(ctx, r);
}

void GetTableRowValues(Context& ctx, int row) {
  if (!tableOk(ctx)) return;
  row = std::clamp(row, 0, 3);
  auto& p = ctx.params;
  const auto& t = ctx.ui.table(ctx.para.teach.table);
  const bool mm = p.unitMm == 1;
  const double s = UmPerPixel(ctx);
  rowSet(p, row, ROW_EDGE_A, static_cast<uint16_t>(toS16(t.at(row, C_EDGE_A).num)));
  rowSet(p, row, ROW_EDGE_B, static_cast<uint16_t>(toS16(t.at(row, C_EDGE_B).num)));
  rowSet(p, row, ROW_EVAL_MODE, static_cast<uint16_t>(std::clamp(static_cast<int>(t.at(row, C_MODE).num), 0, 2)));
  const struct {
    Col col;
    int pixOff, umOff;
  } values[] = {{C_TEACH, ROW_TEACH_VALUE, ROW_UM_TEACH},
                {C_TOLUP, ROW_UPPER_TOL, ROW_UM_TOLUP},
                {C_TOLLO, ROW_LOWER_TOL, ROW_UM_TOLLO}};
  for (const auto& v : values) {
    const double x = t.at(row, v.col).num;
    if (mm) {
      rowSet(p, row, v.pixOff, ToField16(x * 1000.0 / s));
      rowSet32(p, row, v.umOff, ToField32(x * 1000.0));
    } else {
      rowSet(p, row, v.pixOff, ToField16(x));
      rowSet32(p, row, v.umOff, ToField32(x * s));
    }
  }
  rowSet(p, row, ROW_EDGE_COUNT, ToField16(t.at(row, C_EDGES).num));
  rowSet(p, row, ROW_PIXEL_POS_A, ToField16(t.at(row, C_POS_A).num));
  rowSet(p, row, ROW_PIXEL_POS_B, ToField16(t.at(row, C_POS_B).num));
}

void GetTableValues(Context& ctx) {
  for (int r = 0; r < 4; ++r) GetTableRowValues(ctx, r);
}

void MarkTableRow(Context& ctx, int row) {
  if (!tableOk(ctx)) return;
  auto& t = ctx.ui.table(ctx.para.teach.table);
  t.rowMarked.assign(static_cast<size_t>(t.rows), 0);
  t.rowMarked[static_cast<size_t>(std::clamp(row, 0, 3))] = 1;
  ctx.ui.touch(ctx.para.teach.table);
}

void RefreshStatusMessage(Context& ctx) {
  const auto& p = ctx.params;
  const auto& S = ctx.para.sum;
  const int lang = ctx.app.language;
  auto& ui = ctx.ui;
  ui.setText(S.evalMode, ModeLabel(LabelField::EvalMode, p.evalMode, lang));
  ui.setText(S.edges, p.edgeTextA + " # " + p.edgeTextB);
  ui.setText(S.outMode, OutModeLabel(get(p, DIGITAL_OUT_MODE), ctx.ident.model.outputConfig));
  ui.setText(S.polarity, ModeLabel(LabelField::Polarity, get(p, POLARITY), lang));
  ui.setText(S.searchDir, SearchDirPicture(get(p, SEARCH_DIRECTION)));
  ui.setText(S.bgMode, ModeLabel(LabelField::BackgroundMode, get(p, BACKGROUND_MODE), lang));
  ui.setText(S.extTrig, ModeLabel(LabelField::ExtTriggerMode, get(p, EXT_TRIGGER_MODE), lang));
  ui.setText(S.intTrig, ModeLabel(LabelField::IntTriggerMode, get(p, INT_TRIGGER_MODE), lang));
  ui.setText(S.ccdMode, ModeLabel(LabelField::CcdOperationMode, get(p, CCD_OPERATION_MODE), lang));
  ui.setText(S.vthdMode, ModeLabel(LabelField::VideoThresholdMode, get(p, VIDEO_THRESHOLD_MODE), lang));
  ui.setText(S.anaMode, ModeLabel(LabelField::AnalogMode, get(p, ANALOG_MODE), lang));
  ui.setText(S.anaZoom, ModeLabel(LabelField::AnalogZoomMode, get(p, ANALOG_ZOOM_MODE), lang));
  ui.setText(S.anaOut, ModeLabel(LabelField::AnalogOutMode, get(p, ANALOG_OUT_MODE), lang));
}

void RefreshSpeedSwitch(Context& ctx) {
  const auto& m = ctx.ident.model;
  auto& ui = ctx.ui;
  const int speed = std::clamp(ui.intValue(ctx.refs.choice.ccdMode), 0, 2);
  const ui::CtlRef ex = ctx.para.p1.expose;
  double minMs = 0;
  if (m.hasMinIntegration && m.minIntegrationMs[static_cast<size_t>(speed)] > 0)
    minMs = m.minIntegrationMs[static_cast<size_t>(speed)];
  ui.setLimits(ex, minMs, m.maxIntegrationMs > 0 ? m.maxIntegrationMs : 5.0);
  if (ui.value(ex) < minMs) ui.setValue(ex, minMs);

  const int hw = ctx.ident.hw.hwType;
  static const int kFine[] = {1, 2, 4}, k802776[] = {2, 4, 8}, kOther[] = {8, 16, 0};
  const int* res = (hw == 803756 || hw == 803509) ? kFine : hw == 802776 ? k802776 : kOther;
  const int um = res[speed];
  if (um == 0) return;
  auto lines = ctx.ident.model.infoLines;
  lines[3] = std::string(Lang(ctx, "resolution", "Auflösung")) + " = +/- " + std::to_string(um) + " µm";
  ctx.ident.model.infoLines = lines;
  ui.setText(ctx.refs.calib.infoBox, lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n" + lines[3]);
}

void ApplyTriggerControls(Context& ctx, int t) {
  auto& ui = ctx.ui;
  const auto& M = ctx.para.meas;
  const auto& T = ctx.para.teach;
  const bool on = t != 0;
  const bool edge = t == 3 || t == 4;
  ui.setDimmed(M.trigLamp, !on);
  ui.setDimmed(M.trigCount, !on);
  if (!on) ui.setValue(M.trigLamp, 0);
  ui.setDimmed(ctx.para.p1.searchDir, edge);
  ui.setLabel(M.trigCount, edge ? Lang(ctx, "TRIGG-CNT:", "TRIGG-ZAHL:") : Lang(ctx, "PIXEL-CNT:", "PIXEL-ZAHL:"));
  ui.setVisible(M.posEdge, t == 3);
  ui.setVisible(T.posEdge, t == 3);
  ui.setVisible(M.negEdge, t == 4);
  ui.setVisible(T.negEdge, t == 4);
  if (!edge) {
    ctx.live.armedTrigger = 0;
    for (ui::CtlRef tg : {M.posEdge, T.posEdge, M.negEdge, T.negEdge}) ui.setValue(tg, 0);
  }
  const int pix = param::get(ctx.params, TRIGGER_PIXEL);
  const double x = ctx.params.unitMm == 1 ? PixelToMm(pix, UmPerPixel(ctx)) : pix;
  auto cursor = [&](ui::CtlRef g, int idx, double y) {
    if (!ui.valid(g)) return;
    auto& gr = ui.graph(g);
    if (idx >= gr.cursorCount) return;
    auto& c = gr.cursors[static_cast<size_t>(idx)];
    c.visible = edge;
    if (edge) {
      c.x = x;
      c.y = y;
    }
    ui.touch(g);
  };
  cursor(ctx.refs.display.videoGraph, 2, ctx.ident.model.videoFullScale - 5);
  cursor(ctx.refs.display.rangeGraph, 4, 0.8);
  PlotTeachTriggerLine(ctx, edge ? pix : -1);
}

void SetPanelValues(Context& ctx) {
  auto& p = ctx.params;
  auto& ui = ctx.ui;
  const auto& P1 = ctx.para.p1;
  const auto& P2 = ctx.para.p2;
  const auto& C = ctx.refs.choice;
  Sanitise(p, PixelCount(ctx), calib::hwType(ctx.calib.record));

  ui.setValue(C.outMode, get(p, DIGITAL_OUT_MODE));
  ui.setValue(P1.polarity, get(p, POLARITY));
  ui.setValue(P1.searchDir, get(p, SEARCH_DIRECTION));
  ui.setValue(C.average, get(p, AVERAGE));
  ui.setValue(C.ccdMode, get(p, CCD_OPERATION_MODE));
  ui.setValue(P1.bgMode, get(p, BACKGROUND_MODE));
  ui.setValue(P1.smooth, get(p, VIDEO_SMOOTH));
  ui.setValue(P1.anaMode, get(p, ANALOG_MODE));
  ui.setValue(P1.anaZoom, get(p, ANALOG_ZOOM_MODE));
  ui.setValue(P1.anaOut, get(p, ANALOG_OUT_MODE));
  ui.setReadOnly(P1.anaOut, VoltageOnlyModel(calib::hwType(ctx.calib.record)));
  ui.setValue(P1.power, get(p, POWER));
  ui.setValue(P1.expose, get(p, INTEGRATION_TIME) / 1000.0);
  ui.setValue(P1.rs232Mode, get(p, RS232_MODE));
  ShowRecorderModeHook(ctx);
  ui.setValue(P1.rs232Baud, get(p, RS232_BAUDRATE));
  ui.setValue(P1.teachTarget, get(p, TEACH_TARGET));
  ui.setValue(C.intTrig, get(p, INT_TRIGGER_MODE));
  ui.setValue(P2.extTrig, get(p, EXT_TRIGGER_MODE));
  ui.setValue(P2.dirtMode, get(p, DIRT_DETECT_MODE));
  ui.setValue(P2.dirtThr, get(p, DIRT_THRESHOLD));
  const bool track = get(p, VIDEO_THRESHOLD_MODE) == 1;
  ui.setValue(P2.vthdMode, get(p, VIDEO_THRESHOLD_MODE));
  ui.setValue(P2.vthd, track ? get(p, TRACK_THRESHOLD) : get(p, VIDEO_THRESHOLD));
  ui.setDimmed(P2.refreshVthd, !track);
  ui.setValue(ctx.para.teach.progNo, get(p, EVAL_PROGRAM));

  // Power mode: the regulated quantity is the sensor's, not the operator's.
  const int pm = get(p, POWER_MODE);
  ui.setDimmed(P1.power, pm == 1);
  ui.setDimmed(P1.expose, pm == 2);

  if (get(p, ANALOG_MODE) != 0) p.analogExtrasShown = true;
  if (p.analogExtrasShown) {
    for (ui::CtlRef c : {ctx.para.meas.maxVal, ctx.para.meas.minVal, ctx.para.meas.maxMinReset, ctx.para.meas.maxMin})
      ui.setVisible(c, true);
  }

  if (ui.valid(ctx.para.teach.table)) {
    auto& t = ui.table(ctx.para.teach.table);
    t.rowReadOnly.assign(static_cast<size_t>(t.rows), 0);
  }
  MarkTableRow(ctx, get(p, EVAL_PROGRAM));
  RefreshDerivedValues(p, ctx.ident.model.videoFullScale);
  ui.setDimmed(ctx.para.meas.dirtLamp, get(p, DIRT_DETECT_MODE) == 0);
  RefreshSpeedSwitch(ctx);
  ui.setValue(ctx.para.meas.edgeCount, p.edgeCount);
  RefreshStatusMessage(ctx);
  SwitchMMPixel(ctx, ui.intValue(ctx.refs.main.mmSwitch));
  ApplyTriggerControls(ctx, get(p, INT_TRIGGER_MODE));
  PlotTeachRowGraph(ctx, p.activeRow);
  PlotVIDEOCurve(ctx, p.activeRow);
}

void GetPanelValues(Context& ctx) {
  auto& p = ctx.params;
  auto& ui = ctx.ui;
  const auto& P1 = ctx.para.p1;
  const auto& P2 = ctx.para.p2;
  const auto& M = ctx.para.meas;
  const auto& C = ctx.refs.choice;
  const double s = UmPerPixel(ctx);
  const int n = PixelCount(ctx);
  const bool mm = p.unitMm == 1;

  const struct {
    ui::CtlRef ctl;
    int pixOff, umOff;
  } positions[] = {{M.teachVal, TEACH_VALUE, UM_TEACH},
                   {M.tolUp, UPPER_TOLERANCE, UM_TOLUP},
                   {M.tolLo, LOWER_TOLERANCE, UM_TOLLO},
                   {M.rangeBeg, EVAL_BEGIN, UM_BEGIN},
                   {M.rangeEnd, EVAL_END, UM_END}};
  for (const auto& f : positions) {
    const double v = ui.value(f.ctl);
    if (mm) {
      set32(p, f.umOff, MmToUmField(v));
      set(p, f.pixOff, MmToPixelField(v, s));
    } else {
      set(p, f.pixOff, ToField16(v));
      set32(p, f.umOff, PixelToUmField(v, s));
    }
  }
  const double trig = ui.value(P2.trigPix);
  set(p, TRIGGER_PIXEL, mm ? MmToPixelField(trig, s) : ToField16(trig));

  const unsigned un = static_cast<unsigned>(n > 65535 ? 65535 : n);
  if (get(p, TEACH_VALUE) == 0) set(p, TEACH_VALUE, 1);
  if (get(p, TEACH_VALUE) > un) set(p, TEACH_VALUE, static_cast<uint16_t>(un));
  if (get(p, EVAL_BEGIN) == 0 || get(p, EVAL_BEGIN) > un - 1) set(p, EVAL_BEGIN, 1);
  if (get(p, EVAL_END) == 0 || get(p, EVAL_END) > un) set(p, EVAL_END, static_cast<uint16_t>(un));

  auto take = [&](int off, ui::CtlRef r) { set(p, off, static_cast<uint16_t>(ringValue(ctx, r))); };
  take(DIGITAL_OUT_MODE, C.outMode);
  take(SEARCH_DIRECTION, P1.searchDir);
  take(POLARITY, P1.polarity);
  take(AVERAGE, C.average);
  take(ANALOG_MODE, P1.anaMode);
  take(ANALOG_ZOOM_MODE, P1.anaZoom);
  if (VoltageOnlyModel(calib::hwType(ctx.calib.record))) {
    ui.setValue(P1.anaOut, 0);
    ui.setReadOnly(P1.anaOut, true);
  }
  take(ANALOG_OUT_MODE, P1.anaOut);
  take(EXT_TRIGGER_MODE, P2.extTrig);
  take(VIDEO_SMOOTH, P1.smooth);
  take(POWER, P1.power);
  take(CCD_OPERATION_MODE, C.ccdMode);
  take(VIDEO_THRESHOLD_MODE, P2.vthdMode);
  take(BACKGROUND_MODE, P1.bgMode);
  take(INT_TRIGGER_MODE, C.intTrig);
  take(DIRT_THRESHOLD, P2.dirtThr);
  take(DIRT_DETECT_MODE, P2.dirtMode);
  take(get(p, VIDEO_THRESHOLD_MODE) == 1 ? TRACK_THRESHOLD : VIDEO_THRESHOLD, P2.vthd);

  const double ms = ui.value(P1.expose);
  const double it = std::isfinite(ms) ? std::round(ms * 100.0) * 10.0 : 0.0;
  set(p, INTEGRATION_TIME, static_cast<uint16_t>(std::clamp(it, 0.0, 65530.0)));

  const bool dirt = get(p, DIRT_DETECT_MODE) != 0;
  ui.setDimmed(M.dirtLamp, !dirt);
  take(RS232_MODE, P1.rs232Mode);
  take(RS232_BAUDRATE, P1.rs232Baud);
  set(p, EVAL_PROGRAM, static_cast<uint16_t>(ActiveRow(ctx)));
  take(TEACH_TARGET, P1.teachTarget);
  GetTableValues(ctx);
  RefreshWorkingValues(p);
  RefreshDerivedValues(p, ctx.ident.model.videoFullScale);
  RefreshStatusMessage(ctx);
  RefreshRangeGraph(ctx, ui.value(M.rangeBeg), ui.value(M.rangeEnd), p.activeRow);
}

}  // namespace bx
