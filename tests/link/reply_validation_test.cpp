// A reply is taken only when it answers the request: late replies, replies
// of another order or length, and bytes still in flight after a failure
// never pass for the reply of the next request.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "session/bringup.h"
#include "link/exchange.h"
#include "link/orders.h"
#include "link/report.h"
#include "params/transfer.h"
#include "platform/memory_port.h"
#include "tests/link/link_fixture.h"

namespace bx {
namespace {

using sim::Fault;
using sim::FaultRule;

std::vector<uint8_t> frameBytes(uint8_t order, uint16_t param, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> f(frame::kHeaderSize + payload.size());
  frame::encodeHeader(f.data(), order, param, payload.data(), static_cast<uint16_t>(payload.size()));
  if (!payload.empty()) std::memcpy(f.data() + frame::kHeaderSize, payload.data(), payload.size());
  return f;
}

// The frame layer alone, over bytes in memory: no timing involved.
class ReplyInMemory : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.link.port = &port;
    ctx.link.replyTimeout = 0.05;
  }
  void feed(const std::vector<uint8_t>& bytes) { port.append(bytes.data(), bytes.size()); }
  Context ctx;
  platform::MemoryPort port;
};

TEST_F(ReplyInMemory, RepliesOfAnotherOrderOrLengthAreSkippedAndTheRightOneTaken) {
  std::vector<uint8_t> set(96, 0x11), table(128, 0x22), hw(32, 0x33);
  feed(frameBytes(order::kReadRam, 1, table));        // the late teach table
  feed(frameBytes(order::kHardwareInfo, 0, hw));      // a reply of another order
  feed(frameBytes(0x99, 0, {}));                      // an order nobody sent
  feed(frameBytes(order::kReadRam, 0, set));          // the answer
  ASSERT_EQ(Exchange(ctx, order::kReadRam, order::kParamSet), 1) << ctx.status;
  EXPECT_EQ(ReplyLength(ctx), 96u);
  EXPECT_EQ(ReplyData(ctx)[0], 0x11);
  EXPECT_EQ(ReplyData(ctx)[95], 0x11);
  EXPECT_EQ(ctx.link.repliesDiscarded, 3u);
  // The request went out once, as built.
  ASSERT_EQ(port.written().size(), 8u);
  EXPECT_EQ(port.written()[1], order::kReadRam);
}

TEST_F(ReplyInMemory, OnlyWrongRepliesEndInATimeOutNeverInSuccess) {
  feed(frameBytes(order::kReadRam, 1, std::vector<uint8_t>(128, 1)));
  feed(frameBytes(order::kReadEeprom, 0, std::vector<uint8_t>(96, 2)));
  ctx.status = "before";
  EXPECT_EQ(Exchange(ctx, order::kReadRam, order::kParamSet), -1);
  EXPECT_EQ(ctx.status, "TIMEOUT!");
  EXPECT_EQ(ctx.link.failure, LinkFailure::TimedOut);
  EXPECT_TRUE(ctx.link.drainFirst);
}

TEST_F(ReplyInMemory, RefusalIsTakenAtOnceAndVariableLengthsPass) {
  feed(frameBytes(order::kRefusal, 3, {}));
  ctx.status = "kept";
  EXPECT_EQ(Exchange(ctx, order::kReadRam, 0), -1);
  EXPECT_EQ(ctx.status, "kept");
  EXPECT_EQ(ctx.link.failure, LinkFailure::Refused);
  EXPECT_EQ(ctx.link.refusalParam, 3);

  // The firmware text has no fixed length. (Nothing is in flight here, so
  // the drain after the refusal is skipped: it would eat the bytes fed.)
  ctx.link.drainFirst = false;
  feed(frameBytes(order::kFirmwareInfo, 0, std::vector<uint8_t>(17, 'x')));
  ASSERT_EQ(Exchange(ctx, order::kFirmwareInfo, 0), 1) << ctx.status;
  EXPECT_EQ(ReplyLength(ctx), 17u);
  EXPECT_EQ(ctx.link.failure, LinkFailure::None);
}

TEST_F(ReplyInMemory, ReplyInSmallPiecesIsAssembled) {
  port.setChunk(3);
  feed(frameBytes(order::kLiveData, 0, std::vector<uint8_t>(64, 7)));
  ASSERT_EQ(Exchange(ctx, order::kLiveData, 0), 1) << ctx.status;
  EXPECT_EQ(ReplyLength(ctx), 64u);
  EXPECT_EQ(ctx.link.rxCount, 72);
}

