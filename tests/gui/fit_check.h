#pragma once
// Finds shown texts that do not fit the room their widget gives them, and
// collects every shown text of a widget tree. Both walk what the operator
// sees: visible widgets only, named by the control that holds them.
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTableWidget>
#include <QWidget>
#include <algorithm>
#include <cmath>
#ifdef BX_HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif
#include <string>
#include <vector>

namespace guitest {

// The control a widget belongs to: the object name of the nearest container
// that carries one, with its panel's.
inline QString controlName(const QWidget* w) {
  QString control, panel;
  for (const QWidget* p = w; p; p = p->parentWidget()) {
    if (p->objectName().isEmpty() || p->objectName() == "label" || p->objectName().startsWith("qt_")) continue;
    if (control.isEmpty()) {
      control = p->objectName();
    } else {
      panel = p->objectName();
      break;
    }
  }
  return panel.isEmpty() ? control : panel + "." + control;
}

struct Clip {
  QString control;
  QString text;
  int need = 0, room = 0;
  std::string describe() const {
    return QString("%1: \"%2\" needs %3 px, has %4 px").arg(control, text).arg(need).arg(room).toStdString();
  }
};

namespace fitdetail {

inline int textWidth(const QWidget* w, const QString& t) { return w->fontMetrics().horizontalAdvance(t); }

inline void check(std::vector<Clip>& out, const QWidget* w, const QString& text, int need, int room) {
  if (!text.trimmed().isEmpty() && need > room) out.push_back({controlName(w), text, need, room});
}

inline bool shown(const QWidget* w, const QWidget* root) {
  return w->isVisibleTo(root) && w->width() > 0 && w->height() > 0;
}

}  // namespace fitdetail

// Every clipped text under root (root must have been laid out and shown).
inline std::vector<Clip> clippedTexts(QWidget* root) {
  using namespace fitdetail;
  std::vector<Clip> out;
  QList<QWidget*> all = root->findChildren<QWidget*>();
  for (QWidget* w : all) {
    if (!shown(w, root)) continue;
    if (auto* l = qobject_cast<QLabel*>(w)) {
      if (l->text().isEmpty() || !l->pixmap().isNull() || l->wordWrap()) continue;
      // Framed texts are drawn a little inside their frame.
      const QRect area = l->contentsRect().adjusted(l->frameShape() == QFrame::NoFrame ? 0 : 2, 0,
                                                    l->frameShape() == QFrame::NoFrame ? 0 : -2, 0);
      // A label that shrinks its font to fit is cut only where even its
      // smallest font does not fit.
      const double smallest = l->property("shrinksToFit").toDouble();
      const double k = smallest > 0 && l->font().pointSizeF() > smallest ? smallest / l->font().pointSizeF() : 1.0;
      for (const QString& line : l->text().split('\n'))
        check(out, l, line, static_cast<int>(std::ceil(textWidth(l, line) * k)), area.width() - 2 * l->margin());
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      if (b->text().isEmpty()) continue;
      // The text against the part of the button the style leaves for it.
      QStyleOptionButton opt;
      opt.initFrom(b);
      opt.text = b->text();
      QStyle::SubElement part = QStyle::SE_PushButtonContents;
      int pad = 2 * b->style()->pixelMetric(QStyle::PM_ButtonMargin, &opt, b);
      if (qobject_cast<QCheckBox*>(b)) part = QStyle::SE_CheckBoxContents, pad = 0;
      if (qobject_cast<QRadioButton*>(b)) part = QStyle::SE_RadioButtonContents, pad = 0;
      if (part == QStyle::SE_PushButtonContents) {
        // The style's own size for the text is enough; buttons it makes
        // wider than their text need only the text and its margins.
        check(out, b, b->text(), std::min(textWidth(b, b->text()) + pad, b->sizeHint().width()), b->width());
      } else {
        const QRect room = b->style()->subElementRect(part, &opt, b);
        check(out, b, b->text(), textWidth(b, b->text()) + pad, room.width());
      }
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
      QStyleOptionComboBox opt;
      opt.initFrom(cb);
      opt.editable = cb->isEditable();
      const QRect field = cb->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, cb);
      // Every item must fit, not only the current one: the operator picks
      // from the closed box and reads the choice there.
      for (int i = 0; i < cb->count(); ++i) check(out, cb, cb->itemText(i), textWidth(cb, cb->itemText(i)) + 2, field.width());
      if (cb->isEditable()) check(out, cb, cb->currentText(), textWidth(cb, cb->currentText()) + 4, field.width());
    } else if (auto* sb = qobject_cast<QAbstractSpinBox*>(w)) {
      QLineEdit* le = sb->findChild<QLineEdit*>();
      if (!le) continue;
      const QMargins m = le->textMargins();
      check(out, sb, sb->text(), textWidth(le, sb->text()) + 4 + m.left() + m.right(), le->width());
    } else if (auto* le = qobject_cast<QLineEdit*>(w)) {
      if (qobject_cast<QAbstractSpinBox*>(le->parentWidget()) || qobject_cast<QComboBox*>(le->parentWidget())) continue;
      if (le->text().startsWith('/')) continue;  // paths scroll in their field
      check(out, le, le->text(), textWidth(le, le->text()) + 6, le->width());
    } else if (auto* tb = qobject_cast<QTabBar*>(w)) {
      for (int i = 0; i < tb->count(); ++i)
        if (tb->isTabVisible(i)) check(out, tb, tb->tabText(i), textWidth(tb, tb->tabText(i)), tb->tabRect(i).width());
      // A tab bar that needs scroll buttons hides tabs.
      int total = 0;
      for (int i = 0; i < tb->count(); ++i)
        if (tb->isTabVisible(i)) total += tb->tabRect(i).width();
      check(out, tb, "(all tabs)", total, tb->width());
    } else if (auto* t = qobject_cast<QTableWidget*>(w)) {
      QHeaderView* h = t->horizontalHeader();
      for (int c = 0; c < t->columnCount(); ++c) {
        QTableWidgetItem* head = t->horizontalHeaderItem(c);
        const QString ht = head ? head->text() : QString();
        check(out, t, ht, h->fontMetrics().horizontalAdvance(ht) + 8, h->sectionSize(c));
        for (int r = 0; r < t->rowCount(); ++r)
          if (QTableWidgetItem* it = t->item(r, c))
            check(out, t, it->text(), t->fontMetrics().horizontalAdvance(it->text()) + 8, t->columnWidth(c));
      }
      // Every row readable without scrolling, up to a screenful of 12
      // rows; a longer table scrolls (its rows' widths are checked above).
      int rows = h->height();
      for (int r = 0; r < std::min(t->rowCount(), 12); ++r) rows += t->rowHeight(r);
      check(out, t, "(all rows)", rows, t->viewport()->height() + h->height());
    }
  }
  return out;
}

