// The single-request operations against the simulator.
#include <gtest/gtest.h>

#include "commands/commands.h"
#include "live/live_view.h"
#include "link/exchange.h"
#include "tests/link/link_fixture.h"

namespace bx {
namespace {

class Commands : public test::LinkTest {
 protected:
  void SetUp() override {
    test::LinkTest::SetUp();
    openTcp();
    ctx->link.replyTimeout = 0.2;
    ctx->link.tcpTimeoutMs = 500;
  }
};

TEST_F(Commands, VideoKindsAndArmedTrigger) {
  ASSERT_EQ(GetDATA(*ctx, 0), 1);
  EXPECT_EQ(ctx->status, "Transmission successful  - Line Ok!");
  EXPECT_EQ(sim->lastRequest(0x09).param, 0);
  ctx->live.triggeredVideo.fill(0xFFFF);
  ctx->live.armedTrigger = 1;
  ASSERT_EQ(GetDATA(*ctx, 1), 1);
  EXPECT_EQ(sim->lastRequest(0x09).param, 2);
  EXPECT_NE(ctx->live.triggeredVideo[0], 0xFFFF);
  ctx->live.armedTrigger = 0;
  ASSERT_EQ(GetDATA(*ctx, 1), 1);
  EXPECT_EQ(sim->lastRequest(0x09).param, 1);
}

TEST_F(Commands, EdgeQueryKindAndCounts) {
  int total = GetEDGE(*ctx, 2);
  ASSERT_GE(total, 0) << ctx->status;
  EXPECT_EQ(sim->lastRequest(0x14).param, 1);
  EXPECT_EQ(total, ctx->live.edgeP.count + ctx->live.edgeN.count);
  EXPECT_GE(total, 2);  // the simulated shadow has two edges
}

TEST_F(Commands, FailuresLeaveTransportTextsAndRunStates) {
  sim->setFault(sim::Fault::NoReply, 1);
  ctx->run.state = RUN_LOOP;
  EXPECT_EQ(GetLiveData(*ctx, 0), -1);
  EXPECT_EQ(ctx->status, "TCP-Server-error!");
  EXPECT_EQ(ctx->run.state, RUN_IDLE);

  // A failed video refresh ends a loop through the time-out state, but
  // outside a loop it leaves the tool idle and usable.
  sim->setFault(sim::Fault::NoReply, 1);
  EXPECT_EQ(PushRefreshDATA(*ctx, 0), -1);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
  EXPECT_EQ(text(ctx->refs.main.status), "VIDEO: Timeout TCP-Server-error!");
  ctx->run.state = RUN_LOOP;
  sim->setFault(sim::Fault::NoReply, 1);
  EXPECT_EQ(PushRefreshDATA(*ctx, 0), -1);
  EXPECT_EQ(ctx->run.state, RUN_TIMEOUT);
  // The fixed text names the transport actually in use.
  EXPECT_EQ(text(ctx->refs.main.status), "VIDEO: Timeout TCP-Server-error!");

  sim->setFault(sim::Fault::NoReply, 1);
  EXPECT_EQ(PushRESET(*ctx), -1);
  EXPECT_EQ(ctx->status, "Reset-Error:Timeout TCP-Server-error!");
  EXPECT_EQ(PushRESET(*ctx), 0);
  EXPECT_EQ(ctx->status, "RESET analog/digital output ... -> Ok!");
}

TEST_F(Commands, LineTestShowsTheSerialNumber) {
  EXPECT_EQ(PushTEST(*ctx, 5), 0);
  EXPECT_EQ(ctx->status, "GET LINE OK from sensor ... -> Ok!");
  // The request draws nothing; the main panel shows its answer.
  EXPECT_EQ(ctx->ui.intValue(ctx->refs.main.testField), 0);
  ShowLineTestAnswer(*ctx);
  EXPECT_EQ(ctx->ui.intValue(ctx->refs.main.testField), 1234);
  EXPECT_EQ(WriteVideoDataToEE(*ctx, 40), 0);
  EXPECT_EQ(sim->lastRequest(0x0E).param, 40);
  EXPECT_EQ(SetLaserPower(*ctx, 0), 0);
  EXPECT_EQ(ctx->status, "LASER OFF at hardware ... -> Ok!");
}

}  // namespace
}  // namespace bx
