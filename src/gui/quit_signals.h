#pragma once
// SIGINT and SIGTERM as a close request: the signals are taken from a
// descriptor inside Qt's loop, so the orderly way out (settings, link) runs
// on the user-interface thread like a click on the window's close button.
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace bx::gui {

class QuitSignals : public QObject {
  Q_OBJECT
 public:
  // Blocks SIGINT and SIGTERM for this thread and every thread started
  // after it; call it first in main, before Qt starts threads.
  static bool blockEarly();

  // onRequest runs once per signal burst from Qt's loop (also inside the
  // waits that process events). After the first request, a second signal
  // ends the program the hard way, in case the orderly way hangs.
  explicit QuitSignals(std::function<void()> onRequest, QObject* parent = nullptr);
  ~QuitSignals() override;
  bool active() const { return fd_ >= 0; }

 private:
  void readSignal();

  std::function<void()> onRequest_;
  int fd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace bx::gui
