#include "params/panel_values.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "context/context.h"
#include "context/displays.h"
#include "params/bindings.h"
#include "link/report.h"
#include "params/fields.h"
#include "params/labels.h"
#include "params/sanitise.h"
#include "params/teach_graphs.h"
#include "params/transfer.h"
#include "params/trigger_modes.h"
#include "params/units.h"
#include "wire/calib_record.h"

namespace bx {
namespace {

using namespace param;

bool tableOk(const Context& ctx) {
  const auto r = ctx.para.teach.table;
  if (!ctx.ui.valid(r)) return false;
  const auto& t = ctx.ui.at(r).table;
  return t.rows >= kTeachRows && t.cols >= TC_COUNT;
}

int16_t toS16(double v) {
  double t = TruncEntry(v);
  return static_cast<int16_t>(std::clamp(t, -32768.0, 32767.0));
}

void collectCell(Context& ctx, const ColumnBinding& c, int row, double x) {
  auto& p = ctx.params;
  switch (c.conv) {
    case CellConv::Signed:
      rowSet(p, row, c.rowOff, static_cast<uint16_t>(toS16(x)));
      break;
    case CellConv::Mode:
      rowSet(p, row, c.rowOff, static_cast<uint16_t>(std::clamp(std::isfinite(x) ? std::trunc(x) : 0.0, 0.0, 2.0)));
      break;
    case CellConv::Position: {
      const double s = UmPerPixel(ctx);
      if (p.unitMm == 1) {
        rowSet(p, row, c.rowOff, ToField16(x * 1000.0 / s));
        rowSet32(p, row, c.rowUmOff, ToField32(x * 1000.0));
      } else {
        rowSet(p, row, c.rowOff, ToField16(x));
        rowSet32(p, row, c.rowUmOff, ToField32(x * s));
      }
      break;
    }
    case CellConv::Word:
      rowSet(p, row, c.rowOff, ToField16(x));
      break;
  }
}

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
  row = std::clamp(row, 0, kTeachRows - 1);
  auto& t = ctx.ui.table(ctx.para.teach.table);
  for (const ColumnBinding& c : TeachColumns()) t.at(row, c.col).num = ShownCellValue(ctx, ctx.params, c, row);
  const int mode = static_cast<int>(t.at(row, TC_MODE).num);
  t.at(row, TC_EDGE_B).readOnly = EdgeBReadOnly(mode, get(ctx.params, INT_TRIGGER_MODE));
}

void SetTableValues(Context& ctx) {
  for (int r = 0; r < kTeachRows; ++r) SetTableRowValues(ctx, r);
}

void GetTableRowValues(Context& ctx, int row) {
  if (!tableOk(ctx)) return;
  row = std::clamp(row, 0, kTeachRows - 1);
  const auto& t = std::as_const(ctx.ui).table(ctx.para.teach.table);
  for (const ColumnBinding& c : TeachColumns()) collectCell(ctx, c, row, t.at(row, c.col).num);
}

void GetTableValues(Context& ctx) {
  for (int r = 0; r < kTeachRows; ++r) GetTableRowValues(ctx, r);
}

void MarkTableRow(Context& ctx, int row) {
  if (!tableOk(ctx)) return;
  auto& t = ctx.ui.table(ctx.para.teach.table);
  t.rowMarked.assign(static_cast<size_t>(t.rows), 0);
  t.rowMarked[static_cast<size_t>(std::clamp(row, 0, kTeachRows - 1))] = 1;
}

void RefreshStatusMessage(Context& ctx) {
  const auto& p = ctx.params;
  const auto& S = ctx.para.sum;
  const LanguageData& lang = ctx.app.texts;
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
  lines[3] = Localized(ctx, "resolution = +/- %1 µm", {std::to_string(um)});
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
  ui.setLabel(M.trigCount, Localized(ctx, edge ? "TRIGG-CNT:" : "PIXEL-CNT:"));
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
  Sanitise(p, PixelCount(ctx), calib::hwType(ctx.calib.record));

  // The positions are shown by the unit switch below, in the unit in force.
  for (const FieldBinding& b : ParamBindings())
    if (b.conv != Conv::Position) ShowField(ctx, b);
  ui.setReadOnly(P1.anaOut, VoltageOnlyModel(calib::hwType(ctx.calib.record)));
  ShowRecorderModeHook(ctx);
  ui.setDimmed(P2.refreshVthd, get(p, VIDEO_THRESHOLD_MODE) != 1);

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
  ShowCalibSettingsCopies(ctx);
}

void GetPanelValues(Context& ctx) {
  auto& p = ctx.params;
  auto& ui = ctx.ui;
  const auto& P1 = ctx.para.p1;
  const auto& M = ctx.para.meas;
  const int n = PixelCount(ctx);

  // A model with a voltage output only has no other analogue output mode.
  if (VoltageOnlyModel(calib::hwType(ctx.calib.record))) {
    ui.setValue(P1.anaOut, 0);
    ui.setReadOnly(P1.anaOut, true);
  }
  for (const FieldBinding& b : ParamBindings()) CollectField(ctx, b);

  const unsigned un = static_cast<unsigned>(n > 65535 ? 65535 : n);
  if (get(p, TEACH_VALUE) == 0) set(p, TEACH_VALUE, 1);
  if (get(p, TEACH_VALUE) > un) set(p, TEACH_VALUE, static_cast<uint16_t>(un));
  if (get(p, EVAL_BEGIN) == 0 || get(p, EVAL_BEGIN) > un - 1) set(p, EVAL_BEGIN, 1);
  if (get(p, EVAL_END) == 0 || get(p, EVAL_END) > un) set(p, EVAL_END, static_cast<uint16_t>(un));

  ui.setDimmed(M.dirtLamp, get(p, DIRT_DETECT_MODE) == 0);
  GetTableValues(ctx);
  RefreshWorkingValues(p);
  RefreshDerivedValues(p, ctx.ident.model.videoFullScale);
  RefreshStatusMessage(ctx);
  RefreshRangeGraph(ctx, ui.value(M.rangeBeg), ui.value(M.rangeEnd), p.activeRow);
}

}  // namespace bx
