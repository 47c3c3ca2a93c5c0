#pragma once
// The Qt implementation of the front-end interface: event processing with
// a throttled repaint, the operator's dialogs, the wait cursor and quitting.
// While Qt's own loop runs between waits, a timer keeps delivering the TCP
// link's events.
#include <chrono>

#include <QObject>
#include <QTimer>
#include <string>
#include <vector>

#include "ui/frontend.h"

namespace bx {
struct Context;
}

namespace bx::gui {

class Renderer;

class QtFrontend : public QObject, public ui::Frontend {
  Q_OBJECT
 public:
  explicit QtFrontend(Context& ctx);
  ~QtFrontend() override;

  // The renderer whose repaint pass runs from processEvents (may be null).
  void attach(Renderer* renderer) { renderer_ = renderer; }
  // Pop-ups go to this front-end instead of real dialogs (tests, scripted
  // runs); null restores the dialogs.
  void setPopupDelegate(ui::Frontend* delegate) { delegate_ = delegate; }

  void processEvents() override;
  void message(const std::string& title, const std::string& text) override;
  bool confirm(const std::string& title, const std::string& text) override;
  bool prompt(const std::string& title, const std::string& text, std::string& answer) override;
  ui::FileResult fileSelect(const ui::FileRequest& req, std::string& path) override;
  int selectFromList(const std::string& title, const std::vector<std::string>& choices) override;
  int choose(const std::string& title, const std::string& text, const std::vector<std::string>& buttons) override;
  void setWaitCursor(bool on) override;
  bool copyText(const std::string& text) override;
  bool canPrint() override { return true; }
  std::vector<std::string> printerNames() override;
  bool print(const ui::PrintJob& job, const ui::PrintTarget& target, std::string& error) override;
  bool openDocument(const std::string& path) override;
  std::string componentVersions() override;
  void quit() override;
  bool controlGeometry(ui::CtlRef r, ui::Rect& control, ui::Rect& screen) override;

  bool quitRequested() const { return quit_; }
  // Depth of waits inside callbacks (processEvents calls in progress).
  int waitDepth() const { return depth_; }

 private:
  QWidget* dialogParent() const;
  // While the link is busy: whether a pump (with a repaint pass when
  // `repaint`) may run now.
  bool pumpFits(std::chrono::steady_clock::time_point now, bool repaint) const;

  Context& ctx_;
  Renderer* renderer_ = nullptr;
  ui::Frontend* delegate_ = nullptr;
  QTimer linkTimer_;
  int depth_ = 0;
  static constexpr std::chrono::microseconds kBusyPumpInterval{1000};
  // A busy link holding pumps back: after kHeldLong (two repaint
  // intervals) a shorter wait will do; after kForcedAfter any moment, so a
  // fast line whose replies leave no time still sees 25 passes a second.
  static constexpr std::chrono::milliseconds kHeldLong{34};
  static constexpr std::chrono::milliseconds kForcedAfter{40};
  std::chrono::steady_clock::time_point lastPump_{};
  double plainCost_ = 0, repaintCost_ = 0;  // seconds a pump took
  bool waitCursor_ = false;
  bool quit_ = false;
};

}  // namespace bx::gui
