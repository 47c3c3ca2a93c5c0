#pragma once
// SIGINT and SIGTERM as a close request: the handler only writes a byte to
// a pipe that Qt's loop watches, so the orderly way out (settings, link)
// runs on the user-interface thread like a click on the window's close
// button.
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace bx::gui {

class QuitSignals : public QObject {
  Q_OBJECT
 public:
  // onRequest runs from Qt's loop (also inside the waits that process
  // events). The handlers act once: a second signal ends the program the
  // hard way, in case the orderly way hangs. One instance per process.
  explicit QuitSignals(std::function<void()> onRequest, QObject* parent = nullptr);
  ~QuitSignals() override;
  bool active() const { return notifier_ != nullptr; }

 private:
  void readSignal();

  std::function<void()> onRequest_;
  int pipe_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace bx::gui
