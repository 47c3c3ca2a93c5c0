#include "params/table_edit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "context/context.h"
#include "params/bindings.h"
#include "params/panel_values.h"

namespace bx {
namespace {

constexpr int kModeCol = param::TC_MODE;

ui::TableModel* editor(Context& ctx) {
  const auto r = ctx.para.teach.table;
  if (!ctx.ui.valid(r)) return nullptr;
  auto& t = ctx.ui.table(r);
  return t.rows >= param::kTeachRows && t.cols >= param::TC_COUNT ? &t : nullptr;
}

double columnDefault(const ui::TableModel& t, int col) {
  return col < static_cast<int>(t.colDefault.size()) ? t.colDefault[static_cast<size_t>(col)] : 0.0;
}

// A ring cell only takes the index of one of its items.
bool fits(const ui::TableModel& t, int col, double v) {
  if (col != kModeCol) return std::isfinite(v);
  const double n = t.ringItems.empty() ? 3 : static_cast<double>(t.ringItems.size());
  return v >= 0 && v < n && v == std::floor(v);
}

template <typename Fn>
bool forSelection(ui::TableModel& t, Fn fn) {
  if (t.selTop < 0 || t.selLeft < 0) return false;
  const int top = std::clamp(std::min(t.selTop, t.selBottom), 0, t.rows - 1);
  const int bottom = std::clamp(std::max(t.selTop, t.selBottom), 0, t.rows - 1);
  const int left = std::clamp(std::min(t.selLeft, t.selRight), 0, t.cols - 1);
  const int right = std::clamp(std::max(t.selLeft, t.selRight), 0, t.cols - 1);
  for (int r = top; r <= bottom; ++r)
    for (int c = left; c <= right; ++c) fn(r, c);
  return true;
}

// "Write this value into these cells?", the value, then one line per row
// with the column names of the cells in it.
std::string describeCells(Context& ctx, const ui::TableModel& t, double value,
                          const std::vector<std::pair<int, int>>& cells) {
  const auto& tx = ctx.app.texts;
  char num[32];
  std::snprintf(num, sizeof num, "%g", value);
  std::string text = tx.message("Write this value into these cells?") + "\n" + tx.message("Value:") + " " + num;
  int row = -1;
  for (const auto& [r, c] : cells) {
    if (r != row) {
      text += "\n" + tx.message("Row") + " " + std::to_string(r + 1) + ": ";
      row = r;
    } else {
      text += ", ";
    }
    text += c < static_cast<int>(t.colLabels.size()) ? t.colLabels[static_cast<size_t>(c)] : std::to_string(c + 1);
  }
  return text;
}

}  // namespace

int GridSetSelectionTo(Context& ctx) {
  ui::TableModel* t = editor(ctx);
  if (!t) return 0;
  std::string answer;
  if (!ctx.ui.prompt("VALUE!", "Insert a cell value!", answer)) return 0;
  float v = 0;
  if (std::sscanf(answer.c_str(), "%f", &v) != 1) return 0;
  const double value = v;
  // The operator sees which cells take the value before any is written:
  // zero tolerances sent to the sensor fail every part.
  std::vector<std::pair<int, int>> cells;
  forSelection(*t, [&](int r, int c) {
    if (fits(*t, c, value)) cells.emplace_back(r, c);
  });
  if (cells.empty()) return 0;
  if (!ctx.ui.confirm(ctx.app.texts.message("ATTENTION!"), describeCells(ctx, *t, value, cells))) return 0;
  // Taken again after the dialogue, so that these edits are the ones repainted.
  t = editor(ctx);
  if (!t) return 0;
  for (const auto& [r, c] : cells) t->at(r, c).num = value;
  return 1;
}

int GridResetSelection(Context& ctx) {
  ui::TableModel* t = editor(ctx);
  if (!t) return 0;
  const bool any = forSelection(*t, [&](int r, int c) { t->at(r, c).num = columnDefault(*t, c); });
  return any ? 1 : 0;
}

int ClearTeachTable(Context& ctx) {
  ui::TableModel* t = editor(ctx);
  if (!t) return 0;
  const auto& tx = ctx.app.texts;
  if (!ctx.ui.confirm(tx.message("ATTENTION!"), tx.message("Do you really want to reset the table?"))) return 0;
  t = editor(ctx);
  if (!t) return 0;
  for (int r = 0; r < t->rows; ++r)
    for (int c = 0; c < t->cols; ++c) t->at(r, c).num = columnDefault(*t, c);
  GetTableValues(ctx);
  return 1;
}

int CC_GRIDSetSelectionTo(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  return GridSetSelectionTo(ctx);
}

int CC_GRIDResetSelection(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  return GridResetSelection(ctx);
}

int CC_PICBTNclearTable(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  return ClearTeachTable(ctx);
}

}  // namespace bx