TEST_F(ReplyInMemory, ClosedConnectionIsItsOwnReason) {
  port.setClosed(true);
  EXPECT_EQ(Exchange(ctx, order::kEcho, 0), -1);
  EXPECT_EQ(ctx.link.failure, LinkFailure::Closed);
  EXPECT_EQ(ctx.status, "SERVER HAS CLOSED CONNECTION!");
  EXPECT_EQ(ctx.link.port, nullptr);
}

class LateReplyTcp : public test::LinkTest {};

// The teach-table read of bring-up answers after its time-out; the late 128
// bytes must not pass for the parameter set the next request asks for.
TEST_F(LateReplyTcp, LateTeachTableIsNotTakenForTheParameterSet) {
  configureTcp();
  FaultRule late;
  late.fault = Fault::LateReply;
  late.arg = 2100;
  late.order = order::kReadRam;
  late.param = order::kTeachTable;
  sim->setFault(late);
  ASSERT_EQ(ConnectProcedure(*ctx), 1) << ctx->status;
  EXPECT_EQ(ctx->link.failure, LinkFailure::TimedOut);

  ASSERT_EQ(PushGET(*ctx, MEM_RAM), 1) << ctx->status;
  EXPECT_GE(ctx->link.repliesDiscarded, 1u);
  // The same records as a GET on a quiet line brings.
  const auto set = ctx->params.set;
  const auto teach = ctx->params.teach;
  ASSERT_EQ(PushGET(*ctx, MEM_RAM), 1) << ctx->status;
  EXPECT_EQ(set, ctx->params.set);
  EXPECT_EQ(teach, ctx->params.teach);
  EXPECT_EQ(ctx->params.set[0], sim->ramParams()[0]);
}

// A reply cut short by line noise: the rest is still coming when the next
// request is due. The line is let fall quiet first, so the rest cannot be
// read as the next reply's header.
TEST_F(LateReplyTcp, RestOfAFailedReplyIsDrainedBeforeTheNextRequest) {
  openTcp();
  ctx->link.replyTimeout = 0.5;
  FaultRule noisy;
  noisy.fault = Fault::Noise;
  noisy.arg = 8;
  noisy.order = order::kVideoData;
  sim->setFault(noisy);
  FaultRule split;
  split.fault = Fault::Fragment;
  split.arg = 10;
  split.order = order::kVideoData;
  sim->setFault(split);
  EXPECT_EQ(Exchange(*ctx, order::kVideoData, 0), -1);
  EXPECT_EQ(ctx->status, "ATTENTION! RECEIVED HEADER FRAME IS INCORRECT!");
  EXPECT_EQ(ctx->link.failure, LinkFailure::BadHeader);
  sim->clearFaults();
  ASSERT_EQ(Exchange(*ctx, order::kVideoData, 1), 1) << ctx->status;
  EXPECT_EQ(ctx->link.hdr.param, 1);
}

class FailureTexts : public test::LinkTest {};

TEST_F(FailureTexts, RsTextsStayAsWrittenAndTcpGetsItsForm) {
  configurePty();
  EXPECT_STREQ(FailureText(*ctx, "VIDEO: Timeout RS232-Line!"), "VIDEO: Timeout RS232-Line!");
  EXPECT_STREQ(FailureText(*ctx, "Timeout-RS-232..."), "Timeout-RS-232...");
  configureTcp();  // configured, not yet open: the configured kind counts
  EXPECT_STREQ(FailureText(*ctx, "RAW: Timeout RS232-Line!"), "RAW: Timeout TCP-Server-error!");
  EXPECT_STREQ(FailureText(*ctx, "Timeout-RS-232..."), "Timeout TCP-Server-error!");
  EXPECT_STREQ(FailureText(*ctx, "Timeout-RS-232 table ..."), "Timeout TCP-Server-error! table ...");
  EXPECT_STREQ(FailureText(*ctx, "Timeout RS232-Line!", "TCP-Server-error!"), "TCP-Server-error!");
  EXPECT_STREQ(FailureText(*ctx, "no line named"), "no line named");

  // What is open decides, not what the connection page says.
  openPty();
  ctx->link.transport = TRANSPORT_TCP;
  EXPECT_STREQ(FailureText(*ctx, "GET-EDGE: Timeout RS232-Line!"), "GET-EDGE: Timeout RS232-Line!");
}

}  // namespace
}  // namespace bx
