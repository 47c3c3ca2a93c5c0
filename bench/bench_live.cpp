// The live loop headless against the simulator in another process, over
// loopback TCP and a pseudo-terminal:
//   - cycles per second and CPU seconds per 1000 cycles;
//   - heap allocations per cycle in the core once running;
//   - STOP latency: from the moment the STOP press is due until the loop has
//     returned (median and 95th percentile);
//   - resident size after 1 000 and after 100 000 cycles.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "app/startup.h"
#include "context/context.h"
#include "link/transport.h"
#include "live/run_loop.h"
#include "platform/clock.h"
#include "platform/com_ports.h"
#include "connection/bringup.h"
#include "sim/server.h"
#include "ui/headless.h"
#include "wire/frame_format.h"
#include "wire/orders.h"

#include "bench_sim.h"
#include "bench_support.h"

namespace {

using bench::SimProcess;
using Tool = bench::ConnectedTool;

long residentKb() {
  long pages = 0, resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return -1;
  if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = -1;
  std::fclose(f);
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

struct Counter {
  long cycles = 0;
  long stopAt = 0;
  long markAt = -1;  // the cycle at which the allocation and time marks are taken
  long allocMark = 0;
  double timeMark = 0, cpuMark = 0;
  long rssAt1000 = 0;
};

void onCycle(bx::Context& ctx, void* user, bool) {
  auto& c = *static_cast<Counter*>(user);
  ++c.cycles;
  if (c.cycles == c.markAt) {
    c.allocMark = gAllocs.load();
    c.timeMark = bx::platform::Timer();
    c.cpuMark = cpuSeconds();
  }
  if (c.cycles == 1000) c.rssAt1000 = residentKb();
  if (c.stopAt > 0 && c.cycles >= c.stopAt) ctx.run.state = bx::RUN_IDLE;
}

void throughput(const SimProcess& sp, bool tcp, long cycles, bool memory) {
  Tool t(sp, tcp);
  Counter c;
  c.stopAt = cycles;
  c.markAt = 200;
  const bx::RunObserver obs{&c, &onCycle, nullptr};
  bx::PushRUN(t.ctx, &obs);
  const double dt = bx::platform::Timer() - c.timeMark;
  const double dc = cpuSeconds() - c.cpuMark;
  const long da = gAllocs.load() - c.allocMark;
  const long n = c.cycles - c.markAt;
  std::printf("%-4s %7ld cycles: %8.0f cycles/s, %6.3f CPU s per 1000 cycles, %.3f allocations per cycle\n",
              tcp ? "tcp" : "pty", c.cycles, n / dt, dc / n * 1000.0, static_cast<double>(da) / n);
  if (memory) std::printf("     resident size after 1000 cycles %ld kB, after %ld cycles %ld kB\n", c.rssAt1000, c.cycles, residentKb());
}

void stopLatency(const SimProcess& sp, bool tcp, int runs) {
  Tool t(sp, tcp);
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const double delay = 0.02 + 0.08 * (i % 7) / 7.0;
    const double due = bx::platform::Timer() + delay;
    t.fe.schedule(delay, [&t] {
      bx::CC_BTNStop(t.ctx, bx::ui::EventArgs{0, 0, bx::ui::EVENT_LEFT_CLICK, 0, 0});
      bx::CC_BTNStop(t.ctx, bx::ui::EventArgs{0, 0, bx::ui::EVENT_COMMIT, 0, 0});
    });
    bx::PushRUN(t.ctx);
    ms.push_back((bx::platform::Timer() - due) * 1000.0);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%-4s STOP latency over %d runs: median %.2f ms, p95 %.2f ms, max %.2f ms\n", tcp ? "tcp" : "pty", runs,
              ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)], ms.back());
}

}  // namespace

using bench::wireBytesPerCycle;

// The loop against a simulator whose replies leave no faster than a serial
// line of `baud`: cycles per second against the line's ceiling, and the
// tool's CPU share while it mostly waits.
void pacedLine(int baud, long cycles) {
  bx::sim::Config cfg;
  cfg.paceBaud = baud;
  SimProcess sp = bench::startSimProcess(cfg);
  const double ceiling = bench::wireCeiling(baud);
  for (bool tcp : {true, false}) {
    Tool t(sp, tcp);
    Counter c;
    c.stopAt = cycles + 5;
    c.markAt = 5;
    const bx::RunObserver obs{&c, &onCycle, nullptr};
    bx::PushRUN(t.ctx, &obs);
    const double dt = bx::platform::Timer() - c.timeMark;
    const double dc = cpuSeconds() - c.cpuMark;
    const double rate = (c.cycles - c.markAt) / dt;
    std::printf("%-4s paced %6d Bd: %7.2f cycles/s, wire ceiling %7.2f (%d bytes a cycle), %5.1f %%, CPU %.2f %% of one core\n",
                tcp ? "tcp" : "pty", baud, rate, ceiling, wireBytesPerCycle(), 100.0 * rate / ceiling, 100.0 * dc / dt);
  }
  bench::stopSimProcess(sp);
}

int main(int argc, char** argv) {
  // bench_live [LONG-RUN-CYCLES] | --pace BAUD [CYCLES]
  if (argc > 2 && std::strcmp(argv[1], "--pace") == 0) {
    const int baud = std::atoi(argv[2]);
    pacedLine(baud, argc > 3 ? std::atol(argv[3]) : std::max(50L, static_cast<long>(baud / 10 / wireBytesPerCycle() * 5)));
    return 0;
  }
  const long longRun = argc > 1 ? std::atol(argv[1]) : 100000;
  SimProcess sp = bench::startSimProcess();
  throughput(sp, true, 5000, false);
  throughput(sp, false, 5000, false);
  stopLatency(sp, true, 40);
  stopLatency(sp, false, 40);
  throughput(sp, true, longRun, true);
  bench::stopSimProcess(sp);
  return 0;
}
