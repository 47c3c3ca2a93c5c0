#include "ui/ui.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace bx::ui {

const std::string Ui::kEmpty;

void TableModel::resize(int r, int c) {
  rows = std::max(0, r);
  cols = std::max(0, c);
  cells.assign(static_cast<size_t>(rows * cols), Cell{});
  colLabels.resize(static_cast<size_t>(cols));
  colKind.resize(static_cast<size_t>(cols), 0);
  colPrecision.resize(static_cast<size_t>(cols), 0);
  colDefault.resize(static_cast<size_t>(cols), 0.0);
  rowMarked.assign(static_cast<size_t>(rows), 0);
  rowReadOnly.assign(static_cast<size_t>(rows), 0);
}

int Ui::findPanel(std::string_view name) const {
  for (size_t i = 0; i < panels.size(); ++i)
    if (panels[i].name == name) return static_cast<int>(i);
  return -1;
}

CtlRef Ui::find(std::string_view panelName, std::string_view control) const {
  int p = findPanel(panelName);
  if (p < 0) return {};
  const auto& ctls = panels[static_cast<size_t>(p)].controls;
  for (size_t i = 0; i < ctls.size(); ++i)
    if (ctls[i].name == control) return CtlRef{p, static_cast<int>(i)};
  return {};
}

bool Ui::findMenuItem(std::string_view menu, std::string_view item, int& menuIdx, int& itemIdx) const {
  for (size_t m = 0; m < menuBar.menus.size(); ++m) {
    if (menuBar.menus[m].name != menu) continue;
    for (size_t i = 0; i < menuBar.menus[m].items.size(); ++i) {
      if (menuBar.menus[m].items[i].name == item) {
        menuIdx = static_cast<int>(m);
        itemIdx = static_cast<int>(i);
        return true;
      }
    }
  }
  return false;
}

bool Ui::valid(CtlRef r) const {
  return r.panel >= 0 && r.panel < static_cast<int>(panels.size()) && r.control >= 0 &&
         r.control < static_cast<int>(panels[static_cast<size_t>(r.panel)].controls.size());
}

Control& Ui::at(CtlRef r) { return panels[static_cast<size_t>(r.panel)].controls[static_cast<size_t>(r.control)]; }
const Control& Ui::at(CtlRef r) const {
  return panels[static_cast<size_t>(r.panel)].controls[static_cast<size_t>(r.control)];
}

void Ui::bindCallbacks(const CallbackEntry* table, size_t count) {
  auto lookup = [&](const std::string& name) -> Callback {
    if (name.empty()) return nullptr;
    for (size_t i = 0; i < count; ++i)
      if (name == table[i].name) return table[i].fn;
    return nullptr;
  };
  for (auto& p : panels) {
    if (!p.callback) p.callback = lookup(p.callbackName);
    for (auto& c : p.controls) {
      if (c.callback) continue;
      c.callback = lookup(c.callbackName);
      c.callbackBound = c.callback != nullptr;
    }
  }
  for (auto& m : menuBar.menus)
    for (auto& it : m.items)
      if (!it.callback) it.callback = lookup(it.callbackName);
}

void Ui::touch(CtlRef r) {
  if (!valid(r)) return;
  at(r).revision = bump();
}

void Ui::setContextMenu(CtlRef r, std::vector<ContextEntry> entries) {
  if (!valid(r)) return;
  at(r).contextMenu = std::move(entries);
  at(r).revision = bump();
}

void Ui::touchPanel(int p) {
  if (p < 0 || p >= static_cast<int>(panels.size())) return;
  panels[static_cast<size_t>(p)].revision = bump();
}

void Ui::touchMenu() { menuBar.revision = bump(); }

void Ui::setFrontTexts(FrontTexts texts) {
  front = std::move(texts);
  front.revision = bump();
}

void Ui::setValue(CtlRef r, double v) {
  if (!valid(r)) return;
  Control& c = at(r);
  if (c.value == v) return;
  c.value = v;
  c.revision = bump();
}

double Ui::value(CtlRef r) const { return valid(r) ? at(r).value : 0.0; }

void Ui::setText(CtlRef r, std::string_view text) {
  if (!valid(r)) return;
  Control& c = at(r);
  if (c.text == text) return;
  c.text.assign(text.data(), text.size());
  c.revision = bump();
}

const std::string& Ui::text(CtlRef r) const { return valid(r) ? at(r).text : kEmpty; }

void Ui::appendText(CtlRef r, std::string_view text) {
  if (!valid(r)) return;
  Control& c = at(r);
  c.text.append(text.data(), text.size());
  // A message box that grows without end would slow every repaint: keep the
  // newest part, as a scrolled box shows it anyway.
  constexpr size_t kKeep = 64 * 1024;
  if (c.text.size() > kKeep) {
    size_t cut = c.text.find('\n', c.text.size() - kKeep);
    c.text.erase(0, cut == std::string::npos ? c.text.size() - kKeep : cut + 1);
  }
  c.revision = bump();
  if (frontend) frontend->textAppended(r, std::string(text));
}

