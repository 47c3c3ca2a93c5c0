#include "params/compare_window.h"

#include <algorithm>
#include <string>

#include "context/context.h"
#include "link/ownership.h"
#include "link/report.h"
#include "params/bindings.h"
#include "params/compare.h"
#include "params/fields.h"
#include "params/units.h"

namespace bx {
namespace {

enum Col { COL_FIELD, COL_UNIT, COL_LEFT, COL_RIGHT, COL_PAGE, COL_COUNT };

// Index of a side in the window's pairs of controls.
size_t side(bool left) { return left ? 0 : 1; }

void setResult(Context& ctx, const std::string& text) { ctx.ui.setText(ctx.refs.compare.result, text); }

// The sides the window needs the sensor for can only be read while it is
// connected; a file side needs its file chosen.
struct Chosen {
  int source;
  std::string path;
};
Chosen chosen(const Context& ctx, bool left) {
  const CompareRefs& w = ctx.refs.compare;
  return {std::clamp(ctx.ui.intValue(w.source[side(left)]), 0, 3), ctx.ui.text(w.file[side(left)])};
}

void showSourceControls(Context& ctx) {
  for (bool left : {true, false}) {
    const bool file = chosen(ctx, left).source == param::SRC_FILE;
    ctx.ui.setDimmed(ctx.refs.compare.fileBtn[side(left)], !file);
    ctx.ui.setDimmed(ctx.refs.compare.file[side(left)], !file);
  }
}

// The field as the page labels it: its control's label, a teach cell by
// its row and column; fields no page shows by their file name.
std::string fieldLabel(const Context& ctx, const param::CompareItem& it) {
  if (it.row >= 0) {
    const ui::CtlRef t = ctx.para.teach.table;
    std::string col = it.field.substr(it.field.find('.') + 1);
    if (it.column >= 0 && ctx.ui.valid(t)) {
      const auto& labels = ctx.ui.at(t).table.colLabels;
      if (static_cast<size_t>(it.column) < labels.size()) col = labels[static_cast<size_t>(it.column)];
    }
    return Localized(ctx, "Teach row %1: %2", {std::to_string(it.row), col});
  }
  if (it.control) {
    // The comparison names its fields' controls as text; they are looked up
    // when the operator compares, never in a loop.
    const std::string c = it.control;
    const ui::CtlRef r = ctx.ui.find(c.substr(0, c.find('.')), c.substr(c.find('.') + 1));
    // The one threshold slider edits both thresholds: the tracked one says so.
    if (ctx.ui.valid(r) && !ctx.ui.at(r).label.empty())
      return it.off == param::TRACK_THRESHOLD ? Localized(ctx, "%1 (tracking)", {ctx.ui.at(r).label})
                                              : ctx.ui.at(r).label;
  }
  return it.field;
}

std::string pageTitle(const Context& ctx, const param::CompareItem& it) {
  if (!it.control) return "-";
  const std::string c = it.control;
  const int p = ctx.ui.findPanel(c.substr(0, c.find('.')));
  return p >= 0 ? ctx.ui.panel(p).title : "-";
}

std::string valueText(const Context& ctx, const param::CompareItem& it, const param::CompareValue& v) {
  if (!v.held) return Localized(ctx, "not in the file");
  std::string t = param::PageText(it, v, ctx.params.unitMm == 1, UmPerPixel(ctx), ctx.ident.model.displayPrecision);
  // The unit in force shows two positions alike whose other form differs:
  // both forms, so the mark explains itself.
  if (it.kind == param::ValueKind::Position && it.pixelDiffers != it.umDiffers &&
      (ctx.params.unitMm == 1 ? it.pixelDiffers : it.umDiffers))
    t += ctx.params.unitMm == 1 ? " (" + std::to_string(v.value) + " pixel)"
                                : " (" + param::PageText(it, v, true, UmPerPixel(ctx), 3) + " mm)";
  return t;
}

std::vector<param::CompareItem> currentItems(const Context& ctx) {
  const auto& w = ctx.params.compare;
  return param::CompareParamSets(w.left, w.right);
}

// A field's value into its page control, in the unit the page shows.
bool takeIntoControl(Context& ctx, const param::CompareItem& it, const param::CompareValue& v) {
  auto& p = ctx.params;
  const bool mm = p.unitMm == 1;
  const double s = UmPerPixel(ctx);
  // The records too: a unit switch shows the positions again from them.
  if (it.row >= 0) {
    param::rowSet(p, it.row, it.off, static_cast<uint16_t>(v.value));
    if (it.umOff >= 0) param::rowSet32(p, it.row, it.umOff, static_cast<int32_t>(v.um));
  } else {
    param::set(p, it.off, static_cast<uint16_t>(v.value));
    if (it.umOff >= 0) param::set32(p, it.umOff, static_cast<int32_t>(v.um));
  }
  if (it.row >= 0) {
    const ui::CtlRef t = ctx.para.teach.table;
    if (it.column < 0 || !ctx.ui.valid(t)) return true;
    auto& tm = ctx.ui.table(t);
    if (it.row >= tm.rows || it.column >= tm.cols) return false;
    tm.at(it.row, it.column).num =
        it.kind == param::ValueKind::Position && mm ? static_cast<double>(v.um) / 1000.0 : static_cast<double>(v.value);
    return true;
  }
  for (const param::FieldBinding& b : param::ParamBindings()) {
    if (b.off != it.off && !(b.conv == param::Conv::Threshold && it.off == param::TRACK_THRESHOLD)) continue;
    const ui::CtlRef r = b.ref(ctx);
    if (!ctx.ui.valid(r)) break;
    switch (b.conv) {
      case param::Conv::Position:
        ctx.ui.setValue(r, !mm                 ? static_cast<double>(v.value)
                           : it.umOff >= 0     ? static_cast<double>(v.um) / 1000.0
                                               : param::PixelToMm(static_cast<double>(v.value), s));
        return true;
      case param::Conv::Millis:
        ctx.ui.setValue(r, static_cast<double>(v.value) / 1000.0);
        return true;
      case param::Conv::Threshold: {
        // The one slider edits the threshold the shown mode chooses; the
        // other one goes into the record as it is.
        const bool tracking = ctx.ui.intValue(ctx.para.p2.vthdMode) == 1;
        if ((it.off == param::TRACK_THRESHOLD) == tracking)
          ctx.ui.setValue(r, static_cast<double>(v.value));
        else
          param::set(p, it.off, static_cast<uint16_t>(v.value));
        return true;
      }
      case param::Conv::Word:
        ctx.ui.setValue(r, static_cast<double>(v.value));
        return true;
    }
  }
  // No page shows it: the record keeps it until it is sent.
  return true;
}

}  // namespace

void RefreshCompareWindow(Context& ctx) {
  const ui::CtlRef t = ctx.refs.compare.table;
  if (!ctx.ui.valid(t)) return;
  auto& w = ctx.params.compare;
  w.rowItem.clear();
  if (!w.compared) {
    ctx.ui.table(t).resize(0, COL_COUNT);
    return;
  }
  const auto items = currentItems(ctx);
  const bool only = ctx.ui.intValue(ctx.refs.compare.onlyDiff) != 0;
  for (size_t i = 0; i < items.size(); ++i)
    if (!only || items[i].differs()) w.rowItem.push_back(static_cast<int>(i));
  auto& tm = ctx.ui.table(t);
  tm.resize(static_cast<int>(w.rowItem.size()), COL_COUNT);
  tm.rowMarked.assign(w.rowItem.size(), 0);
  for (size_t r = 0; r < w.rowItem.size(); ++r) {
    const auto& it = items[static_cast<size_t>(w.rowItem[r])];
    const int row = static_cast<int>(r);
    tm.at(row, COL_FIELD).text = fieldLabel(ctx, it);
    tm.at(row, COL_UNIT).text = param::PageUnit(it, ctx.params.unitMm == 1);
    tm.at(row, COL_LEFT).text = valueText(ctx, it, it.left);
    tm.at(row, COL_RIGHT).text = valueText(ctx, it, it.right);
    tm.at(row, COL_PAGE).text = pageTitle(ctx, it);
    tm.rowMarked[r] = it.differs() ? 1 : 0;
  }
  tm.selTop = tm.selLeft = tm.selBottom = tm.selRight = -1;
  const int n = param::CountDifferences(items);
  setResult(ctx, n == 0 ? Localized(ctx, "The two parameter sets are equal.")
                        : Localized(ctx, "%1 differences", {std::to_string(n)}));
  for (const ui::CtlRef take : ctx.refs.compare.take) ctx.ui.setDimmed(take, false);
}

void OpenCompareWindow(Context& ctx) {
  const int p = ctx.refs.compare.panel;
  if (p < 0) return;
  showSourceControls(ctx);
  if (!ctx.ui.panel(p).visible) {
    ctx.ui.panel(p).visible = true;
    ctx.ui.touchPanel(p);
  }
}

int CompareChosenSides(Context& ctx) {
  auto& w = ctx.params.compare;
  const Chosen sides[2] = {chosen(ctx, true), chosen(ctx, false)};
  param::CompareSide read[2];
  for (int i = 0; i < 2; ++i) {
    if (sides[i].source == param::SRC_FILE && sides[i].path.empty()) {
      ctx.status = "Choose the parameter file to compare first!";
      setResult(ctx, Localized(ctx, ctx.status));
      ShowStatus(ctx);
      return -1;
    }
    if (param::NeedsSensor(sides[i].source) && (!ctx.link.port || ctx.ident.hw.pixelCount <= 0)) {
      ctx.status = "No sensor connected - connect first!";
      setResult(ctx, Localized(ctx, ctx.status));
      ShowStatus(ctx);
      return -1;
    }
  }
  bool ok = true;
  std::string shown;
  auto readAll = [&] {
    for (int i = 0; i < 2 && ok; ++i)
      ok = param::LoadCompareSide(ctx, sides[i].source, sides[i].path, read[i], &shown) == param::SideResult::Read;
  };
  const bool sensor = param::NeedsSensor(sides[0].source) || param::NeedsSensor(sides[1].source);
  if (sensor) {
    // Read while nothing else talks to the sensor; a running loop is not
    // interrupted for it.
    if (!PerformIfIdle(ctx, readAll)) {
      setResult(ctx, Localized(ctx, ctx.status));
      return -1;
    }
  } else {
    readAll();
  }
  if (!ok) {
    // Nothing half compared: the table shows the last comparison no more.
    w.compared = false;
    RefreshCompareWindow(ctx);
    setResult(ctx, shown);
    ShowStatusText(ctx, shown);
    return -1;
  }
  w.left = read[0];
  w.right = read[1];
  w.compared = true;
  RefreshCompareWindow(ctx);
  return 1;
}

int TakeCompareRows(Context& ctx, bool left) {
  const auto& w = ctx.params.compare;
  const ui::CtlRef t = ctx.refs.compare.table;
  if (!w.compared || !ctx.ui.valid(t)) return 0;
  const auto& tm = ctx.ui.at(t).table;
  int top = tm.selTop, bottom = tm.selBottom;
  if (top < 0) top = bottom = tm.activeRow;
  const auto items = currentItems(ctx);
  int taken = 0;
  for (int r = std::max(top, 0); r <= bottom && r < static_cast<int>(w.rowItem.size()); ++r) {
    const auto& it = items[static_cast<size_t>(w.rowItem[static_cast<size_t>(r)])];
    const auto& v = left ? it.left : it.right;
    if (v.held && takeIntoControl(ctx, it, v)) ++taken;
  }
  if (ctx.ui.valid(ctx.para.teach.table)) ctx.ui.touch(ctx.para.teach.table);
  ctx.status = taken == 0 ? "No field taken: choose the rows in the table first!"
                          : "Fields taken into the pages - press SEND to send them!";
  setResult(ctx, taken == 0 ? Localized(ctx, ctx.status)
                            : Localized(ctx, "%1 fields taken into the pages - press SEND to send them!",
                                        {std::to_string(taken)}));
  ShowStatus(ctx);
  return taken;
}

int CC_PANELcompare(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_CLOSE) return 0;
  const int p = ctx.refs.compare.panel;
  if (p >= 0 && ctx.ui.panel(p).visible) {
    ctx.ui.panel(p).visible = false;
    ctx.ui.touchPanel(p);
  }
  return 0;
}

