#include "params/teach.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "commands/commands.h"
#include "context/context.h"
#include "link/events.h"
#include "link/exchange.h"
#include "link/ownership.h"
#include "link/report.h"
#include "params/bindings.h"
#include "params/edits.h"
#include "params/fields.h"
#include "params/panel_values.h"
#include "params/sanitise.h"
#include "params/teach_graphs.h"
#include "params/transfer.h"
#include "params/trigger_modes.h"
#include "params/units.h"
#include "wire/calib_record.h"
#include "wire/orders.h"

namespace bx {
namespace {

using namespace param;

ui::TableModel* editor(Context& ctx) {
  const auto r = ctx.para.teach.table;
  if (!ctx.ui.valid(r)) return nullptr;
  auto& t = ctx.ui.table(r);
  return t.rows >= kTeachRows && t.cols >= TC_COUNT ? &t : nullptr;
}

// Set-point and tolerances of a row into the measurement page's fields.
void showRowInFields(Context& ctx, int row) {
  for (const FieldBinding& b : ParamBindings())
    if (b.conv == Conv::Position && b.rowOff >= 0) ShowPositionFromRow(ctx, b, row);
}

void stopLoop(Context& ctx) { ctx.run.state = RUN_IDLE; }

}  // namespace

const char* TeachResultText(int code) {
  switch (code) {
    case -1:
      return "LO POS EDGES";
    case -2:
      return "LO NEG EDGES";
    case -3:
      return "NO EDGES";
    default:
      return "";
  }
}

int PushTEACH(Context& ctx, int row) {
  row = std::clamp(row, 0, 3);
  auto& p = ctx.params;
  // The row sent carries the table's other fields: start values would
  // overwrite the sensor's.
  if (RefuseUnreadRecords(ctx)) return -1;
  GetTableRowValues(ctx, row);
  uint8_t* rec = param::row(p, row);
  std::array<uint8_t, ParamState::kRowSize> kept{};
  std::memcpy(kept.data(), rec, kept.size());

  ctx.status = "TEACH new setpoint value ...";
  if (Exchange(ctx, order::kTeachRow, row, rec, ParamState::kRowSize) != 1 || ReplyLength(ctx) < ParamState::kRowSize) {
    ctx.status = FailureText(ctx, "Teach-Error:Timeout RS232-Line!");
    ShowStatus(ctx);
    return -1;
  }
  std::memcpy(rec, ReplyData(ctx), ParamState::kRowSize);

  int code = static_cast<int16_t>(ctx.link.hdr.param);
  if (code >= -3 && code <= -1) std::memcpy(rec, kept.data(), kept.size());
  if (code < -3) code = 0;
  // The exchange went through; whether the teach did is the sensor's code,
  // and the status line (seen from every page) must not call a refused
  // teach successful.
  ctx.status += code < 0 ? std::string(" -> ") + TeachResultText(code) + "!" : std::string(" -> Ok!");

  const auto state = ctx.para.meas.stateText;
  if (code < 0) {
    ctx.ui.setText(state, TeachResultText(code));
    ctx.ui.setTextColor(state, ui::kWhite);
    ctx.ui.setBgColor(state, ui::kRed);
  } else {
    ctx.ui.setText(state, Localized(ctx, "TEACH OK"));
    ctx.ui.setTextColor(state, ui::kBlack);
    ctx.ui.setBgColor(state, ui::kWhite);
  }

  SetTableRowValues(ctx, row);
  p.edgeTextA = std::to_string(rowGetS(p, row, ROW_EDGE_A));
  p.edgeTextB = std::to_string(rowGetS(p, row, ROW_EDGE_B));
  ctx.ui.setText(ctx.para.sum.edges, p.edgeTextA + " # " + p.edgeTextB);
  showRowInFields(ctx, row);
  set32(p, UM_TEACH, rowGet32(p, row, ROW_UM_TEACH));
  set(p, TEACH_VALUE, rowGet(p, row, ROW_TEACH_VALUE));
  ctx.ui.setValue(ctx.para.meas.edgeCount, rowGet(p, row, ROW_EDGE_COUNT));
  // Keep the working values in step with a taught active row.
  if (row == get(p, EVAL_PROGRAM)) RefreshWorkingValues(p);
  if (code >= 0) NoteRowTaught(ctx, row);
  PlotTeachRowGraph(ctx, row);
  RefreshRangeGraph(ctx, ctx.ui.value(ctx.para.meas.rangeBeg), ctx.ui.value(ctx.para.meas.rangeEnd), row);
  ShowStatus(ctx);
  return 0;
}

namespace {

int teachButton(Context& ctx, const ui::EventArgs& ev, bool teachPage) {
  auto& pending = ctx.run.pending;
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    pending.set(PENDING_TEACH);
    return 0;
  }
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const int row = ActiveRow(ctx);
  const auto r = PerformOrLeavePending(ctx, PENDING_TEACH, [&] {
    PushTEACH(ctx, row);
    RefreshTeachVideo(ctx, row);
  });
  if (r == LinkAction::LeftPending) {
    pending.set(PENDING_REFRESH_DATA);
  } else if (r == LinkAction::Performed) {
    pending.set(PENDING_REFRESH_DATA, false);
    if (teachPage) pending.set(PENDING_EDGE_REFRESH, false);
  }
  return 0;
}

}  // namespace

