// bx-sim: a simulated sensor on loopback TCP and/or a pseudo-terminal (TCP
// only on Windows). Runs until SIGINT or SIGTERM (Ctrl-C on Windows).
#include <cstdio>
#include <string>
#include <vector>

#include "sim/options.h"
#include "sim/server.h"
#include "sim/sys.h"

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

  if (opt.pty && !bx::sim::sys::havePty()) {
    std::fprintf(stderr, "bx-sim: this build has no pseudo-terminal; serve TCP only (--tcp)\n");
    return 2;
  }
  // Before the server thread starts, which inherits what this sets up.
  bx::sim::sys::catchStop();

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

  bx::sim::sys::waitForStop();
  server.stop();
  return 0;
}