int CC_RINGcompareSource(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT || ev.event == ui::EVENT_VAL_CHANGED) showSourceControls(ctx);
  return 0;
}

int CC_BTNcompareFile(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const bool left = ctx.refs.compare.fileBtn[0].control == ev.control;
  ui::FileRequest req;
  req.directory = ctx.app.userFilesDir;
  req.defaultName = "Quellan-BXpara.ini";
  req.filter = "*.ini";
  req.title = ctx.app.texts.message("Quellan-BX-Series Parameter-File");
  req.allowNewFolder = false;
  std::string path;
  if (ctx.ui.fileSelect(req, path) == ui::FILE_CANCEL || path.empty()) return 0;
  ctx.ui.setText(ctx.refs.compare.file[side(left)], path);
  return 0;
}

int CC_BTNcompare(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) CompareChosenSides(ctx);
  return 0;
}

int CC_BINSWcompareOnlyDiff(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT || ev.event == ui::EVENT_VAL_CHANGED) RefreshCompareWindow(ctx);
  return 0;
}

int CC_BTNcompareTake(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) TakeCompareRows(ctx, ctx.refs.compare.take[0].control == ev.control);
  return 0;
}

int CC_TableCompare(Context&, const ui::EventArgs&) { return 0; }

}  // namespace bx
