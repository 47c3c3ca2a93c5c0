// The two-point calibration procedure against the simulator.
#include <gtest/gtest.h>

#include "calib_pages/two_point.h"
#include "live/pending.h"
#include "params/fields.h"
#include "tests/link/link_fixture.h"
#include "wire/calib_record.h"
#include "wire/frame_format.h"
#include "wire/live_record.h"
#include "wire/orders.h"

namespace bx {
namespace {

class TwoPoint : public test::LinkTest {
 protected:
  void SetUp() override {
    test::LinkTest::SetUp();
    openTcp();
    ctx->link.replyTimeout = 0.2;
    frame::put16(&ctx->params.set[param::EVAL_MODE], kEvalModeDistance);
  }
  void measure(uint16_t px) { frame::put16(&ctx->live.record[liverec::VALUE_PX], px); }
};

TEST_F(TwoPoint, WrongEvaluationModeRefusesAndSendsNothing) {
  frame::put16(&ctx->params.set[param::EVAL_MODE], 1);
  EXPECT_FALSE(TwoPointStartStep(*ctx));
  ASSERT_EQ(frontend->popups().size(), 1u);
  EXPECT_EQ(frontend->popups()[0].title, "A T T E N T I O N !");
  EXPECT_EQ(sim->requestCount(order::kCalibCommand), 0);

  frame::put16(&ctx->params.set[param::EVAL_MODE], kEvalModeDistance);
  EXPECT_TRUE(TwoPointStartStep(*ctx));
  EXPECT_EQ(sim->lastRequest(order::kCalibCommand).param, 1);
}

TEST_F(TwoPoint, TwoObjectsFitAndWriteIntoTheSensor) {
  measure(1000);
  TwoPointAccept(*ctx, 1, 5000);
  EXPECT_EQ(sim->lastRequest(order::kCalibCommand).param, 0);  // stopped at once while idle
  measure(2000);
  TwoPointAccept(*ctx, 2, 9000);
  ASSERT_TRUE(TwoPointCalc(*ctx));
  EXPECT_DOUBLE_EQ(ctx->calib.fitSlope, 4.0);
  EXPECT_EQ(ctx->calib.fitOffset, 1000);
  TwoPointWrite(*ctx, ctx->calib.fitSlope, ctx->calib.fitOffset);
  const auto rec = sim->calibRecord();
  EXPECT_EQ(frame::gets32(rec.data() + 12), 65536);
  EXPECT_EQ(frame::gets32(rec.data() + 16), 1000);
}

TEST_F(TwoPoint, OnePointGoesThroughTheOrigin) {
  measure(1500);
  TwoPointAccept(*ctx, 2, 6000);
  ASSERT_TRUE(TwoPointCalc(*ctx));
  EXPECT_DOUBLE_EQ(ctx->calib.fitSlope, 4.0);
  EXPECT_EQ(ctx->calib.fitOffset, 0);

  measure(500);
  TwoPointAccept(*ctx, 1, 1000);
  ASSERT_TRUE(TwoPointCalc(*ctx));
  EXPECT_DOUBLE_EQ(ctx->calib.fitSlope, 2.0);
  EXPECT_EQ(ctx->calib.fitOffset, 0);
}

TEST_F(TwoPoint, EqualPixelValuesAreRefusedKeepingTheFit) {
  measure(1000);
  TwoPointAccept(*ctx, 1, 5000);
  measure(2000);
  TwoPointAccept(*ctx, 2, 9000);
  ASSERT_TRUE(TwoPointCalc(*ctx));
  measure(1200);
  TwoPointAccept(*ctx, 1, 5000);
  TwoPointAccept(*ctx, 2, 6000);
  EXPECT_FALSE(TwoPointCalc(*ctx));
  EXPECT_EQ(text(ctx->refs.main.status), "CALC refused: both objects have the same pixel value!");
  EXPECT_DOUBLE_EQ(ctx->calib.fitSlope, 4.0);
  EXPECT_EQ(ctx->calib.fitOffset, 1000);
}

TEST_F(TwoPoint, WriteWhileRunningIsSentInTheNextPass) {
  ctx->run.state = RUN_LOOP;
  TwoPointWrite(*ctx, 3.99999, -20);
  EXPECT_EQ(sim->requestCount(order::kCalibCommand), 0);
  ServePendingRequests(*ctx);
  const auto req = sim->lastRequest(order::kCalibCommand);
  EXPECT_EQ(req.param, 2);
  ASSERT_EQ(req.payload.size(), 8u);
  EXPECT_EQ(frame::gets32(req.payload.data()), 65535);
  EXPECT_EQ(frame::gets32(req.payload.data() + 4), -20);
}

TEST_F(TwoPoint, DiscardRestoresThePreviousValues) {
  TwoPointCapturePrevious(*ctx, 1.75, 12);
  measure(800);
  TwoPointAccept(*ctx, 1, 4000);
  ASSERT_TRUE(TwoPointCalc(*ctx));
  TwoPointDiscard(*ctx);
  EXPECT_DOUBLE_EQ(ctx->calib.fitSlope, 1.75);
  EXPECT_EQ(ctx->calib.fitOffset, 12);
  EXPECT_EQ(sim->lastRequest(order::kCalibCommand).param, 0);
}

}  // namespace
}  // namespace bx
