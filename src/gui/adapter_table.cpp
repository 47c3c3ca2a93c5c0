// Table adapter: cells of numbers or ring choices, edited in place.
#include <QComboBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <algorithm>

#include "gui/adapters.h"

namespace bx::gui {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QString cellText(const ui::TableModel& t, int r, int c) {
  const ui::Cell& cell = t.at(r, c);
  int kind = c < static_cast<int>(t.colKind.size()) ? t.colKind[static_cast<size_t>(c)] : 0;
  if (kind == 1) {
    for (const auto& it : t.ringItems)
      if (it.value == cell.num) return qs(it.label);
    return QString::number(cell.num);
  }
  if (kind == 0) {
    int prec = c < static_cast<int>(t.colPrecision.size()) ? t.colPrecision[static_cast<size_t>(c)] : 0;
    return QString::number(cell.num, 'f', std::clamp(prec, 0, 10));
  }
  return qs(cell.text);
}

// Ring columns are edited with a drop-down of the ring's item labels.
class CellDelegate : public QStyledItemDelegate {
 public:
  CellDelegate(ui::Ui& ui, ui::CtlRef ref, QObject* parent) : QStyledItemDelegate(parent), ui_(ui), ref_(ref) {}

  // Cells edited since the last read or send carry the edited mark.
  void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& idx) const override {
    QStyledItemDelegate::paint(p, opt, idx);
    const auto& t = ui_.at(ref_).table;
    if (idx.row() < 0 || idx.column() < 0 || idx.row() >= t.rows || idx.column() >= t.cols) return;
    if (t.at(idx.row(), idx.column()).edited) paintEditedMark(*p, opt.rect);
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& opt, const QModelIndex& idx) const override {
    if (!ringColumn(idx.column())) return QStyledItemDelegate::createEditor(parent, opt, idx);
    auto* cb = new QComboBox(parent);
    for (const auto& it : ui_.at(ref_).table.ringItems) cb->addItem(qs(it.label));
    return cb;
  }
  void setEditorData(QWidget* editor, const QModelIndex& idx) const override {
    if (auto* cb = qobject_cast<QComboBox*>(editor); cb && ringColumn(idx.column())) {
      cb->setCurrentIndex(cb->findText(idx.data().toString()));
      return;
    }
    QStyledItemDelegate::setEditorData(editor, idx);
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& idx) const override {
    if (auto* cb = qobject_cast<QComboBox*>(editor); cb && ringColumn(idx.column())) {
      model->setData(idx, cb->currentText());
      return;
    }
    QStyledItemDelegate::setModelData(editor, model, idx);
  }

 private:
  bool ringColumn(int c) const {
    const auto& kinds = ui_.at(ref_).table.colKind;
    return c >= 0 && c < static_cast<int>(kinds.size()) && kinds[static_cast<size_t>(c)] == 1;
  }
  ui::Ui& ui_;
  ui::CtlRef ref_;
};

