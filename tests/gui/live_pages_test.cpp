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
#include <QToolButton>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <vector>

#ifdef BX_HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

#include "app/localize.h"
#include "gui/app_window.h"
#include "gui/gui_input.h"
#include "gui/main_window.h"
#include "live/live_view.h"
#include "params/fields.h"
#include "wire/orders.h"
#include "params/teach_graphs.h"
#include "params/units.h"
#include "scope/view.h"
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
  // A fast line leaves the window a look only every few dozen cycles, so
  // the budgets below are counted generously.
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
        if (cycles < mark + 4 || !teachFollows) return cycles > mark + 2000;
        clickTab(0);
        mark = cycles;
        stage = kBackOnVideo;
        return false;
      case kBackOnVideo:
        if (cycles < mark + 2) return false;
        cursorsInPixels = cursorsAgree(false);
        if (!cursorsInPixels && cycles < mark + 1000) return false;
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
        if ((!curveInMm || !cursorsInMm) && cycles < mark + 1000) return false;
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

#ifdef BX_HAVE_QCUSTOMPLOT

// The graphs the operator zooms, pans and reads with the crosshair.
class GraphViews : public LivePages {
 protected:
  struct View {
    QCPRange x, y;
    bool operator==(const View& o) const { return x == o.x && y == o.y; }
  };
  static View view(QCustomPlot* p) { return {p->xAxis->range(), p->yAxis->range()}; }
  // A point of the plotting area, by its share of the width and height.
  static QPoint at(QCustomPlot* p, double fx, double fy) {
    const QRect r = p->axisRect()->rect();
    return {r.left() + static_cast<int>(r.width() * fx), r.top() + static_cast<int>(r.height() * fy)};
  }
  static QToolButton* wholeButton(QCustomPlot* p) { return p->findChild<QToolButton*>("wholeGraph"); }
  static QCPItemText* readout(QCustomPlot* p) { return p->findChild<QCPItemText*>("crosshairReadout"); }

  // The page of a graph shown, the graph drawn as it is now.
  QCustomPlot* showGraph(const char* panel, const char* control) {
    const std::string name = panel;
    if (name == "VIDEO") bx::ShowGraphView(*ctx, std::string(control) == "ROLLGRAPH" ? 0 : 1);
    const int page = name == "VIDEO" ? 0 : name == "REC" ? 5 : 6;
    widget<QTabWidget>("MAIN", "TABmain")->setCurrentIndex(page);
    settle();
    auto* plot = widget<QCustomPlot>(panel, control);
    if (plot) plot->replot();
    return plot;
  }
  // A redraw of the graph from its model, as every cycle of a loop does.
  void redraw(const char* panel, const char* control) {
    ctx->ui.touch(ref(panel, control));
    settle();
  }
};

struct GraphCase {
  const char* panel;
  const char* control;
};
const GraphCase kZoomable[] = {
    {"VIDEO", "VIDEOGRAPH"}, {"VIDEO", "ROLLGRAPH"}, {"REC", "RECGRAPH"}, {"SCOPE", "SCOPEGRAPH"}, {"SCOPE", "DIGIGRAPH"},
};

