// Link throughput against the simulator in another process, beside a
// minimal blocking ping-pong of the same bytes as the baseline:
//   - echo exchanges per second, live cycles (orders 8, 20, 9) per second,
//     over loopback TCP and over a pseudo-terminal;
//   - CPU seconds per 1000 exchanges and heap allocations per exchange;
//   - CPU seconds spent during one reply time-out.
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <atomic>
#include <algorithm>
#include <functional>
#include <initializer_list>
#include <vector>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "app/startup.h"
#include "commands/commands.h"
#include "context/context.h"
#include "link/exchange.h"
#include "link/transport.h"
#include "platform/clock.h"
#include "platform/com_ports.h"
#include "sim/server.h"
#include "wire/orders.h"
#include "ui/headless.h"
#include "wire/frame_format.h"
#include "wire/orders.h"

#include "bench_sim.h"
#include "baseline_client.h"
#include "bench_support.h"

namespace {

using bench::SimProcess;
using bench::stopSimProcess;

void noReply(bx::sim::Server& server) { server.setFault(bx::sim::Fault::NoReply, bx::sim::kPersistent); }

SimProcess startSimProcess(int faultNoReply) {
  return bench::startSimProcess(bx::sim::Config(), faultNoReply ? &noReply : nullptr);
}

using Tool = bench::HeadlessTool;

// Opens the link alone, without the bring-up, so only exchanges are timed.
bool openLink(Tool& t, const SimProcess& sp, bool tcp) {
  bench::aimAtSim(t.ctx, sp, tcp);
  auto& L = t.ctx.link;
  if (tcp) return bx::InitTCP_IP(t.ctx) == 1;
  return bx::InitRS232(t.ctx, L.comPort, L.baudIndex) == 1;
}

struct Rate {
  double perSecond;
  double cpuPer1000;
  double allocsPerExchange;
};

template <class F>
Rate measure(int count, F&& once) {
  for (int i = 0; i < 20; ++i) once();  // warm-up
  long a0 = gAllocs.load();
  double c0 = cpuSeconds();
  double t0 = bx::platform::Timer();
  for (int i = 0; i < count; ++i) once();
  double dt = bx::platform::Timer() - t0;
  double dc = cpuSeconds() - c0;
  long da = gAllocs.load() - a0;
  return {count / dt, dc / count * 1000.0, static_cast<double>(da) / count};
}

// A minimal peer that answers every request with a canned, valid reply of
// the same order: it costs next to nothing, so the tool and a plain
// blocking client can be compared against the same peer.
void cannedReplies(int fd) {
  static uint8_t frames[256][8 + 512];
  static int sizes[256];
  for (int o = 0; o < 256; ++o) {
    uint16_t len = o == 8 ? 64 : o == 20 ? 68 : o == 9 ? 512 : 0;
    uint8_t payload[512] = {};
    for (int i = 0; i < len; ++i) payload[i] = static_cast<uint8_t>(i * 7);
    bx::frame::encodeHeader(frames[o], static_cast<uint8_t>(o), 0, payload, len);
    std::memcpy(frames[o] + 8, payload, len);
    sizes[o] = 8 + len;
  }
  uint8_t req[8 + 1024];
  for (;;) {
    size_t got = 0;
    while (got < 8) {
      ssize_t n = read(fd, req + got, 8 - got);
      if (n <= 0) _exit(0);
      got += static_cast<size_t>(n);
    }
    size_t len = bx::frame::get16(req + 4);
    while (got < 8 + len && got < sizeof req) {
      ssize_t n = read(fd, req + got, 8 + len - got);
      if (n <= 0) _exit(0);
      got += static_cast<size_t>(n);
    }
    if (write(fd, frames[req[1]], static_cast<size_t>(sizes[req[1]])) < 0) _exit(0);
  }
}

struct Peer {
  pid_t pid = -1;
  int port = -1;
  std::string pty;
};

Peer startCannedPeer(bool tcp) {
  Peer p;
  if (tcp) {
    int ls = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(ls, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(ls, 1);
    socklen_t len = sizeof a;
    getsockname(ls, reinterpret_cast<sockaddr*>(&a), &len);
    p.port = ntohs(a.sin_port);
    p.pid = fork();
    if (p.pid == 0) {
      int c = accept(ls, nullptr, nullptr);
      int one = 1;
      setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      cannedReplies(c);
    }
    close(ls);
  } else {
    int m = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(m);
    unlockpt(m);
    p.pty = ptsname(m);
    termios t;
    tcgetattr(m, &t);
    cfmakeraw(&t);
    tcsetattr(m, TCSANOW, &t);
    p.pid = fork();
    if (p.pid == 0) cannedReplies(m);
    // Keep the master open in the parent too, so the slave never sees a hang-up.
  }
  return p;
}

void stopPeer(Peer& p) {
  if (p.pid > 0) {
    kill(p.pid, SIGTERM);
    waitpid(p.pid, nullptr, 0);
  }
}

bool openPeerLink(Tool& t, const Peer& p, bool tcp) {
  SimProcess sp;
  sp.port = p.port;
  sp.pty = p.pty;
  return openLink(t, sp, tcp);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Rounds alternate between the tool and the baseline so that both see the
// same machine; the medians are reported.
void compare(const char* what, int rounds, int count, const std::function<Rate(int)>& tool,
             const std::function<double(int)>& base) {
  std::vector<double> toolRates, baseRates, ratios, cpu, allocs;
  for (int r = 0; r < rounds; ++r) {
    double b = base(count);
    Rate t = tool(count);
    toolRates.push_back(t.perSecond);
    baseRates.push_back(b);
    ratios.push_back(t.perSecond / b);
    cpu.push_back(t.cpuPer1000);
    allocs.push_back(t.allocsPerExchange);
  }
  std::printf("%-24s tool %8.0f /s  baseline %8.0f /s  ratio %5.1f %%  cpu %.3f s/1000  allocs/exchange %.2f\n", what,
              median(toolRates), median(baseRates), 100.0 * median(ratios), median(cpu), median(allocs));
}

}  // namespace

int main(int argc, char** argv) {
  // By default everything (tool, peers, baseline) shares one core: the
  // rates then measure the work per exchange instead of the scheduler's
  // wake-up luck on an idle machine. --spread lets the scheduler place them.
  // --only tcp|pty measures one transport; --rounds N changes the rounds.
  bool spread = false;
  std::string only;
  int kRounds = 9;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--spread") == 0)
      spread = true;
    else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
      only = argv[++i];
    else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
      kRounds = std::max(1, std::atoi(argv[++i]));
    else {
      std::fprintf(stderr, "usage: bench_link [--spread] [--only tcp|pty] [--rounds N]\n");
      return 2;
    }
  }
  if (!spread) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(0, &set);
    sched_setaffinity(0, sizeof set, &set);
  }
  signal(SIGPIPE, SIG_IGN);
  setvbuf(stdout, nullptr, _IOLBF, 0);
  const int kEchoes = 2000;
  const int kCycles = 500;
  std::printf("Tool against a canned-reply peer, beside a blocking client against the same kind of peer\n");
  std::printf("(median of %d alternating rounds):\n", kRounds);
  for (bool tcp : {true, false}) {
    const char* name = tcp ? "tcp" : "pty";
    if (!only.empty() && only != name) continue;
    Peer base = startCannedPeer(tcp);
    int baseFd = bench::openBaselineClient(base.port, base.pty, tcp);
    Peer peer = startCannedPeer(tcp);
    Tool t;
    if (!openPeerLink(t, peer, tcp)) {
      std::fprintf(stderr, "cannot open the link: %s\n", t.ctx.status.c_str());
      return 1;
    }
    compare((std::string(name) + " echo").c_str(), kRounds, kEchoes,
            [&](int n) { return measure(n, [&] { bx::Exchange(t.ctx, bx::order::kEcho, 0); }); },
            [&](int n) { return bench::baselineRate(baseFd, n, std::array<uint8_t, 1>{bx::order::kEcho}); });
    const auto liveCycle = [&](int n) {
      Rate r = measure(n, [&] {
        bx::GetLiveData(t.ctx, 0);
        bx::GetEDGE(t.ctx, 0);
        bx::GetDATA(t.ctx, 0);
      });
      r.allocsPerExchange /= 3;
      return r;
    };
    compare((std::string(name) + " live cycle (8,20,9)").c_str(), kRounds, kCycles, liveCycle,
            [&](int n) { return bench::baselineRate(baseFd, n, bench::kCycleOrders); });
    compare((std::string(name) + " live cycle, poll client").c_str(), kRounds, kCycles, liveCycle,
            [&](int n) { return bench::baselineRate(baseFd, n, bench::kCycleOrders, true); });
    bx::CloseLink(t.ctx, true);
    close(baseFd);
    stopPeer(peer);
    stopPeer(base);
  }

