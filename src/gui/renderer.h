#pragma once
// Builds the widgets of the whole model once and keeps them up to date: the
// repaint pass compares revisions and touches only what changed. Widgets
// are never rebuilt or deleted while the renderer lives, so a callback that
// runs nested inside a wait can never lose the widget it came from.
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "gui/adapter.h"
#include "gui/qt_language.h"
#include "ui/ui.h"

namespace bx::gui {

class MainWindow;
class PanelView;
class PanelWindow;

struct RendererOptions {
  std::string resourceDir = ".";   // pictures are looked up here
  std::string mainPanel = "MAIN";  // the panel that becomes the main window
  int repaintIntervalMs = 17;      // at most 60 passes a second
};

class Renderer : public QObject {
  Q_OBJECT
 public:
  Renderer(ui::Ui& ui, RendererOptions options = {});
  ~Renderer() override;

  MainWindow* mainWindow() const { return main_.get(); }
  int mainPanel() const { return mainPanel_; }
  QWidget* panelWidget(int panel) const;
  ControlAdapter* adapter(ui::CtlRef r) const;
  QWidget* widget(ui::CtlRef r) const;  // the control's operable widget

  // One pass now: every widget whose model moved is brought up to date.
  void repaint();
  // The repaint interval has passed since the last pass.
  bool repaintDue() const;
  // A pass unless one ran within the repaint interval; true when it ran.
  bool repaintIfDue();
  int repaintCount() const { return passes_; }
  // Qt's own texts, following the language in force.
  const QtLanguage& qtLanguage() const { return qtLanguage_; }

 private:
  PanelView* buildPanel(int panel);
  void populate(PanelView* view);
  // Tab moves through a panel's controls as they are read: by row, then
  // column of the grid.
  void orderTabs(int panel);
  void syncPanel(int panel);

  ui::Ui& ui_;
  RendererOptions options_;
  BuildEnv env_;
  int mainPanel_ = -1;
  std::vector<std::vector<std::unique_ptr<ControlAdapter>>> adapters_;  // [panel][control]
  std::vector<QWidget*> views_;          // panel widgets (owned by their windows)
  std::vector<PanelWindow*> windows_;    // panels shown as windows of their own
  std::vector<uint64_t> panelRev_;
  uint64_t modelRev_ = 0;
  uint64_t frontRev_ = 0;
  QtLanguage qtLanguage_;
  bool inPass_ = false;
  int passes_ = 0;
  std::chrono::steady_clock::time_point last_{};
  QTimer timer_;
  // Declared last: windows go before the adapters that watch their widgets.
  std::vector<std::unique_ptr<PanelWindow>> topWindows_;
  std::unique_ptr<MainWindow> main_;
};

}  // namespace bx::gui
