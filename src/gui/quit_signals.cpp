#include "gui/quit_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace bx::gui {

namespace {

sigset_t quitSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

bool QuitSignals::blockEarly() {
  sigset_t set = quitSet();
  return pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
}

QuitSignals::QuitSignals(std::function<void()> onRequest, QObject* parent)
    : QObject(parent), onRequest_(std::move(onRequest)) {
  sigset_t set = quitSet();
  fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  if (fd_ < 0) return;
  notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { readSignal(); });
}

QuitSignals::~QuitSignals() {
  if (notifier_) notifier_->setEnabled(false);
  if (fd_ >= 0) ::close(fd_);
}

void QuitSignals::readSignal() {
  signalfd_siginfo info;
  bool got = false;
  while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) got = true;
  if (!got) return;
  // From now on this thread takes the signals' default action again: a
  // second Ctrl+C ends a shutdown that does not come to an end.
  notifier_->setEnabled(false);
  sigset_t set = quitSet();
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  if (onRequest_) onRequest_();
}

}  // namespace bx::gui
