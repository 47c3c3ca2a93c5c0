#include "gui/qt_frontend.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <qcustomplot.h>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QPrinterInfo>
#include <QScreen>
#include <QUrl>

#include "context/context.h"
#include "gui/main_window.h"
#include "gui/print_render.h"
#include "gui/renderer.h"
#include "link/events.h"

namespace bx::gui {
namespace {
QString qs(const std::string& s) { return QString::fromStdString(s); }

// The job on the named printer: the same renderer as the PDF file.
bool printJobToPrinter(const ui::Ui& ui, const ui::PrintJob& job, const std::string& printer, std::string& error) {
  const QPrinterInfo info = QPrinterInfo::printerInfo(qs(printer));
  if (info.isNull()) {
    error = "no printer named " + printer;
    return false;
  }
  QPrinter out(info, QPrinter::HighResolution);
  out.setDocName(qs(job.title));
  SetPrintPageLayout(out, job);
  return RenderPrintJob(ui, job, out, error);
}
}  // namespace

QtFrontend::QtFrontend(Context& ctx) : ctx_(ctx) {
  // Inside a wait the waiting loop polls the link itself; this timer serves
  // the time between waits, when only Qt's loop runs.
  connect(&linkTimer_, &QTimer::timeout, this, [this] {
    if (depth_ == 0) PollLinkEvents(ctx_);
  });
  linkTimer_.start(50);
}

QtFrontend::~QtFrontend() {
  linkTimer_.stop();
  if (waitCursor_) QApplication::restoreOverrideCursor();
}

void QtFrontend::processEvents() {
  // A wait inside an exchange asks for events after every wake-up, several
  // times a cycle of a fast loop. Qt's event pass costs far more than the
  // exchange itself, so while the link is busy it runs at most once a
  // millisecond: input still answers within that, the loop keeps its pace.
  const auto now = std::chrono::steady_clock::now();
  const bool linkBusy = ctx_.run.linkHeld > 0 || ctx_.run.state == RUN_LOOP;
  const bool repaint = renderer_ != nullptr && renderer_->repaintDue();
  if (linkBusy && (now - lastPump_ < kBusyPumpInterval || !pumpFits(now, repaint))) return;
  lastPump_ = now;
  ++depth_;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // The pass is painted now, in the time this pump was given, rather than
  // at some later pump that was not meant to draw.
  if (renderer_ && renderer_->repaintIfDue()) QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
  --depth_;
  // What a pump costs while the link is busy, near its dearer end: one
  // that outlasts the reply holds the line, so a dearer pump raises the
  // figure at once and a cheaper one lowers it slowly. One slow pass (a
  // page change, a dialog) still fades, and cannot keep the screen from
  // being drawn.
  if (linkBusy) {
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - now).count();
    double& cost = repaint ? repaintCost_ : plainCost_;
    cost = cost <= 0 ? took : took > cost ? 0.5 * cost + 0.5 * took : 0.95 * cost + 0.05 * took;
  }
}

bool QtFrontend::pumpFits(std::chrono::steady_clock::time_point now, bool repaint) const {
  // A pump runs while a reply is on its way and will not have come before
  // the pump ends: one between exchanges, or one that outlasts the reply,
  // leaves the line idle and slows the loop below the wire. After a while
  // without one, half the time it needs will do; input must be answered
  // and the screen follow, so in the end it runs whatever the line does.
  const auto waited = now - lastPump_;
  if (waited >= kForcedAfter) return true;
  const double need = repaint ? repaintCost_ : plainCost_;
  return ReplyTimeLeft(ctx_) >= (waited >= kHeldLong ? need / 2 : need);
}

QWidget* QtFrontend::dialogParent() const {
  if (QWidget* w = QApplication::activeWindow()) return w;
  return renderer_ ? renderer_->mainWindow() : nullptr;
}

void QtFrontend::message(const std::string& title, const std::string& text) {
  if (delegate_) return delegate_->message(title, text);
  QMessageBox::information(dialogParent(), qs(title), qs(text));
}

