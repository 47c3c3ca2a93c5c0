// The live record decoded by name, against a record laid out with the
// simulated sensor's own offsets.
#include <gtest/gtest.h>

#include "sim/records.h"
#include "wire/frame_format.h"
#include "wire/live_record.h"

namespace bx {
namespace {

liverec::Bytes simRecord() {
  namespace L = sim::live;
  liverec::Bytes r{};
  auto p16 = [&](int off, int v) { frame::put16(&r[static_cast<size_t>(off)], static_cast<uint16_t>(v)); };
  auto p32 = [&](int off, int32_t v) { frame::put32(&r[static_cast<size_t>(off)], static_cast<uint32_t>(v)); };
  p16(L::kEdgeA, 101);
  p16(L::kEdgeB, 202);
  p16(L::kValuePx, 303);
  p16(L::kEdgeCount, 4);
  p32(L::kValueUm, -5005);
  p32(L::kMaxUm, 60006);
  p32(L::kMinUm, -70007);
  p32(L::kSetPointUm, 80008);
  p16(L::kMaxPx, 909);
  p16(L::kMinPx, 1010);
  p16(L::kSetPointPx, -11);
  p16(L::kInputs, 3);
  p16(L::kVideoPeak, 1023);
  p16(L::kLaserPower, 777);
  p16(L::kExposure, 150);
  p16(L::kTriggerLevel, 42);
  p16(L::kState, sim::state::kNoEdges);
  p16(L::kProgram, 2);
  p16(L::kDirtFirst, 12);
  p16(L::kDirtLast, 13);
  p32(L::kCycleUs, 1500);
  p32(L::kTriggerCounter, 65537);
  return r;
}

TEST(LiveRecord, EveryFieldByName) {
  const liverec::LiveValues v = liverec::decode(simRecord());
  EXPECT_EQ(v.edgeA, 101);
  EXPECT_EQ(v.edgeB, 202);
  EXPECT_EQ(v.valuePx, 303);
  EXPECT_EQ(v.edgeCount, 4);
  EXPECT_EQ(v.valueUm, -5005);
  EXPECT_EQ(v.maxUm, 60006);
  EXPECT_EQ(v.minUm, -70007);
  EXPECT_EQ(v.setPointUm, 80008);
  EXPECT_EQ(v.maxPx, 909);
  EXPECT_EQ(v.minPx, 1010);
  EXPECT_EQ(v.setPointPx, -11);
  EXPECT_EQ(v.inputs, 3);
  EXPECT_EQ(v.videoPeak, 1023);
  EXPECT_EQ(v.laserPower, 777);
  EXPECT_EQ(v.exposure10us, 150);
  EXPECT_EQ(v.triggerLevel, 42);
  EXPECT_EQ(v.stateCode, sim::state::kNoEdges);
  EXPECT_EQ(v.program, 2);
  EXPECT_EQ(v.dirtFirst, 12);
  EXPECT_EQ(v.dirtLast, 13);
  EXPECT_EQ(v.cycleUs, 1500);
  EXPECT_EQ(v.triggerCount, 65537);
}

TEST(LiveRecord, StateCodeAndProgramOutsideTheirRangesAreReplacedInTheRecord) {
  struct Case {
    int state, program, wantState, wantProgram;
  };
  for (const Case& c : {Case{15, 3, 15, 3}, Case{-6, 0, -6, 0}, Case{16, 4, 0, 3}, Case{-7, 0xFFFF, 0, 3}}) {
    liverec::Bytes r = simRecord();
    frame::put16(&r[liverec::STATE_CODE], static_cast<uint16_t>(c.state));
    frame::put16(&r[liverec::PROGRAM], static_cast<uint16_t>(c.program));
    liverec::sanitise(r);
    const auto v = liverec::decode(r);
    EXPECT_EQ(v.stateCode, c.wantState) << c.state;
    EXPECT_EQ(v.program, c.wantProgram) << c.program;
    EXPECT_EQ(v.valueUm, -5005);  // nothing else touched
  }
}

}  // namespace
}  // namespace bx
