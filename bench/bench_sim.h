#pragma once
// The simulator in a child process, so its work and allocations are not
// counted as the tool's, and a headless tool connected to it as the desktop
// tool connects. For the benchmark programs.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/startup.h"
#include "context/context.h"
#include "link/transport.h"
#include "platform/com_ports.h"
#include "connection/bringup.h"
#include "sim/server.h"
#include "ui/headless.h"
#include "wire/frame_format.h"
#include "wire/orders.h"

namespace bench {

struct SimProcess {
  pid_t pid = -1;
  int port = -1;
  std::string pty;
};

// Starts the simulator on loopback TCP and its pty; setup (if given) runs in
// the child before it answers.
inline SimProcess startSimProcess(const bx::sim::Config& cfg = bx::sim::Config(),
                                  void (*setup)(bx::sim::Server&) = nullptr) {
  int fds[2];
  if (pipe(fds) != 0) std::exit(1);
  SimProcess sp;
  sp.pid = fork();
  if (sp.pid == 0) {
    // A benchmark that exits early must not leave its simulator behind,
    // holding the output pipe of whoever ran it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(fds[0]);
    bx::sim::Server server(cfg);
    int port = server.startTcp(0);
    std::string pty = server.startPty();
    if (setup) setup(server);
    dprintf(fds[1], "%d %s\n", port, pty.c_str());
    close(fds[1]);
    pause();
    _exit(0);
  }
  close(fds[1]);
  char buf[256] = {};
  ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  if (n <= 0) std::exit(1);
  char path[200] = {};
  std::sscanf(buf, "%d %199s", &sp.port, path);
  sp.pty = path;
  return sp;
}

inline void stopSimProcess(SimProcess& sp) {
  if (sp.pid > 0) {
    kill(sp.pid, SIGTERM);
    waitpid(sp.pid, nullptr, 0);
  }
  sp.pid = -1;
}

// Points the tool's connection settings at the simulator: its TCP port, or
// its pseudo-terminal as a serial port at 921600 Bd.
inline void aimAtSim(bx::Context& ctx, const SimProcess& sp, bool tcp) {
  auto& L = ctx.link;
  if (tcp) {
    L.transport = bx::TRANSPORT_TCP;
    L.ipAddress = "127.0.0.1";
    L.tcpPort = sp.port;
  } else {
    L.transport = bx::TRANSPORT_RS232;
    L.comPort = static_cast<uint16_t>(bx::platform::comNumber(sp.pty));
    L.baudIndex = 7;
  }
}

// The orders of one cycle of the video view: the live record, the edges
// and the video.
constexpr std::array<uint8_t, 3> kCycleOrders{bx::order::kLiveData, bx::order::kEdgeQuery, bx::order::kVideoData};

// Bytes a serial line carries for one cycle of the video view.
inline int wireBytesPerCycle() {
  int n = 0;
  for (uint8_t o : kCycleOrders)
    n += 2 * bx::frame::kHeaderSize + bx::order::RequestSize(o, 0) + bx::order::ReplySize(o, 0);
  return n;
}

// Cycles a second that a line of `baud` carries at most (10 bits a byte).
inline double wireCeiling(int baud) { return baud / 10.0 / wireBytesPerCycle(); }

// A headless tool with the panel resource loaded, not yet connected.
struct HeadlessTool {
  bx::Context ctx;
  bx::ui::HeadlessFrontend fe;
  HeadlessTool() {
    ctx.ui.frontend = &fe;
    std::string err;
    if (!bx::LoadPanels(ctx, bx::ExecutableDir() + "/" + bx::kResourceFile, err)) {
      std::fprintf(stderr, "%s\n", err.c_str());
      std::exit(1);
    }
    bx::InitVars(ctx);
  }
};

// A headless tool connected and brought up over TCP or the pty (at 921600
// baud).
struct ConnectedTool : HeadlessTool {
  ConnectedTool(const SimProcess& sp, bool tcp) {
    aimAtSim(ctx, sp, tcp);
    if (bx::ConnectProcedure(ctx) != 1) {
      std::fprintf(stderr, "connect failed: %s\n", ctx.status.c_str());
      std::exit(1);
    }
  }
  ~ConnectedTool() { bx::CloseLink(ctx, true); }
};

}  // namespace bench