class TableAdapter : public ControlAdapter {
 public:
  TableAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    auto* t = new QTableWidget;
    t->setItemDelegate(new CellDelegate(ui, ref, t));
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    t->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                       QAbstractItemView::AnyKeyPressed);
    setWidget(t);
    connect(t, &QTableWidget::cellChanged, this, [this](int r, int c) { cellEdited(r, c); });
    connect(t, &QTableWidget::cellPressed, this, [this](int r, int c) {
      if (updating_) return;
      auto& tm = model().table;
      tm.activeRow = r;
      tm.activeCol = c;
      fire(ui::EVENT_LEFT_CLICK, r + 1, c + 1);
    });
    connect(t, &QTableWidget::itemSelectionChanged, this, [this] {
      if (updating_) return;
      storeSelection();
    });
  }

 protected:
  bool genericLeftClick() const override { return false; }

  // The menu acts on the selection: a right press on a cell outside it
  // makes that cell the selection, as the operator expects.
  void beforeContextMenu(const QPoint& global) override {
    auto* t = static_cast<QTableWidget*>(widget_.data());
    const QModelIndex at = t->indexAt(t->viewport()->mapFromGlobal(global));
    if (!at.isValid() || t->selectionModel()->isSelected(at)) return;
    t->setCurrentCell(at.row(), at.column(), QItemSelectionModel::ClearAndSelect);
    storeSelection();
  }

  void apply(const ui::Control& c) override {
    auto* t = static_cast<QTableWidget*>(widget_.data());
    const ui::TableModel& tm = c.table;
    if (t->rowCount() != tm.rows) t->setRowCount(tm.rows);
    if (t->columnCount() != tm.cols) t->setColumnCount(tm.cols);
    for (int col = 0; col < tm.cols; ++col) {
      QString head = col < static_cast<int>(tm.colLabels.size()) ? qs(tm.colLabels[static_cast<size_t>(col)])
                                                                 : QString::number(col + 1);
      QTableWidgetItem* h = t->horizontalHeaderItem(col);
      if (!h) t->setHorizontalHeaderItem(col, new QTableWidgetItem(head));
      else if (h->text() != head) h->setText(head);
    }
    for (int r = 0; r < tm.rows; ++r) {
      bool rowRo = r < static_cast<int>(tm.rowReadOnly.size()) && tm.rowReadOnly[static_cast<size_t>(r)];
      bool marked = r < static_cast<int>(tm.rowMarked.size()) && tm.rowMarked[static_cast<size_t>(r)];
      for (int col = 0; col < tm.cols; ++col) {
        QTableWidgetItem* it = t->item(r, col);
        if (!it) {
          it = new QTableWidgetItem;
          t->setItem(r, col, it);
        }
        QString txt = cellText(tm, r, col);
        if (it->text() != txt) it->setText(txt);
        Qt::ItemFlags fl = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
        if (!c.readOnly && !rowRo && !tm.at(r, col).readOnly) fl |= Qt::ItemIsEditable;
        if (it->flags() != fl) it->setFlags(fl);
        QBrush bg = marked ? QBrush(QColor(255, 255, 160)) : QBrush();
        if (it->background() != bg) it->setBackground(bg);
      }
    }
    fitToContent(t);
    // The edited marks are the delegate's, drawn from the model.
    t->viewport()->update();
  }

 private:
  // The columns share the width evenly, so the table needs the widest
  // column's room for each of them; every row stays in view up to a
  // screenful, a longer table scrolls.
  static constexpr int kRowsInView = 12;
  void fitToContent(QTableWidget* t) {
    QHeaderView* h = t->horizontalHeader();
    const int pad = 2 * t->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, t) + 10;
    int column = 0;
    for (int col = 0; col < t->columnCount(); ++col) {
      column = std::max(column, h->sectionSizeHint(col));
      for (int r = 0; r < t->rowCount(); ++r)
        if (QTableWidgetItem* it = t->item(r, col))
          column = std::max(column, t->fontMetrics().horizontalAdvance(it->text()) + pad);
    }
    const int frame = 2 * t->frameWidth();
    int w = t->verticalHeader()->sizeHint().width() + column * t->columnCount() + frame;
    if (t->rowCount() > kRowsInView) w += t->verticalScrollBar()->sizeHint().width();
    int hgt = h->sizeHint().height() + frame;
    for (int r = 0; r < std::min(t->rowCount(), kRowsInView); ++r) hgt += t->rowHeight(r);
    if (t->minimumWidth() != w || t->minimumHeight() != hgt) t->setMinimumSize(w, hgt);
  }

  void cellEdited(int r, int c) {
    if (updating_) return;
    auto& tm = model().table;
    if (r < 0 || c < 0 || r >= tm.rows || c >= tm.cols) return;
    auto* t = static_cast<QTableWidget*>(widget_.data());
    QString txt = t->item(r, c) ? t->item(r, c)->text() : QString();
    int kind = c < static_cast<int>(tm.colKind.size()) ? tm.colKind[static_cast<size_t>(c)] : 0;
    ui::Cell& cell = tm.at(r, c);
    bool ok = true;
    if (kind == 1) {
      ok = false;
      for (const auto& it : tm.ringItems)
        if (qs(it.label) == txt) {
          cell.num = it.value;
          ok = true;
        }
    } else if (kind == 0) {
      double v = txt.trimmed().replace(',', '.').toDouble(&ok);
      if (ok) cell.num = v;
    } else {
      cell.text = txt.toStdString();
    }
    if (!ok) {
      // Not a value: show the cell's old content again, send nothing.
      sync(true);
      return;
    }
    tm.activeRow = r;
    tm.activeCol = c;
    ui_.touch(ref_);
    fire(ui::EVENT_VAL_CHANGED, r + 1, c + 1);
    fire(ui::EVENT_COMMIT, r + 1, c + 1);
  }

  void storeSelection() {
    auto* t = static_cast<QTableWidget*>(widget_.data());
    auto& tm = model().table;
    auto ranges = t->selectedRanges();
    if (ranges.isEmpty()) {
      tm.selTop = tm.selLeft = tm.selBottom = tm.selRight = -1;
      return;
    }
    int top = ranges[0].topRow(), left = ranges[0].leftColumn();
    int bottom = ranges[0].bottomRow(), right = ranges[0].rightColumn();
    for (const auto& rg : ranges) {
      top = std::min(top, rg.topRow());
      left = std::min(left, rg.leftColumn());
      bottom = std::max(bottom, rg.bottomRow());
      right = std::max(right, rg.rightColumn());
    }
    tm.selTop = top;
    tm.selLeft = left;
    tm.selBottom = bottom;
    tm.selRight = right;
  }
};

}  // namespace

std::unique_ptr<ControlAdapter> makeTableAdapter(ui::Ui& ui, ui::CtlRef ref) {
  return std::make_unique<TableAdapter>(ui, ref);
}

}  // namespace bx::gui
