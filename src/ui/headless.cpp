#include "ui/headless.h"

#include <cstdio>

namespace bx::ui {

void HeadlessFrontend::schedule(double delaySeconds, std::function<void()> fn) {
  auto due = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(delaySeconds));
  // Keep the queue ordered by due time so processEvents only looks at the front.
  auto it = actions_.begin();
  while (it != actions_.end() && it->due <= due) ++it;
  actions_.insert(it, Action{due, std::move(fn)});
}

void HeadlessFrontend::processEvents() {
  ++processCount_;
  auto now = Clock::now();
  // Actions scheduled by an action run on a later pass, as on screen.
  size_t n = actions_.size();
  for (size_t i = 0; i < n && !actions_.empty() && actions_.front().due <= now; ++i) {
    auto fn = std::move(actions_.front().fn);
    actions_.pop_front();
    fn();
  }
}

bool HeadlessFrontend::inputPending() { return !actions_.empty() && actions_.front().due <= Clock::now(); }

void HeadlessFrontend::printPopup(const std::string& title, const std::string& text) {
  if (!echo_) return;
  std::printf("[%s]\n%s\n", title.c_str(), text.c_str());
  std::fflush(stdout);
}

void HeadlessFrontend::message(const std::string& title, const std::string& text) {
  popups_.push_back({"message", title, text, ""});
  printPopup(title, text);
}

bool HeadlessFrontend::confirm(const std::string& title, const std::string& text) {
  popups_.push_back({"confirm", title, text, ""});
  printPopup(title, text);
  if (confirms_.empty()) return defaultConfirm_;
  bool yes = confirms_.front();
  confirms_.pop_front();
  return yes;
}

bool HeadlessFrontend::prompt(const std::string& title, const std::string& text, std::string& answer) {
  popups_.push_back({"prompt", title, text, ""});
  printPopup(title, text);
  if (prompts_.empty()) return false;
  answer = prompts_.front();
  prompts_.pop_front();
  return true;
}

FileResult HeadlessFrontend::fileSelect(const FileRequest& req, std::string& path) {
  popups_.push_back({"file", req.title, req.defaultName, req.directory});
  if (files_.empty()) return FILE_CANCEL;
  auto [r, p] = files_.front();
  files_.pop_front();
  path = p;
  return r;
}

int HeadlessFrontend::selectFromList(const std::string& title, const std::vector<std::string>& choices) {
  std::string list;
  for (const auto& c : choices) list += (list.empty() ? "" : "|") + c;
  popups_.push_back({"select", title, list, ""});
  if (selects_.empty()) return -1;
  const int i = selects_.front();
  selects_.pop_front();
  return i >= 0 && i < static_cast<int>(choices.size()) ? i : -1;
}

int HeadlessFrontend::choose(const std::string& title, const std::string& text, const std::vector<std::string>& buttons) {
  std::string list;
  for (const auto& b : buttons) list += (list.empty() ? "" : "|") + b;
  popups_.push_back({"choose", title, text, list});
  printPopup(title, text);
  if (chooses_.empty()) return -1;
  const int i = chooses_.front();
  chooses_.pop_front();
  return i >= 0 && i < static_cast<int>(buttons.size()) ? i : -1;
}

bool HeadlessFrontend::print(const PrintJob& job, const PrintTarget& target, std::string& error) {
  printed_.emplace_back(job, target);
  if (!printing_) {
    error = "no printing in this front-end";
    return false;
  }
  return printHandler_ ? printHandler_(job, target, error) : true;
}

void HeadlessFrontend::textAppended(CtlRef box, const std::string& text) {
  if (!echo_ || !(box == echoBox_)) return;
  // One output line per append, without the appended text's final line feed.
  std::string line = text;
  if (!line.empty() && line.back() == '\n') line.pop_back();
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

}  // namespace bx::ui
