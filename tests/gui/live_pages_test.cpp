// The measurement and teach pages while live data is shown, rendered
// offscreen in both languages and units. The screenshots are kept in
// live-screenshots/ beside the test binary (or BX_SCREENSHOT_DIR).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsColorizeEffect>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "app/localize.h"
#include "gui/app_window.h"
#include "gui/gui_input.h"
#include "gui/main_window.h"
#include "live/live_view.h"
#include "params/fields.h"
#include "wire/orders.h"
#include "params/teach_graphs.h"
#include "params/units.h"
#include "wire/live_record.h"

namespace {

class LivePages : public guitest::ConnectedWindow {
 protected:
  void SetUp() override {
    ConnectedWindow::SetUp();
    if (HasFatalFailure()) return;
    settle();
  }

  void put16(int off, int v) {
    ctx->live.record[static_cast<size_t>(off)] = static_cast<uint8_t>(v & 0xFF);
    ctx->live.record[static_cast<size_t>(off) + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  }
  void put32(int off, int32_t v) {
    put16(off, v & 0xFFFF);
    put16(off + 2, (v >> 16) & 0xFFFF);
  }

  // A shadow from sample 90 to 150 on a bright line, its two edges, and a
  // live record measuring it; then what one run-loop cycle draws.
  void liveCycle(int shift) {
    auto& L = ctx->live;
    const int fs = ctx->ident.model.videoFullScale;
    for (int i = 0; i < 256; ++i) {
      const bool dark = i >= 90 + shift && i < 150 + shift;
      L.video[static_cast<size_t>(i)] = static_cast<uint16_t>(dark ? fs / 20 : fs * 3 / 4 + (i % 7) * 4);
    }
    const int px = ctx->ident.hw.pixelCount > 0 ? ctx->ident.hw.pixelCount : 1024;
    const int a = (90 + shift) * px / 256, b = (150 + shift) * px / 256;
    L.edgeN = bx::EdgeList{};
    L.edgeP = bx::EdgeList{};
    L.edgeN.count = 1;
    L.edgeN.pos[0] = static_cast<int16_t>(a / 8);
    L.edgeP.count = 1;
    L.edgeP.pos[0] = static_cast<int16_t>(b / 8);
    L.edgeTotal = 2;
    L.edgesMerged[0] = L.edgeN.pos[0];
    L.edgesMerged[1] = L.edgeP.pos[0];
    const double s = ctx->ident.model.umPerPixel > 0 ? ctx->ident.model.umPerPixel : 1;
    using namespace bx::liverec;
    put16(EDGE_A, a);
    put16(EDGE_B, b);
    put16(VALUE_PX, b - a);
    put16(EDGE_COUNT, 2);
    put32(VALUE_UM, static_cast<int32_t>((b - a) * s));
    put16(SET_POINT_PX, b - a);
    put32(SET_POINT_UM, static_cast<int32_t>((b - a) * s));
    put16(VIDEO_PEAK, fs * 3 / 4 + 24);
    put16(INPUTS, 1);
    put32(CYCLE_US, 2000);
    put16(PROGRAM, 0);
    ctx->live.toolCycleHz = 480;
    bx::PlotVIDEOBarGraph(*ctx);
    bx::PlotLiveVideo(*ctx, 0, false);
    bx::PlotLiveVideo(*ctx, 3, false);
    bx::PlotRAWGraph(*ctx);
  }

  // Red pixels of the profile in a graph widget.
  int redPixels(const char* panel, const char* control) {
    return countPixels(panel, control,
                       [](const QColor& c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; });
  }

  void save(const std::string& name) { saveWindow(name, "live-screenshots"); }

  // RUN pressed by the operator; watch runs on every pass of the loop's
  // event processing and says when to press STOP. A bound on the passes
  // keeps a broken loop from hanging the test.
  void runUntil(const std::function<bool()>& watch) {
    QTimer tick;
    int passes = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
      if (watch() || ++passes > 40000) {
        tick.stop();
        guitest::click(widget<QPushButton>("MAIN", "STOP"));
      }
    });
    tick.start(0);
    renderer->repaint();
    guitest::click(widget<QPushButton>("MAIN", "RUN"));
    ASSERT_LE(passes, 40000) << "the loop never showed what was awaited";
  }
  int liveCycles() const { return sensor.requestCount(bx::order::kLiveData); }
  // A page chosen as the operator does: a click on its tab.
  void clickTab(int page) {
    auto* bar = widget<QTabWidget>("MAIN", "TABmain")->tabBar();
    const QPoint at = bar->tabRect(page).center();
    guitest::mouse(bar, QEvent::MouseButtonPress, Qt::LeftButton, at);
    guitest::mouse(bar, QEvent::MouseButtonRelease, Qt::LeftButton, at);
  }
  std::vector<double> profile(const char* panel) {
    const auto& plots = ctx->ui.graph(ref(panel, "VIDEOGRAPH")).plots;
    return plots.empty() ? std::vector<double>{} : plots[0].y;
  }
};