void Ui::setLabel(CtlRef r, std::string_view label) {
  if (!valid(r)) return;
  Control& c = at(r);
  if (c.label == label) return;
  c.label.assign(label.data(), label.size());
  c.revision = bump();
}

void Ui::setDimmed(CtlRef r, bool dimmed) {
  if (!valid(r) || at(r).dimmed == dimmed) return;
  at(r).dimmed = dimmed;
  at(r).revision = bump();
}

void Ui::setOperable(CtlRef r, bool operable) {
  if (!valid(r)) return;
  setDimmed(r, !operable || !at(r).callbackBound);
}

bool Ui::dimmed(CtlRef r) const { return valid(r) && at(r).dimmed; }

void Ui::setStale(CtlRef r, bool stale) {
  if (!valid(r) || at(r).stale == stale) return;
  at(r).stale = stale;
  at(r).revision = bump();
}

bool Ui::stale(CtlRef r) const { return valid(r) && at(r).stale; }

void Ui::setVisible(CtlRef r, bool visible) {
  if (!valid(r) || at(r).visible == visible) return;
  at(r).visible = visible;
  at(r).revision = bump();
}

bool Ui::visible(CtlRef r) const { return valid(r) && at(r).visible; }

void Ui::setReadOnly(CtlRef r, bool ro) {
  if (!valid(r) || at(r).readOnly == ro) return;
  at(r).readOnly = ro;
  at(r).revision = bump();
}

void Ui::setTextColor(CtlRef r, Color c) {
  if (!valid(r)) return;
  Control& ctl = at(r);
  if (ctl.hasTextColor && ctl.textColor == c) return;
  ctl.textColor = c;
  ctl.hasTextColor = true;
  ctl.revision = bump();
}

void Ui::setBgColor(CtlRef r, Color c) {
  if (!valid(r)) return;
  Control& ctl = at(r);
  if (ctl.hasBgColor && ctl.bgColor == c) return;
  ctl.bgColor = c;
  ctl.hasBgColor = true;
  ctl.revision = bump();
}

void Ui::setItems(CtlRef r, std::vector<Item> items) {
  if (!valid(r)) return;
  at(r).items = std::move(items);
  at(r).revision = bump();
}

int Ui::itemIndexOfValue(CtlRef r, double v) const {
  if (!valid(r)) return -1;
  const auto& items = at(r).items;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].value == v) return static_cast<int>(i);
  return -1;
}

void Ui::setLimits(CtlRef r, double min, double max) {
  if (!valid(r)) return;
  at(r).min = min;
  at(r).max = max;
  at(r).revision = bump();
}

void Ui::setPrecision(CtlRef r, int precision) {
  if (!valid(r) || at(r).precision == precision) return;
  at(r).precision = precision;
  at(r).revision = bump();
}

void Ui::setStep(CtlRef r, double step) {
  if (!valid(r)) return;
  at(r).step = step;
  at(r).revision = bump();
}

void Ui::setTooltip(CtlRef r, std::string_view text) {
  if (!valid(r) || at(r).tooltip == text) return;
  at(r).tooltip = text;
  at(r).revision = bump();
}

void Ui::setEdited(CtlRef r, bool edited) {
  if (!valid(r) || at(r).edited == edited) return;
  at(r).edited = edited;
  at(r).revision = bump();
}

void Ui::comboInsertTop(CtlRef r, std::string_view entry, size_t maxEntries) {
  if (!valid(r)) return;
  auto& items = at(r).items;
  items.erase(std::remove_if(items.begin(), items.end(), [&](const Item& it) { return it.label == entry; }),
              items.end());
  items.insert(items.begin(), Item{std::string(entry), 0});
  if (items.size() > maxEntries) items.resize(maxEntries);
  at(r).revision = bump();
}

void Ui::setPageVisible(int p, bool visible) {
  if (p < 0 || p >= static_cast<int>(panels.size())) return;
  Panel& page = panels[static_cast<size_t>(p)];
  if (page.visible == visible) return;
  page.visible = visible;
  touchPanel(p);
  for (auto& pn : panels)
    for (auto& c : pn.controls)
      if (c.kind == Kind::Tab && std::find(c.pages.begin(), c.pages.end(), p) != c.pages.end()) c.revision = bump();
}

void Ui::setActivePage(CtlRef tab, int page) {
  if (!valid(tab)) return;
  Control& c = at(tab);
  if (page < 0 || page >= static_cast<int>(c.pages.size())) return;
  if (static_cast<int>(c.value) == page) return;
  c.value = page;
  c.revision = bump();
}

int Ui::activePage(CtlRef tab) const { return valid(tab) ? static_cast<int>(at(tab).value) : -1; }

void Ui::setMenuChecked(int menu, int item, bool checked) {
  if (menu < 0 || menu >= static_cast<int>(menuBar.menus.size())) return;
  auto& items = menuBar.menus[static_cast<size_t>(menu)].items;
  if (item < 0 || item >= static_cast<int>(items.size())) return;
  items[static_cast<size_t>(item)].checked = checked;
  touchMenu();
}

