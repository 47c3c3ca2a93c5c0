// The live loop with the desktop front-end drawing beside the same loop
// headless, against the simulator in another process, over loopback TCP and
// a pseudo-terminal: cycles per second of each and their ratio, and how
// often the window was repainted. The window is real Qt (the offscreen
// platform when there is no display), so every repaint draws its graphs.
//   gui_live [CYCLES]      default 3000 cycles per measurement, 3 rounds
// Paced: the simulator's replies leave no faster than a serial line of BAUD,
// and the window is in the states of kPacedStates (a graph zoomed, ...):
// cycles per second against the line's ceiling, headless and drawing, the
// medians of 3 alternating rounds with their spread.
//   gui_live --pace BAUD [CYCLES]   default 5 s of the line's ceiling a round
#include <QApplication>
#include <QTabWidget>
#include <QWheelEvent>
#include <cstring>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/message_sink.h"
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

#ifdef BX_HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

#include "baseline_client.h"
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

// Runs the loop for `cycles` after a warm-up.
Result run(bx::Context& ctx, long cycles, const bx::gui::Renderer* renderer = nullptr, long warmUp = 100) {
  Counter c;
  c.renderer = renderer;
  c.markAt = warmUp;
  c.stopAt = c.markAt + cycles;
  const bx::RunObserver obs{&c, &onCycle, nullptr};
  bx::PushRUN(ctx, &obs);
  const double dt = bx::platform::Timer() - c.timeMark;
  const int paints = renderer ? renderer->repaintCount() - c.paintMark : 0;
  return {(c.cycles - c.markAt) / dt, (cpuSeconds() - c.cpuMark) / dt, paints / dt};
}

Result headless(const SimProcess& sp, bool tcp, long cycles, long warmUp = 100) {
  bench::ConnectedTool t(sp, tcp);
  return run(t.ctx, cycles, nullptr, warmUp);
}

// A state of the window while the loop runs, brought about as the operator
// would; false when it could not be. One entry each, so another state (the
// message log open, say) is one more line in kPacedStates.
struct WindowState {
  const char* name;
  bool (*apply)(bx::Context& ctx, bx::gui::Renderer& renderer);
};

// The width of the video graph's shown x range (0 without the plot).
double videoXSpan(bx::Context& ctx, bx::gui::Renderer& renderer) {
#ifdef BX_HAVE_QCUSTOMPLOT
  auto* plot = qobject_cast<QCustomPlot*>(renderer.widget(ctx.ui.find("VIDEO", "VIDEOGRAPH")));
  return plot ? plot->xAxis->range().size() : 0;
#else
  (void)ctx;
  (void)renderer;
  return 0;
#endif
}