TEST_F(LivePages, VideoAndTeachPagesShowTheLiveProfileInBothLanguagesAndUnits) {
  auto* tab = widget<QTabWidget>("MAIN", "TABmain");
  auto* mm = widget<QCheckBox>("MAIN", "MMSWITCH");
  ASSERT_TRUE(mm->isEnabled());
  for (int language : {0, 1}) {
    bx::SetLanguage(*ctx, language);
    for (bool millimetre : {false, true}) {
      if (mm->isChecked() != millimetre) guitest::click(mm);
      settle();
      bx::PrepareLiveAxes(*ctx);
      for (int k = 0; k < 3; ++k) liveCycle(k * 4);
      const std::string tag = std::string(language == 1 ? "de" : "en") + (millimetre ? "-mm" : "-pixel");
      tab->setCurrentIndex(0);
      settle();
      EXPECT_GT(redPixels("VIDEO", "VIDEOGRAPH"), 50) << tag;
      EXPECT_EQ(ctx->ui.text(ref("MAIN", "SCANRATE")), "500");
      EXPECT_EQ(ctx->ui.text(ref("MAIN", "TOOLRATE")), "480");
      save("live-video-" + tag);
      tab->setCurrentIndex(3);
      settle();
      EXPECT_GT(redPixels("TEACH", "VIDEOGRAPH"), 50) << tag;
      save("live-teach-" + tag);
    }
  }
}

// The grey shading outside the measuring range lies under the profile: the
// curve stays red where it runs through the shaded part.
TEST_F(LivePages, TheShadingOutsideTheRangeLiesUnderTheProfile) {
  auto* tab = widget<QTabWidget>("MAIN", "TABmain");
  tab->setCurrentIndex(0);
  const int px = ctx->ident.hw.pixelCount > 0 ? ctx->ident.hw.pixelCount : 1024;
  bx::param::set(ctx->params, bx::param::EVAL_BEGIN, static_cast<uint16_t>(px * 7 / 10));
  bx::param::set(ctx->params, bx::param::EVAL_END, static_cast<uint16_t>(px * 9 / 10));
  bx::PrepareLiveAxes(*ctx);
  liveCycle(0);
  settle();
  QWidget* w = renderer->widget(ref("VIDEO", "VIDEOGRAPH"));
  ASSERT_NE(w, nullptr);
  const QImage img = w->grab().toImage();
  int red = 0, shaded = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width() / 2; ++x) {
      const QColor c = img.pixelColor(x, y);
      if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++red;
      if (c.red() > 215 && c.red() < 245 && c.red() == c.green() && c.green() == c.blue()) ++shaded;
    }
  EXPECT_GT(shaded, 1000) << "the left half lies before the range begin";
  EXPECT_GT(red, 50) << "the profile is hidden under the shading";
  save("live-video-shading");
}

// Pages switched by the operator while live mode runs: the page shown
// draws the sensor's newest profile (none stays frozen), the edge cursors
// of the video graph stand where the Edge A/B fields say, and a unit
// switched on another page is the unit of the video curve at once.
TEST_F(LivePages, SwitchingPagesDuringRunKeepsTheGraphsTrue) {
  auto* tab = widget<QTabWidget>("MAIN", "TABmain");
  auto* mm = widget<QCheckBox>("MAIN", "MMSWITCH");
  ASSERT_FALSE(mm->isChecked());
  tab->setCurrentIndex(0);
  settle();
  const double umPerPixel = bx::UmPerPixel(*ctx);
  ASSERT_GT(umPerPixel, 0);
  // An edge number counts in steps of 8 pixels (more in the faster modes).
  const double edgeStep = 8 << std::clamp<int>(bx::param::get(ctx->params, bx::param::CCD_OPERATION_MODE), 0, 2);
  const auto cursorsAgree = [&](bool inMm) {
    const auto& g = ctx->ui.graph(ref("VIDEO", "VIDEOGRAPH"));
    const double k = inMm ? 1000.0 / umPerPixel : 1.0;
    const double a = ctx->ui.value(ref("VIDEO", "EDGEA")), b = ctx->ui.value(ref("VIDEO", "EDGEB"));
    return a > 0 && b > a && std::abs(g.cursors[0].x * k - a) <= edgeStep && std::abs(g.cursors[1].x * k - b) <= edgeStep;
  };
  enum { kOnVideo, kOnTeach, kBackOnVideo, kOnPara1, kVideoInMm, kDone } stage = kOnVideo;
  int mark = 0;
  std::vector<double> teachProfile;
  bool teachFollows = false, cursorsInPixels = false, curveInMm = false, cursorsInMm = false;
  runUntil([&] {
    const int cycles = liveCycles();
    switch (stage) {
      case kOnVideo:
        if (cycles < 3) return false;
        clickTab(3);
        teachProfile = profile("TEACH");
        mark = cycles;
        stage = kOnTeach;
        return false;
      case kOnTeach:
        if (profile("TEACH") != teachProfile) teachFollows = true;
        if (cycles < mark + 4 || !teachFollows) return cycles > mark + 200;
        clickTab(0);
        mark = cycles;
        stage = kBackOnVideo;
        return false;
      case kBackOnVideo:
        if (cycles < mark + 2) return false;
        cursorsInPixels = cursorsAgree(false);
        if (!cursorsInPixels && cycles < mark + 50) return false;
        clickTab(1);
        mark = cycles;
        stage = kOnPara1;
        return false;
      case kOnPara1:
        if (cycles < mark + 1) return false;
        guitest::click(mm);
        clickTab(0);
        mark = liveCycles();
        stage = kVideoInMm;
        return false;
      case kVideoInMm: {
        if (cycles < mark + 2) return false;
        const auto& xs = ctx->ui.graph(ref("VIDEO", "VIDEOGRAPH")).plots.at(0).x;
        curveInMm = !xs.empty() && xs.back() <= ctx->ident.model.workingRangeMm + 1e-6 && xs.back() > 1;
        cursorsInMm = cursorsAgree(true);
        if ((!curveInMm || !cursorsInMm) && cycles < mark + 50) return false;
        stage = kDone;
        return true;
      }
      case kDone:
        return true;
    }
    return true;
  });
  EXPECT_EQ(stage, kDone);
  EXPECT_TRUE(teachFollows) << "the teach page's video stayed frozen";
  EXPECT_TRUE(cursorsInPixels) << "edge cursors disagree with the Edge A/B fields";
  EXPECT_TRUE(mm->isChecked());
  EXPECT_TRUE(curveInMm) << "the video curve stayed in pixels";
  EXPECT_TRUE(cursorsInMm) << "edge cursors disagree with the Edge A/B fields in mm";
  save("live-pages-switched-during-run");
}

