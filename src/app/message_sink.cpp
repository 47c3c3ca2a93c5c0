#include "app/message_sink.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "context/context.h"
#include "files/atomic_file.h"
#include "link/report.h"
#include "platform/clock.h"

namespace bx {

namespace {

// The pane shows at most this much of the log's end; the whole log goes to
// the clipboard and to a saved file.
constexpr size_t kPaneChars = 60 * 1024;

bool paneShown(const Context& ctx) {
  const int h = ctx.refs.log.panel;
  return h >= 0 && ctx.ui.panel(h).visible;
}

std::string paneLine(const LogLine& l) { return l.time + "  " + l.text + "\n"; }

// Appends the lines the pane has not shown yet.
void followLog(Context& ctx) {
  MessageLog& log = ctx.messageLog;
  if (!paneShown(ctx)) return;
  const uint64_t firstKept = log.added - log.lines.size();
  uint64_t from = ctx.app.logPaneShown < firstKept ? firstKept : ctx.app.logPaneShown;
  std::string more;
  for (uint64_t n = from; n < log.added; ++n) more += paneLine(log.lines[static_cast<size_t>(n - firstKept)]);
  ctx.app.logPaneShown = log.added;
  if (!more.empty()) ctx.ui.appendText(ctx.refs.log.text, more);
}

void fillPane(Context& ctx) {
  const MessageLog& log = ctx.messageLog;
  std::string text;
  size_t first = log.lines.size();
  size_t size = 0;
  while (first > 0 && size + log.lines[first - 1].text.size() + 16 <= kPaneChars) {
    --first;
    size += log.lines[first].text.size() + 16;
  }
  for (size_t i = first; i < log.lines.size(); ++i) text += paneLine(log.lines[i]);
  ctx.ui.setText(ctx.refs.log.text, text);
  ctx.app.logPaneShown = log.added;
}

void keep(Context& ctx, LogKind kind, std::string_view shown) {
  AddLogLines(ctx, kind, shown);
  followLog(ctx);
}

void showStatus(Context& ctx, std::string_view english, bool toMessageBox) {
  const std::string shown = ctx.app.texts.message(english);
  ctx.ui.setText(ctx.refs.main.status, shown);
  if (toMessageBox) {
    std::string line(english);
    line += '\n';
    ctx.ui.appendText(ctx.refs.conn.msgBox, ctx.app.texts.message(line));
  }
  keep(ctx, LogKind::Status, shown);
}

void showInMessageBox(Context& ctx, std::string_view english) {
  const std::string shown = ctx.app.texts.message(english);
  ctx.ui.appendText(ctx.refs.conn.msgBox, shown);
  keep(ctx, LogKind::MessageBox, shown);
}

void showPopup(Context& ctx, const std::string& title, const std::string& text) { ctx.ui.message(title, text); }

void popupSeen(Context& ctx, const std::string& title, const std::string& text) {
  keep(ctx, LogKind::Popup, title.empty() ? text : title + ": " + text);
}

void showProgress(Context& ctx) {
  const StatusBarRefs& s = ctx.refs.status;
  const std::string t = ProgressText(ctx, platform::Timer());
  if (ctx.ui.text(s.progress) != t) ctx.ui.setText(s.progress, t);
  const Progress& p = ctx.progress;
  ctx.ui.setDimmed(s.cancel, !(p.active && p.cancellable && !p.cancelRequested));
}

std::string seconds(double s) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", s < 0 ? 0.0 : s);
  return buf;
}

void setLogMenuTick(Context& ctx, bool on) {
  int m, i;
  if (ctx.ui.findMenuItem("VIEW", "MESSAGE_LOG", m, i)) ctx.ui.setMenuChecked(m, i, on);
}

}  // namespace

void InstallReportHooks(Context& ctx) {
  ctx.report.status = &showStatus;
  ctx.report.messageBox = &showInMessageBox;
  ctx.report.popup = &showPopup;
  ctx.report.progress = &showProgress;
  ctx.ui.popupSeen = &popupSeen;
}

std::string ProgressText(const Context& ctx, double now) {
  const Progress& p = ctx.progress;
  if (!p.active) return {};
  std::string t = Localized(ctx, p.what);
  if (p.total > 0) t += " " + Localized(ctx, "%1 of %2", {std::to_string(p.done), std::to_string(p.total)});
  t += " - " + Localized(ctx, "%1 s", {seconds(now - p.startedAt)});
  if (p.left >= 0) t += ", " + Localized(ctx, "%1 s left", {seconds(p.left)});
  if (p.cancelRequested) t += " - " + Localized(ctx, "cancelling ...");
  return t;
}

void ShowLogPane(Context& ctx, bool show) {
  const int h = ctx.refs.log.panel;
  if (h < 0) return;
  setLogMenuTick(ctx, show);
  if (ctx.ui.panel(h).visible == show) return;
  if (show) fillPane(ctx);
  ctx.ui.panel(h).visible = show;
  ctx.ui.touchPanel(h);
}

bool SaveMessageLog(const Context& ctx, const std::string& path, std::string& error) {
  return writeFileAtomic(path, MessageLogText(ctx.messageLog), &error);
}

int CC_MENUview(Context& ctx, const ui::EventArgs& ev) {
  (void)ev;
  ShowLogPane(ctx, !paneShown(ctx));
  return 0;
}

int CC_PANELlog(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_CLOSE) ShowLogPane(ctx, false);
  return 0;
}

int CC_BTNLogCopy(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  ctx.ui.copyText(MessageLogText(ctx.messageLog));
  return 0;
}

int CC_BTNLogSave(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  ui::FileRequest req;
  req.save = true;
  req.directory = ctx.app.userFilesDir;
  req.defaultName = "message-log.txt";
  req.filter = "*.txt";
  req.title = Localized(ctx, "Save the message log");
  std::string path;
  if (ctx.ui.fileSelect(req, path) == ui::FILE_CANCEL || path.empty()) return 0;
  std::error_code ec;
  if (std::filesystem::exists(path, ec) &&
      !ctx.ui.confirm(Localized(ctx, "A T T E N T I O N !"), Localized(ctx, "%1 exists - overwrite ?", {path})))
    return 0;
  std::string error;
  if (!SaveMessageLog(ctx, path, error))
    ctx.ui.message(Localized(ctx, "A T T E N T I O N !"),
                   Localized(ctx, "The message log was not saved: %1", {error}));
  return 0;
}

int CC_BTNLogClose(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) ShowLogPane(ctx, false);
  return 0;
}

int CC_BTNCancelProgress(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) CancelProgress(ctx);
  return 0;
}

}  // namespace bx
