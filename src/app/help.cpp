#include "app/help.h"

#include <algorithm>

#include "context/context.h"

namespace bx {

namespace {

constexpr const char* kHelpPanel = "HELP";
constexpr const char* kHelpText = "TEXT";
// The help panel sits a little right of the control's left edge and just
// below it, so the control itself stays visible.
constexpr int kHelpOffsetX = 16;
constexpr int kHelpOffsetY = 4;

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};

Rect controlRect(const Rect& pr, const ui::Panel& p, const ui::Control& c) {
  int cellW = pr.w / std::max(1, p.gridCols);
  int cellH = pr.h / std::max(1, p.gridRows);
  return Rect{pr.x + c.col * cellW, pr.y + c.row * cellH, c.colSpan * cellW, c.rowSpan * cellH};
}

// Screen rectangle of a panel: top-level panels from their own placement,
// tab pages from the tab control that holds them.
Rect panelRect(const ui::Ui& ui, int handle, int depth = 0) {
  const ui::Panel& p = ui.panel(handle);
  if (p.tabOwner < 0 || depth > 8) return Rect{p.left, p.top, p.width, p.height};
  Rect owner = panelRect(ui, p.tabOwner, depth + 1);
  const ui::Panel& op = ui.panel(p.tabOwner);
  if (p.tabControl < 0 || p.tabControl >= static_cast<int>(op.controls.size())) return owner;
  return controlRect(owner, op, op.controls[static_cast<size_t>(p.tabControl)]);
}

}  // namespace

bool ShowHelp(Context& ctx, const ui::EventArgs& ev) {
  auto& ui = ctx.ui;
  ui::CtlRef r{ev.panel, ev.control};
  if (!ui.valid(r)) return false;
  const ui::Panel& p = ui.panel(ev.panel);
  const ui::Control& c = ui.at(r);
  const std::string* text = ctx.app.texts.find(p.name, c.name + ".help");
  if (text == nullptr || text->empty()) return false;
  int h = ui.findPanel(kHelpPanel);
  ui::CtlRef box = ui.find(kHelpPanel, kHelpText);
  if (h < 0 || !box.valid()) return false;
  ui.setText(box, *text);
  Rect cr = controlRect(panelRect(ui, ev.panel), p, c);
  ui::Panel& help = ui.panel(h);
  help.left = cr.x + kHelpOffsetX;
  help.top = cr.y + cr.h + kHelpOffsetY;
  help.visible = true;
  ui.touchPanel(h);
  ctx.app.helpShownFor = r;
  return true;
}

void HideHelp(Context& ctx) {
  int h = ctx.ui.findPanel(kHelpPanel);
  ctx.app.helpShownFor = {};
  if (h < 0 || !ctx.ui.panel(h).visible) return;
  ctx.ui.panel(h).visible = false;
  ctx.ui.touchPanel(h);
}

void WrapHelpCallbacks(Context& ctx) {
  auto& ui = ctx.ui;
  auto& wrapped = ctx.app.wrappedCallbacks;
  wrapped.resize(ui.panels.size());
  int helpPanel = ui.findPanel(kHelpPanel);
  for (size_t p = 0; p < ui.panels.size(); ++p) {
    if (static_cast<int>(p) == helpPanel) continue;
    auto& controls = ui.panels[p].controls;
    wrapped[p].resize(controls.size(), nullptr);
    for (size_t c = 0; c < controls.size(); ++c) {
      if (controls[c].callback == &CC_Help) continue;
      wrapped[p][c] = controls[c].callback;
      controls[c].callback = &CC_Help;
    }
  }
}

int CC_Help(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_RIGHT_CLICK) ShowHelp(ctx, ev);
  const auto& wrapped = ctx.app.wrappedCallbacks;
  if (ev.panel < 0 || ev.control < 0 || static_cast<size_t>(ev.panel) >= wrapped.size()) return 0;
  const auto& row = wrapped[static_cast<size_t>(ev.panel)];
  if (static_cast<size_t>(ev.control) >= row.size()) return 0;
  ui::Callback own = row[static_cast<size_t>(ev.control)];
  return own != nullptr && own != &CC_Help ? own(ctx, ev) : 0;
}

int CC_PANELpopup(Context& ctx, const ui::EventArgs& ev) {
  switch (ev.event) {
    case ui::EVENT_LEFT_CLICK:
    case ui::EVENT_RIGHT_CLICK:
    case ui::EVENT_LOST_FOCUS:
    case ui::EVENT_CLOSE:
    case ui::EVENT_COMMIT:
      HideHelp(ctx);
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace bx