// A killed sensor leaves the live displays showing values older than the
// last good cycle: every one of them is drawn grey, none in the colours of a
// good measurement, until a live record refreshes them.
TEST_F(LivePages, ValuesGreyAfterTheSensorIsKilled) {
  widget<QTabWidget>("MAIN", "TABmain")->setCurrentIndex(0);
  ctx->link.replyTimeout = 0.3;
  ctx->link.tcpTimeoutMs = 300;
  const std::vector<std::pair<const char*, const char*>> live = {
      {"VIDEO", "VIDEOGRAPH"}, {"VIDEO", "MEASVAL"}, {"VIDEO", "EDGEA"}, {"VIDEO", "IN0LAMP"},
      {"MAIN", "RANGEGRAPH"},  {"VIDEO", "ROLLGRAPH"}, {"MAIN", "TOOLRATE"}};
  auto staleCount = [&] {
    int n = 0;
    for (const auto& [panel, control] : live) n += ctx->ui.stale(ref(panel, control)) ? 1 : 0;
    return n;
  };
  int redWhileLive = 0, staleWhileLive = -1;
  bool killed = false;
  runUntil([&] {
    if (!killed && liveCycles() >= 3) {
      settle();
      redWhileLive = redPixels("VIDEO", "VIDEOGRAPH");
      staleWhileLive = staleCount();
      sensor.stop();
      killed = true;
    }
    return false;
  });
  ASSERT_TRUE(killed);
  EXPECT_EQ(staleWhileLive, 0);
  EXPECT_GT(redWhileLive, 0);
  EXPECT_NE(ctx->run.state, bx::RUN_LOOP);
  settle();
  EXPECT_EQ(staleCount(), static_cast<int>(live.size()));
  for (const auto& [panel, control] : live) {
    QWidget* w = renderer->widget(ref(panel, control));
    ASSERT_NE(w, nullptr) << control;
    EXPECT_NE(qobject_cast<QGraphicsColorizeEffect*>(w->graphicsEffect()), nullptr) << control;
  }
  // Not one pixel of the graph keeps a colour.
  EXPECT_EQ(countPixels("VIDEO", "VIDEOGRAPH", [](const QColor& c) { return c.hsvSaturation() > 40; }), 0);
  // In both languages: the German texts must not bring a colour back.
  save("stale_en");
  bx::SetLanguage(*ctx, 1);
  settle();
  save("stale_de");
  EXPECT_EQ(countPixels("VIDEO", "VIDEOGRAPH", [](const QColor& c) { return c.hsvSaturation() > 40; }), 0);
  bx::SetLanguage(*ctx, 0);

  // Fresh values take their colours back.
  liveCycle(0);
  settle();
  EXPECT_EQ(staleCount(), 0);
  EXPECT_EQ(renderer->widget(ref("VIDEO", "VIDEOGRAPH"))->graphicsEffect(), nullptr);
  EXPECT_GT(redPixels("VIDEO", "VIDEOGRAPH"), 0);
}

}  // namespace
