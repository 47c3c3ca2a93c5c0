// bx-manual: renders a Quick-Start manual from its text source (Markdown
// with headings, paragraphs, lists and tables) into an A4 PDF with the
// title and page numbers in a footer. Runs during the build, so it needs
// no display: Qt's offscreen platform is forced.
//
//   bx-manual SOURCE.md OUTPUT.pdf [--sensor NAME]
//
// "{SENSOR}" in the source becomes NAME (the sensor series the file is
// for). The PDF goes through the product's atomic writer: written into a
// new file beside OUTPUT, checked, synced and renamed into place, so an
// interrupted build or a full disk never leaves half a manual where the
// tool looks.
#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <cstdio>
#include <string>

#include "files/atomic_file.h"

namespace {

constexpr int kDpi = 300;
constexpr double kMarginMm = 20.0;
constexpr double kBodyPt = 10.5;

int fail(const QString& text) {
  std::fprintf(stderr, "bx-manual: %s\n", qPrintable(text));
  return 1;
}

double mmToDots(double mm) { return mm / 25.4 * kDpi; }
// Lengths inside text formats (margins, padding, borders): the layout
// counts them in pixels of 96 per inch and scales them to the writer.
double mmToFormat(double mm) { return mm / 25.4 * 96; }

// Headings in the product's dark blue, tables with thin rules and a shaded
// header row, a little air after each list item and paragraph.
void styleDocument(QTextDocument& doc) {
  const QColor heading(0, 51, 102);
  const QColor rule(160, 160, 160);
  const QColor head(225, 232, 240);
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    QTextCursor c(b);
    QTextBlockFormat bf = b.blockFormat();
    const int level = bf.headingLevel();
    if (level > 0) {
      QTextCharFormat cf;
      cf.setForeground(heading);
      cf.setFontWeight(QFont::Bold);
      cf.setFontPointSize(level == 1 ? 20 : level == 2 ? 14 : 11.5);
      c.select(QTextCursor::BlockUnderCursor);
      c.mergeCharFormat(cf);
      bf.setTopMargin(mmToFormat(level == 1 ? 0 : level == 2 ? 6 : 4));
      bf.setBottomMargin(mmToFormat(level == 1 ? 4 : 2));
    } else {
      // Space goes below a block only (the cell padding spaces a table):
      // list items closer together than paragraphs, the last item of a
      // list as far from what follows as a paragraph.
      const QTextList* list = b.textList();
      const bool inTable = c.currentTable() != nullptr;
      const bool item = list && list->itemNumber(b) < list->count() - 1;
      bf.setTopMargin(0);
      bf.setBottomMargin(inTable ? 0 : mmToFormat(item ? 1.0 : 2.5));
    }
    QTextCursor(b).setBlockFormat(bf);
  }
  for (QTextFrame* f : doc.rootFrame()->childFrames()) {
    auto* table = qobject_cast<QTextTable*>(f);
    if (!table) continue;
    QTextTableFormat tf = table->format();
    // Collapsed borders: one even rule between cells, drawn by the cells.
    const double ruleWidth = mmToFormat(0.15);
    tf.setBorder(ruleWidth);
    tf.setBorderBrush(rule);
    tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    tf.setBorderCollapse(true);
    tf.setCellPadding(mmToFormat(1.2));
    tf.setCellSpacing(0);
    tf.setTopMargin(mmToFormat(1));
    tf.setBottomMargin(mmToFormat(3));
    tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    tf.setHeaderRowCount(1);  // repeated when a table runs onto the next page
    table->setFormat(tf);
    for (int row = 0; row < table->rows(); ++row)
      for (int col = 0; col < table->columns(); ++col) {
        QTextTableCell cell = table->cellAt(row, col);
        QTextTableCellFormat cf = cell.format().toTableCellFormat();
        cf.setBorder(ruleWidth);
        cf.setBorderBrush(rule);
        cf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        if (row == 0) cf.setBackground(head);
        cell.setFormat(cf);
      }
  }
}

// Moves a block to the top of the next page.
void breakBefore(QTextBlock b) {
  QTextBlockFormat bf = b.blockFormat();
  bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
  QTextCursor(b).setBlockFormat(bf);
}

