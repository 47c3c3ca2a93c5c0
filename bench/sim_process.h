#pragma once
// The simulator in a child process for the benchmarks, so its work and its
// allocations are never counted as the tool's. It listens on a loopback TCP
// port and on a pseudo-terminal.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "context/context.h"
#include "platform/com_ports.h"
#include "sim/server.h"

struct SimProcess {
  pid_t pid = -1;
  int port = -1;
  std::string pty;
};

struct SimSetup {
  bool noReply = false;  // the sensor never answers (time-out waits)
  int paceBaud = 0;      // reply bytes no faster than a serial line of this rate
};

inline SimProcess startSimProcess(const SimSetup& setup = {}) {
  int fds[2];
  if (pipe(fds) != 0) std::exit(1);
  SimProcess sp;
  sp.pid = fork();
  if (sp.pid == 0) {
    close(fds[0]);
    bx::sim::Server server;
    const int port = server.startTcp(0);
    const std::string pty = server.startPty();
    if (setup.noReply) server.setFault(bx::sim::Fault::NoReply, bx::sim::kPersistent);
    if (setup.paceBaud > 0) server.setPaceBaud(setup.paceBaud);
    dprintf(fds[1], "%d %s\n", port, pty.c_str());
    close(fds[1]);
    pause();
    _exit(0);
  }
  close(fds[1]);
  char buf[256] = {};
  const ssize_t n = read(fds[0], buf, sizeof buf - 1);
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
    sp.pid = -1;
  }
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
