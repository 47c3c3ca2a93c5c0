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
    std::string kind;   // "message", "confirm", "prompt", "file", "select", "choose"
    std::string title;
    std::string text;
    std::string directory;  // "file": the folder the dialogue starts in; "choose": the buttons, | between
  };

  // Runs fn from processEvents once at least delaySeconds have passed.
  void schedule(double delaySeconds, std::function<void()> fn);
  void answerConfirm(bool yes) { confirms_.push_back(yes); }
  void answerPrompt(std::string text) { prompts_.push_back(std::move(text)); }
  void answerFile(FileResult r, std::string path) { files_.push_back({r, std::move(path)}); }
  void setDefaultConfirm(bool yes) { defaultConfirm_ = yes; }
  void answerSelect(int index) { selects_.push_back(index); }
  // The button a question with buttons gets (none queued: closed, -1).
  void answerChoose(int index) { chooses_.push_back(index); }
  // Printing: the printers it claims, and what renders a job (none: every
  // job is only kept); the jobs it was given stay in printed().
  using PrintHandler = std::function<bool(const PrintJob&, const PrintTarget&, std::string&)>;
  void setPrinting(bool on, std::vector<std::string> printers = {}, PrintHandler handler = nullptr) {
    printing_ = on;
    printers_ = std::move(printers);
    printHandler_ = std::move(handler);
  }
  const std::vector<std::pair<PrintJob, PrintTarget>>& printed() const { return printed_; }
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
  int selectFromList(const std::string& title, const std::vector<std::string>& choices) override;
  int choose(const std::string& title, const std::string& text, const std::vector<std::string>& buttons) override;
  bool canPrint() override { return printing_; }
  std::vector<std::string> printerNames() override { return printers_; }
  bool print(const PrintJob& job, const PrintTarget& target, std::string& error) override;
  void quit() override { quit_ = true; }
  bool copyText(const std::string& text) override {
    copied_ = text;
    return true;
  }
  const std::string& copied() const { return copied_; }

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
  std::deque<int> selects_;
  std::deque<int> chooses_;
  bool printing_ = false;
  std::vector<std::string> printers_;
  PrintHandler printHandler_;
  std::vector<std::pair<PrintJob, PrintTarget>> printed_;
  std::vector<Popup> popups_;
  bool defaultConfirm_ = false;
  bool echo_ = false;
  CtlRef echoBox_;
  int processCount_ = 0;
  bool quit_ = false;
  std::string copied_;
};

}  // namespace bx::ui