// A table shorter than half a page that a page boundary cuts (it would
// cut a row) moves to the next page, with the heading right above it.
bool keepTableTogether(QTextDocument& doc, QTextTable* table, double pageHeight) {
  const QRectF r = doc.documentLayout()->frameBoundingRect(table);
  const auto pageOf = [pageHeight](double y) { return static_cast<int>(y / pageHeight); };
  if (table->format().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) return false;
  if (pageOf(r.top()) == pageOf(r.bottom() - 1) || r.height() > pageHeight / 2) return false;
  const QTextBlock above = doc.findBlock(table->firstPosition() - 1);
  if (above.isValid() && above.blockFormat().headingLevel() >= 2 &&
      !(above.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)) {
    breakBefore(above);
  } else {
    QTextTableFormat tf = table->format();
    tf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    table->setFormat(tf);
  }
  return true;
}

// One step of keeping things together, false when nothing had to move:
// a heading never stands alone in the last few centimetres of a page, a
// paragraph up to half a page is not cut by a page boundary, and short
// tables stay whole. The first offender in reading order moves; what lies above
// it stays where it is, so earlier decisions remain right.
bool keepOneTogether(QTextDocument& doc, double pageHeight) {
  QAbstractTextDocumentLayout* layout = doc.documentLayout();
  const auto pageOf = [pageHeight](double y) { return static_cast<int>(y / pageHeight); };
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    if (QTextTable* table = QTextCursor(b).currentTable()) {
      if (b.position() == table->firstPosition() && keepTableTogether(doc, table, pageHeight)) return true;
      continue;
    }
    const QTextBlockFormat bf = b.blockFormat();
    if (bf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) continue;
    const double top = layout->blockBoundingRect(b).top();
    const int level = bf.headingLevel();
    if (level >= 2) {
      const double room = pageHeight * (pageOf(top) + 1) - top;
      if (room >= mmToDots(level == 2 ? 40 : 28)) continue;
      breakBefore(b);
      return true;
    }
    const QTextLayout* lines = b.layout();
    if (level == 1 || !lines || lines->lineCount() < 2) continue;
    // A line stands on the page of its foot: one that starts a hair above
    // a page boundary is drawn on the next page.
    const auto pageOfLine = [&](int i) {
      const QTextLine l = lines->lineAt(i);
      return pageOf(top + l.y() + l.height() - 1);
    };
    if (pageOfLine(0) == pageOfLine(lines->lineCount() - 1)) continue;
    // A paragraph a page boundary cuts: the layout draws the line above the
    // region it paints too, so the last line before the cut would stand on
    // both pages of the text layer. Up to half a page it moves whole.
    if (layout->blockBoundingRect(b).height() > pageHeight / 2) continue;
    breakBefore(b);
    return true;
  }
  return false;
}

void keepTogether(QTextDocument& doc, double pageHeight) {
  // Every step moves one more thing to a page start, so this ends.
  while (keepOneTogether(doc, pageHeight)) {
    // The layout follows such a change only in part (blocks after it may
    // be left without lines): lay it all out afresh before looking on.
    doc.markContentsDirty(0, doc.characterCount());
  }
}

// The first level-one heading: the manual's title, repeated in the footer.
QString titleOf(const QTextDocument& doc) {
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
    if (b.blockFormat().headingLevel() == 1) return b.text();
  return {};
}