int CC_ButtonTeachMain(Context& ctx, const ui::EventArgs& ev) { return teachButton(ctx, ev, false); }
int CC_ButtonTeach(Context& ctx, const ui::EventArgs& ev) { return teachButton(ctx, ev, true); }

int RefreshTeachVideo(Context& ctx, int row) {
  const int r = PushRefreshDATA(ctx, row);
  if (r != 1) {
    ctx.ui.setActivePage(ctx.refs.main.tab, kPageConnection);
    ctx.ui.setTextColor(ctx.refs.conn.msgBox, ui::kRed);
    ctx.ui.setTextColor(ctx.refs.main.status, ui::kRed);
  }
  return r;
}

int CC_BTNRefreshEdgeBuf(Context& ctx, const ui::EventArgs& ev) {
  auto& pending = ctx.run.pending;
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    pending.set(PENDING_EDGE_REFRESH);
    return 0;
  }
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const int row = ActiveRow(ctx);
  const auto r = PerformOrLeavePending(ctx, PENDING_EDGE_REFRESH, [&] {
    GetEDGE(ctx, ctx.live.armedTrigger != 0 ? 1 : 0);
    RefreshTeachVideo(ctx, row);
  });
  if (r == LinkAction::Refused) return 0;
  if (r == LinkAction::LeftPending) pending.set(PENDING_REFRESH_DATA);
  ShowStatus(ctx);
  ctx.ui.setValue(ctx.para.teach.progNo, row);
  GetTableRowValues(ctx, row);
  return 0;
}

int CC_TableTeach1(Context& ctx, const ui::EventArgs& ev) {
  ui::TableModel* t = editor(ctx);
  if (!t) return 0;
  const int r = ev.data1 - 1, c = ev.data2 - 1;
  if (r < 0 || r > 3 || c < 0 || c >= t->cols) return 0;
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    if (ctx.live.graphSwitch == 1 && ctx.run.state == RUN_LOOP) {
      stopLoop(ctx);
      DelayWithEventProcessing(ctx, 0.2);
    }
    t->activeRow = r;
    t->activeCol = c;
    MarkTableRow(ctx, r);
    ctx.ui.setValue(ctx.para.teach.progNo, r);
    PlotTeachRowGraph(ctx, r);
    return 0;
  }
  if (ev.event != ui::EVENT_VAL_CHANGED) return 0;
  const int trig = ctx.ui.intValue(ctx.refs.choice.intTrig);
  const int mode = static_cast<int>(t->at(r, TC_MODE).num);
  auto& edgeB = t->at(r, TC_EDGE_B);
  if (c == TC_EDGE_A && mode == 0) edgeB.num = t->at(r, TC_EDGE_A).num;
  if (c == TC_MODE) {
    const bool edgeTrig = IsEdgeTrigger(trig);
    auto graphRef = ctx.refs.display.teachGraph;
    if (mode == 0) {
      edgeB.readOnly = true;
      edgeB.num = trig == INT_TRIGGER_POSITIVE_EDGE ? 1 : trig == INT_TRIGGER_NEGATIVE_EDGE ? -1 : t->at(r, TC_EDGE_A).num;
    } else {
      edgeB.readOnly = edgeTrig;
      edgeB.num = trig == INT_TRIGGER_POSITIVE_EDGE ? 1 : trig == INT_TRIGGER_NEGATIVE_EDGE ? -1 : rowGetS(ctx.params, r, ROW_EDGE_B);
    }
    if (ctx.ui.valid(graphRef)) {
      auto& g = ctx.ui.graph(graphRef);
      if (g.cursorCount >= 1) {
        g.cursors[0].visible = true;
        g.cursors[0].color = ui::kBlue;
      }
      if (g.cursorCount >= 2) {
        g.cursors[1].visible = mode != 0;
        g.cursors[1].color = ui::kBlack;
      }
    }
  }
  if (r == ActiveRow(ctx)) {
    const auto& M = ctx.para.meas;
    if (c == TC_TEACH) ctx.ui.setValue(M.teachVal, t->at(r, TC_TEACH).num);
    if (c == TC_TOLUP) ctx.ui.setValue(M.tolUp, t->at(r, TC_TOLUP).num);
    if (c == TC_TOLLO) ctx.ui.setValue(M.tolLo, t->at(r, TC_TOLLO).num);
  }
  return 0;
}

