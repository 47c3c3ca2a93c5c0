#include "gui/quit_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <QSocketNotifier>

namespace bx::gui {

namespace {

// A signal handler can reach nothing but process-wide state: the write end
// of the pipe, set while a QuitSignals lives.
volatile sig_atomic_t signalPipe = -1;

void onSignal(int) {
  const int saved = errno;
  if (signalPipe >= 0) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe, &byte, 1);
  }
  errno = saved;
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> onRequest, QObject* parent)
    : QObject(parent), onRequest_(std::move(onRequest)) {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
  signalPipe = pipe_[1];
  notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { readSignal(); });
  struct sigaction sa {};
  sa.sa_handler = &onSignal;
  sigemptyset(&sa.sa_mask);
  // Once: the next signal takes its default action again.
  sa.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

QuitSignals::~QuitSignals() {
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  signalPipe = -1;
  if (notifier_) notifier_->setEnabled(false);
  for (int fd : pipe_)
    if (fd >= 0) ::close(fd);
}

void QuitSignals::readSignal() {
  char buf[16];
  bool got = false;
  while (::read(pipe_[0], buf, sizeof buf) > 0) got = true;
  if (got && onRequest_) onRequest_();
}

}  // namespace bx::gui
