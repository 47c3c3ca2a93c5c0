#pragma once
// The one way operations below the pages report to the operator: status
// texts, message-box lines, pop-ups and the progress of a long operation.
// link/, commands/ and calib/ hand their English texts here; the layer that
// owns the main panel installs the hooks when the panels are loaded, shows
// each text and keeps it in the message log. Without hooks (a bare context
// in a test) a text is only kept in the log.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace bx {
struct Context;

// What a line of the message log was on screen.
enum class LogKind : uint8_t { Status, MessageBox, Popup };

struct LogLine {
  std::string time;  // "HH:MM:SS.mmm" of the local clock
  LogKind kind = LogKind::Status;
  std::string text;  // as the operator saw it, in the language in force
};

// The message log: the newest lines, bounded so a long session cannot grow
// without end. `added` counts every line ever kept, so a viewer can tell
// which lines are new since it last looked.
struct MessageLog {
  static constexpr size_t kMaxLines = 5000;
  static constexpr size_t kMaxLineChars = 2000;
  std::deque<LogLine> lines;
  uint64_t added = 0;
};

// A long operation in progress: what it is (English), how far it got, and
// whether the operator may cancel it. total 0: only the elapsed time is
// known. left: seconds still to go, below 0 when unknown.
struct Progress {
  bool active = false;
  std::string what;
  int done = 0;
  int total = 0;
  double startedAt = 0;  // platform::Timer() seconds
  double left = -1;
  bool cancellable = false;
  bool cancelRequested = false;
  // The cancel raised the link's abort flag; the end of the operation lowers
  // it again unless something else (Disconnect, Exit) wants it raised.
  bool raisedAbort = false;
  // The operation's own way to stop (a loop's STOP); without one a cancel
  // raises the link's abort flag.
  void (*onCancel)(Context& ctx) = nullptr;
  double shownAt = 0;  // when the display last followed the clock
  // An operation begun inside another (the GET of a connect) shows while it
  // runs; the outer one shows again when it ends.
  int depth = 0;
  std::deque<Progress> outer;
};

struct ReportHooks {
  // Shows an English status text in the status field; with toMessageBox
  // also as a line of the connection page's message box.
  void (*status)(Context& ctx, std::string_view english, bool toMessageBox) = nullptr;
  // Appends English text (lines ending in LF) to the message box.
  void (*messageBox)(Context& ctx, std::string_view english) = nullptr;
  // A pop-up with a title and text, both already in the operator's language.
  void (*popup)(Context& ctx, const std::string& title, const std::string& text) = nullptr;
  // ctx.progress changed (started, moved on, ended).
  void (*progress)(Context& ctx) = nullptr;
};

void ReportStatusText(Context& ctx, std::string_view english, bool toMessageBox = false);
void ReportMessageBox(Context& ctx, std::string_view english);
void ReportPopup(Context& ctx, const std::string& title, const std::string& text);

// Keeps a text in the message log with the current time, one line per
// line of the text (empty lines dropped, over-long lines cut, a line equal
// to the one just kept in the same millisecond kept once).
void AddLogLines(Context& ctx, LogKind kind, std::string_view text);
// The log as the text a file or the clipboard receives: "time  text" lines.
std::string MessageLogText(const MessageLog& log);

// Progress of a long operation. Begin replaces any progress on show; Step
// moves it on (left: seconds still to go, below 0 unknown); End clears it
// and lowers the abort flag a cancel raised. The operation asks
// ProgressCancelled between its steps.
void BeginProgress(Context& ctx, std::string_view english, int total, bool cancellable);
void StepProgress(Context& ctx, int done, double left = -1);
void EndProgress(Context& ctx);
bool ProgressCancelled(const Context& ctx);
// Lets the display follow the elapsed time (a few times a second) while an
// operation waits; the event processing of every wait calls it.
void TickProgress(Context& ctx);
// The operator's cancel: marks the progress cancelled and stops the
// operation its own way, or else raises the link's abort flag so a waiting
// exchange gives up at once. Nothing when no cancellable operation runs.
void CancelProgress(Context& ctx);

// A cancellable operation that stops its own way (cancellable follows).
void SetProgressCancel(Context& ctx, void (*onCancel)(Context& ctx));

// Begin on construction, End on leaving the scope.
class ProgressScope {
 public:
  ProgressScope(Context& ctx, std::string_view english, int total, bool cancellable) : ctx_(ctx) {
    BeginProgress(ctx, english, total, cancellable);
  }
  ~ProgressScope() { EndProgress(ctx_); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  Context& ctx_;
};

}  // namespace bx
