#include "params/edits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "context/context.h"
#include "link/ownership.h"
#include "link/report.h"
#include "params/bindings.h"
#include "params/fields.h"
#include "params/panel_values.h"
#include "params/para_file_ui.h"
#include "params/transfer.h"

namespace bx {
namespace {

using namespace param;

// Differences below half the last digit shown are not seen, and are not
// edits: a field that shows 1.23 was not edited by a 1.2304 behind it.
bool differs(double shown, double base, int precision) {
  if (!std::isfinite(shown) || !std::isfinite(base)) return std::isfinite(shown) != std::isfinite(base);
  const double half = 0.5 * std::pow(10.0, -std::max(0, std::min(precision, 10)));
  return std::fabs(shown - base) >= half * (1 - 1e-9);
}

void setNote(Context& ctx, int marked) {
  const int main = ctx.refs.main.panel;
  if (main < 0) return;
  const std::string note = marked > 0 ? Localized(ctx, "unsent changes") : std::string();
  ui::Panel& p = ctx.ui.panel(main);
  if (p.titleNote == note) return;
  p.titleNote = note;
  ctx.ui.touchPanel(main);
}

}  // namespace

void NoteRecordsInSync(Context& ctx) {
  auto& p = ctx.params;
  p.baseSet = p.set;
  p.baseTeach = p.teach;
  p.baseKnown = true;
  // The fields as their controls show them now: the tool's own adjustments
  // on showing (an exposure raised to the model's minimum) are no edit of
  // the operator's. Positions stay as read: they follow the unit switch.
  const param::SetBytes read = p.set;
  for (const FieldBinding& b : ParamBindings())
    if (b.conv != Conv::Position) CollectField(ctx, b);
  p.baseSet = p.set;
  p.set = read;
  RefreshEditMarks(ctx);
}

void NoteRowTaught(Context& ctx, int row) {
  auto& p = ctx.params;
  if (!p.baseKnown || row < 0 || row >= kTeachRows) return;
  std::memcpy(param::row(p.baseTeach, row), param::row(p.teach, row), ParamState::kRowSize);
  set32(p.baseSet, UM_TEACH, get32(p, UM_TEACH));
  set(p.baseSet, TEACH_VALUE, get(p, TEACH_VALUE));
  RefreshEditMarks(ctx);
}

void ForgetRecordsSync(Context& ctx) {
  ctx.params.baseKnown = false;
  RefreshEditMarks(ctx);
}

int RefreshEditMarks(Context& ctx) {
  auto& ui = ctx.ui;
  const bool known = ctx.params.baseKnown;
  // The records as last in step, with everything else (unit, active row,
  // working values) as now: what the controls would show for them.
  ParamState base;
  if (known) {
    base = ctx.params;
    base.set = ctx.params.baseSet;
    base.teach = ctx.params.baseTeach;
  }
  const int row = ctx.params.activeRow;
  int marked = 0;
  // The quantity the sensor regulates shows its live value, not an edit.
  const int powerMode = get(ctx.params, POWER_MODE);
  for (const FieldBinding& b : ParamBindings()) {
    const ui::CtlRef r = b.ref(ctx);
    if (!ui.valid(r)) continue;
    const bool live = (b.off == POWER && powerMode == 1) || (b.off == INTEGRATION_TIME && powerMode == 2);
    const bool edited = known && !live && differs(ui.value(r), FieldShown(ctx, base, b, row), ui.at(r).precision);
    ui.setEdited(r, edited);
    marked += edited ? 1 : 0;
  }
  const ui::CtlRef tr = ctx.para.teach.table;
  if (ui.valid(tr) && ui.at(tr).table.rows >= kTeachRows && ui.at(tr).table.cols >= TC_COUNT) {
    const auto& t = ui.at(tr).table;
    std::array<bool, kTeachRows * TC_COUNT> edited{};
    bool changed = false;
    for (int rr = 0; rr < kTeachRows; ++rr) {
      for (const ColumnBinding& c : TeachColumns()) {
        const size_t ci = static_cast<size_t>(c.col);
        const int prec = c.kind == 1 || ci >= t.colPrecision.size() ? 0 : t.colPrecision[ci];
        const ui::Cell& cell = t.at(rr, c.col);
        const bool e = known && differs(cell.num, CellShown(base, c, rr), prec);
        edited[static_cast<size_t>(rr * TC_COUNT + c.col)] = e;
        changed = changed || cell.edited != e;
        marked += e ? 1 : 0;
      }
    }
    // Taken for editing (and repainted) only when a mark moved.
    if (changed) {
      auto& tm = ui.table(tr);
      for (int rr = 0; rr < kTeachRows; ++rr)
        for (int c = 0; c < TC_COUNT; ++c) tm.at(rr, c).edited = edited[static_cast<size_t>(rr * TC_COUNT + c)];
    }
  }
  ctx.params.editedCount = marked;
  setNote(ctx, marked);
  return marked;
}

bool HasUnsentEdits(const Context& ctx) { return ctx.params.editedCount > 0; }

bool AskAboutUnsentEdits(Context& ctx) {
  if (RefreshEditMarks(ctx) == 0) return true;
  enum { SAVE, SEND, DISCARD, CANCEL };
  const int c = ctx.ui.choose(Localized(ctx, "A T T E N T I O N !"),
                              Localized(ctx, "The parameters have changes that were not sent to the sensor."),
                              {Localized(ctx, "Save parameter file"), Localized(ctx, "Send"),
                               Localized(ctx, "Discard"), Localized(ctx, "Cancel")});
  switch (c) {
    case SAVE:
      return SaveConfigFile(ctx) == 1;
    case SEND: {
      // Sent as SEND does, to the memory chosen (FILE: the sensor's RAM).
      if (!LinkIdle(ctx)) {
        ShowStatusText(ctx, "The link is in use - stop the run, then send!");
        return false;
      }
      if (RefuseUnreadRecords(ctx)) return false;
      GetPanelValues(ctx);
      int r = -1;
      PerformIfIdle(ctx, [&] { r = PushSEND(ctx, ctx.params.memory); });
      return r == 1;
    }
    case DISCARD:
      return true;
    default:
      return false;
  }
}

}  // namespace bx
