// The simulated scope's record: the event that fired it sits at the
// pretrigger sample, and faults are aimed at streamed frames by name.
#include <gtest/gtest.h>

#include <vector>

#include "sim/faults.h"
#include "sim/scope_wave.h"

namespace bx::sim {
namespace {

TEST(SimScopeWave, ATriggeredRecordCrossesTheLevelAtThePretriggerSample) {
  const std::vector<int32_t> flat(128, 5000);
  for (int mode : {1, 2}) {
    SCOPED_TRACE(mode);
    std::vector<int32_t> v = flat;
    shapeScopeEvent(v, mode, 50, 30, 28000);
    for (int k = 0; k < 128; ++k) {
      const bool above = v[static_cast<size_t>(k)] > 14000;
      if (k < 28) {
        EXPECT_EQ(above, mode == 2) << k;
      } else if (k > 32) {
        EXPECT_EQ(above, mode == 1) << k;
      }
    }
    EXPECT_NEAR(v[30], 14000, 1);
  }
  std::vector<int32_t> v = flat;
  shapeScopeEvent(v, 0, 50, 30, 28000);
  EXPECT_EQ(v, flat);  // single shot: the line as measured
  shapeScopeEvent(v, 3, 50, 30, 28000);
  EXPECT_EQ(v[0], 5000);
  EXPECT_LT(v[50], 5000 - 2000);  // the part shades the beam
  EXPECT_EQ(v[127], 5000);
  // Never below zero or beyond the range.
  shapeScopeEvent(v = flat, 1, 100, 0, 28000);
  for (int32_t x : v) EXPECT_LE(x, 28000);
}

TEST(SimScopeWave, StreamFaultsAreNamedOnTheCommandLine) {
  FaultRule r;
  ASSERT_TRUE(parseFaultRule("stream:short=100@110", r));
  EXPECT_TRUE(r.spontaneous);
  EXPECT_EQ(r.fault, Fault::ShortPayload);
  EXPECT_EQ(r.arg, 100);
  EXPECT_EQ(r.order, 110);
  ASSERT_TRUE(parseFaultRule("header-crc:1", r));
  EXPECT_FALSE(r.spontaneous);
  EXPECT_FALSE(parseFaultRule("stream:", r));
  EXPECT_FALSE(parseFaultRule("stream:sideways", r));
}

}  // namespace
}  // namespace bx::sim
