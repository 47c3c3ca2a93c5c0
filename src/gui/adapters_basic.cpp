// Adapters of the simple kinds: buttons, entries, choices, indicators.
#include <QAbstractButton>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionSpinBox>
#include <QTextCursor>
#include <algorithm>
#include <cmath>
#include <vector>

#include "files/atomic_file.h"
#include "gui/adapters.h"

namespace bx::gui {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// Widgets cannot hold the model's open limits (+-1e300); this range is far
// beyond any field of the product.
double clampLimit(double v) { return std::clamp(v, -2e9, 2e9); }

class ButtonAdapter : public ControlAdapter {
 public:
  ButtonAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    auto* b = new QPushButton;
    setWidget(b);
    connect(b, &QPushButton::pressed, this, [this] { fire(ui::EVENT_LEFT_CLICK); });
    connect(b, &QPushButton::clicked, this, [this] { fire(ui::EVENT_COMMIT); });
  }

 protected:
  bool genericLeftClick() const override { return false; }
  bool labelInside() const override { return true; }
  void apply(const ui::Control& c) override {
    auto* b = static_cast<QPushButton*>(widget_.data());
    QString t = qs(c.label.empty() ? c.name : c.label);
    if (b->text() != t) b->setText(t);
  }
};

// A number field as wide as the widest number it has shown (at least five
// digits): the range of a field (often open) says nothing about its content,
// and a field that narrowed again would make its neighbours jump.
class NumberBox : public QDoubleSpinBox {
 public:
  QSize sizeHint() const override { return fit(QDoubleSpinBox::sizeHint()); }
  QSize minimumSizeHint() const override { return fit(QDoubleSpinBox::minimumSizeHint()); }
  // The narrowest text the field keeps room for (five digits unless told).
  void setLeast(const QString& text) {
    least_ = text;
    updateGeometry();
  }
  // Widens the field when the text now shown needs more room.
  void widenFor(const QString& shown) {
    const int w = fontMetrics().horizontalAdvance(shown);
    if (w <= widest_) return;
    widest_ = w;
    updateGeometry();
  }

 protected:
  void changeEvent(QEvent* e) override {
    // A new font or style measures anew.
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) widest_ = 0;
    QDoubleSpinBox::changeEvent(e);
  }

 private:
  QSize fit(QSize base) const {
    QStyleOptionSpinBox opt;
    initStyleOption(&opt);
    const int text = std::max(widest_, fontMetrics().horizontalAdvance(least_)) + 6;
    QSize need = style()->sizeFromContents(QStyle::CT_SpinBox, &opt, QSize(text, base.height()), this);
    return {need.width(), base.height()};
  }
  int widest_ = 0;
  QString least_ = QStringLiteral("88888");
};

class NumericAdapter : public ControlAdapter {
 public:
  NumericAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    auto* s = new NumberBox;
    // Typing does not count as a change until Enter or leaving the field.
    s->setKeyboardTracking(false);
    s->setAccelerated(true);
    setWidget(s);
    connect(s, &QDoubleSpinBox::valueChanged, this, [this](double v) {
      if (updating_) return;
      ui_.setValue(ref_, v);
      fire(ui::EVENT_VAL_CHANGED);
      fire(ui::EVENT_COMMIT);
    });
  }

 protected:
  void apply(const ui::Control& c) override {
    auto* s = static_cast<QDoubleSpinBox*>(widget_.data());
    if (s->decimals() != c.precision) s->setDecimals(std::clamp(c.precision, 0, 10));
    double lo = clampLimit(c.min), hi = clampLimit(c.max);
    if (s->minimum() != lo || s->maximum() != hi) s->setRange(lo, hi);
    if (s->singleStep() != c.step && c.step > 0) s->setSingleStep(c.step);
    if (s->isReadOnly() != c.readOnly) {
      s->setReadOnly(c.readOnly);
      s->setButtonSymbols(c.readOnly ? QAbstractSpinBox::NoButtons : QAbstractSpinBox::UpDownArrows);
    }
    if (s->value() != c.value) s->setValue(c.value);
    static_cast<NumberBox*>(s)->widenFor(s->text());
  }
};

// Item labels of a combo box, to rebuild its list only when it changed.
bool sameItems(const QComboBox* cb, const std::vector<ui::Item>& items) {
  if (cb->count() != static_cast<int>(items.size())) return false;
  for (int i = 0; i < cb->count(); ++i)
    if (cb->itemText(i) != qs(items[static_cast<size_t>(i)].label)) return false;
  return true;
}

