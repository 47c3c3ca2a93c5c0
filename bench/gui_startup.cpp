// Time from the start of the desktop front-end to its first painted main
// window (Qt's offscreen platform when there is no display). The tool is
// started in a temporary project directory holding copies of the
// resources and opens no link, so no device is touched and no settings
// file beside the binary is read or written.
#include <QApplication>
#include <QEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "context/context.h"
#include "gui/main_window.h"
#include "gui/qt_frontend.h"
#include "gui/renderer.h"

#include "project_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0, Clock::time_point t1 = Clock::now()) {
  return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

class PaintWatch : public QObject {
 public:
  bool painted = false;
  Clock::time_point at;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && !painted) {
      painted = true;
      at = Clock::now();
    }
    return false;
  }
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const auto t0 = Clock::now();
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const double qtInit = msSince(t0);

  const std::string dir = makeProjectDir();
  if (dir.empty()) {
    std::fprintf(stderr, "gui_startup: cannot make a temporary project directory\n");
    return 1;
  }
  auto ctx = std::make_unique<bx::Context>();
  bx::gui::QtFrontend frontend(*ctx);
  ctx->ui.frontend = &frontend;
  std::string err;
  bx::StartOptions opts;
  opts.openLink = false;
  auto tStart = Clock::now();
  if (bx::AppStartup(*ctx, err, dir, opts) < 0) {
    std::fprintf(stderr, "gui_startup: %s\n", err.c_str());
    return 1;
  }
  const double appStartup = msSince(tStart);

  constexpr int kRuns = 5;
  std::vector<double> build, paint;
  double firstPaintSinceStart = 0;
  for (int run = 0; run < kRuns; ++run) {
    auto tb = Clock::now();
    bx::gui::RendererOptions ro;
    ro.resourceDir = dir;
    bx::gui::Renderer renderer(ctx->ui, ro);
    frontend.attach(&renderer);
    build.push_back(msSince(tb));
    PaintWatch watch;
    renderer.mainWindow()->installEventFilter(&watch);
    auto ts = Clock::now();
    renderer.mainWindow()->show();
    while (!watch.painted && msSince(ts) < 5000) frontend.processEvents();
    if (!watch.painted) {
      std::fprintf(stderr, "gui_startup: the window was never painted\n");
      return 1;
    }
    paint.push_back(msSince(ts, watch.at));
    if (run == 0) firstPaintSinceStart = msSince(t0, watch.at);
    frontend.attach(nullptr);
  }
  bx::AppShutdown(*ctx);
  ctx->ui.frontend = nullptr;
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);

  std::printf("gui_startup: platform %s\n", qPrintable(QGuiApplication::platformName()));
  std::printf("gui_startup: qt_init_ms %.1f\n", qtInit);
  std::printf("gui_startup: app_startup_ms %.1f (panels, language, settings; no link)\n", appStartup);
  std::printf("gui_startup: window_build_ms first %.1f median %.1f (%d runs)\n", build[0], median(build), kRuns);
  std::printf("gui_startup: show_to_first_paint_ms first %.1f median %.1f\n", paint[0], median(paint));
  std::printf("gui_startup: start_to_first_paint_ms %.1f\n", firstPaintSinceStart);
  return 0;
}
