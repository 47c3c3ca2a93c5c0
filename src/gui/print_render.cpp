#include "gui/print_render.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "files/atomic_file.h"
#include "ui/ui.h"

namespace bx::gui {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
QColor qc(const ui::Color& c, int alpha = 255) { return QColor(c.r, c.g, c.b, alpha); }

double niceStep(double raw) {
  if (!(raw > 0)) return 1;
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  const double m = raw / p;
  return (m <= 1 ? 1 : m <= 2 ? 2 : m <= 5 ? 5 : 10) * p;
}

// One thing placed on a page, measured before anything is drawn so the
// page count is known for the footer.
struct Block {
  enum Kind { Text, Fields, Graph, Row } kind = Text;
  QString text;
  double pointSize = 10;
  ui::CtlRef graph;
  double height = 0;
  // A heading (a text larger than the body) stays on the page of what
  // follows it.
  bool heading = false;
  // Row: its cells and the left edge and width of each column.
  QStringList cells;
  std::vector<double> colLeft, colWidth;
  bool isHeader = false;
  // Row: the block of its table's header, repeated on a page the table
  // goes on to; -1 for none.
  int header = -1;
};

// Room between two columns, in parts of a line height.
constexpr double kCellGap = 0.6;

class Layout {
 public:
  Layout(const ui::Ui& u, const ui::PrintJob& j, QPainter& p, double width)
      : ui(u), job(j), painter(p), width_(width) {}

  QFont font(double pt, bool bold = false) const {
    QFont f(qs(job.fontFamily));
    f.setPointSizeF(pt);
    f.setBold(bold);
    return f;
  }

  double textHeight(const QString& text, double pt) const {
    const QFontMetricsF fm(font(pt), painter.device());
    if (text.isEmpty()) return fm.lineSpacing();
    return fm.boundingRect(QRectF(0, 0, width_, 1e9), Qt::TextWordWrap, text).height();
  }

  double textHeight(const QString& text, double pt, double width, bool bold) const {
    const QFontMetricsF fm(font(pt, bold), painter.device());
    if (text.isEmpty()) return fm.lineSpacing();
    return fm.boundingRect(QRectF(0, 0, std::max(width, 1.0), 1e9), Qt::TextWordWrap, text).height();
  }

  // A table as one block per row: the columns share the line as the job
  // asks (equally where it does not say), every row as high as its
  // tallest cell.
  void tableBlocks(const ui::PrintItem& item, std::vector<Block>& out) const {
    size_t cols = item.header.size();
    for (const auto& r : item.rows) cols = std::max(cols, r.size());
    if (cols == 0) return;
    std::vector<double> share(cols, 1.0);
    if (item.widths.size() == cols) {
      for (size_t c = 0; c < cols; ++c) share[c] = item.widths[c] > 0 ? item.widths[c] : 0;
    }
    double total = 0;
    for (double w : share) total += w;
    if (!(total > 0)) {
      share.assign(cols, 1.0);
      total = static_cast<double>(cols);
    }
    const double gap = QFontMetricsF(font(item.pointSize), painter.device()).height() * kCellGap;
    Block proto;
    proto.kind = Block::Row;
    proto.pointSize = item.pointSize;
    double left = 0;
    for (size_t c = 0; c < cols; ++c) {
      const double w = width_ * share[c] / total;
      proto.colLeft.push_back(left);
      proto.colWidth.push_back(std::max(w - gap, 1.0));
      left += w;
    }
    auto row = [&](const std::vector<std::string>& cells, bool header) {
      Block b = proto;
      b.isHeader = header;
      double h = 0;
      for (size_t c = 0; c < cols; ++c) {
        const QString t = c < cells.size() ? qs(cells[c]) : QString();
        b.cells << t;
        h = std::max(h, textHeight(t, b.pointSize, b.colWidth[c], header));
      }
      b.height = h + gap * 0.5;
      return b;
    };
    int header = -1;
    if (!item.header.empty()) {
      header = static_cast<int>(out.size());
      out.push_back(row(item.header, true));
    }
    for (const auto& r : item.rows) {
      out.push_back(row(r, false));
      out.back().header = header;
    }
  }