bool render(QTextDocument& doc, QIODevice& out) {
  QPdfWriter writer(&out);
  writer.setResolution(kDpi);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                   QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
  writer.setCreator("Quellan-BX-Scope 5.5");
  const QString title = titleOf(doc);
  writer.setTitle(title);

  // Fonts in points of the printer, not of a screen.
  doc.documentLayout()->setPaintDevice(&writer);
  QFont body("DejaVu Sans");
  body.setStyleHint(QFont::SansSerif);
  body.setPointSizeF(kBodyPt);
  doc.setDefaultFont(body);
  styleDocument(doc);

  const double footer = mmToDots(10);
  const QSizeF area(writer.width(), writer.height());
  const QSizeF page(area.width(), area.height() - footer);
  doc.setPageSize(page);
  doc.setDocumentMargin(0);
  keepTogether(doc, page.height());
  const int pages = doc.pageCount();
  // Every text must be laid out, or the manual would silently miss it.
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
    if (!b.text().isEmpty() && (!b.layout() || b.layout()->lineCount() == 0)) {
      std::fprintf(stderr, "bx-manual: not laid out: %s\n", qPrintable(b.text().left(60)));
      return false;
    }

  QPainter p;
  if (!p.begin(&writer)) return false;
  QFont small = body;
  small.setPointSizeF(8.5);
  for (int i = 0; i < pages; ++i) {
    if (i > 0 && !writer.newPage()) return false;
    const QRectF view(0, i * page.height(), page.width(), page.height());
    p.save();
    p.translate(0, -view.top());
    p.setClipRect(view);
    // The layout draws every line whose box touches the region it is
    // given, and the last line of a page reaches a hair into the next one:
    // drawn there too (outside the paper), its text would stand twice in
    // the PDF's text layer. No line crosses a page boundary, so a region a
    // millimetre inside the page still holds every line of this page and
    // none of the neighbours'.
    QAbstractTextDocumentLayout::PaintContext paint;
    paint.clip = view.adjusted(0, mmToDots(1), 0, -mmToDots(1));
    doc.documentLayout()->draw(&p, paint);
    p.restore();
    // Footer: a thin rule, the title on the left, "page / pages" on the right.
    const double y = area.height() - footer + mmToDots(3);
    p.setPen(QPen(QColor(150, 150, 150), mmToDots(0.2)));
    p.drawLine(QPointF(0, y), QPointF(area.width(), y));
    p.setPen(QColor(80, 80, 80));
    p.setFont(small);
    const QRectF line(0, y + mmToDots(1), area.width(), footer - mmToDots(4));
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, title);
    p.drawText(line, Qt::AlignRight | Qt::AlignVCenter, QString("%1 / %2").arg(i + 1).arg(pages));
  }
  return p.end();
}

}  // namespace

// The offscreen platform's remarks about the session (no runtime folder
// and the like) are noise in a build log; real failures are reported by
// this tool itself.
static void quietQt(QtMsgType type, const QMessageLogContext&, const QString& msg) {
  if (type == QtFatalMsg || type == QtCriticalMsg) std::fprintf(stderr, "bx-manual: %s\n", qPrintable(msg));
}

int main(int argc, char** argv) {
  // Rendering needs fonts, never a screen.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(quietQt);
  QGuiApplication app(argc, argv);
  QStringList args = app.arguments();
  args.removeFirst();
  QString sensor;
  const int at = args.indexOf("--sensor");
  if (at >= 0) {
    if (at + 1 >= args.size()) return fail("--sensor needs a name");
    sensor = args[at + 1];
    args.remove(at, 2);
  }
  if (args.size() != 2) return fail("usage: bx-manual SOURCE.md OUTPUT.pdf [--sensor NAME]");

  std::string source, why;
  if (!bx::readWholeFile(QFile::encodeName(args[0]).toStdString(), source, 16u << 20, &why))
    return fail(QString::fromStdString(why));
  QString text = QString::fromUtf8(source.data(), static_cast<qsizetype>(source.size()));
  if (text.contains("{SENSOR}") && sensor.isEmpty()) return fail(args[0] + " names {SENSOR}: give --sensor");
  text.replace("{SENSOR}", sensor);

  QTextDocument doc;
  doc.setMarkdown(text, QTextDocument::MarkdownDialectGitHub);
  if (doc.isEmpty()) return fail(args[0] + " is empty");

  const QString out = args[1];
  bx::AtomicFile file;
  if (!file.open(QFile::encodeName(out).toStdString())) return fail(QString::fromStdString(file.error()));
  QFile device;
  if (!device.open(file.fd(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) return fail("cannot write " + out);
  const bool rendered = render(doc, device);
  // The writer reports no failed write itself: the device does.
  if (!rendered || !device.flush() || device.error() != QFileDevice::NoError || device.pos() <= 0)
    return fail("cannot write " + out + (device.error() != QFileDevice::NoError ? ": " + device.errorString() : ""));
  device.close();
  if (!file.commit()) return fail(QString::fromStdString(file.error()));
  return 0;
}
