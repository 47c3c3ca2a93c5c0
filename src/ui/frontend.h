#pragma once
// What the core needs from whoever shows the panels: event processing and
// the operator's pop-ups. The Qt front-end and the headless one implement it.
#include <string>
#include <vector>

#include "ui/print_job.h"
#include "ui/types.h"

namespace bx::ui {

struct FileRequest {
  bool save = false;           // save dialogue (else load)
  std::string directory;
  std::string defaultName;
  std::string filter;          // e.g. "*.ini"
  std::string title;
  bool restrictExtension = true;
  bool allowNewFolder = true;
};

// A rectangle in pixels.
struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};

enum FileResult : int {
  FILE_CANCEL = 0,
  FILE_EXISTING = 1,
  FILE_NEW = 2,
};

class Frontend {
 public:
  virtual ~Frontend() = default;
  // Deliver pending operator input (callbacks run from here) and repaint.
  virtual void processEvents() = 0;
  // True when input is waiting, so an idle wait should not sleep.
  virtual bool inputPending() { return false; }
  virtual void message(const std::string& title, const std::string& text) = 0;
  virtual bool confirm(const std::string& title, const std::string& text) = 0;
  virtual bool prompt(const std::string& title, const std::string& text, std::string& answer) = 0;
  virtual FileResult fileSelect(const FileRequest& req, std::string& path) = 0;
  virtual int selectFromList(const std::string& title, const std::vector<std::string>& choices) {
    (void)title;
    (void)choices;
    return -1;
  }
  // A question with its own buttons: the index of the button chosen, -1
  // when the question was closed without one (as the last button, usually
  // Cancel, should act).
  virtual int choose(const std::string& title, const std::string& text, const std::vector<std::string>& buttons) {
    (void)title;
    (void)text;
    (void)buttons;
    return -1;
  }
  virtual void setWaitCursor(bool on) { (void)on; }
  // Puts text on the system clipboard; false when there is none.
  virtual bool copyText(const std::string& text) {
    (void)text;
    return false;
  }
  // Printing: whether the front-end can print at all, the printers
  // installed (none: only a PDF file can be offered), and the job printed to
  // the target; false with the reason in error.
  virtual bool canPrint() { return false; }
  virtual std::vector<std::string> printerNames() { return {}; }
  virtual bool print(const PrintJob& job, const PrintTarget& target, std::string& error) {
    (void)job;
    (void)target;
    error = "no printing in this front-end";
    return false;
  }
  // A line appended to a text box (the connection page's message box).
  virtual void textAppended(CtlRef box, const std::string& text) {
    (void)box;
    (void)text;
  }
  virtual bool openDocument(const std::string& path) {
    (void)path;
    return false;
  }
  // The versions of the tool kits the front-end is built on, one line
  // (empty when it has none), for the about box.
  virtual std::string componentVersions() { return {}; }
  // Leave the user-interface loop.
  virtual void quit() {}
  // Where a control is really shown, and the free area of its screen, both
  // in the coordinates child panels are placed in (origin at the top left
  // of the main panel's area). False when the front-end cannot tell.
  virtual bool controlGeometry(CtlRef r, Rect& control, Rect& screen) {
    (void)r;
    (void)control;
    (void)screen;
    return false;
  }
};

}  // namespace bx::ui
