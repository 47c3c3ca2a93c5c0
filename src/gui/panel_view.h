#pragma once
// The widget of one panel: its controls placed on the panel's grid. Clicks
// on the panel's own background become the panel's events.
#include <QWidget>

#include "ui/ui.h"

namespace bx::gui {

class PanelView : public QWidget {
  Q_OBJECT
 public:
  PanelView(ui::Ui& ui, int panel, QWidget* parent = nullptr);
  int panel() const { return panel_; }
  // Places a control's container at its grid cell.
  void place(QWidget* container, const ui::Control& c);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  bool onBackground(QMouseEvent* e) const;
  ui::Ui& ui_;
  int panel_;
};

// A panel shown as a window of its own (help panel, adjustment panels).
// Closing it is the panel's event; a panel without a callback just hides.
class PanelWindow : public QWidget {
  Q_OBJECT
 public:
  PanelWindow(ui::Ui& ui, int panel, QWidget* parent);
  PanelView* view() const { return view_; }

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool event(QEvent* e) override;

 private:
  ui::Ui& ui_;
  int panel_;
  PanelView* view_;
};

}  // namespace bx::gui
