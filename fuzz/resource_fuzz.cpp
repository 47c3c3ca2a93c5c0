// The panel resource loader fed resource text; includes resolve in the
// product's resource folder. A load either fails with a reason and an
// empty model or gives a model whose cross references hold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/resource.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

// The panels form a tree: every chain of parents ends.
bool parentsEnd(const bx::ui::Ui& ui, int h) {
  for (size_t steps = 0; steps <= ui.panels.size(); ++steps) {
    if (h < 0) return true;
    h = ui.panel(h).parent;
  }
  return false;
}

void checkModel(const bx::ui::Ui& ui) {
  const int panels = static_cast<int>(ui.panels.size());
  for (int h = 0; h < panels; ++h) {
    const auto& p = ui.panel(h);
    check(p.parent >= -1 && p.parent < panels && parentsEnd(ui, h));
    for (const auto& c : p.controls) {
      check(c.table.cells.size() == static_cast<size_t>(c.table.rows) * static_cast<size_t>(c.table.cols));
      check(c.table.colLabels.size() == static_cast<size_t>(c.table.cols));
      if (c.kind == bx::ui::Kind::Strip)
        check(c.strip.data.size() == static_cast<size_t>(c.strip.traces) * static_cast<size_t>(c.strip.points));
      for (int page : c.pages) check(page >= 0 && page < panels && ui.panel(page).tabOwner == h);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  bx::ui::Ui ui;
  std::string error;
  if (!bx::ui::loadResourceText(ui, text, error, BX_RESOURCE_DIR)) {
    check(!error.empty() && ui.panels.empty() && ui.menuBar.menus.empty());
    return 0;
  }
  checkModel(ui);
  return 0;
}
