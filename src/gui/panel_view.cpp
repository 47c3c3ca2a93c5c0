#include "gui/panel_view.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "gui/adapter.h"

namespace bx::gui {

PanelView::PanelView(ui::Ui& ui, int panel, QWidget* parent) : QWidget(parent), ui_(ui), panel_(panel) {
  const ui::Panel& p = ui.panel(panel);
  setObjectName(QString::fromStdString(p.name));
  // A click on a page stays that page's; it must not reach the tab control.
  setAttribute(Qt::WA_NoMousePropagation);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(3);
  // Extra height goes to the rows of controls that grow (graphs, tables,
  // text boxes, tab controls); a panel without any spreads it evenly.
  std::vector<bool> grows(static_cast<size_t>(std::max(0, p.gridRows)), false);
  bool any = false;
  for (const ui::Control& c : p.controls) {
    if (!growsWithWindow(c.kind)) continue;
    for (int r = std::max(0, c.row); r < std::min(p.gridRows, c.row + std::max(1, c.rowSpan)); ++r) {
      grows[static_cast<size_t>(r)] = true;
      any = true;
    }
  }
  for (int r = 0; r < p.gridRows; ++r) grid->setRowStretch(r, !any || grows[static_cast<size_t>(r)] ? 1 : 0);
  for (int c = 0; c < p.gridCols; ++c) grid->setColumnStretch(c, 1);
}

void PanelView::place(QWidget* container, const ui::Control& c) {
  auto* grid = static_cast<QGridLayout*>(layout());
  // Controls of a fixed height sit in the middle of a taller row.
  const Qt::Alignment align = growsWithWindow(c.kind) || c.kind == ui::Kind::Picture ? Qt::Alignment() : Qt::AlignVCenter;
  grid->addWidget(container, std::max(0, c.row), std::max(0, c.col), std::max(1, c.rowSpan), std::max(1, c.colSpan),
                  align);
}

bool PanelView::onBackground(QMouseEvent* e) const {
  QWidget* hit = childAt(e->position().toPoint());
  return hit == nullptr;
}

void PanelView::mousePressEvent(QMouseEvent* e) {
  if (!onBackground(e)) return;
  if (e->button() == Qt::LeftButton) ui_.firePanel(panel_, ui::EVENT_LEFT_CLICK);
  if (e->button() == Qt::RightButton) ui_.firePanel(panel_, ui::EVENT_RIGHT_CLICK);
}

void PanelView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (!onBackground(e)) return;
  if (e->button() == Qt::LeftButton) ui_.firePanel(panel_, ui::EVENT_LEFT_DOUBLE_CLICK);
  if (e->button() == Qt::RightButton) ui_.firePanel(panel_, ui::EVENT_RIGHT_DOUBLE_CLICK);
}

namespace {

Qt::WindowFlags windowKind(const ui::Panel& p, bool child) {
  if (!child) return Qt::Window;
  // A pop-up closes itself on Escape and on a click anywhere else.
  return p.popup ? Qt::Popup : Qt::Tool;
}

}  // namespace

PanelWindow::PanelWindow(ui::Ui& ui, int panel, QWidget* parent)
    : QWidget(parent, windowKind(ui.panel(panel), parent != nullptr)), ui_(ui), panel_(panel) {
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  view_ = new PanelView(ui, panel, this);
  lay->addWidget(view_);
}

void PanelWindow::closeEvent(QCloseEvent* e) {
  e->ignore();
  ui::Panel& p = ui_.panel(panel_);
  if (p.callback) {
    ui_.firePanel(panel_, ui::EVENT_CLOSE);
    // The callback hid the panel: the window goes with it.
    if (!ui_.panel(panel_).visible) e->accept();
  } else {
    p.visible = false;
    ui_.touchPanel(panel_);
    hide();
  }
}

bool PanelWindow::event(QEvent* e) {
  if (e->type() == QEvent::WindowDeactivate && isVisible()) ui_.firePanel(panel_, ui::EVENT_LOST_FOCUS);
  return QWidget::event(e);
}

}  // namespace bx::gui