  std::vector<Block> blocks() const {
    std::vector<Block> out;
    for (const auto& item : job.items) {
      if (item.kind == ui::PrintItem::Kind::Text) {
        Block b;
        b.text = qs(item.text);
        b.pointSize = item.pointSize;
        b.heading = item.pointSize > job.pointSize;
        b.height = textHeight(b.text, b.pointSize);
        out.push_back(b);
        continue;
      }
      if (item.kind == ui::PrintItem::Kind::Table) {
        tableBlocks(item, out);
        continue;
      }
      if (item.kind == ui::PrintItem::Kind::Graph) {
        const ui::CtlRef r = item.graph;
        if (r.panel < 0 || r.panel >= static_cast<int>(ui.panels.size())) continue;
        const auto& controls = ui.panel(r.panel).controls;
        if (r.control < 0 || r.control >= static_cast<int>(controls.size())) continue;
        if (controls[static_cast<size_t>(r.control)].kind != ui::Kind::Graph) continue;
        Block g;
        g.kind = Block::Graph;
        g.graph = r;
        // The plot's share of the width, plus its title and axis labels.
        g.height = width_ * std::clamp(item.heightShare, 0.1, 1.2) + textHeight("X", job.pointSize) * 3.6;
        out.push_back(g);
        continue;
      }
      if (item.panel < 0 || item.panel >= static_cast<int>(ui.panels.size())) continue;
      const auto& panel = ui.panel(item.panel);
      Block fields;
      fields.kind = Block::Fields;
      fields.pointSize = job.pointSize;
      for (const auto& c : panel.controls) {
        if (!c.visible) continue;
        QString v = shownValue(c);
        if (v.isNull()) continue;
        if (!fields.text.isEmpty()) fields.text += "     ";
        fields.text += qs(c.label) + ": " + v;
      }
      if (!fields.text.isEmpty()) {
        fields.height = textHeight(fields.text, fields.pointSize) * 1.5;
        out.push_back(fields);
      }
      for (size_t i = 0; i < panel.controls.size(); ++i) {
        const auto& c = panel.controls[i];
        if (c.kind != ui::Kind::Graph || !c.visible) continue;
        Block g;
        g.kind = Block::Graph;
        g.graph = ui::CtlRef{item.panel, static_cast<int>(i)};
        // The graph keeps its share of the panel: rows against columns.
        g.height = width_ * std::clamp(c.rowSpan / 16.0, 0.12, 0.6) + textHeight("X", job.pointSize) * 1.5;
        out.push_back(g);
      }
    }
    return out;
  }

  // What a control shows, or a null string for controls a print-out leaves
  // out (buttons, pictures, free text, graphs).
  static QString shownValue(const ui::Control& c) {
    switch (c.kind) {
      case ui::Kind::Ring:
      case ui::Kind::Radio:
        for (const auto& it : c.items)
          if (it.value == c.value) return qs(it.label);
        return QString::number(c.value);
      case ui::Kind::Numeric:
      case ui::Kind::Slider:
        return QString::number(c.value, 'f', std::max(0, c.precision));
      case ui::Kind::Toggle:
      case ui::Kind::Switch:
      case ui::Kind::Check:
      case ui::Kind::Led:
        return c.value != 0 ? "1" : "0";
      default:
        return QString();
    }
  }

  const ui::Ui& ui;
  const ui::PrintJob& job;
  QPainter& painter;