int CC_NEDITTeach(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    stopLoop(ctx);
    return 0;
  }
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const auto f = ctx.para.meas.teachVal;
  double v = ctx.ui.value(f);
  if (!std::isfinite(v)) v = 0;
  if (ctx.params.unitMm == 1) {
    const double range = ctx.ident.model.workingRangeMm;
    if (v > range) v = range;
    if (v < 0) v = 0;
  } else {
    const int n = PixelCount(ctx);
    if (v > n) v = n - 1;
    if (v < 1) v = 1;
  }
  ctx.ui.setValue(f, v);
  if (ui::TableModel* t = editor(ctx)) {
    t->at(ActiveRow(ctx), TC_TEACH).num = v;
  }
  return 0;
}

namespace {

int toleranceField(Context& ctx, const ui::EventArgs& ev, ui::CtlRef field, int col) {
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    stopLoop(ctx);
    return 0;
  }
  if (ev.event != ui::EVENT_VAL_CHANGED) return 0;
  const double v = ctx.ui.value(field);
  if (ui::TableModel* t = editor(ctx)) {
    t->at(ActiveRow(ctx), col).num = v;
  }
  ctx.ui.setValue(field, v);
  return 0;
}

int rangeField(Context& ctx, const ui::EventArgs& ev, bool begin) {
  if (ev.event != ui::EVENT_VAL_CHANGED) return 0;
  auto& p = ctx.params;
  const auto& M = ctx.para.meas;
  const ui::CtlRef field = begin ? M.rangeBeg : M.rangeEnd;
  const int pixOff = begin ? EVAL_BEGIN : EVAL_END;
  const int umOff = begin ? UM_BEGIN : UM_END;
  const double v = ctx.ui.value(field);
  const double s = UmPerPixel(ctx);
  if (p.unitMm == 1) {
    set(p, pixOff, MmToPixelField(v, s));
    set32(p, umOff, MmToUmField(v));
    ctx.ui.setValue(field, UmToMm(get32(p, umOff)));
  } else {
    uint16_t pix = ToField16(v);
    int32_t um = PixelToUmField(v, s);
    if (begin) {
      if (pix == 0) pix = 1;
      if (um < 0) um = 0;
    } else {
      const int n = PixelCount(ctx);
      if (pix > n) pix = static_cast<uint16_t>(std::min(n, 65535));
      const int32_t range = calib::rangeUm(ctx.calib.record);
      if (range > 0 && um > range) um = range;
    }
    set(p, pixOff, pix);
    set32(p, umOff, um);
    ctx.ui.setValue(field, pix);
  }
  RefreshRangeGraph(ctx, ctx.ui.value(M.rangeBeg), ctx.ui.value(M.rangeEnd), ActiveRow(ctx));
  return 0;
}

}  // namespace

int CC_NEDITToleranceUP(Context& ctx, const ui::EventArgs& ev) {
  return toleranceField(ctx, ev, ctx.para.meas.tolUp, TC_TOLUP);
}
int CC_NEDITToleranceLO(Context& ctx, const ui::EventArgs& ev) {
  return toleranceField(ctx, ev, ctx.para.meas.tolLo, TC_TOLLO);
}
int CC_NEDITRangeBeg(Context& ctx, const ui::EventArgs& ev) { return rangeField(ctx, ev, true); }
int CC_NEDITRangeEnd(Context& ctx, const ui::EventArgs& ev) { return rangeField(ctx, ev, false); }

int CC_DROPTrigMode(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  ui::TableModel* t = editor(ctx);
  const int mode = ctx.ui.intValue(ctx.para.p2.extTrig);
  if (mode == EXT_TRIGGER_SELECT_PROG4) {
    if (ctx.ident.hw.hwType == 803498) {
      ctx.ui.message(ctx.app.texts.message("ATTENTION!"),
                     ctx.app.texts.message("SEL-PROG4 not possible with this hardware!\nPlease select other EXT-IN0-MODE!"));
      return 0;
    }
    if (t) t->rowReadOnly.assign(static_cast<size_t>(t->rows), 0);
  } else if (mode == EXT_TRIGGER_SELECT_PROG2) {
    if (t) {
      t->rowReadOnly.assign(static_cast<size_t>(t->rows), 0);
      t->rowReadOnly[2] = 1;
      t->rowReadOnly[3] = 1;
    }
  } else {
    return 0;
  }
  return 0;
}

}  // namespace bx
