// The live loop with the desktop front-end drawing beside the same loop
// headless, against the simulator in another process, over loopback TCP and
// a pseudo-terminal: cycles per second of each and their ratio, and how
// often the window was repainted. The window is real Qt (the offscreen
// platform when there is no display), so every repaint draws its graphs.
//   gui_live [CYCLES]      default 3000 cycles per measurement, 3 rounds
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/startup.h"
#include "context/context.h"
#include "gui/main_window.h"
#include "gui/qt_frontend.h"
#include "gui/renderer.h"
#include "link/transport.h"
#include "live/run_loop.h"
#include "platform/clock.h"
#include "platform/com_ports.h"
#include "connection/bringup.h"
#include "ui/headless.h"

#include "bench_sim.h"
#include "bench_support.h"
#include "project_dir.h"

namespace {

using bench::SimProcess;

struct Counter {
  long cycles = 0, markAt = 0, stopAt = 0;
  double timeMark = 0, cpuMark = 0;
  const bx::gui::Renderer* renderer = nullptr;
  int paintMark = 0;
};

void onCycle(bx::Context& ctx, void* user, bool) {
  auto& c = *static_cast<Counter*>(user);
  if (++c.cycles == c.markAt) {
    c.timeMark = bx::platform::Timer();
    c.cpuMark = cpuSeconds();
    if (c.renderer) c.paintMark = c.renderer->repaintCount();
  }
  if (c.cycles >= c.stopAt) ctx.run.state = bx::RUN_IDLE;
}

struct Result {
  double perSecond = 0, cpuShare = 0, paintsPerSecond = 0;
};

// Runs the loop for `cycles` after a warm-up of 100.
Result run(bx::Context& ctx, long cycles, const bx::gui::Renderer* renderer = nullptr) {
  Counter c;
  c.renderer = renderer;
  c.markAt = 100;
  c.stopAt = c.markAt + cycles;
  const bx::RunObserver obs{&c, &onCycle, nullptr};
  bx::PushRUN(ctx, &obs);
  const double dt = bx::platform::Timer() - c.timeMark;
  const int paints = renderer ? renderer->repaintCount() - c.paintMark : 0;
  return {(c.cycles - c.markAt) / dt, (cpuSeconds() - c.cpuMark) / dt, paints / dt};
}

Result headless(const SimProcess& sp, bool tcp, long cycles) {
  bench::ConnectedTool t(sp, tcp);
  return run(t.ctx, cycles);
}

Result drawing(const SimProcess& sp, bool tcp, long cycles, const std::string& dir) {
  auto ctx = std::make_unique<bx::Context>();
  bx::gui::QtFrontend frontend(*ctx);
  ctx->ui.frontend = &frontend;
  std::string err;
  bx::StartOptions opts;
  opts.openLink = false;
  if (bx::AppStartup(*ctx, err, dir, opts) < 0) {
    std::fprintf(stderr, "gui_live: %s\n", err.c_str());
    std::exit(1);
  }
  bx::gui::RendererOptions ro;
  ro.resourceDir = dir;
  bx::gui::Renderer renderer(ctx->ui, ro);
  frontend.attach(&renderer);
  renderer.mainWindow()->show();
  bench::aimAtSim(*ctx, sp, tcp);
  if (bx::ConnectProcedure(*ctx) != 1) {
    std::fprintf(stderr, "gui_live: connect failed: %s\n", ctx->status.c_str());
    std::exit(1);
  }
  const Result r = run(*ctx, cycles, &renderer);
  bx::CloseLink(*ctx, true);
  frontend.attach(nullptr);
  bx::AppShutdown(*ctx);
  ctx->ui.frontend = nullptr;
  return r;
}

Result median(std::vector<Result> v) {
  std::sort(v.begin(), v.end(), [](const Result& a, const Result& b) { return a.perSecond < b.perSecond; });
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const long cycles = argc > 1 ? std::max(100L, std::atol(argv[1])) : 3000;
  const std::string dir = makeProjectDir();
  if (dir.empty()) {
    std::fprintf(stderr, "gui_live: cannot make a temporary project directory\n");
    return 1;
  }
  SimProcess sp = bench::startSimProcess();
  std::printf("gui_live: platform %s, %ld cycles per measurement\n", qPrintable(QGuiApplication::platformName()), cycles);
  // Rounds alternate between headless and drawing so both see the same
  // machine; the medians are reported.
  constexpr int kRounds = 3;
  for (bool tcp : {true, false}) {
    std::vector<Result> hs, ds;
    for (int r = 0; r < kRounds; ++r) {
      hs.push_back(headless(sp, tcp, cycles));
      ds.push_back(drawing(sp, tcp, cycles, dir));
    }
    const Result h = median(hs), d = median(ds);
    std::printf("%-4s headless %7.0f cycles/s (CPU %3.0f %%), drawing %7.0f cycles/s (CPU %3.0f %%): %5.1f %%, %.0f repaints/s\n",
                tcp ? "tcp" : "pty", h.perSecond, 100 * h.cpuShare, d.perSecond, 100 * d.cpuShare,
                100.0 * d.perSecond / h.perSecond, d.paintsPerSecond);
  }
  bench::stopSimProcess(sp);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