 private:
  double width_;
};

void drawGraph(QPainter& p, const ui::Control& c, const QRectF& box, const QFont& font) {
  const ui::GraphModel& g = c.graph;
  const QFontMetricsF fm(font, p.device());
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(QPointF(box.left(), box.top() + fm.ascent()), qs(c.label));
  const double xGain = std::abs(g.x.gain) > 0 ? g.x.gain : 1.0;
  const double yGain = std::abs(g.y.gain) > 0 ? g.y.gain : 1.0;
  auto label = [](double v, int prec) { return QString::number(v, 'f', std::max(0, prec)); };
  const double yLabelW =
      std::max(fm.horizontalAdvance(label(g.y.min * yGain, g.y.precision)),
               fm.horizontalAdvance(label(g.y.max * yGain, g.y.precision))) +
      fm.height() * 1.6;
  const QRectF plot(box.left() + yLabelW, box.top() + fm.lineSpacing() * 1.2, box.width() - yLabelW - fm.height(),
                    box.height() - fm.lineSpacing() * 3.4);
  if (plot.width() <= 0 || plot.height() <= 0) return;
  const double xSpan = g.x.max - g.x.min != 0 ? g.x.max - g.x.min : 1;
  const double ySpan = g.y.max - g.y.min != 0 ? g.y.max - g.y.min : 1;
  auto X = [&](double x) { return plot.left() + (x - g.x.min) / xSpan * plot.width(); };
  auto Y = [&](double y) { return plot.bottom() - (y - g.y.min) / ySpan * plot.height(); };
  const double hair = std::max(1.0, p.device()->logicalDpiX() / 300.0);

  // Grid and tick labels; the x labels show index * gain.
  QPen grid(QColor(210, 210, 210));
  grid.setWidthF(hair);
  const double xs = std::max(niceStep(std::abs(xSpan * xGain) / 8), std::pow(10.0, -std::max(0, g.x.precision)));
  const double x0 = std::ceil(std::min(g.x.min * xGain, g.x.max * xGain) / xs) * xs;
  for (double t = x0; t <= std::max(g.x.min * xGain, g.x.max * xGain) + xs * 1e-9; t += xs) {
    const double px = X(t / xGain);
    p.setPen(grid);
    p.drawLine(QPointF(px, plot.top()), QPointF(px, plot.bottom()));
    p.setPen(Qt::black);
    const QString s = label(t, g.x.precision);
    p.drawText(QPointF(px - fm.horizontalAdvance(s) / 2, plot.bottom() + fm.ascent() + fm.height() * 0.2), s);
  }
  const double ys = niceStep(std::abs(ySpan * yGain) / 5);
  for (double t = std::ceil(g.y.min * yGain / ys) * ys; t <= g.y.max * yGain + ys * 1e-9; t += ys) {
    const double py = Y(t / yGain);
    p.setPen(grid);
    p.drawLine(QPointF(plot.left(), py), QPointF(plot.right(), py));
    p.setPen(Qt::black);
    const QString s = label(t, g.y.precision);
    p.drawText(QPointF(plot.left() - fm.horizontalAdvance(s) - fm.height() * 0.3, py + fm.ascent() / 2.5), s);
  }
  if (!g.x.caption.empty()) {
    const QString s = qs(g.x.caption);
    p.drawText(QPointF(plot.center().x() - fm.horizontalAdvance(s) / 2, plot.bottom() + fm.lineSpacing() * 2.2), s);
  }
  if (!g.y.caption.empty()) {
    p.save();
    p.translate(box.left() + fm.ascent(), plot.center().y());
    p.rotate(-90);
    const QString s = qs(g.y.caption);
    p.drawText(QPointF(-fm.horizontalAdvance(s) / 2, 0), s);
    p.restore();
  }

  p.save();
  p.setClipRect(plot);
  for (const auto& pl : g.plots) {
    QPen pen(qc(pl.color, std::clamp(pl.alpha, 0, 255)));
    pen.setWidthF(hair * std::max(1, pl.width) * 1.5);
    if (pl.dashed) pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    const size_t n = std::min(pl.x.size(), pl.y.size());
    if (pl.type == ui::PlotType::Rect) {
      if (n < 2) continue;
      const QRectF r(QPointF(X(pl.x[0]), Y(pl.y[1])), QPointF(X(pl.x[1]), Y(pl.y[0])));
      if (pl.filled) p.fillRect(r.normalized(), qc(pl.color, std::clamp(pl.alpha, 0, 255)));
      else p.drawRect(r.normalized());
      continue;
    }
    if (n == 0) continue;
    QPainterPath path(QPointF(X(pl.x[0]), Y(pl.y[0])));
    for (size_t i = 1; i < n; ++i) {
      if (pl.type == ui::PlotType::Steps) path.lineTo(X(pl.x[i]), Y(pl.y[i - 1]));
      path.lineTo(X(pl.x[i]), Y(pl.y[i]));
    }
    p.drawPath(path);
  }
  // Cursors as cross-hairs.
  for (int i = 0; i < g.cursorCount && i < static_cast<int>(g.cursors.size()); ++i) {
    const auto& cur = g.cursors[static_cast<size_t>(i)];
    if (!cur.visible) continue;
    QPen pen(qc(cur.color));
    pen.setWidthF(hair);
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.drawLine(QPointF(X(cur.x), plot.top()), QPointF(X(cur.x), plot.bottom()));
    if (cur.y > g.y.min && cur.y <= g.y.max) p.drawLine(QPointF(plot.left(), Y(cur.y)), QPointF(plot.right(), Y(cur.y)));
  }
  p.restore();
  QPen frame(Qt::black);
  frame.setWidthF(hair);
  p.setPen(frame);
  p.setBrush(Qt::NoBrush);
  p.drawRect(plot);
}

QString footerText(const std::string& pattern, int n, int m) {
  QString s = qs(pattern);
  s.replace("{n}", QString::number(n));
  s.replace("{m}", QString::number(m));
  return s;
}

// While no Qt application runs (the command-line tool), one on the
// offscreen platform for the time of a rendering.
class OffscreenQt {
 public:
  OffscreenQt() {
    if (QCoreApplication::instance() != nullptr) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QGuiApplication>(argc_, argv_);
  }