TEST_F(GraphViews, WheelRectangleAndDragZoomAndPanAndTheWholeGraphComesBack) {
  for (const GraphCase& g : kZoomable) {
    SCOPED_TRACE(std::string(g.panel) + "." + g.control);
    auto* plot = showGraph(g.panel, g.control);
    ASSERT_NE(plot, nullptr);
    // Cursors stay out of the way of the drags here.
    if (ctx->ui.at(ref(g.panel, g.control)).kind == bx::ui::Kind::Graph) {
      for (auto& c : ctx->ui.graph(ref(g.panel, g.control)).cursors) c.visible = false;
      settle();
    }
    const View home = view(plot);
    QToolButton* whole = wholeButton(plot);
    ASSERT_NE(whole, nullptr);
    EXPECT_FALSE(whole->isVisible());

    // The wheel zooms in about the mouse; the loop's next redraw keeps it.
    const QPoint p = at(plot, 0.4, 0.6);
    const double px = plot->xAxis->pixelToCoord(p.x()), py = plot->yAxis->pixelToCoord(p.y());
    guitest::wheel(plot, p, 2);
    const View zoomed = view(plot);
    EXPECT_LT(zoomed.x.size(), 0.7 * home.x.size());
    EXPECT_LT(zoomed.y.size(), 0.7 * home.y.size());
    EXPECT_TRUE(zoomed.x.contains(px) && zoomed.y.contains(py));
    EXPECT_TRUE(whole->isVisible());
    redraw(g.panel, g.control);
    EXPECT_TRUE(view(plot) == zoomed);
    // A double click shows the whole graph.
    guitest::mouse(plot, QEvent::MouseButtonDblClick, Qt::LeftButton, p);
    guitest::mouse(plot, QEvent::MouseButtonRelease, Qt::LeftButton, p);
    EXPECT_TRUE(view(plot) == home);
    EXPECT_FALSE(whole->isVisible());

    // Shift and a drag: the rectangle drawn becomes the view.
    const QPoint a = at(plot, 0.25, 0.2), b = at(plot, 0.75, 0.5);
    const QCPRange wantX(plot->xAxis->pixelToCoord(a.x()), plot->xAxis->pixelToCoord(b.x()));
    const QCPRange wantY(plot->yAxis->pixelToCoord(b.y()), plot->yAxis->pixelToCoord(a.y()));
    guitest::drag(plot, a, b, Qt::ShiftModifier);
    EXPECT_NEAR(plot->xAxis->range().lower, wantX.lower, 1e-9 * home.x.size());
    EXPECT_NEAR(plot->xAxis->range().upper, wantX.upper, 1e-9 * home.x.size());
    EXPECT_NEAR(plot->yAxis->range().lower, wantY.lower, 1e-9 * home.y.size());
    EXPECT_NEAR(plot->yAxis->range().upper, wantY.upper, 1e-9 * home.y.size());

    // A plain drag pans: the view keeps its size and follows the mouse.
    const View before = view(plot);
    const QPoint from = at(plot, 0.6, 0.5), to = at(plot, 0.3, 0.5);
    const double shift = plot->xAxis->pixelToCoord(from.x()) - plot->xAxis->pixelToCoord(to.x());
    guitest::drag(plot, from, to);
    EXPECT_NEAR(plot->xAxis->range().size(), before.x.size(), 1e-9 * home.x.size());
    EXPECT_NEAR(plot->xAxis->range().lower, before.x.lower + shift, 1e-9 * home.x.size());
    EXPECT_TRUE(plot->yAxis->range() == before.y);

    // The corner button shows the whole graph too.
    ASSERT_TRUE(whole->isVisible());
    guitest::click(whole);
    EXPECT_TRUE(view(plot) == home);
    EXPECT_FALSE(whole->isVisible());
  }
  bx::ShowGraphView(*ctx, 1);
}

// The scope's measuring cursors are dragged as before: a press on one moves
// the cursor and leaves the view where it is.
TEST_F(GraphViews, ScopeCursorsStillDragInAZoomedGraph) {
  auto* plot = showGraph("SCOPE", "SCOPEGRAPH");
  ASSERT_NE(plot, nullptr);
  guitest::wheel(plot, at(plot, 0.5, 0.5), 1);
  const View zoomed = view(plot);
  auto& g = ctx->ui.graph(ref("SCOPE", "SCOPEGRAPH"));
  g.cursors[0].visible = true;
  g.cursors[0].x = plot->xAxis->pixelToCoord(at(plot, 0.5, 0.5).x());
  settle();
  plot->replot();
  const double was = g.cursors[0].x;
  guitest::drag(plot, at(plot, 0.5, 0.5), at(plot, 0.7, 0.5));
  EXPECT_TRUE(view(plot) == zoomed);
  EXPECT_NEAR(ctx->ui.graph(ref("SCOPE", "SCOPEGRAPH")).cursors[0].x, plot->xAxis->pixelToCoord(at(plot, 0.7, 0.5).x()),
              plot->xAxis->range().size() / 50);
  EXPECT_GT(ctx->ui.graph(ref("SCOPE", "SCOPEGRAPH")).cursors[0].x, was);
}

// The live loop redraws the zoomed video graph every cycle: the operator's
// view stays while new profiles come in. Another unit is another whole
// graph, which ends the zoom.
TEST_F(GraphViews, AZoomedGraphKeepsItsViewWhileTheLoopRuns) {
  auto* plot = showGraph("VIDEO", "VIDEOGRAPH");
  ASSERT_NE(plot, nullptr);
  const View home = view(plot);
  View zoomed;
  std::vector<double> profileAtZoom;
  int mark = -1;
  bool kept = true, drawn = false;
  runUntil([&] {
    const int cycles = liveCycles();
    if (cycles < 3) return false;
    if (mark < 0) {
      guitest::wheel(plot, at(plot, 0.5, 0.5), 3);
      zoomed = view(plot);
      profileAtZoom = profile("VIDEO");
      mark = cycles;
      return false;
    }
    if (!(view(plot) == zoomed)) kept = false;
    if (profile("VIDEO") != profileAtZoom) drawn = true;
    return cycles > mark + 6 && drawn;
  });
  EXPECT_LT(zoomed.x.size(), home.x.size());
  EXPECT_TRUE(kept) << "a cycle's redraw lost the zoom";
  EXPECT_TRUE(drawn) << "the zoomed graph stopped drawing new profiles";
  settle();
  EXPECT_TRUE(view(plot) == zoomed);
  guitest::click(widget<QCheckBox>("MAIN", "MMSWITCH"));
  settle();
  EXPECT_NEAR(plot->xAxis->range().lower, 0, 1e-9);
  EXPECT_NEAR(plot->xAxis->range().upper, ctx->ident.model.workingRangeMm, 1e-9);
  EXPECT_FALSE(wholeButton(plot)->isVisible());
  save("graph-video-zoomed");
}

