// bx-sim: a simulated sensor on loopback TCP and/or a pseudo-terminal. Runs
// until SIGINT or SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sim/options.h"
#include "sim/server.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bx::sim::Options opt;
  std::string error;
  if (!bx::sim::parseOptions(args, opt, error)) {
    std::fprintf(stderr, "bx-sim: %s\n%s", error.c_str(), bx::sim::usageText());
    return 2;
  }
  if (opt.help) {
    std::fputs(bx::sim::usageText(), stdout);
    return 0;
  }
  if (opt.version) {
    std::puts("bx-sim " BX_VERSION);
    return 0;
  }

  // Signals are taken with sigwait below; block them before the server
  // thread starts so that it inherits the mask. A launcher may have left
  // SIGINT ignored (background jobs), and an ignored signal never reaches
  // sigwait, so restore the default first.
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  bx::sim::Server server(opt.config);
  for (const auto& f : opt.faults) server.setFault(f);
  if (opt.tcp) {
    const int port = server.startTcp(opt.tcpPort);
    if (port < 0) {
      std::fprintf(stderr, "bx-sim: cannot listen on 127.0.0.1:%d\n", opt.tcpPort);
      return 1;
    }
    std::printf("TCP 127.0.0.1:%d\n", port);
  }
  if (opt.pty) {
    const std::string path = server.startPty();
    if (path.empty()) {
      std::fprintf(stderr, "bx-sim: cannot open a pseudo-terminal\n");
      return 1;
    }
    std::printf("PTY %s\n", path.c_str());
  }
  std::fflush(stdout);

  int sig = 0;
  while (sigwait(&stopSignals, &sig) != 0) {
  }
  server.stop();
  return 0;
}