// A drop-down never narrower than its widest item: the operator reads the
// choice in the closed box.
class ChoiceBox : public QComboBox {
 public:
  QSize minimumSizeHint() const override { return sizeHint(); }
};

class RingAdapter : public ControlAdapter {
 public:
  RingAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    auto* cb = new ChoiceBox;
    // Wide enough for every item, also after a language switch.
    cb->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    setWidget(cb);
    connect(cb, &QComboBox::activated, this, [this](int i) { chooseItem(i); });
  }

 protected:
  void apply(const ui::Control& c) override {
    auto* cb = static_cast<QComboBox*>(widget_.data());
    if (!sameItems(cb, c.items)) {
      cb->clear();
      for (const auto& it : c.items) cb->addItem(qs(it.label));
    }
    int idx = ui_.itemIndexOfValue(ref_, c.value);
    if (cb->currentIndex() != idx) cb->setCurrentIndex(idx);
  }
};

// An entry with a list never narrower than the entry it shows (an address
// on a window fitted to a small screen).
class EntryBox : public QComboBox {
 public:
  QSize minimumSizeHint() const override {
    QSize base = QComboBox::minimumSizeHint();
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    const int text = fontMetrics().horizontalAdvance(currentText()) + 8;
    const QSize need = style()->sizeFromContents(QStyle::CT_ComboBox, &opt, QSize(text, base.height()), this);
    return {std::max(base.width(), need.width()), base.height()};
  }
};

class ComboAdapter : public ControlAdapter {
 public:
  ComboAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    auto* cb = new EntryBox;
    cb->setEditable(true);
    // The list is the model's (recent entries); the callback decides.
    cb->setInsertPolicy(QComboBox::NoInsert);
    setWidget(cb);
    QLineEdit* le = cb->lineEdit();
    // The room asked for follows the entry, typed or set.
    connect(le, &QLineEdit::textChanged, cb, [cb] { cb->updateGeometry(); });
    connect(le, &QLineEdit::textEdited, this, [this](const QString& t) {
      if (updating_) return;
      edited_ = true;
      ui_.setText(ref_, t.toStdString());
      fire(ui::EVENT_VAL_CHANGED);
    });
    connect(le, &QLineEdit::editingFinished, this, [this] {
      if (updating_ || !edited_) return;
      commit(static_cast<QComboBox*>(widget_.data())->currentText());
    });
    connect(cb, &QComboBox::activated, this, [this](int i) {
      if (updating_) return;
      auto* box = static_cast<QComboBox*>(widget_.data());
      QString t = box->itemText(i);
      if (!edited_ && t.toStdString() == model().text) return;
      ui_.setText(ref_, t.toStdString());
      fire(ui::EVENT_VAL_CHANGED);
      commit(t);
    });
  }

 protected:
  void apply(const ui::Control& c) override {
    auto* cb = static_cast<QComboBox*>(widget_.data());
    if (!sameItems(cb, c.items)) {
      cb->clear();
      for (const auto& it : c.items) cb->addItem(qs(it.label));
    }
    QString t = qs(c.text);
    if (cb->currentText() != t) cb->setEditText(t);
  }

 private:
  void commit(const QString& t) {
    edited_ = false;
    ui_.setText(ref_, t.toStdString());
    fire(ui::EVENT_COMMIT);
  }
  bool edited_ = false;
};

class StringAdapter : public ControlAdapter {
 public:
  StringAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    auto* le = new QLineEdit;
    setWidget(le);
    connect(le, &QLineEdit::textEdited, this, [this](const QString& t) {
      if (updating_) return;
      edited_ = true;
      ui_.setText(ref_, t.toStdString());
      fire(ui::EVENT_VAL_CHANGED);
    });
    connect(le, &QLineEdit::editingFinished, this, [this] {
      if (updating_ || !edited_) return;
      edited_ = false;
      fire(ui::EVENT_COMMIT);
    });
  }

 protected:
  void apply(const ui::Control& c) override {
    auto* le = static_cast<QLineEdit*>(widget_.data());
    QString t = qs(c.text);
    if (le->text() != t) le->setText(t);
    if (le->isReadOnly() != c.readOnly) le->setReadOnly(c.readOnly);
  }

 private:
  bool edited_ = false;
};

