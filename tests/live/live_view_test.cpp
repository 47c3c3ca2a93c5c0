// The live displays drawn from a filled live record, video frame and edge
// lists, headless, without a run loop.
#include <gtest/gtest.h>

#include "live/display.h"
#include "live/edge_markers.h"
#include "live/frame.h"
#include "live/live_callbacks.h"
#include "live/live_values.h"
#include "live/live_view.h"
#include "live/state_text.h"
#include "params/teach_graphs.h"
#include "tests/params/params_fixture.h"
#include "support/use_language.h"
#include "wire/calib_record.h"
#include "wire/live_record.h"

namespace bx {
namespace {

EdgeList edges(std::initializer_list<int> pos) {
  EdgeList l;
  for (int p : pos) l.pos[l.count++] = static_cast<int16_t>(p);
  return l;
}

TEST(EdgeMarkerTable, DefaultEdgesForBothSearchDirections) {
  const EdgeList p = edges({10, 40, 70}), n = edges({20, 50, 90, 95});
  struct Case {
    int a, b, dir, first, second;
  } cases[] = {
      {0, 0, 0, 10, 95},  {0, 0, 1, 70, 20},  // firstMin,lastMax | lastMin,firstMax
      {0, 2, 0, 10, 40},  {0, 2, 1, 40, 20},  // edge(2) of P
      {-3, 0, 0, 90, 95}, {-3, 0, 1, 90, 20}, {2, -1, 0, 40, 20}, {2, -1, 1, 40, 20},
  };
  for (const auto& c : cases) {
    const EdgeMarkers m = SelectEdgeMarkers(c.a, c.b, true, c.dir, p, n);
    EXPECT_EQ(m.first, c.first) << c.a << "," << c.b << " dir " << c.dir;
    EXPECT_EQ(m.second, c.second) << c.a << "," << c.b << " dir " << c.dir;
  }
  // One edge: a picks, 0 takes the first edge nearest the search start.
  EXPECT_EQ(SelectEdgeMarkers(-2, 0, false, 0, p, n).first, 50);
  EXPECT_EQ(SelectEdgeMarkers(0, 0, false, 0, p, n).first, 10);
  EXPECT_EQ(SelectEdgeMarkers(0, 0, false, 1, p, n).first, 20);
  // Numbers beyond 16 select the sixteenth slot, never past the list.
  EXPECT_EQ(SelectEdgeMarkers(40, -40, true, 0, p, n).first, p.pos[15]);
}

TEST(EdgeMarkerTable, AnEmptyListMakesBothMarkersTheOtherListsFirstEdge) {
  const EdgeList none, p = edges({12, 30}), n = edges({25, 60});
  const EdgeMarkers onlyN = SelectEdgeMarkers(0, 3, true, 0, none, n);
  EXPECT_EQ(onlyN.first, 25);
  EXPECT_EQ(onlyN.second, 25);
  const EdgeMarkers onlyP = SelectEdgeMarkers(0, 0, true, 0, p, none);
  EXPECT_EQ(onlyP.first, 12);
  EXPECT_EQ(onlyP.second, 12);
}

TEST(EdgeMarkerTable, TriggerModesDeriveTheEdgeNumbersFromTheSixteenthSlots) {
  EdgeList p, n;
  p.pos[15] = 5;
  n.pos[15] = 7;
  // Mode 3: a from sN, b = sP.
  EXPECT_EQ(DeriveEdgeNumbers(3, -2, 0, p, n).a, -7 + 2 - 1);
  EXPECT_EQ(DeriveEdgeNumbers(3, 0, 0, p, n).a, -7);
  EXPECT_EQ(DeriveEdgeNumbers(3, 2, 0, p, n).a, 5);
  EXPECT_EQ(DeriveEdgeNumbers(3, 2, 0, p, n).b, 5);
  EXPECT_EQ(DeriveEdgeNumbers(3, 2, 0, p, n).shownB, 5);
  // Mode 4: a from sP, b = -sN, shown without its sign.
  EXPECT_EQ(DeriveEdgeNumbers(4, -2, 0, p, n).a, -5 + 2);
  EXPECT_EQ(DeriveEdgeNumbers(4, 0, 0, p, n).a, 5);
  EXPECT_EQ(DeriveEdgeNumbers(4, 2, 0, p, n).a, 4);
  EXPECT_EQ(DeriveEdgeNumbers(4, 2, 0, p, n).b, -7);
  EXPECT_EQ(DeriveEdgeNumbers(4, 2, 0, p, n).shownB, 7);
  // Other modes keep the row's numbers.
  EXPECT_EQ(DeriveEdgeNumbers(1, -2, 3, p, n).a, -2);
  EXPECT_EQ(DeriveEdgeNumbers(1, -2, 3, p, n).b, 3);
}

TEST(FindMinDistIdx, NearestEdgeWithTiesToTheEarlierOne) {
  const int16_t merged[] = {10, 20, 30, 40};
  EXPECT_EQ(FindMinDistIdx(merged, 4, 8 * 31), 2);
  EXPECT_EQ(FindMinDistIdx(merged, 4, 8 * 25), 1);  // exactly between 20 and 30
  EXPECT_EQ(FindMinDistIdx(merged, 4, 0), 0);
  EXPECT_EQ(FindMinDistIdx(merged, 4, 8 * 1000), 3);
  EXPECT_EQ(FindMinDistIdx(merged, 0, 100), -1);
}

TEST(LiveValues, AutoThresholdLimits) {
  EXPECT_EQ(liveview::AutoThreshold(50, 0), 100);
  EXPECT_EQ(liveview::AutoThreshold(100, 1024), 900);
  EXPECT_EQ(liveview::AutoThreshold(50, 1000), 500);
  // Both are 16-bit values of the sensor: the product does not fit an int.
  EXPECT_EQ(liveview::AutoThreshold(65535, 65535), 900);
}

class LiveView : public test::ParamsTest {
 protected:
  void SetUp() override {
    test::ParamsTest::SetUp();
    model(1024, 50.0);
    ctx->ident.model.videoFullScale = 1024;
    for (size_t i = 0; i < 256; ++i) {
      ctx->ident.model.samplePixels[i] = static_cast<double>(i * 4);
      ctx->ident.model.sampleMm[i] = i * 4 * 0.05;
    }
    auto& p = ctx->params;
    param::set(p, param::EVAL_BEGIN, 100);
    param::set(p, param::EVAL_END, 900);
    param::set32(p, param::UM_BEGIN, 5000);
    param::set32(p, param::UM_END, 45000);
    param::set(p, param::EVAL_PROGRAM, 0);
    param::rowSet(p, 0, param::ROW_UPPER_TOL, 20);
    param::rowSet(p, 0, param::ROW_LOWER_TOL, 30);
    param::rowSet32(p, 0, param::ROW_UM_TOLUP, 1000);
    param::rowSet32(p, 0, param::ROW_UM_TOLLO, 1500);
    param::rowSet(p, 0, param::ROW_EDGE_COUNT, 2);
  }
  void put16(int off, int v) {
    ctx->live.record[static_cast<size_t>(off)] = static_cast<uint8_t>(v & 0xFF);
    ctx->live.record[static_cast<size_t>(off) + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  }
  void put32(int off, int32_t v) {
    put16(off, v & 0xFFFF);
    put16(off + 2, (v >> 16) & 0xFFFF);
  }
  // A record measuring value px (value * 50 um) against a set value of 500.
  void record(int px, int state = 0, int edgeCount = 2) {
    put16(liverec::VALUE_PX, px);
    put32(liverec::VALUE_UM, px * 50);
    put16(liverec::SET_POINT_PX, 500);
    put32(liverec::SET_POINT_UM, 25000);
    put16(liverec::EDGE_COUNT, edgeCount);
    put16(liverec::STATE_CODE, state);
    put32(liverec::CYCLE_US, 1000);
    put16(liverec::VIDEO_PEAK, 800);
  }
  ui::CtlRef ctl(const char* page, const char* name) {
    ui::CtlRef r = ctx->ui.find(page, name);
    EXPECT_TRUE(ctx->ui.valid(r)) << name;
    return r;
  }
};

TEST_F(LiveView, ValueFieldColourFollowsRangeAndLimits) {
  const ui::CtlRef value = ctl("VIDEO", "MEASVAL");
  record(510);
  PlotVIDEOBarGraph(*ctx);
  EXPECT_EQ(ctx->ui.value(value), 510);
  EXPECT_EQ(ctx->ui.at(value).bgColor, ui::kDarkGreen);
  record(530);  // limit is 500 + 20
  PlotVIDEOBarGraph(*ctx);
  EXPECT_EQ(ctx->ui.at(value).bgColor, ui::kRed);
  record(950);  // beyond the range end 900
  PlotVIDEOBarGraph(*ctx);
  EXPECT_EQ(ctx->ui.at(value).bgColor, ui::kGrey);
  ctx->params.unitMm = 1;  // against 25 - 1.5 mm: 23.5 mm is on the limit
  record(470);
  PlotVIDEOBarGraph(*ctx);
  EXPECT_EQ(ctx->ui.at(value).bgColor, ui::kDarkGreen);
  EXPECT_DOUBLE_EQ(ctx->ui.value(ctl("VIDEO", "MEASMM")), 23.5);
  record(469);
  PlotVIDEOBarGraph(*ctx);
  EXPECT_EQ(ctx->ui.at(value).bgColor, ui::kRed);
  EXPECT_DOUBLE_EQ(ctx->ui.value(ctl("VIDEO", "TOLLO")), 1.5);
}

// The micrometre limits lie within the sensor's calibrated span, offset to
// offset + measuring range: on a sensor with an offset a value inside its
// tolerance is green, and the limits still stop at the span's ends.
TEST_F(LiveView, MicrometreLimitsFollowTheCalibratedOffsetAndRange) {
  const ui::CtlRef value = ctl("VIDEO", "MEASVAL");
  ctx->params.unitMm = 1;
  param::set32(ctx->params, param::UM_BEGIN, 30000);
  param::set32(ctx->params, param::UM_END, 80000);
  calib::setField32(ctx->calib.record, calib::OFF_OFFSET, 30000);
  calib::setField32(ctx->calib.record, calib::OFF_RANGE, 51200);
  const struct {
    int32_t setUm, valueUm;
    ui::Color colour;
  } cases[] = {
      {60000, 60000, ui::kDarkGreen}, {60000, 61000, ui::kDarkGreen}, {60000, 61001, ui::kRed},
      {60000, 58500, ui::kDarkGreen}, {60000, 58499, ui::kRed},
      // Set value at the span's top: the upper limit stops at 81200.
      {80800, 79999, ui::kDarkGreen}, {30500, 30000, ui::kDarkGreen},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.setUm) + " / " + std::to_string(c.valueUm));
    record(500);
    put32(liverec::SET_POINT_UM, c.setUm);
    put32(liverec::VALUE_UM, c.valueUm);
    ctx->params.unitMm = 1;
    param::set32(ctx->params, param::UM_END, 82000);
    PlotVIDEOBarGraph(*ctx);
    EXPECT_EQ(ctx->ui.at(value).bgColor, c.colour);
  }
  record(500);
  put32(liverec::SET_POINT_UM, 80800);
  const liveview::Limits lim = liveview::LimitsOf(*ctx, liverec::decode(ctx->live.record), 0);
  EXPECT_EQ(lim.upperUm, 81200);
  EXPECT_EQ(lim.lowerUm, 79300);
  put32(liverec::SET_POINT_UM, 30500);
  EXPECT_EQ(liveview::LimitsOf(*ctx, liverec::decode(ctx->live.record), 0).lowerUm, 30000);
}

TEST_F(LiveView, StateTextClampsCodesAndTheEdgeCountCheckOverrides) {
  const ui::CtlRef text = ctl("VIDEO", "STATETEXT");
  for (int code : {16, -7}) {
    record(500, code);
    PlotVIDEOBarGraph(*ctx);
    EXPECT_EQ(ctx->ui.text(text), "RUNNING - OK") << code;
    EXPECT_EQ(ctx->ui.at(text).bgColor, ui::kWhite);
  }
  param::set(ctx->params, param::DIGITAL_OUT_MODE, 1);
  record(500, 8, 0);
  PlotVIDEOBarGraph(*ctx);
  EXPECT_EQ(ctx->ui.text(text), "NO EDGES");
  EXPECT_EQ(ctx->ui.at(text).bgColor, ui::kRed);
  record(500, 0, 3);
  PlotVIDEOBarGraph(*ctx);
  EXPECT_EQ(ctx->ui.text(text), "HI EDGES");
  record(500, 0, 1);
  testing_lang::UseLanguage(*ctx, 1);
  PlotVIDEOBarGraph(*ctx);
  EXPECT_EQ(ctx->ui.text(text), "LO EDGES");
  param::set(ctx->params, param::DIGITAL_OUT_MODE, 0);
  record(500, 7);
  PlotVIDEOBarGraph(*ctx);
  EXPECT_EQ(ctx->ui.text(text), "LASER AUS");
}

TEST_F(LiveView, LampsPowerAndTheArmedVariant) {
  record(510);
  put16(liverec::INPUTS, 2);
  put16(liverec::LASER_POWER, 640);
  put16(liverec::EXPOSURE, 123);
  put16(liverec::TRIGGER_LEVEL, 300);
  put32(liverec::TRIGGER_COUNT, 17);
  param::set(ctx->params, param::INT_TRIGGER_MODE, 1);
  param::set(ctx->params, param::TRIGGER_PIXEL, 200);
  param::set(ctx->params, param::DIRT_DETECT_MODE, 3);
  ctx->params.dirtLevel = 100;
  put16(liverec::DIRT_FIRST, 90);
  put16(liverec::DIRT_LAST, 100);
  param::set(ctx->params, param::POWER_MODE, 1);
  PlotVIDEOBarGraph(*ctx);
  EXPECT_EQ(ctx->ui.value(ctl("VIDEO", "IN0LAMP")), 0);
  EXPECT_EQ(ctx->ui.value(ctl("VIDEO", "IN1LAMP")), 1);
  EXPECT_EQ(ctx->ui.value(ctl("VIDEO", "TRIGLAMP")), 1);
  EXPECT_EQ(ctx->ui.value(ctl("VIDEO", "TRIGCOUNT")), 300);
  EXPECT_EQ(ctx->ui.value(ctl("VIDEO", "DIRTLAMP")), 1);  // (90 + 100) / 2 < 100
  EXPECT_EQ(ctx->ui.value(ctl("VIDEO", "LIVEPOWER")), 640);
  EXPECT_EQ(ctx->ui.value(ctx->para.p1.power), 640);  // the regulated control follows the sensor
  EXPECT_EQ(ctx->ui.value(ctl("VIDEO", "PEAK")), 78);
  EXPECT_EQ(ctx->ui.text(ctl("MAIN", "SCANRATE")), "1000");
  param::set(ctx->params, param::POWER_MODE, 2);
  PlotVIDEOBarGraph(*ctx);
  EXPECT_DOUBLE_EQ(ctx->ui.value(ctl("VIDEO", "LIVEPOWER")), 1.2);  // 1230 us
  EXPECT_DOUBLE_EQ(ctx->ui.value(ctx->para.p1.expose), 1.2);

  // Armed: the counter shows, the value field and lamps keep their state.
  record(700);
  put16(liverec::INPUTS, 1);
  PlotVIDEOBarGraphTrigger(*ctx);
  EXPECT_EQ(ctx->ui.value(ctl("VIDEO", "TRIGCOUNT")), 17);
  EXPECT_EQ(ctx->ui.value(ctl("VIDEO", "MEASVAL")), 510);
  EXPECT_EQ(ctx->ui.value(ctl("VIDEO", "IN1LAMP")), 1);
}

TEST_F(LiveView, RangeBarGreysOutsideTheRangeAndDrawsTheBandLow) {
  record(510);
  ctx->run.state = RUN_LOOP;
  PlotVIDEOBarGraph(*ctx);
  const auto& g = ctx->ui.graph(ctx->refs.display.rangeGraph);
  ASSERT_EQ(g.plots.size(), 3u);
  const auto& band = g.plots[0];
  EXPECT_EQ(band.color, ui::kGreen);
  EXPECT_DOUBLE_EQ(band.x[0], 470);
  EXPECT_DOUBLE_EQ(band.x[1], 520);
  EXPECT_DOUBLE_EQ(band.y[1], 0.5);
  EXPECT_EQ(g.plots[1].color, ui::kGrey);
  EXPECT_DOUBLE_EQ(g.plots[1].x[1], 100);
  EXPECT_DOUBLE_EQ(g.plots[1].y[1], 1);
  EXPECT_DOUBLE_EQ(g.plots[2].x[0], 900);
  EXPECT_DOUBLE_EQ(g.cursors[0].x, 510);
  EXPECT_DOUBLE_EQ(g.cursors[3].x, 500);

  // In millimetres a begin with no room for the minimum width after it
  // becomes the measuring length; one just inside stays; a negative one is 0.
  ctx->params.unitMm = 1;
  const double w = MinRangeWidth(*ctx);
  const struct {
    double begin, end, wantBegin, wantEnd;
  } cases[] = {
      {60, 70, 51.2, 51.2},
      {51.2 - w + 0.01, 51.2, 51.2, 51.2},
      {51.2 - w, 51.2, 51.2 - w, 51.2},
      {-3, 0, 0, w},
      {10, 20, 10, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.begin);
    double begin = c.begin, end = c.end;
    ClampRange(*ctx, begin, end);
    EXPECT_DOUBLE_EQ(begin, c.wantBegin);
    EXPECT_DOUBLE_EQ(end, c.wantEnd);
  }
  // The bar then shows the whole line grey up to the begin.
  RefreshRangeGraph(*ctx, 60, 70, 0);
  const auto& bar = ctx->ui.graph(ctx->refs.display.rangeGraph);
  EXPECT_DOUBLE_EQ(bar.cursors[1].x, 51.2);
  EXPECT_DOUBLE_EQ(bar.plots[1].x[1], 51.2);
}

// The run loop decodes the record once a cycle: every display draws the
// frame it is handed, held to its ranges, and never reads the record again.
TEST_F(LiveView, DisplaysDrawTheFrameTheyAreHandedNotTheRecord) {
  record(510, 99);
  put16(liverec::PROGRAM, 9);
  const LiveFrame wild = DecodeLiveFrame(ctx->live);
  EXPECT_EQ(wild.values.stateCode, 0);
  EXPECT_EQ(wild.values.program, 3);
  EXPECT_EQ(wild.values.valuePx, 510);
  EXPECT_EQ(wild.video, &ctx->live.video);
  EXPECT_EQ(wild.triggeredVideo, &ctx->live.triggeredVideo);
  EXPECT_EQ(wild.edgesPositive, &ctx->live.edgeP);
  EXPECT_EQ(wild.edgesNegative, &ctx->live.edgeN);
  EXPECT_EQ(ctx->live.record[liverec::STATE_CODE], 99) << "the record itself is left as it came";

  put16(liverec::PROGRAM, 0);
  record(510);
  const LiveFrame frame = DecodeLiveFrame(ctx->live);

  // What the buffer holds afterwards is not what the frame shows.
  record(950, 7);
  put16(liverec::SET_POINT_PX, 600);
  ctx->run.state = RUN_LOOP;
  PlotVIDEOBarGraph(*ctx, frame);
  EXPECT_EQ(ctx->ui.value(ctl("VIDEO", "MEASVAL")), 510);
  EXPECT_EQ(ctx->ui.at(ctl("VIDEO", "MEASVAL")).bgColor, ui::kDarkGreen);
  EXPECT_EQ(ctx->ui.text(ctl("VIDEO", "STATETEXT")), StateCodeText(0));
  const auto& bar = ctx->ui.graph(ctx->refs.display.rangeGraph);
  EXPECT_DOUBLE_EQ(bar.cursors[0].x, 510);
  EXPECT_DOUBLE_EQ(bar.plots[0].x[0], 470) << "the band sits on the frame's set value";

  PlotRAWGraph(*ctx, frame);
  const auto& roll = ctx->ui.strip(ctx->ui.find("VIDEO", "ROLLGRAPH")).data;
  ASSERT_GE(roll.size(), 6u);
  EXPECT_DOUBLE_EQ(roll[roll.size() - 3], 510);
}

TEST_F(LiveView, RollGraphKeepsTheLastHundredRecords) {
  const ui::CtlRef roll = ctl("VIDEO", "ROLLGRAPH");
  for (int i = 1; i <= 100; ++i) {
    record(i);
    PlotRAWGraph(*ctx);
  }
  const auto& data = ctx->ui.strip(roll).data;
  ASSERT_EQ(data.size(), 600u);
  EXPECT_EQ(data[3], 1);      // oldest point: the first record
  EXPECT_EQ(data[597], 100);  // newest at the right
  EXPECT_EQ(data[594], 520);  // upper limit
  EXPECT_EQ(data[595], 470);  // lower limit
  record(101);
  PlotRAWGraph(*ctx);
  EXPECT_EQ(data[3], 2);
  EXPECT_EQ(data[597], 101);

  // Millimetres; no measurement drops to the axis start.
  ctx->params.unitMm = 1;
  param::set(ctx->params, param::ANALOG_MODE, 1);
  record(0);
  put32(liverec::MAX_UM, 30000);
  PlotRAWGraph(*ctx);
  EXPECT_DOUBLE_EQ(data[597], 0);
  EXPECT_DOUBLE_EQ(data[598], 0);
  EXPECT_DOUBLE_EQ(data[599], 30);
  EXPECT_DOUBLE_EQ(data[594], 26);
}

TEST_F(LiveView, VideoGraphThresholdShadingAndEdgeMarkers) {
  record(510);
  for (size_t i = 0; i < 256; ++i) ctx->live.video[i] = static_cast<uint16_t>(i);
  param::set(ctx->params, param::VIDEO_THRESHOLD_MODE, 2);
  param::set(ctx->params, param::VIDEO_THRESHOLD, 50);
  param::set(ctx->params, param::CCD_OPERATION_MODE, 1);
  param::rowSet(ctx->params, 0, param::ROW_EVAL_MODE, 1);
  param::rowSet(ctx->params, 0, param::ROW_EDGE_A, 1);
  param::rowSet(ctx->params, 0, param::ROW_EDGE_B, static_cast<uint16_t>(-1));
  ctx->live.edgeP = edges({20});
  ctx->live.edgeN = edges({40});
  PlotLiveVideo(*ctx, 0, false);
  const auto& g = ctx->ui.graph(ctx->refs.display.videoGraph);
  ASSERT_GE(g.plots.size(), 5u);
  EXPECT_EQ(g.plots[0].y[7], 7);
  EXPECT_EQ(g.plots[1].y[0], 400);  // AUTO: 50 % of the peak 800
  EXPECT_EQ(g.plots[1].width, 1);
  EXPECT_EQ(g.plots[2].alpha, 128);  // shading before the range begin
  EXPECT_DOUBLE_EQ(g.plots[2].x[1], 100);
  EXPECT_DOUBLE_EQ(g.cursors[0].x, 20 * 8 * 2);
  EXPECT_DOUBLE_EQ(g.cursors[1].x, 40 * 8 * 2);
  EXPECT_DOUBLE_EQ(g.cursors[0].y, 1024 / 40.0);
  const auto& bar = g.plots.back();
  EXPECT_EQ(bar.color, ui::kYellow);
  // The next frame redraws in place: the point storage stays where it was.
  const double* profileStore = g.plots[0].x.data();
  const double* barStore = g.plots.back().x.data();
  const size_t plotCount = g.plots.size();
  PlotLiveVideo(*ctx, 0, false);
  EXPECT_EQ(g.plots.size(), plotCount);
  EXPECT_EQ(g.plots[0].x.data(), profileStore);
  EXPECT_EQ(g.plots.back().x.data(), barStore);
  EXPECT_DOUBLE_EQ(bar.x[0], 320);
  EXPECT_DOUBLE_EQ(bar.x[1], 640);

  // Internal trigger mode 4 derives the numbers and shows them.
  param::set(ctx->params, param::INT_TRIGGER_MODE, 4);
  ctx->live.edgeP.pos[15] = 1;
  ctx->live.edgeN.pos[15] = 1;
  PlotLiveVideo(*ctx, 0, false);
  EXPECT_EQ(ctx->ui.text(ctx->para.sum.edges), "1 # 1");
  EXPECT_DOUBLE_EQ(g.cursors[0].x, 320);
  EXPECT_DOUBLE_EQ(g.cursors[1].x, 640);
  param::set(ctx->params, param::INT_TRIGGER_MODE, 0);

  // Millimetres: positions scaled; the triggered frame is drawn on request.
  ctx->params.unitMm = 1;
  ctx->live.triggeredVideo.fill(99);
  PlotLiveVideo(*ctx, 0, true);
  EXPECT_EQ(g.plots[0].y[3], 99);
  EXPECT_DOUBLE_EQ(g.cursors[0].x, 320 * 0.05);
}

TEST_F(LiveView, GraphToggleAndTriggerTexts) {
  ShowGraphView(*ctx, 0);
  EXPECT_FALSE(ctx->ui.visible(ctx->refs.display.videoGraph));
  EXPECT_TRUE(ctx->ui.visible(ctl("VIDEO", "ROLLGRAPH")));
  EXPECT_EQ(ctx->live.graphSwitch, 0);
  ShowGraphView(*ctx, 1);
  EXPECT_TRUE(ctx->ui.visible(ctx->refs.display.videoGraph));
  EXPECT_FALSE(ctx->ui.visible(ctl("VIDEO", "ROLLGRAPH")));
  testing_lang::UseLanguage(*ctx, 1);
  ShowTriggerText(*ctx, TriggerText::Waiting);
  for (const char* page : {"VIDEO", "TEACH"}) {
    EXPECT_TRUE(ctx->ui.visible(ctl(page, "TRIGTEXT")));
    EXPECT_EQ(ctx->ui.text(ctl(page, "TRIGTEXT")), "WARTE AUF TRIGGER ...");
  }
  ShowTriggerText(*ctx, TriggerText::Hidden);
  EXPECT_FALSE(ctx->ui.visible(ctl("TEACH", "TRIGTEXT")));
}

TEST(PickEdge, TiesGoToTheEarlierMergedEdgeAndLeftOversAreSkipped) {
  LiveState live;
  live.edgeN = edges({10, 30});  // N starts further left: merged N0 P0 N1 P1 ...
  live.edgeP = edges({20});
  live.edgeP.pos[1] = 31;  // a left-over beyond P's count
  const int16_t merged[] = {10, 20, 30, 31};
  std::copy(std::begin(merged), std::end(merged), live.edgesMerged.begin());
  int number = 0, value = 0;
  ASSERT_TRUE(PickEdge(live, 8 * 15, number, value));  // between 10 and 20
  EXPECT_EQ(number, -1);
  EXPECT_EQ(value, 10);
  ASSERT_TRUE(PickEdge(live, 8 * 31, number, value));  // the left-over is no edge
  EXPECT_EQ(number, -2);
  EXPECT_EQ(value, 30);
  ASSERT_TRUE(PickEdge(live, 8 * 21, number, value));
  EXPECT_EQ(number, 1);
  EXPECT_FALSE(PickEdge(LiveState{}, 100, number, value));
}

TEST_F(LiveView, DoubleClickInTheTeachGraphSetsTheActiveCursorsEdge) {
  ctx->live.edgeP = edges({20, 60});
  ctx->live.edgeN = edges({40});
  const int16_t merged[] = {20, 40, 60};
  std::copy(std::begin(merged), std::end(merged), ctx->live.edgesMerged.begin());
  ctx->live.edgeTotal = 3;
  param::rowSet(ctx->params, 0, param::ROW_EVAL_MODE, 1);
  const ui::CtlRef g = ctx->refs.display.teachGraph;
  ctx->ui.graph(g).activeCursor = 2;
  ctx->ui.fire(g, ui::EVENT_LEFT_DOUBLE_CLICK, 8 * 58, 100);
  EXPECT_EQ(param::rowGetS(ctx->params, 0, param::ROW_EDGE_B), 2);
  EXPECT_EQ(param::rowGet(ctx->params, 0, param::ROW_PIXEL_POS_B), 480);
  EXPECT_DOUBLE_EQ(ctx->ui.graph(g).cursors[1].x, 480);
  EXPECT_EQ(ctx->ui.table(ctx->para.teach.table).at(0, 8).num, 480);
  ctx->live.edgeTotal = 0;
  ctx->live.edgeP = EdgeList{};
  ctx->live.edgeN = EdgeList{};
  ctx->ui.graph(g).activeCursor = 1;
  ctx->ui.fire(g, ui::EVENT_LEFT_DOUBLE_CLICK, 8 * 20, 100);  // no edges known: nothing
  EXPECT_EQ(param::rowGetS(ctx->params, 0, param::ROW_EDGE_A), 0);
}

TEST_F(LiveView, RangeCursorsStopAtTheMinimumWidthAndTheTriggerNeedsConfirming) {
  const ui::CtlRef g = ctx->refs.display.rangeGraph;
  ctx->ui.setDimmed(g, false);  // as a connected model leaves it
  auto& graph = ctx->ui.graph(g);
  ctx->ui.setValue(ctx->para.meas.rangeBeg, 100);
  ctx->ui.setValue(ctx->para.meas.rangeEnd, 400);
  graph.cursors[1].x = 395;
  ctx->ui.fire(g, ui::EVENT_COMMIT, 2);
  EXPECT_DOUBLE_EQ(ctx->ui.value(ctx->para.meas.rangeBeg), 400 - MinRangeWidth(*ctx));
  graph.cursors[2].x = 5000;
  ctx->ui.fire(g, ui::EVENT_COMMIT, 3);
  EXPECT_DOUBLE_EQ(ctx->ui.value(ctx->para.meas.rangeEnd), 1024);

  param::set(ctx->params, param::TRIGGER_PIXEL, 300);
  graph.cursors[4].x = 700;
  fe->answerConfirm(false);
  ctx->ui.fire(g, ui::EVENT_COMMIT, 5);
  EXPECT_DOUBLE_EQ(graph.cursors[4].x, 300);
  EXPECT_DOUBLE_EQ(ctx->ui.graph(ctx->refs.display.videoGraph).cursors[2].x, 300);
  graph.cursors[4].x = 700;
  fe->answerConfirm(true);
  ctx->ui.fire(g, ui::EVENT_COMMIT, 5);
  EXPECT_DOUBLE_EQ(ctx->ui.value(ctx->para.p2.trigPix), 700);
  EXPECT_DOUBLE_EQ(ctx->ui.graph(ctx->refs.display.videoGraph).cursors[2].x, 700);
  EXPECT_DOUBLE_EQ(ctx->ui.graph(ctx->refs.display.videoGraph).cursors[2].y, 1024 - 5);
}

TEST_F(LiveView, EdgeTriggerTogglesStayInStepOnBothPages) {
  ctx->run.state = RUN_LOOP;
  const ui::CtlRef pos = ctl("TEACH", "POSEDGE");
  ctx->ui.setVisible(pos, true);
  ctx->ui.setValue(pos, 1);
  ctx->ui.fire(pos, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->live.armedTrigger, 1);
  EXPECT_EQ(ctx->ui.value(ctl("VIDEO", "POSEDGE")), 1);
  EXPECT_FALSE(ctx->ui.visible(ctl("VIDEO", "NEGEDGE")));
  EXPECT_TRUE(ctx->ui.visible(ctl("VIDEO", "TRIGTEXT")));
  const ui::CtlRef neg = ctl("VIDEO", "NEGEDGE");
  ctx->ui.setValue(neg, 1);
  ctx->ui.fire(neg, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->live.armedTrigger, -1);
  EXPECT_EQ(ctx->ui.value(ctl("TEACH", "POSEDGE")), 0);
  EXPECT_EQ(ctx->ui.value(ctl("TEACH", "NEGEDGE")), 1);
  ctx->ui.setValue(neg, 0);
  ctx->ui.fire(neg, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->live.armedTrigger, 0);
  EXPECT_EQ(ctx->ui.value(ctl("TEACH", "NEGEDGE")), 0);
  EXPECT_FALSE(ctx->ui.visible(ctl("TEACH", "TRIGTEXT")));
}

}  // namespace
}  // namespace bx
