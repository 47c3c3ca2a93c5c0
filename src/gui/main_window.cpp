#include "gui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QSet>
#include <QStyle>
#include <algorithm>

namespace bx::gui {

namespace {

// The label with an '&' before its first letter or digit that no earlier
// entry of the same menu took; a literal '&' is doubled.
QString withMnemonic(const std::string& label, QSet<QChar>& used) {
  const QString text = QString::fromStdString(label);
  int at = -1;
  for (int i = 0; i < text.size() && at < 0; ++i) {
    QChar k = text[i].toLower();
    if (text[i].isLetterOrNumber() && !used.contains(k)) {
      used.insert(k);
      at = i;
    }
  }
  QString out;
  for (int i = 0; i < text.size(); ++i) {
    if (i == at) out += '&';
    out += text[i];
    if (text[i] == '&') out += '&';
  }
  return out;
}

// Room the window's frame and menu bar take around its central area.
QSize decoration(const QWidget* central) {
  const QWidget* w = central ? central->window() : nullptr;
  if (!w) return {};
  QSize around = w->frameGeometry().size() - central->size();
  return around.expandedTo(QSize(0, 0));
}

}  // namespace

PanelScroll::PanelScroll(QWidget* panel) {
  setObjectName("panelScroll");
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(true);
  setWidget(panel);
  panel->installEventFilter(this);
}

bool PanelScroll::eventFilter(QObject* watched, QEvent* event) {
  // A scroll area does not pass its panel's new smallest size on (a longer
  // text in another language, say): the window learns it here and grows.
  if (watched == widget() && event->type() == QEvent::LayoutRequest) updateGeometry();
  return QScrollArea::eventFilter(watched, event);
}

QSize PanelScroll::minimumSizeHint() const {
  QSize need = widget() ? widget()->minimumSizeHint() : QSize(0, 0);
  const QScreen* s = screen();
  if (!s) return need;
  // Scroll bars take room of their own once the panel scrolls. The window
  // may be made lower than the panel (below), so the vertical bar's room
  // is always kept: the panel's width stays whole beside it.
  const QSize room = s->availableGeometry().size() - decoration(this);
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  need.rwidth() += bar;
  if (need.width() > room.width()) need.rheight() += bar;
  // The window may be made lower than the panel's smallest layout (down to
  // half of it): the panel scrolls then. Its width stays whole.
  need.setHeight(std::min(need.height(), std::max(need.height() / 2, 80)));
  return need.boundedTo(room).expandedTo(QSize(100, 80));
}

QSize PanelScroll::sizeHint() const {
  return widget() ? widget()->sizeHint().expandedTo(minimumSizeHint()) : QScrollArea::sizeHint();
}

QSize MainWindow::fitScreen(QSize want) const {
  const QScreen* s = screen();
  if (!s) return want;
  const QSize around = frameGeometry().size() - size();
  return want.boundedTo(s->availableGeometry().size() - around.expandedTo(QSize(0, 0)));
}

MainWindow::MainWindow(ui::Ui& ui, int panel) : ui_(ui), panel_(panel) {
  setObjectName(QString::fromStdString(ui.panel(panel).name));
  // The stored place applies from the start.
  appliedLeft_ = ui.panel(panel).left;
  appliedTop_ = ui.panel(panel).top;
  move(appliedLeft_, appliedTop_);
  syncPanel();
  syncMenu(true);
}

void MainWindow::syncPanel() {
  const ui::Panel& p = ui_.panel(panel_);
  QString title = QString::fromStdString(p.titleNote.empty() ? p.title : p.title + " - " + p.titleNote);
  if (windowTitle() != title) setWindowTitle(title);
  // Size and place are those of the normal window: they are set while it
  // is normal (moving a maximised window would end its maximised state),
  // and maximising comes last.
  const bool stateMoved = p.maximized != appliedMax_;
  appliedMax_ = p.maximized;
  if (stateMoved && !p.maximized) setWindowState(windowState() & ~Qt::WindowMaximized);
  if (!isMaximized()) {
    // Resize only when the model asks for another size than the one last
    // applied or reported, so the operator's own resizing stays. A size larger than the screen's free area is made to fit it, and the
    // window then lies wholly inside that area; the panel scrolls within.
    bool fitted = false;
    if (p.width != appliedW_ || p.height != appliedH_) {
      appliedW_ = p.width;
      appliedH_ = p.height;
      const QSize fit = fitScreen(QSize(p.width, p.height));
      fitted = fit != QSize(p.width, p.height);
      resize(fit);
    }
    if (p.left != appliedLeft_ || p.top != appliedTop_) {
      appliedLeft_ = p.left;
      appliedTop_ = p.top;
      move(p.left, p.top);
    }
    const QScreen* s = screen();
    if (fitted && s) {
      const QRect free = s->availableGeometry(), frame = frameGeometry();
      const QPoint inside(std::max(free.left(), std::min(frame.left(), free.right() + 1 - frame.width())),
                          std::max(free.top(), std::min(frame.top(), free.bottom() + 1 - frame.height())));
      if (inside != frame.topLeft()) {
        move(pos() + (inside - frame.topLeft()));
        // The model follows, as it does when the operator moves the window.
        ui_.panel(panel_).left = appliedLeft_ = x();
        ui_.panel(panel_).top = appliedTop_ = y();
      }
    }
  }
  if (stateMoved && p.maximized) setWindowState(windowState() | Qt::WindowMaximized);
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
  // Keyboard access: every menu and entry underlines a letter of its own
  // label, whatever the language.
  QSet<QChar> usedTitles;
  for (size_t m = 0; m < menus.size(); ++m) {
    QString title = withMnemonic(menus[m].label.empty() ? menus[m].name : menus[m].label, usedTitles);
    if (menus_[m].menu->title() != title) menus_[m].menu->setTitle(title);
    QSet<QChar> usedItems;
    for (size_t i = 0; i < menus[m].items.size(); ++i) {
      const ui::MenuItem& it = menus[m].items[i];
      QAction* a = menus_[m].actions[i];
      if (it.separator) continue;
      QString text = withMnemonic(it.label.empty() ? it.name : it.label, usedItems);
      if (a->text() != text) a->setText(text);
      QKeySequence keys(QString::fromStdString(it.shortcut));
      if (a->shortcut() != keys) a->setShortcut(keys);
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
  // A maximised window keeps the normal size in the model: it is what the
  // settings store and what un-maximising returns to.
  if (!isMaximized() && !isFullScreen() && (w != p.width || h != p.height)) {
    p.width = appliedW_ = w;
    p.height = appliedH_ = h;
  }
  if (isVisible() && e->oldSize() != e->size()) ui_.firePanel(panel_, ui::EVENT_PANEL_SIZE);
}

void MainWindow::moveEvent(QMoveEvent* e) {
  QMainWindow::moveEvent(e);
  if (!isVisible() || isMaximized() || isFullScreen()) return;
  ui::Panel& p = ui_.panel(panel_);
  p.left = appliedLeft_ = x();
  p.top = appliedTop_ = y();
}

void MainWindow::changeEvent(QEvent* e) {
  QMainWindow::changeEvent(e);
  if (e->type() != QEvent::WindowStateChange) return;
  ui::Panel& p = ui_.panel(panel_);
  p.maximized = appliedMax_ = isMaximized();
}

}  // namespace bx::gui