 private:
  int argc_ = 1;
  char name_[16] = "quellan-bx-cli";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QGuiApplication> app_;
};

}  // namespace

void SetPrintPageLayout(QPagedPaintDevice& device, const ui::PrintJob& job) {
  const double mm = job.marginCm * 10.0;
  device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(mm, mm, mm, mm),
                                   QPageLayout::Millimeter));
}

bool RenderPrintJob(const ui::Ui& ui, const ui::PrintJob& job, QPagedPaintDevice& device, std::string& error) {
  QPainter p;
  if (!p.begin(&device)) {
    error = "the print device cannot be painted on";
    return false;
  }
  p.setRenderHint(QPainter::Antialiasing);
  const double width = device.width();
  const double height = device.height();
  Layout layout(ui, job, p, width);
  const QFont small = layout.font(job.pointSize);
  const QFontMetricsF fm(small, &device);
  const double headerH = fm.lineSpacing() * 2;
  const double footerH = fm.lineSpacing() * 2;
  const double room = height - headerH - footerH;
  const std::vector<Block> blocks = layout.blocks();

  // Pages first, so every footer can name the page count. A heading and a
  // table's header row keep the next block on their page; a table that goes
  // on over a break starts the new page with its header again.
  struct Placed {
    size_t block;
    int page;
  };
  std::vector<Placed> placed;
  placed.reserve(blocks.size());
  int pages = 1;
  double y = 0;
  for (size_t i = 0; i < blocks.size(); ++i) {
    const Block& b = blocks[i];
    double need = b.height;
    for (size_t k = i; (blocks[k].heading || blocks[k].isHeader) && k + 1 < blocks.size(); ++k)
      need += blocks[k + 1].height;
    if (y > 0 && y + need > room) {
      ++pages;
      y = 0;
      if (b.kind == Block::Row && b.header >= 0) {
        placed.push_back({static_cast<size_t>(b.header), pages});
        y += blocks[static_cast<size_t>(b.header)].height;
      }
    }
    placed.push_back({i, pages});
    y += b.height;
  }

  auto frame = [&](int page) {
    p.setFont(small);
    p.setPen(Qt::black);
    p.drawText(QRectF(0, 0, width, headerH), Qt::AlignLeft | Qt::AlignTop, qs(job.headerLeft));
    p.drawText(QRectF(0, 0, width, headerH), Qt::AlignRight | Qt::AlignTop, qs(job.headerRight));
    p.drawText(QRectF(0, height - fm.lineSpacing(), width, fm.lineSpacing()), Qt::AlignHCenter | Qt::AlignBottom,
               footerText(job.footer, page, pages));
  };

  int page = 1;
  frame(page);
  y = headerH;
  const double hair = std::max(1.0, device.logicalDpiX() / 300.0);
  for (const Placed& at : placed) {
    if (at.page != page) {
      if (!device.newPage()) {
        error = "no new page";
        return false;
      }
      page = at.page;
      frame(page);
      y = headerH;
    }
    const Block& b = blocks[at.block];
    const QRectF r(0, y, width, b.height);
    if (b.kind == Block::Graph) {
      drawGraph(p, ui.at(b.graph), r, small);
    } else if (b.kind == Block::Row) {
      p.setFont(layout.font(b.pointSize, b.isHeader));
      p.setPen(Qt::black);
      for (int c = 0; c < b.cells.size(); ++c) {
        const size_t ci = static_cast<size_t>(c);
        p.drawText(QRectF(b.colLeft[ci], y, b.colWidth[ci], b.height), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                   b.cells[c]);
      }
      QPen rule(b.isHeader ? QColor(0, 0, 0) : QColor(200, 200, 200));
      rule.setWidthF(hair);
      p.setPen(rule);
      p.drawLine(QPointF(0, y + b.height - hair), QPointF(width, y + b.height - hair));
    } else {
      p.setFont(layout.font(b.pointSize, b.pointSize > job.pointSize));
      p.setPen(Qt::black);
      p.drawText(r, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, b.text);
    }
    y += b.height;
  }
  if (!p.end()) {
    error = "the print-out could not be finished";
    return false;
  }
  return true;
}