// A one-line text that shrinks its font rather than lose characters when
// its cell is narrow (status words like "DISCONNECTED").
class FitLabel : public QLabel {
 public:
  // The smallest size it shrinks its font to.
  static constexpr double kSmallestPoints = 6.0;
  FitLabel() { setProperty("shrinksToFit", kSmallestPoints); }
  // The text is drawn inset from the frame: ask for that room too. A text
  // that does not claim its length asks only for the room its smallest
  // font needs: it takes what its cell has, and a longer message never
  // pushes the controls around it aside while the window is larger than
  // its smallest.
  QSize sizeHint() const override {
    return claimsLength ? QLabel::sizeHint() + QSize(2 * kInset, 0) : smallest(QLabel::sizeHint());
  }
  QSize minimumSizeHint() const override {
    return claimsLength ? QLabel::minimumSizeHint() + QSize(2 * kInset, 0) : smallest(QLabel::minimumSizeHint());
  }
  static constexpr int kInset = 2;
  bool claimsLength = true;

 private:
  QSize smallest(QSize base) const {
    const double pt = font().pointSizeF();
    const double k = pt > kSmallestPoints ? kSmallestPoints / pt : 1.0;
    const int width = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text()) * k));
    return {width + 2 * kInset + 2 * frameWidth() + 2 * margin(), base.height()};
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QFrame::paintEvent(e);
    QPainter p(this);
    QRect area = contentsRect().adjusted(kInset, 0, -kInset, 0);
    QFont f = font();
    const double need = QFontMetricsF(f).horizontalAdvance(text());
    if (need > area.width() && need > 0 && area.width() > 0)
      f.setPointSizeF(std::max(kSmallestPoints, f.pointSizeF() * area.width() / need));
    p.setFont(f);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    p.drawText(area, static_cast<int>(alignment()), text());
  }
};

class TextAdapter : public ControlAdapter {
 public:
  TextAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    auto* l = new FitLabel;
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignCenter);
    l->setFrameShape(QFrame::StyledPanel);
    // A text the tool writes while it runs (status, states, the summary)
    // takes the room its cell has rather than claim more by its length.
    l->claimsLength = !ui.at(ref).text.empty();
    setWidget(l);
  }

 protected:
  void apply(const ui::Control& c) override {
    auto* l = static_cast<QLabel*>(widget_.data());
    QString t = qs(c.text);
    if (l->text() != t) l->setText(t);
  }
};

class TextBoxAdapter : public ControlAdapter {
 public:
  TextBoxAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    auto* e = new QPlainTextEdit;
    e->setReadOnly(true);
    e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWidget(e);
  }

 protected:
  void apply(const ui::Control& c) override {
    auto* e = static_cast<QPlainTextEdit*>(widget_.data());
    // Message boxes mostly grow at the end: append the new part instead of
    // setting the whole text again.
    if (c.text.size() >= shown_.size() && c.text.compare(0, shown_.size(), shown_) == 0) {
      if (c.text.size() == shown_.size()) return;
      QTextCursor cur(e->document());
      cur.movePosition(QTextCursor::End);
      cur.insertText(qs(c.text.substr(shown_.size())));
    } else {
      e->setPlainText(qs(c.text));
    }
    shown_ = c.text;
    e->verticalScrollBar()->setValue(e->verticalScrollBar()->maximum());
  }

 private:
  std::string shown_;
};

// Toggle buttons, switches and check boxes: a 0/1 value.
class BinaryAdapter : public ControlAdapter {
 public:
  BinaryAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    QAbstractButton* b;
    if (model().kind == ui::Kind::Toggle)
      b = new QPushButton;
    else
      b = new QCheckBox;
    b->setCheckable(true);
    setWidget(b);
    connect(b, &QAbstractButton::clicked, this, [this](bool on) {
      if (updating_) return;
      ui_.setValue(ref_, on ? 1 : 0);
      fire(ui::EVENT_VAL_CHANGED);
      fire(ui::EVENT_COMMIT);
    });
  }

 protected:
  bool labelInside() const override { return true; }
  void apply(const ui::Control& c) override {
    auto* b = static_cast<QAbstractButton*>(widget_.data());
    QString t = qs(c.label);
    if (b->text() != t) b->setText(t);
    bool on = c.value != 0;
    if (b->isChecked() != on) b->setChecked(on);
  }
};