// Every text the operator can read under root: labels, buttons, ring items,
// tab titles, table headers and ring cells. Numbers are left out.
inline std::vector<std::pair<QString, QString>> shownTexts(QWidget* root) {
  std::vector<std::pair<QString, QString>> out;  // (control, text)
  auto add = [&](const QWidget* w, const QString& t) {
    if (!t.trimmed().isEmpty()) out.emplace_back(controlName(w), t);
  };
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(root)) continue;
    if (auto* l = qobject_cast<QLabel*>(w)) {
      if (l->pixmap().isNull()) add(l, l->text());
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      add(b, b->text());
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
      if (!cb->isEditable())
        for (int i = 0; i < cb->count(); ++i) add(cb, cb->itemText(i));
    } else if (auto* tb = qobject_cast<QTabBar*>(w)) {
      for (int i = 0; i < tb->count(); ++i)
        if (tb->isTabVisible(i)) add(tb, tb->tabText(i));
    } else if (auto* t = qobject_cast<QTableWidget*>(w)) {
      for (int c = 0; c < t->columnCount(); ++c)
        if (QTableWidgetItem* head = t->horizontalHeaderItem(c)) add(t, head->text());
    }
#ifdef BX_HAVE_QCUSTOMPLOT
    if (auto* plot = qobject_cast<QCustomPlot*>(w))
      for (QCPAxis* ax : {plot->xAxis, plot->yAxis}) add(plot, ax->label());
#endif
  }
  return out;
}

}  // namespace guitest
