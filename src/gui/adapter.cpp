#include "gui/adapter.h"

#include <QApplication>
#include <algorithm>
#include <QBoxLayout>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGraphicsColorizeEffect>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

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
  // A control that is hidden keeps its room: nothing around it moves when
  // it appears (a trigger state, the max/min fields).
  QSizePolicy sp = container_->sizePolicy();
  sp.setRetainSizeWhenHidden(true);
  container_->setSizePolicy(sp);
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

void ControlAdapter::addCompanion(QWidget* w) {
  companions_.emplace_back(w);
  w->setParent(container_);
  static_cast<QBoxLayout*>(container_->layout())->addWidget(w);
}

void ControlAdapter::installInput() {
  if (inputInstalled_) return;
  inputInstalled_ = true;
  container_->installEventFilter(this);
  if (label_) label_->installEventFilter(this);
  if (!widget_) return;
  widget_->installEventFilter(this);
  for (QWidget* child : widget_->findChildren<QWidget*>()) child->installEventFilter(this);
  for (const auto& w : companions_) {
    if (!w) continue;
    w->installEventFilter(this);
    for (QWidget* child : w->findChildren<QWidget*>()) child->installEventFilter(this);
  }
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
  if (first_ || c.tooltip != shownTooltip_) {
    // On the whole control, label included: the pointer may rest on either.
    shownTooltip_ = c.tooltip;
    const QString tip = QString::fromStdString(c.tooltip);
    container_->setToolTip(tip);
    widget_->setToolTip(tip);
    if (label_) label_->setToolTip(tip);
    for (const auto& w : companions_)
      if (w) w->setToolTip(tip);
  }
  if (first_ || c.edited != shownEdited_) {
    shownEdited_ = c.edited;
    showEditedMark(c.edited);
  }
  if (first_ || c.dimmed != shownDimmed_) {
    shownDimmed_ = c.dimmed;
    widget_->setEnabled(!c.dimmed);
    if (label_) label_->setEnabled(!c.dimmed);
    for (const auto& w : companions_)
      if (w) w->setEnabled(!c.dimmed);
  }
  if (c.stale != shownStale_) {
    shownStale_ = c.stale;
    // Every colour of a stale value turns into a shade of grey, so nothing
    // old reads as a good measurement; the widget owns the effect.
    if (c.stale) {
      auto* grey = new QGraphicsColorizeEffect(widget_);
      grey->setColor(QColor(128, 128, 128));
      grey->setStrength(1.0);
      widget_->setGraphicsEffect(grey);
    } else {
      widget_->setGraphicsEffect(nullptr);
    }
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

namespace {

// Over the widget's top left corner; the widget's input stays its own.
class EditedMark : public QWidget {
 public:
  explicit EditedMark(QWidget* parent) : QWidget(parent) {
    setObjectName("editedMark");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, kSize, kSize);
  }
  static constexpr int kSize = 8;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    paintEditedMark(p, rect());
  }
};

}  // namespace

void paintEditedMark(QPainter& p, const QRect& rect) {
  const int s = std::min({8, rect.width(), rect.height()});
  if (s <= 1) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(224, 112, 0));
  const QPoint o = rect.topLeft();
  const QPoint tri[3] = {o, o + QPoint(s, 0), o + QPoint(0, s)};
  p.drawPolygon(tri, 3);
  p.restore();
}

void ControlAdapter::showEditedMark(bool on) {
  if (on && !editedMark_) editedMark_ = new EditedMark(widget_);
  if (!editedMark_) return;
  editedMark_->setVisible(on);
  if (on) editedMark_->raise();
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
    case QEvent::ContextMenu: {
      // The right button was answered at its press. The menu key does what
      // it would: the control's menu, or its help.
      auto* ce = static_cast<QContextMenuEvent*>(event);
      if (ce->reason() == QContextMenuEvent::Keyboard) {
        if (!model().contextMenu.empty())
          showContextMenu(ce->globalPos());
        else
          fire(ui::EVENT_RIGHT_CLICK);
      }
      return true;
    }
    case QEvent::KeyPress:
      // F1 asks for help on the control with the focus, as its right
      // button does.
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        fire(ui::EVENT_RIGHT_CLICK);
        return true;
      }
      return false;
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
        if (again) return true;
        if (!dbl && !model().contextMenu.empty()) {
          beforeContextMenu(me->globalPosition().toPoint());
          showContextMenu(me->globalPosition().toPoint());
        } else if (dbl) {
          if (rightClick_) rightClick_->stop();
          fire(ui::EVENT_RIGHT_DOUBLE_CLICK);
        } else {
          if (!rightClick_) {
            rightClick_ = new QTimer(this);
            rightClick_->setSingleShot(true);
            connect(rightClick_, &QTimer::timeout, this, [this] { fire(ui::EVENT_RIGHT_CLICK); });
          }
          rightClick_->start(QApplication::doubleClickInterval());
        }
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

void ControlAdapter::showContextMenu(const QPoint& at) {
  auto* menu = new QMenu(widget_);
  menu->setObjectName("contextMenu");
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const auto& entries = model().contextMenu;
  for (size_t i = 0; i < entries.size(); ++i) {
    QAction* a = menu->addAction(QString::fromStdString(entries[i].label));
    a->setEnabled(entries[i].help || !model().dimmed);
    const int index = static_cast<int>(i);
    // Run once the menu is gone: an entry may open a dialog of its own.
    connect(a, &QAction::triggered, this, [this, index] {
      QTimer::singleShot(0, this, [this, index] { ui_.fireContextEntry(ref_, index); });
    });
    // The help entry stands apart from the control's own entries.
    if (entries[i].help && i + 1 < entries.size()) menu->addSeparator();
  }
  menu->popup(at);
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
