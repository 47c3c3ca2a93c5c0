#include "app/help.h"

#include <algorithm>

#include "context/context.h"
#include "params/edits.h"

namespace bx {

namespace {

constexpr const char* kHelpPanel = "HELP";
// Room between the control and the help panel beside it.
constexpr int kHelpGap = 6;

using ui::Rect;

Rect controlRect(const Rect& pr, const ui::Panel& p, const ui::Control& c) {
  int cellW = pr.w / std::max(1, p.gridCols);
  int cellH = pr.h / std::max(1, p.gridRows);
  return Rect{pr.x + c.col * cellW, pr.y + c.row * cellH, c.colSpan * cellW, c.rowSpan * cellH};
}

// Where a panel lies by its grid alone, in the main panel's area: tab pages
// inside the tab control that holds them, other panels at their placement
// (the main panel itself at the origin).
Rect panelRect(const ui::Ui& ui, int handle, int depth = 0) {
  const ui::Panel& p = ui.panel(handle);
  if (p.tabOwner < 0 || depth > 8) {
    if (p.parent < 0) return Rect{0, 0, p.width, p.height};
    return Rect{p.left, p.top, p.width, p.height};
  }
  Rect owner = panelRect(ui, p.tabOwner, depth + 1);
  const ui::Panel& op = ui.panel(p.tabOwner);
  if (p.tabControl < 0 || p.tabControl >= static_cast<int>(op.controls.size())) return owner;
  return controlRect(owner, op, op.controls[static_cast<size_t>(p.tabControl)]);
}

// Control and screen as the front-end shows them; without one, estimated
// from the grids and the screen size the application knows.
void helpGeometry(const Context& ctx, ui::CtlRef r, Rect& control, Rect& screen) {
  if (ctx.ui.frontend && ctx.ui.frontend->controlGeometry(r, control, screen)) return;
  const ui::Ui& ui = ctx.ui;
  control = controlRect(panelRect(ui, r.panel), ui.panel(r.panel), ui.at(r));
  const int main = ctx.refs.main.panel;
  const int left = main >= 0 ? ui.panel(main).left : 0;
  const int top = main >= 0 ? ui.panel(main).top : 0;
  screen = Rect{-left, -top, ctx.app.screenWidth, ctx.app.screenHeight};
}

int clampInto(int v, int size, int lo, int room) { return std::max(lo, std::min(v, lo + room - size)); }

}  // namespace

ui::Rect PlaceBeside(const ui::Rect& c, int w, int h, const ui::Rect& screen) {
  const int right = screen.x + screen.w, bottom = screen.y + screen.h;
  Rect at{0, 0, w, h};
  // Right of the control, then left of it, then below, then above; the
  // other coordinate slides so the whole panel stays on the screen.
  // (A control partly off the screen may leave a side without room.)
  auto fitsX = [&](int x) { return x >= screen.x && x + w <= right; };
  auto fitsY = [&](int y) { return y >= screen.y && y + h <= bottom; };
  if (fitsX(c.x + c.w + kHelpGap)) {
    at.x = c.x + c.w + kHelpGap;
    at.y = clampInto(c.y, h, screen.y, screen.h);
  } else if (fitsX(c.x - kHelpGap - w)) {
    at.x = c.x - kHelpGap - w;
    at.y = clampInto(c.y, h, screen.y, screen.h);
  } else if (fitsY(c.y + c.h + kHelpGap)) {
    at.y = c.y + c.h + kHelpGap;
    at.x = clampInto(c.x, w, screen.x, screen.w);
  } else if (fitsY(c.y - kHelpGap - h)) {
    at.y = c.y - kHelpGap - h;
    at.x = clampInto(c.x, w, screen.x, screen.w);
  } else {
    // A control as large as the screen: over its top right corner.
    at.x = clampInto(c.x + c.w - w, w, screen.x, screen.w);
    at.y = clampInto(c.y, h, screen.y, screen.h);
  }
  // A screen smaller than the panel: its top left corner stays visible.
  at.x = std::max(at.x, screen.x);
  at.y = std::max(at.y, screen.y);
  return at;
}

bool ShowHelp(Context& ctx, const ui::EventArgs& ev) {
  auto& ui = ctx.ui;
  ui::CtlRef r{ev.panel, ev.control};
  if (!ui.valid(r)) return false;
  const ui::Panel& p = ui.panel(ev.panel);
  const ui::Control& c = ui.at(r);
  const std::string* text = ctx.app.texts.find(p.name, c.name + ".help");
  if (text == nullptr || text->empty()) return false;
  const int h = ctx.refs.help.panel;
  const ui::CtlRef box = ctx.refs.help.text;
  if (h < 0 || !box.valid()) return false;
  ui.setText(box, *text);
  Rect control, screen;
  helpGeometry(ctx, r, control, screen);
  ui::Panel& help = ui.panel(h);
  Rect at = PlaceBeside(control, help.width, help.height, screen);
  help.left = at.x;
  help.top = at.y;
  help.visible = true;
  ui.touchPanel(h);
  ctx.app.helpShownFor = r;
  return true;
}

std::string HelpTooltip(const LanguageData& texts, const std::string& help) {
  std::string heading = help.substr(0, help.find('\n'));
  while (!heading.empty() && (heading.back() == ' ' || heading.back() == '\r')) heading.pop_back();
  if (!heading.empty() && heading.back() == ':') heading.pop_back();
  if (heading.empty()) return {};
  return heading + "\n" + texts.message("F1 for more");
}

void ApplyHelpTooltips(Context& ctx) {
  auto& ui = ctx.ui;
  for (size_t p = 0; p < ui.panels.size(); ++p) {
    const std::string& panel = ui.panels[p].name;
    for (size_t c = 0; c < ui.panels[p].controls.size(); ++c) {
      const std::string* help = ctx.app.texts.find(panel, ui.panels[p].controls[c].name + ".help");
      ui.setTooltip(ui::CtlRef{static_cast<int>(p), static_cast<int>(c)},
                    help ? HelpTooltip(ctx.app.texts, *help) : std::string());
    }
  }
}

void HideHelp(Context& ctx) {
  const int h = ctx.refs.help.panel;
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
  const int r = own != nullptr && own != &CC_Help ? own(ctx, ev) : 0;
  // Whatever the operator's action changed, the edited marks follow.
  RefreshEditMarks(ctx);
  return r;
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