  std::printf("Tool against bx-sim (the simulator computes every reply):\n");
  SimProcess sp = startSimProcess(0);
  for (bool tcp : {true, false}) {
    if (!only.empty() && only != (tcp ? "tcp" : "pty")) continue;
    Tool t;
    if (!openLink(t, sp, tcp)) return 1;
    Rate echo = measure(kEchoes, [&] { bx::Exchange(t.ctx, bx::order::kEcho, 0); });
    Rate cycle = measure(kCycles, [&] {
      bx::GetLiveData(t.ctx, 0);
      bx::GetEDGE(t.ctx, 0);
      bx::GetDATA(t.ctx, 0);
    });
    std::printf("%s: echo %.0f /s, live cycle %.0f /s\n", tcp ? "tcp" : "pty", echo.perSecond, cycle.perSecond);
    bx::CloseLink(t.ctx, true);
  }
  stopSimProcess(sp);

  SimProcess silent = startSimProcess(1);
  for (bool tcp : {true, false}) {
    if (!only.empty() && only != (tcp ? "tcp" : "pty")) continue;
    Tool t;
    if (!openLink(t, silent, tcp)) return 1;
    double c0 = cpuSeconds();
    double t0 = bx::platform::Timer();
    bx::Exchange(t.ctx, bx::order::kEcho, 0);
    double wall = bx::platform::Timer() - t0;
    double cpu = cpuSeconds() - c0;
    std::printf("%s time-out wait: %.2f s wall, %.4f s cpu (%.2f %% of one core), status \"%s\"\n", tcp ? "tcp" : "pty",
                wall, cpu, 100.0 * cpu / wall, t.ctx.status.c_str());
    bx::CloseLink(t.ctx, true);
  }
  stopSimProcess(silent);
  return 0;
}
