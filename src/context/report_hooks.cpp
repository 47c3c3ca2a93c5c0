#include "context/report_hooks.h"

#include <chrono>
#include <cstdio>

#include "context/context.h"
#include "platform/clock.h"
#include "platform/date_text.h"

namespace bx {

namespace {

std::string nowText() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  char hms[platform::kTimeStrSize];
  platform::TimeStr(t, hms);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s.%03d", hms, static_cast<int>(ms));
  return buf;
}

void showProgress(Context& ctx) {
  ctx.progress.shownAt = platform::Timer();
  if (ctx.report.progress) ctx.report.progress(ctx);
}

}  // namespace

void ReportStatusText(Context& ctx, std::string_view english, bool toMessageBox) {
  if (ctx.report.status) {
    ctx.report.status(ctx, english, toMessageBox);
    return;
  }
  AddLogLines(ctx, LogKind::Status, english);
}

void ReportMessageBox(Context& ctx, std::string_view english) {
  if (ctx.report.messageBox) {
    ctx.report.messageBox(ctx, english);
    return;
  }
  AddLogLines(ctx, LogKind::MessageBox, english);
}

void ReportPopup(Context& ctx, const std::string& title, const std::string& text) {
  if (ctx.report.popup) {
    ctx.report.popup(ctx, title, text);
    return;
  }
  AddLogLines(ctx, LogKind::Popup, title + ": " + text);
}

void AddLogLines(Context& ctx, LogKind kind, std::string_view text) {
  MessageLog& log = ctx.messageLog;
  const std::string time = nowText();
  while (!text.empty()) {
    const size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    text = lf == std::string_view::npos ? std::string_view{} : text.substr(lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    if (line.size() > MessageLog::kMaxLineChars) line = line.substr(0, MessageLog::kMaxLineChars);
    // One text shown in the status field and the message box at the same
    // moment is one event: the log keeps it once, as the status it was.
    if (!log.lines.empty() && log.lines.back().time == time && log.lines.back().text == line) {
      if (kind == LogKind::Status) log.lines.back().kind = kind;
      continue;
    }
    log.lines.push_back(LogLine{time, kind, std::string(line)});
    ++log.added;
    while (log.lines.size() > MessageLog::kMaxLines) log.lines.pop_front();
  }
}

std::string MessageLogText(const MessageLog& log) {
  std::string out;
  for (const LogLine& l : log.lines) {
    out += l.time;
    out += "  ";
    out += l.text;
    out += '\n';
  }
  return out;
}

void BeginProgress(Context& ctx, std::string_view english, int total, bool cancellable) {
  Progress& p = ctx.progress;
  if (p.active) {
    Progress saved = p;
    saved.outer.clear();
    p.outer.push_back(std::move(saved));
  }
  p.active = true;
  ++p.depth;
  p.what.assign(english.data(), english.size());
  p.done = 0;
  p.total = total < 0 ? 0 : total;
  p.startedAt = platform::Timer();
  p.left = -1;
  p.cancellable = cancellable;
  p.cancelRequested = false;
  p.raisedAbort = false;
  p.onCancel = nullptr;
  showProgress(ctx);
}

void StepProgress(Context& ctx, int done, double left) {
  Progress& p = ctx.progress;
  if (!p.active) return;
  p.done = done;
  p.left = left;
  showProgress(ctx);
}

void EndProgress(Context& ctx) {
  Progress& p = ctx.progress;
  if (!p.active) return;
  // The abort the cancel raised served its purpose; a Disconnect pressed
  // meanwhile keeps it raised for the close that follows.
  if (p.raisedAbort && !ctx.run.disconnectPending) ctx.link.abort = 0;
  const bool cancelled = p.cancelRequested;
  if (!p.outer.empty()) {
    Progress outer = std::move(p.outer.back());
    p.outer.pop_back();
    std::deque<Progress> rest = std::move(p.outer);
    const int depth = p.depth - 1;
    p = std::move(outer);
    p.outer = std::move(rest);
    p.depth = depth;
    // A cancel of the inner operation cancels the one around it too.
    if (cancelled && p.cancellable) p.cancelRequested = true;
  } else {
    p = Progress{};
  }
  showProgress(ctx);
}

void TickProgress(Context& ctx) {
  Progress& p = ctx.progress;
  if (!p.active) return;
  const double now = platform::Timer();
  if (now - p.shownAt < 0.2) return;
  p.shownAt = now;
  showProgress(ctx);
}

void SetProgressCancel(Context& ctx, void (*onCancel)(Context& ctx)) {
  Progress& p = ctx.progress;
  if (!p.active) return;
  p.onCancel = onCancel;
  p.cancellable = onCancel != nullptr;
  showProgress(ctx);
}

bool ProgressCancelled(const Context& ctx) { return ctx.progress.active && ctx.progress.cancelRequested; }

void CancelProgress(Context& ctx) {
  Progress& p = ctx.progress;
  if (!p.active || !p.cancellable || p.cancelRequested) return;
  p.cancelRequested = true;
  if (p.onCancel != nullptr) {
    p.onCancel(ctx);
  } else if (ctx.link.abort == 0) {
    ctx.link.abort = 1;
    p.raisedAbort = true;
  }
  showProgress(ctx);
}

}  // namespace bx