class RadioAdapter : public ControlAdapter {
 public:
  RadioAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    auto* w = new QWidget;
    auto* lay = new QBoxLayout(model().rowSpan > model().colSpan ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, w);
    lay->setContentsMargins(0, 0, 0, 0);
    group_ = new QButtonGroup(this);
    group_->setExclusive(true);
    setWidget(w);
    connect(group_, &QButtonGroup::idClicked, this, [this](int id) { chooseItem(id); });
  }

 protected:
  void apply(const ui::Control& c) override {
    // Buttons are only ever added or hidden: one of them may be the sender
    // of the callback that is running now.
    auto* lay = static_cast<QBoxLayout*>(widget_->layout());
    while (buttons_.size() < c.items.size()) {
      auto* rb = new QRadioButton(widget_);
      rb->installEventFilter(this);
      group_->addButton(rb, static_cast<int>(buttons_.size()));
      lay->addWidget(rb);
      buttons_.push_back(rb);
    }
    int chosen = ui_.itemIndexOfValue(ref_, c.value);
    for (size_t i = 0; i < buttons_.size(); ++i) {
      QRadioButton* rb = buttons_[i];
      bool used = i < c.items.size();
      rb->setVisible(used);
      if (!used) continue;
      QString t = qs(c.items[i].label);
      if (rb->text() != t) rb->setText(t);
      bool on = static_cast<int>(i) == chosen;
      if (rb->isChecked() != on) {
        // An exclusive group refuses to uncheck its last button.
        group_->setExclusive(false);
        rb->setChecked(on);
        group_->setExclusive(true);
      }
    }
  }

 private:
  QButtonGroup* group_;
  std::vector<QRadioButton*> buttons_;
};

class LedWidget : public QWidget {
 public:
  bool on = false;
  QColor onColor = Qt::green;
  QSize sizeHint() const override { return {18, 18}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    int d = std::max(4, std::min(width(), height()) - 2);
    QRect r((width() - d) / 2, (height() - d) / 2, d, d);
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(on ? onColor : QColor(90, 90, 90));
    p.drawEllipse(r);
  }
};

class LedAdapter : public ControlAdapter {
 public:
  LedAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) { setWidget(new LedWidget); }

 protected:
  void apply(const ui::Control& c) override {
    auto* l = static_cast<LedWidget*>(widget_.data());
    bool on = c.value != 0;
    QColor col = toQColor(c.onColor);
    if (l->on != on || l->onColor != col) {
      l->on = on;
      l->onColor = col;
      l->update();
    }
  }
};

// A slider with its value (and unit) beside it, in a number field that
// also takes the value from the keyboard.
class SliderAdapter : public ControlAdapter {
 public:
  SliderAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    auto* s = new QSlider(Qt::Horizontal);
    // Room to aim at a value, also beside a long caption; the exact value
    // goes into the number beside it.
    s->setMinimumWidth(40);
    setWidget(s);
    number_ = new NumberBox;
    number_->setObjectName("value");
    // Typing does not count until Enter or leaving the field.
    number_->setKeyboardTracking(false);
    number_->setButtonSymbols(QAbstractSpinBox::NoButtons);
    number_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // As wide as its own range needs, no wider: the slider keeps the room.
    number_->setLeast(QStringLiteral("8"));
    addCompanion(number_);
    connect(s, &QSlider::valueChanged, this, [this](int i) {
      showNumber(i / scale_);
      if (updating_) return;
      ui_.setValue(ref_, i / scale_);
      fire(ui::EVENT_VAL_CHANGED);
      // Dragging commits on release; keys and clicks on the groove at once.
      if (!static_cast<QSlider*>(widget_.data())->isSliderDown()) fire(ui::EVENT_COMMIT);
    });
    connect(s, &QSlider::sliderReleased, this, [this] {
      if (!updating_) fire(ui::EVENT_COMMIT);
    });
    connect(number_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
      if (updating_ || showing_) return;
      // The slider takes the typed value (within its range and steps) and
      // reports it as the operator's own move.
      auto* sl = static_cast<QSlider*>(widget_.data());
      const int i = static_cast<int>(std::llround(std::clamp(v * scale_, -2e9, 2e9)));
      if (sl->value() != i) {
        sl->setValue(i);
      } else {
        showNumber(i / scale_);
      }
    });
  }

 protected:
  void apply(const ui::Control& c) override {
    auto* s = static_cast<QSlider*>(widget_.data());
    scale_ = std::pow(10.0, std::clamp(c.precision, 0, 6));
    auto toInt = [&](double v) {
      return static_cast<int>(std::llround(std::clamp(v * scale_, -2e9, 2e9)));
    };
    double lo = c.min < -1e15 ? 0 : c.min, hi = c.max > 1e15 ? 100 : c.max;
    if (s->minimum() != toInt(lo) || s->maximum() != toInt(hi)) s->setRange(toInt(lo), toInt(hi));
    s->setSingleStep(std::max(1, toInt(c.step)));
    if (s->value() != toInt(c.value)) s->setValue(toInt(c.value));
    const int prec = std::clamp(c.precision, 0, 6);
    if (number_->decimals() != prec) number_->setDecimals(prec);
    if (number_->minimum() != lo || number_->maximum() != hi) number_->setRange(lo, hi);
    const QString suffix = c.unit.empty() ? QString() : " " + qs(c.unit);
    if (number_->suffix() != suffix) number_->setSuffix(suffix);
    if (number_->isReadOnly() != c.readOnly) number_->setReadOnly(c.readOnly);
    showNumber(s->value() / scale_);
    // As wide as the largest value with its unit: the field never jumps.
    number_->widenFor(number_->textFromValue(hi) + suffix);
    number_->widenFor(number_->textFromValue(lo) + suffix);
  }

 private:
  void showNumber(double v) {
    if (number_->value() == v) return;
    showing_ = true;
    number_->setValue(v);
    showing_ = false;
  }
  NumberBox* number_ = nullptr;
  double scale_ = 1;
  bool showing_ = false;
};

