#pragma once
// The headless user-interface model: panels, controls, menu bar, callback
// dispatch and pop-ups. Core code sets and reads controls through it; a
// front-end renders it. It knows no product rule.
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"
#include "ui/frontend.h"
#include "ui/panel.h"

namespace bx::ui {

struct CallbackEntry {
  const char* name;
  Callback fn;
};

// What the front-end shows of its own accord: the language in force (its
// own dialogs follow it) and the texts of the few things it adds to the
// panels itself. The core sets them whenever the language changes.
struct FrontTexts {
  std::string language = "en";            // two-letter code
  std::string wholeGraph = "Whole graph";  // a zoomed graph's way back
  uint64_t revision = 1;
};

class Ui {
 public:
  std::vector<Panel> panels;
  MenuBar menuBar;
  FrontTexts front;
  Frontend* frontend = nullptr;
  Context* ctx = nullptr;

  // Lookup by resource names; invalid refs when missing.
  int findPanel(std::string_view name) const;
  CtlRef find(std::string_view panel, std::string_view control) const;
  bool findMenuItem(std::string_view menu, std::string_view item, int& menuIdx, int& itemIdx) const;

  bool valid(CtlRef r) const;
  Control& at(CtlRef r);
  const Control& at(CtlRef r) const;
  Panel& panel(int h) { return panels[static_cast<size_t>(h)]; }
  const Panel& panel(int h) const { return panels[static_cast<size_t>(h)]; }

  // Resolve callback names of the resource against a table. Names that the
  // table lacks leave the control without a callback (and dimmed when asked).
  void bindCallbacks(const CallbackEntry* table, size_t count);

  // Value access. Setters on invalid refs do nothing, getters return 0/"".
  void setValue(CtlRef r, double v);
  double value(CtlRef r) const;
  int intValue(CtlRef r) const { return static_cast<int>(value(r)); }
  void setText(CtlRef r, std::string_view text);
  const std::string& text(CtlRef r) const;
  void appendText(CtlRef r, std::string_view text);  // text box: adds text, tells the front-end
  void setLabel(CtlRef r, std::string_view label);
  void setDimmed(CtlRef r, bool dimmed);
  // Enables a control only when its callback exists: a control whose
  // function this build lacks stays dimmed rather than pretend to work.
  void setOperable(CtlRef r, bool operable);
  bool dimmed(CtlRef r) const;
  void setStale(CtlRef r, bool stale);
  bool stale(CtlRef r) const;
  void setVisible(CtlRef r, bool visible);
  bool visible(CtlRef r) const;
  void setReadOnly(CtlRef r, bool ro);
  void setTextColor(CtlRef r, Color c);
  void setBgColor(CtlRef r, Color c);
  void setItems(CtlRef r, std::vector<Item> items);
  int itemIndexOfValue(CtlRef r, double v) const;  // -1 when absent
  void setLimits(CtlRef r, double min, double max);
  void setPrecision(CtlRef r, int precision);
  void setStep(CtlRef r, double step);
  void setTooltip(CtlRef r, std::string_view text);
  // The edited mark of a control (not yet sent, as the caller decides).
  void setEdited(CtlRef r, bool edited);

  // Combo list of recent entries (labels of items).
  void comboInsertTop(CtlRef r, std::string_view entry, size_t maxEntries);

  // Shows or hides a panel; a tab holding it as a page repaints too.
  void setPageVisible(int panel, bool visible);

  // Tab control: active page index.
  void setActivePage(CtlRef tab, int page);
  int activePage(CtlRef tab) const;

  // Kind-specific models. Taking one for editing marks the control for
  // repaint: the front-end draws only once the caller is back in event
  // processing, so the edits made through the reference are all shown.
  // Take it again after a wait rather than hold it across one.
  TableModel& table(CtlRef r) { return edit(r).table; }
  GraphModel& graph(CtlRef r) { return edit(r).graph; }
  StripModel& strip(CtlRef r) { return edit(r).strip; }
  const TableModel& table(CtlRef r) const { return at(r).table; }
  const GraphModel& graph(CtlRef r) const { return at(r).graph; }
  const StripModel& strip(CtlRef r) const { return at(r).strip; }
  // The control for edits no setter covers (captions, headers), marked
  // for repaint in the same way.
  Control& edit(CtlRef r) {
    touch(r);
    return at(r);
  }
  void setContextMenu(CtlRef r, std::vector<ContextEntry> entries);
  void touch(CtlRef r);
  void touchPanel(int panel);
  void touchMenu();
  void setFrontTexts(FrontTexts texts);

  // Menu bar.
  void setMenuChecked(int menu, int item, bool checked);
  void setMenuDimmed(int menu, int item, bool dimmed);

  // Dispatch an operator action to the control's callback. Returns the
  // callback's result, 0 when there is none. Dimmed controls get only
  // right-click events, as on screen.
  int fire(CtlRef r, int event, int data1 = 0, int data2 = 0);
  int firePanel(int panel, int event, int data1 = 0, int data2 = 0);
  int fireMenu(int menu, int item);
  // Entry of the control's right-click menu chosen.
  int fireContextEntry(CtlRef r, int entry);

  // Pop-ups and event processing through the front-end.
  void processEvents();
  void message(const std::string& title, const std::string& text);
  bool confirm(const std::string& title, const std::string& text);
  bool prompt(const std::string& title, const std::string& text, std::string& answer);
  FileResult fileSelect(const FileRequest& req, std::string& path);
  void setWaitCursor(bool on);
  bool copyText(const std::string& text);
  // Told of every pop-up shown (message, question, prompt) before it shows,
  // so a log can keep it; the answer is the pop-up's own business.
  void (*popupSeen)(Context& ctx, const std::string& title, const std::string& text) = nullptr;
  // -1 when cancelled or without a front-end.
  int selectFromList(const std::string& title, const std::vector<std::string>& choices);
  // -1 when closed without a button or without a front-end.
  int choose(const std::string& title, const std::string& text, const std::vector<std::string>& buttons);
  bool canPrint();
  std::vector<std::string> printerNames();
  bool print(const PrintJob& job, const PrintTarget& target, std::string& error);

  uint64_t revision() const { return revision_; }

 private:
  uint64_t bump() { return ++revision_; }
  uint64_t revision_ = 1;
  static const std::string kEmpty;
};

}  // namespace bx::ui
