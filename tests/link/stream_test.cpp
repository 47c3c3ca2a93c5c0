// Frames the sensor sends without a request (scope records, triggered
// recorder samples), over loopback TCP and the pseudo-terminal: split
// frames, noise and foreign frames between them, the abort flag and the run
// state, and bytes of an earlier reply that must not count again.
#include <gtest/gtest.h>

#include <vector>

#include "link/exchange.h"
#include "platform/clock.h"
#include "tests/link/link_fixture.h"
#include "wire/orders.h"

namespace bx {
namespace {

using sim::Fault;
using sim::FaultRule;

enum class Carrier { Tcp, Pty };

class StreamTest : public test::LinkTest, public ::testing::WithParamInterface<Carrier> {
 protected:
  void SetUp() override {
    test::LinkTest::SetUp();
    if (GetParam() == Carrier::Tcp) {
      openTcp();
      channel = sim::kTcpChannel;
      // Frames for a client the simulator has not yet accepted are lost.
      for (int i = 0; i < 2000 && !sim->tcpClientConnected(); ++i) platform::Delay(0.001);
      ASSERT_TRUE(sim->tcpClientConnected());
    } else {
      openPty();
      channel = sim::kPtyChannel;
    }
    ctx->run.state = RUN_LOOP;
  }
  static std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 7);
    return v;
  }
  void send(uint8_t order, const std::vector<uint8_t>& payload, uint16_t param = 0) {
    sim->sendUnrequested(channel, order, param, payload);
  }
  bool received(const std::vector<uint8_t>& payload) {
    if (ReplyLength(*ctx) != payload.size()) return false;
    return std::equal(payload.begin(), payload.end(), ReplyData(*ctx));
  }
  void spontaneousFault(Fault f, int arg) {
    FaultRule r;
    r.fault = f;
    r.arg = arg;
    r.count = 1;
    r.spontaneous = true;
    sim->setFault(r);
  }
  int channel = 0;
};

TEST_P(StreamTest, FramesArriveWholeSplitAndBehindNoise) {
  const auto a = pattern(1024, 1), b = pattern(12, 2), c = pattern(512, 3);
  send(order::kScope, a);
  ASSERT_EQ(GetDataFrame(*ctx, order::kScope, 2.0), 1) << ctx->status;
  EXPECT_TRUE(received(a));
  EXPECT_EQ(ctx->link.hdr.order, order::kScope);

  spontaneousFault(Fault::Fragment, 20);
  send(order::kRecorderSample, b);
  ASSERT_EQ(GetDataFrame(*ctx, order::kRecorderSample, 2.0), 1) << ctx->status;
  EXPECT_TRUE(received(b));

  // Noise, a false start (a sync byte whose header does not check) and a
  // frame of another order come before the one waited for.
  sim->sendRaw(channel, {0x00, 0x55, 0x12, 0x00, 0x00, 0x0C, 0x00, 0xAA, 0x13, 0x55, 0x55, 0xFF});
  send(order::kRecorderSample, b);
  spontaneousFault(Fault::Noise, 40);
  send(order::kScope, c);
  ASSERT_EQ(GetDataFrame(*ctx, order::kScope, 2.0), 1) << ctx->status;
  EXPECT_TRUE(received(c));
}

TEST_P(StreamTest, CorruptPayloadFailsThatFrameOnly) {
  const auto a = pattern(300, 9), b = pattern(300, 10);
  spontaneousFault(Fault::BadDataCrc, 0);
  send(order::kScope, a);
  send(order::kScope, b);
  EXPECT_EQ(GetDataFrame(*ctx, order::kScope, 2.0), -1);
  EXPECT_EQ(ctx->status, "ATTENTION! RECEIVED DATA FRAME IS INCORRECT!");
  EXPECT_EQ(ctx->link.failure, LinkFailure::BadData);
  ASSERT_EQ(GetDataFrame(*ctx, order::kScope, 2.0), 1) << ctx->status;
  EXPECT_TRUE(received(b));
}

// The arm reply and the record come one after the other; the reply's bytes
// are taken by the exchange and never count toward the record.
TEST_P(StreamTest, RecordAfterTheArmReplyIsTakenAndNothingCountsTwice) {
  std::vector<uint8_t> settings(16, 0);
  settings[6] = 1;  // scan rate
  ASSERT_EQ(Exchange(*ctx, order::kScope, 1, settings.data(), 16), 1) << ctx->status;
  ASSERT_EQ(GetDataFrame(*ctx, order::kScope, 3.0), 1) << ctx->status;
  EXPECT_GT(ReplyLength(*ctx), 0u);
  EXPECT_EQ(ctx->link.rxCount, static_cast<int>(frame::kHeaderSize + ReplyLength(*ctx)));

  // An echo leaves nothing behind: the next wait finds no frame.
  ASSERT_EQ(Exchange(*ctx, order::kEcho, 0), 1) << ctx->status;
  EXPECT_EQ(GetDataFrame(*ctx, -1, 0.3), -1);
  EXPECT_EQ(ctx->status, "TIMEOUT!");
  EXPECT_EQ(ctx->link.failure, LinkFailure::TimedOut);
}

TEST_P(StreamTest, AbortAndLeavingTheLoopEndTheWaitAtOnce) {
  Context* c = ctx.get();
  frontend->schedule(0.1, [c] { c->link.abort = 1; });
  ctx->status = "unchanged";
  EXPECT_EQ(GetDataFrame(*ctx, order::kScope, 30.0), -1);
  EXPECT_EQ(ctx->link.failure, LinkFailure::Aborted);
  EXPECT_EQ(ctx->status, "unchanged");
  ctx->link.abort = 0;

  frontend->schedule(0.1, [c] { c->run.state = RUN_IDLE; });
  EXPECT_EQ(GetDataFrame(*ctx, order::kScope, 30.0), -1);
  EXPECT_EQ(ctx->link.failure, LinkFailure::Stopped);
  EXPECT_EQ(ctx->status, "unchanged");
}

INSTANTIATE_TEST_SUITE_P(BothCarriers, StreamTest, ::testing::Values(Carrier::Tcp, Carrier::Pty),
                         [](const auto& info) { return info.param == Carrier::Tcp ? "Tcp" : "Pty"; });

}  // namespace
}  // namespace bx