// A picture scaled into its cell with its aspect ratio kept.
class PictureLabel : public QLabel {
 public:
  QPixmap source;

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QLabel::resizeEvent(e);
    rescale();
  }

 public:
  void rescale() {
    if (source.isNull()) return;
    setPixmap(source.scaled(size().expandedTo(QSize(1, 1)), Qt::KeepAspectRatio, Qt::SmoothTransformation));
  }
};

class PictureAdapter : public ControlAdapter {
 public:
  PictureAdapter(ui::Ui& ui, ui::CtlRef ref, std::string dir) : ControlAdapter(ui, ref), dir_(std::move(dir)) {
    auto* l = new PictureLabel;
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumSize(1, 1);
    setWidget(l);
  }

 protected:
  void apply(const ui::Control& c) override {
    if (c.text == file_ && loaded_) return;
    loaded_ = true;
    file_ = c.text;
    auto* l = static_cast<PictureLabel*>(widget_.data());
    QPixmap pm;
    // Read as any input file: a FIFO or a device in its place must not
    // hang the window, and a picture is never large.
    std::string bytes;
    if (!file_.empty() && readWholeFile(dir_ + "/" + file_, bytes, 16u << 20, nullptr)) {
      const auto* data = reinterpret_cast<const uchar*>(bytes.data());
      const auto size = static_cast<uint>(bytes.size());
      // The content tells most formats; the name's suffix the others.
      if (!pm.loadFromData(data, size)) pm.loadFromData(data, size, QFileInfo(qs(file_)).suffix().toLatin1().constData());
    }
    l->source = pm;
    if (pm.isNull()) {
      // Missing image: a framed placeholder that names the file.
      l->setPixmap(QPixmap());
      l->setFrameShape(QFrame::Box);
      l->setText(qs(file_.empty() ? c.name : file_));
    } else {
      l->setFrameShape(QFrame::NoFrame);
      l->setText(QString());
      l->rescale();
    }
  }

 private:
  std::string dir_;
  std::string file_;
  bool loaded_ = false;
};

}  // namespace

std::unique_ptr<ControlAdapter> makeBasicAdapter(ui::Ui& ui, ui::CtlRef ref, const BuildEnv& env) {
  switch (ui.at(ref).kind) {
    case ui::Kind::Button:
      return std::make_unique<ButtonAdapter>(ui, ref);
    case ui::Kind::Numeric:
      return std::make_unique<NumericAdapter>(ui, ref);
    case ui::Kind::Ring:
      return std::make_unique<RingAdapter>(ui, ref);
    case ui::Kind::Combo:
      return std::make_unique<ComboAdapter>(ui, ref);
    case ui::Kind::String:
      return std::make_unique<StringAdapter>(ui, ref);
    case ui::Kind::TextBox:
      return std::make_unique<TextBoxAdapter>(ui, ref);
    case ui::Kind::Toggle:
    case ui::Kind::Switch:
    case ui::Kind::Check:
      return std::make_unique<BinaryAdapter>(ui, ref);
    case ui::Kind::Radio:
      return std::make_unique<RadioAdapter>(ui, ref);
    case ui::Kind::Led:
      return std::make_unique<LedAdapter>(ui, ref);
    case ui::Kind::Slider:
      return std::make_unique<SliderAdapter>(ui, ref);
    case ui::Kind::Picture:
      return std::make_unique<PictureAdapter>(ui, ref, env.resourceDir);
    case ui::Kind::Text:
    default:
      return std::make_unique<TextAdapter>(ui, ref);
  }
}

}  // namespace bx::gui
