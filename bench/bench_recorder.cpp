// The data recorder headless against the simulator in another process:
//   - static: 100 samples at 0.1 s over TCP and the pseudo-terminal: the
//     recording's length (10 s is the target) and the tool's CPU share while
//     it waits between samples;
//   - triggered over the pseudo-terminal with input events at 200 per
//     second: samples recorded against the events the sensor counted.
//   bench_recorder [TRIGGERED-SAMPLES]   (default 2000, 10 s of events)
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands/commands.h"
#include "context/context.h"
#include "params/fields.h"
#include "params/transfer.h"
#include "platform/clock.h"
#include "recorder/recording.h"
#include "wire/live_record.h"

#include "bench_sim.h"
#include "bench_support.h"

namespace {

using bench::ConnectedTool;
using bench::SimProcess;

std::string tempFile() {
  char pattern[] = "/tmp/bx-bench-recorder-XXXXXX";
  const int fd = mkstemp(pattern);
  if (fd < 0) std::exit(1);
  close(fd);
  unlink(pattern);
  return pattern;
}

void staticRun(bool tcp) {
  SimProcess sp = bench::startSimProcess();
  {
    ConnectedTool t(sp, tcp);
    bx::RecordSettings s;
    s.mode = s.headerMode = bx::REC_STATIC;
    s.incrementS = 0.1;
    s.samples = 100;
    s.path = tempFile();
    const double cpu0 = cpuSeconds(), t0 = bx::platform::Timer();
    const bx::RecordOutcome r = bx::RunRecording(t.ctx, s, nullptr);
    const double wall = bx::platform::Timer() - t0, cpu = cpuSeconds() - cpu0;
    std::printf("%-4s static 100 x 0.1 s: %s, %d rows in %.3f s (%+.2f %% from 10 s), tool CPU %.3f s = %.2f %% of a core\n",
                tcp ? "tcp" : "pty", r == bx::RecordOutcome::Completed ? "completed" : "NOT completed",
                t.ctx.recorder.counter, wall, (wall - 10.0) / 10.0 * 100.0, cpu, cpu / wall * 100.0);
    unlink(s.path.c_str());
  }
  bench::stopSimProcess(sp);
}

int32_t triggerCount(bx::Context& ctx) {
  if (bx::GetLiveData(ctx, 0) != 1) return -1;
  return bx::liverec::decode(ctx.live.record).triggerCount;
}

void triggeredRun(int samples) {
  bx::sim::Config cfg;
  cfg.triggerPeriodMs = 5;  // 200 input events per second
  SimProcess sp = bench::startSimProcess(cfg);
  {
    ConnectedTool t(sp, false);
    bx::param::set(t.ctx.params, bx::param::RS232_MODE, 1);
    if (bx::PushSEND(t.ctx, bx::MEM_RAM) != 1) {
      std::fprintf(stderr, "SEND failed: %s\n", t.ctx.status.c_str());
      std::exit(1);
    }
    bx::RecordSettings s;
    s.mode = s.headerMode = bx::REC_TRIGGERED;
    s.samples = samples;
    s.path = tempFile();
    // Samples sent while the trigger count is read are dropped with that
    // exchange; the counts bracket the recording as closely as the link
    // allows.
    const int32_t before = triggerCount(t.ctx);
    double lastRow = 0;
    const bx::RecordObserver obs{&lastRow, nullptr,
                                 [](bx::Context&, void* user, int) { *static_cast<double*>(user) = bx::platform::Timer(); }};
    const double cpu0 = cpuSeconds(), t0 = bx::platform::Timer();
    const bx::RecordOutcome r = bx::RunRecording(t.ctx, s, &obs);
    const double wall = bx::platform::Timer() - t0, cpu = cpuSeconds() - cpu0;
    const int32_t after = triggerCount(t.ctx);
    const double tail = bx::platform::Timer() - lastRow;
    const long events = static_cast<long>(after) - before;
    std::printf("pty  triggered at 200/s: %s, %d rows in %.3f s (%.1f rows/s); sensor events between the two counts "
                "%ld, not recorded %ld, of which about %.1f came in the %.1f ms after the last row; tool CPU %.2f %% of "
                "a core\n",
                r == bx::RecordOutcome::Completed ? "completed" : "NOT completed", t.ctx.recorder.counter, wall,
                t.ctx.recorder.counter / wall, events, events - t.ctx.recorder.counter, tail * 200.0, tail * 1000.0,
                cpu / wall * 100.0);
    bx::param::set(t.ctx.params, bx::param::RS232_MODE, 0);
    (void)bx::PushSEND(t.ctx, bx::MEM_RAM);
    unlink(s.path.c_str());
  }
  bench::stopSimProcess(sp);
}

}  // namespace

int main(int argc, char** argv) {
  const int triggered = argc > 1 ? std::atoi(argv[1]) : 2000;
  staticRun(true);
  staticRun(false);
  triggeredRun(triggered > 0 ? triggered : 2000);
  return 0;
}