// The crosshair reads position and value in the unit switched: millimetres
// or pixels along the video graph, the measured value of the scope in the
// unit of its value axis and the time in the time axis's.
TEST_F(GraphViews, CrosshairReadsPositionAndValueInTheUnitSwitched) {
  auto* mm = widget<QCheckBox>("MAIN", "MMSWITCH");
  const QRegularExpression form("^x = (-?[0-9.]+)(?: (\\S+))?   y = (-?[0-9.]+)(?: (\\S+))?$");
  struct Case {
    const char* control;
    bool millimetre;
    QString xUnit, yUnit;
  };
  const Case cases[] = {
      {"VIDEOGRAPH", true, "mm", ""},   {"VIDEOGRAPH", false, "pixel", ""},
      {"SCOPEGRAPH", true, "", "mm"},   {"SCOPEGRAPH", false, "", "pixel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.control) + (c.millimetre ? " mm" : " pixel"));
    if (mm->isChecked() != c.millimetre) guitest::click(mm);
    const bool scope = std::string(c.control) == "SCOPEGRAPH";
    auto* plot = showGraph(scope ? "SCOPE" : "VIDEO", c.control);
    ASSERT_NE(plot, nullptr);
    QCPItemText* text = readout(plot);
    ASSERT_NE(text, nullptr);
    const QPoint p = at(plot, 0.37, 0.41);
    guitest::mouse(plot, QEvent::MouseMove, Qt::NoButton, p);
    ASSERT_TRUE(text->visible());
    const auto m = form.match(text->text());
    ASSERT_TRUE(m.hasMatch()) << text->text().toStdString();
    const auto& model = ctx->ui.graph(ref(scope ? "SCOPE" : "VIDEO", c.control));
    const double gain = model.x.gain;
    const double xStep = std::abs(plot->xAxis->pixelToCoord(p.x() + 1) - plot->xAxis->pixelToCoord(p.x())) * gain;
    const double yStep = std::abs(plot->yAxis->pixelToCoord(p.y() + 1) - plot->yAxis->pixelToCoord(p.y()));
    EXPECT_NEAR(m.captured(1).toDouble(), plot->xAxis->pixelToCoord(p.x()) * gain, xStep);
    EXPECT_NEAR(m.captured(3).toDouble(), plot->yAxis->pixelToCoord(p.y()), yStep);
    if (!c.xUnit.isEmpty()) {
      EXPECT_EQ(m.captured(2), c.xUnit);
    } else {
      EXPECT_TRUE(m.captured(2) == "ms" || m.captured(2) == "sec") << m.captured(2).toStdString();
    }
    EXPECT_EQ(m.captured(4), c.yUnit);
    if (!scope && c.millimetre) {
      guitest::wheel(plot, p, 2);
      guitest::mouse(plot, QEvent::MouseMove, Qt::NoButton, p);
      save("graph-video-zoomed-crosshair-mm");
      guitest::click(wholeButton(plot));
    }
    // Gone when the mouse leaves the graph.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(plot, &leave);
    EXPECT_FALSE(text->visible());
  }
}

// However far the operator zooms, no axis repeats a tick label: the ticks
// are never closer than the labels' decimals tell apart.
TEST_F(GraphViews, ZoomedAxesNeverRepeatATickLabel) {
  // A scope time axis in seconds: two decimals, a gain of 25 ms a sample.
  bx::SetScopeTimeAxis(*ctx, 25.0);
  for (const GraphCase& g : kZoomable) {
    SCOPED_TRACE(std::string(g.panel) + "." + g.control);
    auto* plot = showGraph(g.panel, g.control);
    ASSERT_NE(plot, nullptr);
    for (int notches : {0, 6, 12, 20}) {
      if (notches) guitest::wheel(plot, at(plot, 0.3, 0.7), 6);
      plot->replot();
      for (QCPAxis* axis : {plot->xAxis, plot->yAxis}) {
        const QVector<QString> labels = axis->tickVectorLabels();
        const std::set<QString> unique(labels.begin(), labels.end());
        EXPECT_EQ(unique.size(), static_cast<size_t>(labels.size()))
            << notches << " notches: " << QStringList(labels.begin(), labels.end()).join(" ").toStdString();
      }
    }
    guitest::click(wholeButton(plot));
  }
  bx::ShowGraphView(*ctx, 1);
}

#endif

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
