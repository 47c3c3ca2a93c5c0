#include "gui/adapter.h"

#include <QBoxLayout>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

#include "gui/adapters.h"

namespace bx::gui {

ControlAdapter::ControlAdapter(ui::Ui& ui, ui::CtlRef ref) : ui_(ui), ref_(ref) {
  container_ = new QWidget;
  container_->setObjectName(QString::fromStdString(ui.at(ref).name));
  // One-row controls keep their label beside them, taller ones above: a
  // grid row has room for one line of widgets.
  const ui::Control& c = ui.at(ref);
  auto* lay = new QBoxLayout(c.rowSpan > 1 ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, container_);
  lay->setContentsMargins(2, 1, 2, 1);
  lay->setSpacing(1);
  label_ = new QLabel(container_);
  label_->setObjectName("label");
  label_->setVisible(false);
  // A label is read whole; the widget beside it takes what is left.
  label_->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
  lay->addWidget(label_);
  // The grid gives every control at least the room its texts need; graphs,
  // tables, text boxes and tab controls take what is left over. Pictures
  // scale into whatever their cell has.
  if (c.kind == ui::Kind::Picture)
    container_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  else if (growsWithWindow(c.kind))
    container_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  else
    container_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

bool growsWithWindow(ui::Kind k) {
  return k == ui::Kind::Graph || k == ui::Kind::Strip || k == ui::Kind::TextBox || k == ui::Kind::Table ||
         k == ui::Kind::Tab;
}

// The container belongs to the panel view once placed; deleting it here as
// well would delete it twice.
ControlAdapter::~ControlAdapter() = default;

void ControlAdapter::setWidget(QWidget* w) {
  widget_ = w;
  w->setParent(container_);
  static_cast<QBoxLayout*>(container_->layout())->addWidget(w, 1);
}

void ControlAdapter::installInput() {
  if (inputInstalled_) return;
  inputInstalled_ = true;
  container_->installEventFilter(this);
  if (label_) label_->installEventFilter(this);
  if (!widget_) return;
  widget_->installEventFilter(this);
  for (QWidget* child : widget_->findChildren<QWidget*>()) child->installEventFilter(this);
}

bool ControlAdapter::sync(bool force) {
  if (!ui_.valid(ref_) || !widget_) return false;
  const ui::Control& c = ui_.at(ref_);
  if (!force && !first_ && c.revision == shown_) return false;
  shown_ = c.revision;
  updating_ = true;
  apply(c);
  applyCommon(c);
  updating_ = false;
  first_ = false;
  return true;
}

void ControlAdapter::applyCommon(const ui::Control& c) {
  if (label_ && (first_ || c.label != shownLabel_)) {
    shownLabel_ = c.label;
    label_->setText(QString::fromStdString(c.label));
    label_->setVisible(!labelInside() && !c.label.empty());
  }
  if (first_ || c.dimmed != shownDimmed_) {
    shownDimmed_ = c.dimmed;
    widget_->setEnabled(!c.dimmed);
    if (label_) label_->setEnabled(!c.dimmed);
  }
  if (first_ || c.visible != shownVisible_) {
    shownVisible_ = c.visible;
    container_->setVisible(c.visible);
  }
  if (c.hasTextColor || c.hasBgColor) {
    QPalette pal = widget_->palette();
    if (c.hasTextColor) {
      QColor t = toQColor(c.textColor);
      for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) pal.setColor(role, t);
    }
    if (c.hasBgColor) {
      QColor b = toQColor(c.bgColor);
      for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) pal.setColor(role, b);
      widget_->setAutoFillBackground(true);
    }
    if (pal != widget_->palette()) widget_->setPalette(pal);
  }
}

void ControlAdapter::chooseItem(int i) {
  if (updating_) return;
  const auto& items = model().items;
  if (i < 0 || i >= static_cast<int>(items.size())) return;
  ui_.setValue(ref_, items[static_cast<size_t>(i)].value);
  fire(ui::EVENT_VAL_CHANGED);
  fire(ui::EVENT_COMMIT);
}

void ControlAdapter::fire(int event, int data1, int data2) { ui_.fire(ref_, event, data1, data2); }

bool ControlAdapter::eventFilter(QObject* watched, QEvent* event) {
  (void)watched;
  switch (event->type()) {
    case QEvent::ContextMenu:
      return true;  // the right button asks for help, it opens no menu
    case QEvent::MouseButtonRelease:
      lastStamp_ = -1;  // the next press is a new one, whatever its stamp
      return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* me = static_cast<QMouseEvent*>(event);
      const bool dbl = event->type() == QEvent::MouseButtonDblClick;
      const bool again = static_cast<qint64>(me->timestamp()) == lastStamp_ && lastType_ == event->type();
      lastStamp_ = static_cast<qint64>(me->timestamp());
      lastType_ = event->type();
      if (me->button() == Qt::RightButton) {
        if (!again) fire(dbl ? ui::EVENT_RIGHT_DOUBLE_CLICK : ui::EVENT_RIGHT_CLICK);
        return true;
      }
      if (me->button() == Qt::LeftButton && genericLeftClick() && !again)
        fire(dbl ? ui::EVENT_LEFT_DOUBLE_CLICK : ui::EVENT_LEFT_CLICK);
      return false;
    }
    default:
      return false;
  }
}

std::unique_ptr<ControlAdapter> makeAdapter(ui::Ui& ui, ui::CtlRef ref, const BuildEnv& env) {
  switch (ui.at(ref).kind) {
    case ui::Kind::Table:
      return makeTableAdapter(ui, ref);
    case ui::Kind::Graph:
      return makeGraphAdapter(ui, ref);
    case ui::Kind::Strip:
      return makeStripAdapter(ui, ref);
    case ui::Kind::Tab:
      return makeTabAdapter(ui, ref, env);
    default:
      return makeBasicAdapter(ui, ref, env);
  }
}

}  // namespace bx::gui
