#pragma once
// A front-end without a screen: for the command-line tool and the tests.
// Operator actions are scripted with a delay; pop-up answers are queued.
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/frontend.h"

namespace bx::ui {

class HeadlessFrontend : public Frontend {
 public:
  struct Popup {
    std::string kind;   // "message", "confirm", "prompt", "file"
    std::string title;
    std::string text;
  };

  // Runs fn from processEvents once at least delaySeconds have passed.
  void schedule(double delaySeconds, std::function<void()> fn);
  void answerConfirm(bool yes) { confirms_.push_back(yes); }
  void answerPrompt(std::string text) { prompts_.push_back(std::move(text)); }
  void answerFile(FileResult r, std::string path) { files_.push_back({r, std::move(path)}); }
  void setDefaultConfirm(bool yes) { defaultConfirm_ = yes; }
  // When set, pop-ups and message-box lines are written to stdout (CLI).
  void setEcho(bool on) { echo_ = on; }
  void setEchoBox(CtlRef box) { echoBox_ = box; }

  const std::vector<Popup>& popups() const { return popups_; }
  void clearPopups() { popups_.clear(); }
  int processCount() const { return processCount_; }
  bool quitRequested() const { return quit_; }

  void processEvents() override;
  bool inputPending() override;
  void message(const std::string& title, const std::string& text) override;
  bool confirm(const std::string& title, const std::string& text) override;
  bool prompt(const std::string& title, const std::string& text, std::string& answer) override;
  FileResult fileSelect(const FileRequest& req, std::string& path) override;
  void textAppended(CtlRef box, const std::string& text) override;
  void quit() override { quit_ = true; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Action {
    Clock::time_point due;
    std::function<void()> fn;
  };
  void printPopup(const std::string& title, const std::string& text);

  std::deque<Action> actions_;
  std::deque<bool> confirms_;
  std::deque<std::string> prompts_;
  std::deque<std::pair<FileResult, std::string>> files_;
  std::vector<Popup> popups_;
  bool defaultConfirm_ = false;
  bool echo_ = false;
  CtlRef echoBox_;
  int processCount_ = 0;
  bool quit_ = false;
};

}  // namespace bx::ui
