// Triggered recorder samples: one frame per input event while RS-232-Mode
// is 1, also for the events a late wake-up of the simulator caught up with.
#include <gtest/gtest.h>

#include "sim/records.h"
#include "sim_frames.h"

namespace bx::sim::test {
namespace {

std::vector<uint8_t> paramsWith(const Sensor& s, int offset, uint16_t value) {
  std::vector<uint8_t> p(s.ramParams().begin(), s.ramParams().end());
  bx::frame::put16(&p[static_cast<size_t>(offset)], value);
  return p;
}

TEST(SimRecorderStream, EveryInputEventSendsItsSampleEvenAfterALateTick) {
  Config cfg = quietConfig();
  cfg.triggerPeriodMs = 5;
  Sensor s(cfg);
  // Mode 0: the events count, nothing is sent.
  EXPECT_TRUE(frames(joined(s.tick(52))).empty());
  EXPECT_EQ(s.triggerCounter(), 10u);
  exchange(s, 0x01, 0, paramsWith(s, param::kRs232Mode, 1), 53);
  // Due at 55; the tick comes 22 ms late: five events, five samples.
  const auto fs = frames(joined(s.tick(77)));
  ASSERT_EQ(fs.size(), 5u);
  for (const auto& f : fs) {
    EXPECT_EQ(f.order, 0x12);
    EXPECT_EQ(f.payload.size(), 12u);
  }
  EXPECT_EQ(s.triggerCounter(), 15u);
}

}  // namespace
}  // namespace bx::sim::test
