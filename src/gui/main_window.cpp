#include "gui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>

namespace bx::gui {

MainWindow::MainWindow(ui::Ui& ui, int panel) : ui_(ui), panel_(panel) {
  setObjectName(QString::fromStdString(ui.panel(panel).name));
  // The window system places the window first; the model moves it only
  // when it asks for another place later.
  appliedLeft_ = ui.panel(panel).left;
  appliedTop_ = ui.panel(panel).top;
  syncPanel();
  syncMenu(true);
}

void MainWindow::syncPanel() {
  const ui::Panel& p = ui_.panel(panel_);
  QString title = QString::fromStdString(p.title);
  if (windowTitle() != title) setWindowTitle(title);
  // Resize only when the model asks for another size than the one last
  // applied or reported, so the operator's own resizing stays.
  if (p.width != appliedW_ || p.height != appliedH_) {
    appliedW_ = p.width;
    appliedH_ = p.height;
    resize(p.width, p.height);
  }
  if (p.left != appliedLeft_ || p.top != appliedTop_) {
    appliedLeft_ = p.left;
    appliedTop_ = p.top;
    move(p.left, p.top);
  }
}

bool MainWindow::sameShape() const {
  const auto& menus = ui_.menuBar.menus;
  if (menus.size() != menus_.size()) return false;
  for (size_t m = 0; m < menus.size(); ++m) {
    if (menus[m].items.size() != menus_[m].actions.size()) return false;
    for (size_t i = 0; i < menus[m].items.size(); ++i)
      if (menus[m].items[i].separator != menus_[m].actions[i]->isSeparator()) return false;
  }
  return true;
}

void MainWindow::rebuildMenus() {
  // A menu callback may be running from one of these actions: let Qt delete
  // them once control is back in its loop.
  for (auto& slot : menus_) {
    menuBar()->removeAction(slot.menu->menuAction());
    slot.menu->deleteLater();
  }
  menus_.clear();
  const auto& menus = ui_.menuBar.menus;
  for (size_t m = 0; m < menus.size(); ++m) {
    MenuSlot slot;
    slot.menu = new QMenu(menuBar());
    menuBar()->addMenu(slot.menu);
    for (size_t i = 0; i < menus[m].items.size(); ++i) {
      QAction* a;
      if (menus[m].items[i].separator) {
        a = slot.menu->addSeparator();
      } else {
        a = slot.menu->addAction(QString());
        const int mi = static_cast<int>(m), ii = static_cast<int>(i);
        connect(a, &QAction::triggered, this, [this, mi, ii] {
          // Qt flips a checkable action by itself; the model decides.
          menuRev_ = 0;
          ui_.fireMenu(mi, ii);
          syncMenu();
        });
      }
      slot.actions.push_back(a);
    }
    menus_.push_back(std::move(slot));
  }
}

void MainWindow::syncMenu(bool force) {
  if (!force && ui_.menuBar.revision == menuRev_) return;
  menuRev_ = ui_.menuBar.revision;
  if (!sameShape()) rebuildMenus();
  const auto& menus = ui_.menuBar.menus;
  for (size_t m = 0; m < menus.size(); ++m) {
    QString title = QString::fromStdString(menus[m].label.empty() ? menus[m].name : menus[m].label);
    if (menus_[m].menu->title() != title) menus_[m].menu->setTitle(title);
    for (size_t i = 0; i < menus[m].items.size(); ++i) {
      const ui::MenuItem& it = menus[m].items[i];
      QAction* a = menus_[m].actions[i];
      if (it.separator) continue;
      QString text = QString::fromStdString(it.label.empty() ? it.name : it.label);
      if (a->text() != text) a->setText(text);
      if (a->isCheckable() != it.checked) a->setCheckable(it.checked);
      if (a->isChecked() != it.checked) a->setChecked(it.checked);
      if (a->isEnabled() == it.dimmed) a->setEnabled(!it.dimmed);
    }
  }
}

QAction* MainWindow::menuAction(int menu, int item) const {
  if (menu < 0 || menu >= static_cast<int>(menus_.size())) return nullptr;
  const auto& acts = menus_[static_cast<size_t>(menu)].actions;
  if (item < 0 || item >= static_cast<int>(acts.size())) return nullptr;
  return acts[static_cast<size_t>(item)];
}

void MainWindow::closeEvent(QCloseEvent* e) {
  // The panel's callback decides (it may save settings and quit).
  e->ignore();
  if (ui_.panel(panel_).callback)
    ui_.firePanel(panel_, ui::EVENT_CLOSE);
  else if (ui_.frontend)
    ui_.frontend->quit();  // nobody to ask: leave
}

void MainWindow::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  ui::Panel& p = ui_.panel(panel_);
  const int w = e->size().width(), h = e->size().height();
  if (w == p.width && h == p.height) return;
  p.width = appliedW_ = w;
  p.height = appliedH_ = h;
  if (isVisible()) ui_.firePanel(panel_, ui::EVENT_PANEL_SIZE);
}

}  // namespace bx::gui
