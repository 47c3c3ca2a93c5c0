#pragma once
// The main panel as the application's main window: title, place, size and
// maximised state from the panel (and the real ones back into it), the
// menu bar from the model. Closing and resizing are the panel's events;
// the window never closes by itself.
#include <QMainWindow>
#include <QScrollArea>
#include <vector>

#include "ui/ui.h"

class QAction;
class QMenu;

namespace bx::gui {

// The main panel's area: the panel itself where the screen has room for
// its smallest layout, scrolled where it has not (a large scale factor, a
// small screen) or where the operator made the window lower than that.
class PanelScroll : public QScrollArea {
  Q_OBJECT
 public:
  explicit PanelScroll(QWidget* panel);
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(ui::Ui& ui, int panel);
  int panel() const { return panel_; }
  // Title and size from the panel model.
  void syncPanel();
  // Menu bar from the model when its revision moved (always when forced).
  void syncMenu(bool force = false);
  QAction* menuAction(int menu, int item) const;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  struct MenuSlot {
    QMenu* menu = nullptr;
    std::vector<QAction*> actions;
  };
  bool sameShape() const;
  // The window's size bounded by the free area of its screen.
  QSize fitScreen(QSize want) const;
  void rebuildMenus();

  ui::Ui& ui_;
  int panel_;
  std::vector<MenuSlot> menus_;
  uint64_t menuRev_ = 0;
  int appliedW_ = 0, appliedH_ = 0;
  int appliedLeft_ = 0, appliedTop_ = 0;
  bool appliedMax_ = false;
};

}  // namespace bx::gui