bool QtFrontend::confirm(const std::string& title, const std::string& text) {
  if (delegate_) return delegate_->confirm(title, text);
  return QMessageBox::question(dialogParent(), qs(title), qs(text), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

bool QtFrontend::prompt(const std::string& title, const std::string& text, std::string& answer) {
  if (delegate_) return delegate_->prompt(title, text, answer);
  bool ok = false;
  QString got = QInputDialog::getText(dialogParent(), qs(title), qs(text), QLineEdit::Normal, qs(answer), &ok);
  if (ok) answer = got.toStdString();
  return ok;
}

ui::FileResult QtFrontend::fileSelect(const ui::FileRequest& req, std::string& path) {
  if (delegate_) return delegate_->fileSelect(req, path);
  QFileDialog dlg(dialogParent(), qs(req.title), qs(req.directory));
  // The product asks before overwriting, and says itself whether new
  // folders may be made.
  QFileDialog::Options opts = QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog;
  if (!req.allowNewFolder) opts |= QFileDialog::ReadOnly;
  dlg.setOptions(opts);
  dlg.setAcceptMode(req.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(req.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!req.filter.empty()) {
    dlg.setNameFilter(qs(req.filter));
    QString ext = QFileInfo(qs(req.filter)).suffix();
    if (req.restrictExtension && !ext.isEmpty() && !ext.contains('*')) dlg.setDefaultSuffix(ext);
  }
  if (!req.defaultName.empty()) dlg.selectFile(qs(req.defaultName));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return ui::FILE_CANCEL;
  QString chosen = dlg.selectedFiles().first();
  path = QDir::toNativeSeparators(chosen).toStdString();
  return QFileInfo::exists(chosen) ? ui::FILE_EXISTING : ui::FILE_NEW;
}

int QtFrontend::selectFromList(const std::string& title, const std::vector<std::string>& choices) {
  if (delegate_) return delegate_->selectFromList(title, choices);
  if (choices.empty()) return -1;
  QStringList items;
  for (const auto& c : choices) items << qs(c);
  bool ok = false;
  QString got = QInputDialog::getItem(dialogParent(), qs(title), qs(title), items, 0, false, &ok);
  return ok ? static_cast<int>(items.indexOf(got)) : -1;
}

int QtFrontend::choose(const std::string& title, const std::string& text, const std::vector<std::string>& buttons) {
  if (delegate_) return delegate_->choose(title, text, buttons);
  if (buttons.empty()) return -1;
  QMessageBox box(QMessageBox::Question, qs(title), qs(text), QMessageBox::NoButton, dialogParent());
  std::vector<QPushButton*> made;
  for (const auto& b : buttons) made.push_back(box.addButton(qs(b), QMessageBox::ActionRole));
  // Escape and the close button act as the last button (Cancel).
  box.setEscapeButton(made.back());
  box.setDefaultButton(made.back());
  box.exec();
  for (size_t i = 0; i < made.size(); ++i)
    if (box.clickedButton() == made[i]) return static_cast<int>(i);
  return -1;
}

std::vector<std::string> QtFrontend::printerNames() {
  if (delegate_) return delegate_->printerNames();
  std::vector<std::string> names;
  for (const QString& n : QPrinterInfo::availablePrinterNames()) names.push_back(n.toStdString());
  return names;
}

bool QtFrontend::print(const ui::PrintJob& job, const ui::PrintTarget& target, std::string& error) {
  if (delegate_) return delegate_->print(job, target, error);
  if (!target.printer.empty()) return printJobToPrinter(ctx_.ui, job, target.printer, error);
  return PrintJobToPdf(ctx_.ui, job, target.pdfPath, error);
}

bool QtFrontend::copyText(const std::string& text) {
  QClipboard* board = QGuiApplication::clipboard();
  if (board == nullptr) return false;
  board->setText(QString::fromStdString(text));
  return true;
}

void QtFrontend::setWaitCursor(bool on) {
  // Qt stacks override cursors; the product switches one on and off.
  if (on == waitCursor_) return;
  waitCursor_ = on;
  if (on)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

std::string QtFrontend::componentVersions() {
  return std::string("Qt ") + qVersion() + ", QCustomPlot " + QCUSTOMPLOT_VERSION_STR;
}

bool QtFrontend::openDocument(const std::string& path) {
  if (delegate_) return delegate_->openDocument(path);
  return QDesktopServices::openUrl(QUrl::fromLocalFile(qs(path)));
}

void QtFrontend::quit() {
  quit_ = true;
  // Queued: the loop may not run yet, or a callback may still be on its
  // way back to it. exit, not quit: quit asks every window to close first,
  // and the main window leaves that decision to the product, which has
  // already made it.
  QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

bool QtFrontend::controlGeometry(ui::CtlRef r, ui::Rect& control, ui::Rect& screen) {
  if (!renderer_) return false;
  ControlAdapter* ad = renderer_->adapter(r);
  MainWindow* main = renderer_->mainWindow();
  QWidget* area = main ? main->centralWidget() : nullptr;
  QWidget* box = ad ? ad->container() : nullptr;
  if (!box || !area || !box->isVisible()) return false;
  // Child panels are placed relative to the main panel's area.
  const QPoint origin = area->mapToGlobal(QPoint(0, 0));
  const QPoint at = box->mapToGlobal(QPoint(0, 0)) - origin;
  control = ui::Rect{at.x(), at.y(), box->width(), box->height()};
  const QScreen* s = box->screen();
  if (!s) return false;
  const QRect free = s->availableGeometry().translated(-origin);
  screen = ui::Rect{free.x(), free.y(), free.width(), free.height()};
  return true;
}

}  // namespace bx::gui
