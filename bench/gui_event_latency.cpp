// Delay between an operator's click and its callback while a wait loop
// polls, and how fast such a loop runs with a live graph being fed. Clicks
// are posted from a second thread, as a window system delivers them; the
// loop is either DelayWithEventProcessing or a run-length loop of
// ProcessSystemEvents that feeds a 256-point graph every pass.
#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "context/context.h"
#include "gui/main_window.h"
#include "gui/qt_frontend.h"
#include "gui/renderer.h"
#include "link/events.h"
#include "ui/resource.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// The callback leaves the moment it ran in the status line.
int Probe(bx::Context& ctx, const bx::ui::EventArgs& ev) {
  if (ev.event == bx::ui::EVENT_LEFT_CLICK) ctx.status = std::to_string(nowNs());
  return 0;
}

constexpr const char* kPanels = R"(
panel MAIN title="Latency" grid=8x4 size=800x600
button GO at=0,0 label="Go" cb=probe
text VALUE at=0,1
graph VIDEO at=1,0,7,4 xrange=0,255 yrange=0,1024 cursors=2
)";

struct Stats {
  double median = 0, p95 = 0, max = 0;
};

Stats stats(std::vector<double> v) {
  Stats s;
  if (v.empty()) return s;
  std::sort(v.begin(), v.end());
  s.median = v[v.size() / 2];
  s.p95 = v[std::min(v.size() - 1, v.size() * 95 / 100)];
  s.max = v.back();
  return s;
}

enum class Loop { Delay, RunLength };

struct Bench {
  bx::Context& ctx;
  bx::gui::QtFrontend& frontend;
  bx::gui::Renderer& renderer;
  bx::ui::CtlRef value, video;
  int passes = 0;

  void feedGraph() {
    auto& g = ctx.ui.graph(video);
    if (g.plots.empty()) g.plots.resize(1);
    auto& p = g.plots[0];
    p.x.resize(256);
    p.y.resize(256);
    for (int i = 0; i < 256; ++i) {
      p.x[static_cast<size_t>(i)] = i;
      p.y[static_cast<size_t>(i)] = 512 + 400 * std::sin((i + passes) * 0.05);
    }
    ctx.ui.touch(video);
    ctx.ui.setText(value, std::to_string(passes));
    ++passes;
  }

  std::vector<double> run(Loop loop, int clicks) {
    auto* button = renderer.widget(ctx.ui.find("MAIN", "GO"));
    const QPoint at = button->rect().center();
    // Events are made here and only posted by the other thread.
    std::vector<QMouseEvent*> events;
    for (int i = 0; i < clicks; ++i) {
      for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        events.push_back(new QMouseEvent(type, QPointF(at), QPointF(at), button->mapToGlobal(QPointF(at)),
                                         Qt::LeftButton, held, Qt::NoModifier));
      }
    }
    std::atomic<int64_t> posted{0};
    std::atomic<bool> stop{false};
    std::atomic<int> taken{0};
    std::thread operatorHand([&] {
      std::mt19937 rng(42);
      std::uniform_int_distribution<int> pause(3000, 15000);
      for (int i = 0; i < clicks && !stop; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(pause(rng)));
        while (taken.load() != i && !stop) std::this_thread::sleep_for(std::chrono::microseconds(100));
        posted = nowNs();
        QCoreApplication::postEvent(button, events[static_cast<size_t>(2 * i)]);
        QCoreApplication::postEvent(button, events[static_cast<size_t>(2 * i + 1)]);
      }
    });
    std::vector<double> lat;
    ctx.status.clear();
    auto deadline = Clock::now() + std::chrono::seconds(30);
    while (static_cast<int>(lat.size()) < clicks && Clock::now() < deadline) {
      if (loop == Loop::Delay) {
        bx::DelayWithEventProcessing(ctx, 0.002);
      } else {
        feedGraph();
        bx::ProcessSystemEvents(ctx);
      }
      if (!ctx.status.empty()) {
        lat.push_back(static_cast<double>(std::stoll(ctx.status) - posted.load()) / 1000.0);
        ctx.status.clear();
        taken = static_cast<int>(lat.size());
      }
    }
    stop = true;
    operatorHand.join();
    // Drain what was posted but never delivered.
    frontend.processEvents();
    return lat;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  auto ctx = std::make_unique<bx::Context>();
  std::string err;
  if (!bx::ui::loadResourceText(ctx->ui, kPanels, err)) {
    std::fprintf(stderr, "gui_event_latency: %s\n", err.c_str());
    return 1;
  }
  static const bx::ui::CallbackEntry kTable[] = {{"probe", &Probe}};
  ctx->ui.bindCallbacks(kTable, 1);
  bx::gui::QtFrontend frontend(*ctx);
  ctx->ui.frontend = &frontend;
  bx::gui::Renderer renderer(ctx->ui);
  frontend.attach(&renderer);
  renderer.mainWindow()->show();
  for (int i = 0; i < 20; ++i) frontend.processEvents();

  Bench b{*ctx, frontend, renderer, ctx->ui.find("MAIN", "VALUE"), ctx->ui.find("MAIN", "VIDEO")};
  constexpr int kClicks = 200;
  Stats d = stats(b.run(Loop::Delay, kClicks));
  std::printf("gui_event_latency: DelayWithEventProcessing click->callback us median %.0f p95 %.0f max %.0f (%d clicks)\n",
              d.median, d.p95, d.max, kClicks);

  int passesBefore = renderer.repaintCount();
  auto t0 = Clock::now();
  Stats r = stats(b.run(Loop::RunLength, kClicks));
  double secs = std::chrono::duration<double>(Clock::now() - t0).count();
  std::printf("gui_event_latency: ProcessSystemEvents loop click->callback us median %.0f p95 %.0f max %.0f (%d clicks)\n",
              r.median, r.p95, r.max, kClicks);
  std::printf("gui_event_latency: ProcessSystemEvents loop passes per second %.0f, repaint passes per second %.0f\n",
              b.passes / secs, (renderer.repaintCount() - passesBefore) / secs);
  frontend.attach(nullptr);
  ctx->ui.frontend = nullptr;
  return 0;
}
