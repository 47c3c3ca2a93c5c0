// The synthetic line and everything measured from it: live record, edges,
// video, teach, triggers and the scope.
#include <gtest/gtest.h>

#include <cstdlib>

#include "sim/line_model.h"
#include "sim/records.h"
#include "sim_frames.h"

namespace bx::sim::test {
namespace {

using bx::frame::put16;

constexpr int64_t kNow = 1000;
constexpr int kEdgeSlack = 64;  // threshold crossing vs. geometric edge, pixels

std::vector<uint8_t> paramsWith(const Sensor& s, int offset, uint16_t value) {
  std::vector<uint8_t> p(s.ramParams().begin(), s.ramParams().end());
  put16(&p[static_cast<size_t>(offset)], value);
  return p;
}

std::vector<uint8_t> row(int edgeA, int edgeB, int mode) {
  std::vector<uint8_t> r(kRowSize, 0);
  put16(&r[row::kEdgeA], static_cast<uint16_t>(edgeA));
  put16(&r[row::kEdgeB], static_cast<uint16_t>(edgeB));
  put16(&r[row::kEvalMode], static_cast<uint16_t>(mode));
  put16(&r[row::kUpperTolerance], 100);
  put16(&r[row::kLowerTolerance], 100);
  return r;
}

TEST(SimMeasure, LiveRecordAndEdgesDescribeTheShadow) {
  const Config cfg = quietConfig();
  Sensor s(cfg);
  const Shadow sh = LineModel(cfg).shadowAt(kNow);
  const Frame lv = exchange(s, 0x08, 0, {}, kNow);
  ASSERT_EQ(lv.payload.size(), 64u);
  const auto& p = lv.payload;
  const int a = u16(p, live::kEdgeA), b = u16(p, live::kEdgeB);
  EXPECT_NEAR(a, sh.left, kEdgeSlack);
  EXPECT_NEAR(b, sh.right, kEdgeSlack);
  EXPECT_EQ(u16(p, live::kEdgeCount), 2);
  // Default row: DISTANCE from the first falling to the first rising edge.
  EXPECT_EQ(u16(p, live::kValuePx), b - a);
  EXPECT_EQ(s32(p, live::kValueUm), pixelsToUm(b - a, 28672));
  EXPECT_EQ(s16(p, live::kState), 0);
  EXPECT_EQ(u16(p, live::kProgram), 0);
  EXPECT_EQ(s32(p, live::kCycleUs), 500);
  EXPECT_EQ(s16(p, live::kSetPointPx), 8192);
  EXPECT_EQ(u16(p, live::kLaserPower), 500);
  EXPECT_EQ(u16(p, live::kExposure), 100);
  EXPECT_NEAR(u16(p, live::kTriggerLevel), sh.right - sh.left, 2 * kEdgeSlack);

  const Frame e = exchange(s, 0x14, 0, {}, kNow);
  ASSERT_EQ(e.payload.size(), 68u);
  EXPECT_EQ(u16(e.payload, 0), 1);        // list P: the rising edge
  EXPECT_EQ(s16(e.payload, 2), b / 8);
  EXPECT_EQ(u16(e.payload, 34), 1);       // list N: the falling edge
  EXPECT_EQ(s16(e.payload, 36), a / 8);

  // The video is dark inside the shadow and bright outside, below full scale.
  const Frame v = exchange(s, 0x09, 0, {}, kNow);
  ASSERT_EQ(v.payload.size(), 512u);
  const double step = 16384.0 / 256;
  int peak = 0;
  for (int i = 0; i < 256; ++i) {
    const int sample = u16(v.payload, static_cast<size_t>(2 * i));
    peak = std::max(peak, sample);
    const double x = i * step;
    if (x < a - 2 * step || x > b + 2 * step) {
      EXPECT_GT(sample, 256) << i;
    }
    if (x > a + 2 * step && x < b - 2 * step) {
      EXPECT_LT(sample, 256) << i;
    }
  }
  EXPECT_LE(peak, 1024);
  EXPECT_EQ(u16(p, live::kVideoPeak), peak);
}

TEST(SimMeasure, ShadowDriftsOverTime) {
  Sensor s;  // default travel and noise
  const Frame early = exchange(s, 0x08, 0, {}, 0);
  const Frame later = exchange(s, 0x08, 0, {}, 5000);
  const int a0 = u16(early.payload, live::kEdgeA), a1 = u16(later.payload, live::kEdgeA);
  EXPECT_GT(std::abs(a1 - a0), 1000);
  // Both still see the whole object.
  EXPECT_EQ(s16(later.payload, live::kState), 0);
  EXPECT_EQ(u16(later.payload, live::kEdgeCount), 2);
}

TEST(SimMeasure, ValueFollowsTheActiveRowsEvaluationMode) {
  Sensor s(quietConfig());
  std::vector<uint8_t> table;
  for (const auto& r : {row(-1, 1, kPosition), row(-1, 1, kCenter), row(0, 0, kDistance), row(1, 0, kPosition)})
    table.insert(table.end(), r.begin(), r.end());
  ASSERT_EQ(exchange(s, 0x01, 1, table).order, 0x01);

  auto valueIn = [&](int program) {
    exchange(s, 0x01, 0, paramsWith(s, param::kEvalProgram, static_cast<uint16_t>(program)));
    return exchange(s, 0x08, 0, {}, kNow).payload;
  };
  const auto ctr = valueIn(1);
  const int a = u16(ctr, live::kEdgeA), b = u16(ctr, live::kEdgeB);
  EXPECT_EQ(u16(ctr, live::kValuePx), (a + b + 1) / 2);
  const auto pos = valueIn(0);
  EXPECT_EQ(u16(pos, live::kValuePx), a);
  EXPECT_EQ(u16(pos, live::kEdgeB), a);  // one edge: B sits on A
  EXPECT_EQ(u16(ctr, live::kProgram), 1);
  EXPECT_EQ(u16(valueIn(2), live::kValuePx), b - a);  // default edges span the shadow
  EXPECT_EQ(u16(valueIn(3), live::kValuePx), b);      // first rising edge
}

TEST(SimMeasure, TeachMeasuresTheRowAndReportsMissingEdges) {
  Sensor s(quietConfig());
  const Frame ok = exchange(s, 0x06, 2, row(-1, 1, kDistance), kNow);
  EXPECT_EQ(ok.order, 0x06);
  EXPECT_EQ(ok.sparam(), 0);
  ASSERT_EQ(ok.payload.size(), 32u);
  const int a = u16(ok.payload, row::kPixelPosA), b = u16(ok.payload, row::kPixelPosB);
  EXPECT_EQ(u16(ok.payload, row::kTeachValue), b - a);
  EXPECT_EQ(s32(ok.payload, row::kUmTeach), pixelsToUm(b - a, 28672));
  EXPECT_EQ(u16(ok.payload, row::kEdgeCount), 2);
  EXPECT_EQ(u16(ok.payload, row::kUpperTolerance), 100);  // tolerances kept
  // Taught into RAM only (teach target 0).
  EXPECT_TRUE(std::equal(ok.payload.begin(), ok.payload.end(), s.ramTeach().begin() + 2 * kRowSize));
  EXPECT_FALSE(std::equal(ok.payload.begin(), ok.payload.end(), s.eepromTeach().begin() + 2 * kRowSize));

  // Cut the range before the rising edge: no positive edge left.
  const auto before = s.ramTeach();
  exchange(s, 0x01, 0, paramsWith(s, param::kEvalEnd, static_cast<uint16_t>((a + b) / 2)));
  Frame f = exchange(s, 0x06, 0, row(-1, 1, kDistance), kNow);
  EXPECT_EQ(f.sparam(), -1);
  EXPECT_EQ(f.payload, row(-1, 1, kDistance));  // row comes back untouched
  EXPECT_EQ(s.ramTeach(), before);
  // POSITION on the falling edge still works there.
  EXPECT_EQ(exchange(s, 0x06, 0, row(-1, 0, kPosition), kNow).sparam(), 0);

  // Start the range after the falling edge instead.
  auto p = paramsWith(s, param::kEvalEnd, 16384);
  put16(&p[param::kEvalBegin], static_cast<uint16_t>((a + b) / 2));
  exchange(s, 0x01, 0, p);
  EXPECT_EQ(exchange(s, 0x06, 0, row(-1, 1, kDistance), kNow).sparam(), -2);
  EXPECT_EQ(exchange(s, 0x06, 0, row(-2, 1, kDistance), kNow).sparam(), -2);
}

TEST(SimMeasure, TeachResultCodesFromFaults) {
  Sensor s(quietConfig());
  s.faults().set({Fault::NoShadow, 1, 0});
  EXPECT_EQ(exchange(s, 0x06, 0, row(-1, 1, kDistance), kNow).sparam(), -3);
  EXPECT_EQ(exchange(s, 0x06, 0, row(-1, 1, kDistance), kNow).sparam(), 0);  // shadow is back

  s.faults().set({Fault::TeachResult, 1, -2});
  const auto before = s.ramTeach();
  EXPECT_EQ(exchange(s, 0x05, 0).order, 0x05);  // other replies do not use it up
  EXPECT_EQ(exchange(s, 0x06, 1, row(-1, 1, kDistance), kNow).sparam(), -2);
  EXPECT_EQ(s.ramTeach(), before);
  // A forced code the tool reads as success still teaches.
  s.faults().set({Fault::TeachResult, 1, -9});
  EXPECT_EQ(exchange(s, 0x06, 1, row(-1, 1, kDistance), kNow).sparam(), -9);
  EXPECT_NE(s.ramTeach(), before);
}

TEST(SimMeasure, TeachIntoEepromAndActiveProgramFollows) {
  Sensor s(quietConfig());
  exchange(s, 0x01, 0, paramsWith(s, param::kTeachTarget, 1));
  const Frame f = exchange(s, 0x06, 0, row(-1, 1, kDistance), kNow);
  ASSERT_EQ(f.sparam(), 0);
  EXPECT_TRUE(std::equal(f.payload.begin(), f.payload.end(), s.eepromTeach().begin()));
  EXPECT_EQ(bx::frame::get16(&s.ramParams()[param::kTeachValue]), u16(f.payload, row::kTeachValue));
  const Frame lv = exchange(s, 0x08, 0, {}, kNow);
  EXPECT_EQ(s16(lv.payload, live::kSetPointPx), u16(f.payload, row::kTeachValue));
}

TEST(SimMeasure, LaserOffResetAndReadOutSpeedShowInTheLiveRecord) {
  Sensor s(quietConfig());
  exchange(s, 0x0B, 0, {}, kNow);
  EXPECT_EQ(s16(exchange(s, 0x08, 0, {}, kNow + 100).payload, live::kState), state::kMaxMinReset);
  EXPECT_EQ(s16(exchange(s, 0x08, 0, {}, kNow + 600).payload, live::kState), 0);

  exchange(s, 0x01, 0, paramsWith(s, param::kCcdOperationMode, 1));
  const auto lv = exchange(s, 0x08, 0, {}, kNow).payload;
  EXPECT_EQ(s32(lv, live::kCycleUs), 250);
  const auto e = exchange(s, 0x14, 0, {}, kNow).payload;
  EXPECT_EQ(s16(e, 2), u16(lv, live::kEdgeB) / 16);

  exchange(s, 0x16, 0);
  const auto off = exchange(s, 0x08, 0, {}, kNow).payload;
  EXPECT_EQ(s16(off, live::kState), state::kLaserOff);
  EXPECT_EQ(u16(off, live::kEdgeCount), 0);
  EXPECT_EQ(u16(off, live::kVideoPeak), 0);
}

TEST(SimMeasure, StoredVideoThresholdDrivesTrackMode) {
  Config cfg = quietConfig();
  cfg.videoRange = 256;
  Sensor s(cfg);
  // Store 50 % of the uncovered line as the tracked threshold.
  s.faults().set({Fault::NoShadow, 1, 0});
  EXPECT_EQ(exchange(s, 0x0E, 50, {}, kNow).order, 0x0E);
  const auto profile = exchange(s, 0x09, 1, {}, kNow).payload;
  const auto open = LineModel(cfg).cleanVideo(Shadow{false, 0, 0}, 1.0);
  for (int i = 0; i < 256; i += 51) EXPECT_EQ(u16(profile, static_cast<size_t>(2 * i)), open[static_cast<size_t>(i)] / 2);
  EXPECT_EQ(s16(exchange(s, 0x08, 0, {}, kNow + 100).payload, live::kState), state::kSaveVideoThreshold);

  exchange(s, 0x01, 0, paramsWith(s, param::kVideoThresholdMode, kTrackThreshold));
  const auto lv = exchange(s, 0x08, 0, {}, kNow + 1000).payload;
  EXPECT_EQ(s16(lv, live::kState), 0);
  EXPECT_EQ(u16(lv, live::kEdgeCount), 2);
  EXPECT_LE(u16(lv, live::kVideoPeak), 256);
  // A fixed threshold above the whole line finds nothing at all.
  auto p = paramsWith(s, param::kVideoThresholdMode, kFixThreshold);
  put16(&p[param::kVideoThreshold], 100);
  exchange(s, 0x01, 0, p);
  EXPECT_EQ(s16(exchange(s, 0x08, 0, {}, kNow + 1000).payload, live::kState), state::kNoEdges);
}

TEST(SimMeasure, InputPulseCapturesTriggeredDataAndSendsRecorderSamples) {
  Sensor s(quietConfig());
  exchange(s, 0x05, 0, {}, kNow);  // last active channel: 0
  s.pulseInput(kNow);
  EXPECT_TRUE(s.tick(kNow).empty());  // RS-232 mode 0: nothing unrequested
  const Frame trig = exchange(s, 0x08, 1, {}, kNow + 5000);
  EXPECT_EQ(s32(trig.payload, live::kTriggerCounter), 1);
  EXPECT_EQ(u16(trig.payload, live::kInputs) & 1, 1);  // captured while IN0 was high
  const Frame now = exchange(s, 0x08, 0, {}, kNow + 5000);
  EXPECT_EQ(u16(now.payload, live::kInputs) & 1, 0);

  exchange(s, 0x01, 0, paramsWith(s, param::kRs232Mode, 1));
  s.pulseInput(kNow + 6000);
  const auto fs = frames(joined(s.tick(kNow + 6000)));
  ASSERT_EQ(fs.size(), 1u);
  EXPECT_EQ(fs[0].order, 0x12);
  ASSERT_EQ(fs[0].payload.size(), 12u);
  EXPECT_EQ(u16(fs[0].payload, 4), u16(fs[0].payload, 2) - u16(fs[0].payload, 0));
  EXPECT_EQ(s32(fs[0].payload, 8), pixelsToUm(u16(fs[0].payload, 4), 28672));
}

TEST(SimMeasure, ScopeSendsOneRecordAfterArmingUnlessDisarmed) {
  Sensor s(quietConfig());
  std::vector<uint8_t> settings(16, 0);
  put16(&settings[6], 4);  // scan rate
  const Frame ack = exchange(s, 0x6E, 1, settings, kNow);
  EXPECT_EQ(ack.order, 0x6E);
  EXPECT_EQ(ack.length, 0);
  EXPECT_TRUE(s.tick(kNow + 10).empty());
  EXPECT_EQ(s.nextWakeMs(), kNow + 200);
  const auto fs = frames(joined(s.tick(kNow + 200)));
  ASSERT_EQ(fs.size(), 1u);
  EXPECT_EQ(fs[0].order, 0x6E);
  ASSERT_EQ(fs[0].payload.size(), 512u);
  EXPECT_FALSE(s.scopeArmed());
  const int32_t width = pixelsToUm(u16(exchange(s, 0x08, 0, {}, kNow + 200).payload, live::kValuePx), 28672);
  for (int k = 0; k < 128; ++k) {
    const uint32_t sample = bx::frame::get32(&fs[0].payload[static_cast<size_t>(4 * k)]);
    EXPECT_NEAR(static_cast<int>(sample & 0xFFFFFF), width, 200) << k;
    EXPECT_EQ((sample >> 28) & 1, 0u);  // edges found
  }

  exchange(s, 0x6E, 1, settings, kNow + 1000);
  EXPECT_EQ(exchange(s, 0x6E, 0, {}, kNow + 1100).order, 0x6E);
  EXPECT_TRUE(s.tick(kNow + 5000).empty());

  // Trigger mode 3 waits for input IN0.
  put16(&settings[0], 3);
  exchange(s, 0x6E, 1, settings, kNow + 6000);
  EXPECT_TRUE(s.tick(kNow + 9000).empty());
  s.pulseInput(kNow + 9000);
  EXPECT_EQ(frames(joined(s.tick(kNow + 9000))).size(), 1u);
}

}  // namespace
}  // namespace bx::sim::test