void Ui::setMenuDimmed(int menu, int item, bool dimmed) {
  if (menu < 0 || menu >= static_cast<int>(menuBar.menus.size())) return;
  auto& items = menuBar.menus[static_cast<size_t>(menu)].items;
  if (item < 0 || item >= static_cast<int>(items.size())) return;
  items[static_cast<size_t>(item)].dimmed = dimmed;
  touchMenu();
}

int Ui::fire(CtlRef r, int event, int data1, int data2) {
  if (!valid(r) || ctx == nullptr) return 0;
  Control& c = at(r);
  if (c.dimmed && event != EVENT_RIGHT_CLICK) return 0;
  if (!c.callback) return 0;
  EventArgs ev{r.panel, r.control, event, data1, data2};
  return c.callback(*ctx, ev);
}

int Ui::firePanel(int p, int event, int data1, int data2) {
  if (p < 0 || p >= static_cast<int>(panels.size()) || ctx == nullptr) return 0;
  Panel& pn = panels[static_cast<size_t>(p)];
  if (!pn.callback) return 0;
  EventArgs ev{p, -1, event, data1, data2};
  return pn.callback(*ctx, ev);
}

int Ui::fireMenu(int menu, int item) {
  if (ctx == nullptr || menu < 0 || menu >= static_cast<int>(menuBar.menus.size())) return 0;
  auto& items = menuBar.menus[static_cast<size_t>(menu)].items;
  if (item < 0 || item >= static_cast<int>(items.size())) return 0;
  MenuItem& it = items[static_cast<size_t>(item)];
  if (it.dimmed || !it.callback) return 0;
  EventArgs ev{menu, item, EVENT_COMMIT, 0, 0};
  return it.callback(*ctx, ev);
}

int Ui::fireContextEntry(CtlRef r, int entry) {
  if (!valid(r) || ctx == nullptr) return 0;
  const Control& c = at(r);
  if (entry < 0 || entry >= static_cast<int>(c.contextMenu.size())) return 0;
  const ContextEntry& e = c.contextMenu[static_cast<size_t>(entry)];
  if (e.help) return fire(r, EVENT_RIGHT_CLICK);
  if (c.dimmed || !e.callback) return 0;
  EventArgs ev{r.panel, r.control, EVENT_COMMIT, 0, 0};
  return e.callback(*ctx, ev);
}

void Ui::processEvents() {
  if (frontend) frontend->processEvents();
}

void Ui::message(const std::string& title, const std::string& text) {
  if (popupSeen && ctx) popupSeen(*ctx, title, text);
  if (frontend) frontend->message(title, text);
}

bool Ui::confirm(const std::string& title, const std::string& text) {
  if (popupSeen && ctx) popupSeen(*ctx, title, text);
  return frontend ? frontend->confirm(title, text) : false;
}

bool Ui::prompt(const std::string& title, const std::string& text, std::string& answer) {
  if (popupSeen && ctx) popupSeen(*ctx, title, text);
  return frontend ? frontend->prompt(title, text, answer) : false;
}

bool Ui::copyText(const std::string& text) { return frontend ? frontend->copyText(text) : false; }

FileResult Ui::fileSelect(const FileRequest& req, std::string& path) {
  return frontend ? frontend->fileSelect(req, path) : FILE_CANCEL;
}

void Ui::setWaitCursor(bool on) {
  if (frontend) frontend->setWaitCursor(on);
}

int Ui::selectFromList(const std::string& title, const std::vector<std::string>& choices) {
  return frontend ? frontend->selectFromList(title, choices) : -1;
}

int Ui::choose(const std::string& title, const std::string& text, const std::vector<std::string>& buttons) {
  return frontend ? frontend->choose(title, text, buttons) : -1;
}

bool Ui::canPrint() { return frontend != nullptr && frontend->canPrint(); }

std::vector<std::string> Ui::printerNames() { return frontend ? frontend->printerNames() : std::vector<std::string>{}; }

bool Ui::print(const PrintJob& job, const PrintTarget& target, std::string& error) {
  if (frontend == nullptr) {
    error = "no front-end";
    return false;
  }
  return frontend->print(job, target, error);
}

static const struct {
  Kind kind;
  const char* name;
} kKindNames[] = {
    {Kind::Button, "button"}, {Kind::Numeric, "numeric"}, {Kind::Ring, "ring"},       {Kind::Combo, "combo"},
    {Kind::String, "string"}, {Kind::Text, "text"},       {Kind::TextBox, "textbox"}, {Kind::Toggle, "toggle"},
    {Kind::Switch, "switch"}, {Kind::Check, "check"},     {Kind::Radio, "radio"},     {Kind::Led, "led"},
    {Kind::Slider, "slider"}, {Kind::Table, "table"},     {Kind::Graph, "graph"},     {Kind::Strip, "strip"},
    {Kind::Tab, "tab"},       {Kind::Picture, "picture"},
};

const char* kindName(Kind k) {
  for (const auto& e : kKindNames)
    if (e.kind == k) return e.name;
  return "?";
}

bool kindFromName(const std::string& name, Kind& out) {
  for (const auto& e : kKindNames) {
    if (name == e.name) {
      out = e.kind;
      return true;
    }
  }
  return false;
}

}  // namespace bx::ui