// The measurement page's video graph zoomed in by two turns of the wheel.
bool zoomVideoGraph(bx::Context& ctx, bx::gui::Renderer& renderer) {
  // On the measurement page, as the operator clicks its tab.
  if (auto* tabs = qobject_cast<QTabWidget*>(renderer.widget(ctx.ui.find("MAIN", "TABmain")))) tabs->setCurrentIndex(0);
  renderer.repaint();
  QApplication::processEvents();
  QWidget* plot = renderer.widget(ctx.ui.find("VIDEO", "VIDEOGRAPH"));
  if (!plot || !plot->isVisible()) return false;
  const QPointF at(plot->width() / 2.0, plot->height() / 2.0);
  QWheelEvent wheel(at, plot->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  const double home = videoXSpan(ctx, renderer);
  QApplication::sendEvent(plot, &wheel);
  const double now = videoXSpan(ctx, renderer);
  return now > 0 && now < 0.9 * home;
}

// The message log's pane open beside the window, as from the View menu.
bool openLogPane(bx::Context& ctx, bx::gui::Renderer& renderer) {
  bx::ShowLogPane(ctx, true);
  renderer.repaint();
  QApplication::processEvents();
  QWidget* pane = renderer.widget(ctx.ui.find("LOG", "LOGTEXT"));
  return pane && pane->isVisible();
}

const WindowState kPacedStates[] = {
    {"graph zoomed", &zoomVideoGraph},
    {"message log open", &openLogPane},
};

Result drawing(const SimProcess& sp, bool tcp, long cycles, const std::string& dir, bool paced = false) {
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
  const char* failed = nullptr;
  double zoomedSpan = 0;
  if (paced) {
    renderer.repaint();
    QApplication::processEvents();
    for (const WindowState& st : kPacedStates)
      if (!failed && !st.apply(*ctx, renderer)) failed = st.name;
    zoomedSpan = videoXSpan(*ctx, renderer);
  }
  Result r;
  if (!failed) r = run(*ctx, cycles, &renderer, paced ? 20 : 100);
  if (failed) {
    std::fprintf(stderr, "gui_live: the window could not be brought to \"%s\"\n", failed);
    r.perSecond = -1;
  } else if (paced && std::abs(videoXSpan(*ctx, renderer) - zoomedSpan) > 1e-9 * zoomedSpan) {
    std::fprintf(stderr, "gui_live: the loop's redrawing lost the graph's zoom\n");
    r.perSecond = -1;
  }
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

// The loop against a simulator paced like a serial line of `baud`, headless
// and with the window in every state of kPacedStates.
// False when the window could not be brought to its states.
bool pacedLine(int baud, long cycles, const std::string& dir) {
  bx::sim::Config cfg;
  cfg.paceBaud = baud;
  SimProcess sp = bench::startSimProcess(cfg);
  const double ceiling = bench::wireCeiling(baud);
  std::string states;
  for (const WindowState& st : kPacedStates) states += (states.empty() ? "" : ", ") + std::string(st.name);
  std::printf("gui_live: paced %d Bd, wire ceiling %.2f cycles/s (%d bytes a cycle), window: %s\n", baud, ceiling,
              bench::wireBytesPerCycle(), states.c_str());
  // A shared machine's neighbours come and go: rounds alternate between
  // headless and drawing, and the medians are reported with the spread.
  constexpr int kRounds = 3;
  bool ok = true;
  for (bool tcp : {true, false}) {
    std::vector<Result> hs, ds, bs;
    for (int round = 0; round < kRounds && ok; ++round) {
      bs.push_back(Result{});
      const int fd = bench::openBaselineClient(sp.port, sp.pty, tcp);
      if (fd >= 0) {
        bs.back().perSecond = bench::baselineRate(fd, cycles, bench::kCycleOrders);
        close(fd);
      }
      hs.push_back(headless(sp, tcp, cycles, 20));
      ds.push_back(drawing(sp, tcp, cycles, dir, true));
      ok = ds.back().perSecond >= 0;
    }
    if (!ok) break;
    const Result h = median(hs), d = median(ds), b = median(bs);
    auto spread = [&](const std::vector<Result>& v) {
      const auto [lo, hi] = std::minmax_element(v.begin(), v.end(), [](const Result& a, const Result& b) { return a.perSecond < b.perSecond; });
      return std::make_pair(100.0 * lo->perSecond / ceiling, 100.0 * hi->perSecond / ceiling);
    };
    const auto hr = spread(hs), dr = spread(ds), br = spread(bs);
    std::printf("%-4s bare client %7.2f cycles/s %5.1f %% of the ceiling (%.1f-%.1f): what this machine's carrier allows\n",
                tcp ? "tcp" : "pty", b.perSecond, 100.0 * b.perSecond / ceiling, br.first, br.second);
    std::printf("%-4s headless %7.2f cycles/s %5.1f %% of the ceiling (%.1f-%.1f), drawing %7.2f cycles/s %5.1f %% (%.1f-%.1f, CPU %3.0f %%), %.0f repaints/s\n",
                tcp ? "tcp" : "pty", h.perSecond, 100.0 * h.perSecond / ceiling, hr.first, hr.second, d.perSecond,
                100.0 * d.perSecond / ceiling, dr.first, dr.second, 100 * d.cpuShare, d.paintsPerSecond);
    if (b.perSecond > 0)
      std::printf("%-4s drawing at %5.1f %% of the bare client\n", tcp ? "tcp" : "pty", 100.0 * d.perSecond / b.perSecond);
  }
  bench::stopSimProcess(sp);
  return ok;
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
  if (argc > 2 && std::strcmp(argv[1], "--pace") == 0) {
    const int baud = std::max(1200, std::atoi(argv[2]));
    const long cycles = argc > 3 ? std::max(20L, std::atol(argv[3])) : std::max(50L, static_cast<long>(bench::wireCeiling(baud) * 5));
    const bool ok = pacedLine(baud, cycles, dir);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return ok ? 0 : 1;
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