bool PrintJobToPdf(const ui::Ui& ui, const ui::PrintJob& job, const std::string& path, std::string& error) {
  OffscreenQt qt;
  // Written into a new file beside the target and renamed over it only
  // when every byte reached the disk: a file the operator already has is
  // never left half replaced, and a full disk is an error.
  AtomicFile out;
  if (!out.open(path)) {
    error = out.error();
    return false;
  }
  QFile file;
  if (!file.open(out.fd(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
    error = "cannot write \"" + path + "\"";
    return false;
  }
  bool ok = false;
  {
    QPdfWriter pdf(&file);
    pdf.setTitle(qs(job.title));
    pdf.setCreator(qs(job.title));
    SetPrintPageLayout(pdf, job);
    ok = RenderPrintJob(ui, job, pdf, error);
  }
  // The writer reports no failed write itself: the device does, and the
  // file on disk must hold every byte the writer gave it.
  if (ok && (!file.flush() || file.error() != QFileDevice::NoError)) {
    error = "cannot write \"" + path + "\": " + file.errorString().toStdString();
    ok = false;
  }
  // The size the file system holds for the descriptor, not what Qt counted.
  const qint64 onDisk = ok ? file.size() : 0;
  if (ok && (onDisk <= 0 || onDisk != file.pos())) {
    error = "cannot write \"" + path + "\": the file is incomplete";
    ok = false;
  }
  file.close();
  if (ok && !out.commit()) {
    error = out.error();
    ok = false;
  }
  // A failed print-out leaves nothing behind (the writer discards it).
  return ok;
}

}  // namespace bx::gui
