#pragma once
// One adapter per control kind: builds the widget for a control of the
// model, brings it up to date when the control's revision moved, and turns
// the operator's input into the product's events.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/ui.h"

class QLabel;
class QTimer;

namespace bx::gui {

// What an adapter may need from the renderer while it is built.
struct BuildEnv {
  std::string resourceDir;                  // pictures are looked up here
  std::function<QWidget*(int panel)> panel; // builds the view of a (tab page) panel
};

class ControlAdapter : public QObject {
  Q_OBJECT
 public:
  ControlAdapter(ui::Ui& ui, ui::CtlRef ref);
  ~ControlAdapter() override;

  ui::CtlRef ref() const { return ref_; }
  ui::Kind kind() const { return ui_.at(ref_).kind; }
  // The frame holding label and widget (what the panel's grid places).
  QWidget* container() const { return container_; }
  // The operable widget.
  QWidget* widget() const { return widget_; }
  uint64_t shownRevision() const { return shown_; }

  // Brings the widget up to the model when the control's revision moved
  // (always when forced). Returns true when it updated the widget.
  bool sync(bool force = false);

  // Called once after the widget is placed: input filters on the widgets
  // that belong to this control (not on nested panels).
  void installInput();

 protected:
  // Writes the model into the widget; called with signals of the widget's
  // own making suppressed through updating_.
  virtual void apply(const ui::Control& c) = 0;
  // Kinds that report the left button themselves (with data) say false.
  virtual bool genericLeftClick() const { return true; }
  // Kinds whose label is part of the widget (buttons, check boxes) say true.
  virtual bool labelInside() const { return false; }
  // Runs when a right press is about to open the control's menu, with the
  // press's screen position: a kind may first point its selection there.
  virtual void beforeContextMenu(const QPoint& global) { (void)global; }

  // Places the operable widget into the container, below its label.
  void setWidget(QWidget* w);
  // A second widget of the control beside the first (a slider's number):
  // dimmed with it, and its input is the control's too.
  void addCompanion(QWidget* w);
  void fire(int event, int data1 = 0, int data2 = 0);
  // The operator chose item i of a ring or radio group: its value goes into
  // the model, then value-changed and commit.
  void chooseItem(int i);
  const ui::Control& model() const { return ui_.at(ref_); }
  ui::Control& model() { return ui_.at(ref_); }

  ui::Ui& ui_;
  ui::CtlRef ref_;
  QPointer<QWidget> container_;
  QPointer<QWidget> widget_;
  QPointer<QLabel> label_;
  std::vector<QPointer<QWidget>> companions_;
  bool updating_ = false;

 private:
  void applyCommon(const ui::Control& c);
  void showEditedMark(bool on);
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The control's right-click menu at a screen position.
  void showContextMenu(const QPoint& at);

  uint64_t shown_ = 0;
  // Mouse events travel from a child up to its parents; one press must fire
  // one event however many of this control's widgets see it.
  qint64 lastStamp_ = -1;
  int lastType_ = 0;
  // A single right click waits out the double-click interval: the help it
  // opens is a pop-up that would swallow a double click's second press.
  QTimer* rightClick_ = nullptr;
  std::string shownLabel_;
  std::string shownTooltip_;
  bool shownEdited_ = false;
  QPointer<QWidget> editedMark_;
  bool shownDimmed_ = false, shownVisible_ = true, shownStale_ = false;
  bool first_ = true;
  bool inputInstalled_ = false;
};

// Kinds that take the room a larger window gives (graphs, tables, text
// boxes, tab controls); all others keep the size their content needs.
bool growsWithWindow(ui::Kind k);

std::unique_ptr<ControlAdapter> makeAdapter(ui::Ui& ui, ui::CtlRef ref, const BuildEnv& env);

}  // namespace bx::gui
