// A reply is taken only when it answers the request: late replies, replies
// of another order or length, and bytes still in flight after a failure
// never pass for the reply of the next request.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "link/exchange.h"
#include "link/report.h"
#include "params/transfer.h"
#include "platform/clock.h"
#include "platform/memory_port.h"
#include "connection/bringup.h"
#include "tests/link/link_fixture.h"
#include "wire/orders.h"

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
    ctx.link.port = std::make_unique<platform::PortLoan>(port);
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

  // The late reply comes within the quiet time the failed read is given
  // before the next request: it is drained, or skipped where it came later.
  ASSERT_EQ(PushGET(*ctx, MEM_RAM), 1) << ctx->status;
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
  FaultRule spoilt;
  spoilt.fault = Fault::BadHeaderCrc;
  spoilt.order = order::kVideoData;
  sim->setFault(spoilt);
  // The payload's second half comes after the wait has given up.
  FaultRule split;
  split.fault = Fault::Fragment;
  split.arg = 400;
  split.order = order::kVideoData;
  sim->setFault(split);
  EXPECT_EQ(Exchange(*ctx, order::kVideoData, 0), -1);
  EXPECT_EQ(ctx->status, "ATTENTION! RECEIVED HEADER FRAME IS INCORRECT!");
  EXPECT_EQ(ctx->link.failure, LinkFailure::BadHeader);
  sim->clearFaults();
  ASSERT_EQ(Exchange(*ctx, order::kVideoData, 1), 1) << ctx->status;
  EXPECT_EQ(ctx->link.hdr.param, 1);
}

// Bytes of a reply that come after the tool gave up on it, over both
// carriers: the rest of a cut reply lands between the next request and its
// reply, a whole reply lands in the quiet time before the next request.
enum class Carrier { Tcp, Pty };

class LateBytes : public test::LinkTest, public ::testing::WithParamInterface<Carrier> {
 protected:
  void SetUp() override {
    test::LinkTest::SetUp();
    open();
  }
  void open() {
    if (GetParam() == Carrier::Tcp) {
      openTcp();
    } else {
      openPty();
    }
    ctx->link.replyTimeout = 0.6;
    ctx->link.tcpTimeoutMs = 600;
  }
  void fault(Fault f, uint8_t ord, int param, int arg) {
    FaultRule r;
    r.fault = f;
    r.order = ord;
    r.param = param;
    r.arg = arg;
    sim->setFault(r);
  }
  // How long the tool waits for a reply header on this carrier.
  double headerWait() const { return ctx->link.port->headerWait(ctx->link.replyTimeout, ctx->link.tcpTimeoutMs); }
};

TEST_P(LateBytes, RestOfACutReplyIsSkippedByTheNextExchange) {
  // Cut in the payload: a valid header, half the parameter set, then
  // nothing until the next request.
  fault(Fault::LateRest, order::kReadRam, order::kParamSet, 0);
  EXPECT_EQ(Exchange(*ctx, order::kReadRam, order::kParamSet), -1);
  EXPECT_EQ(ctx->status, "TIMEOUT!");
  ASSERT_EQ(Exchange(*ctx, order::kReadRam, order::kParamSet), 1) << ctx->status;
  const auto set = sim->ramParams();
  ASSERT_EQ(ReplyLength(*ctx), set.size());
  EXPECT_TRUE(std::equal(set.begin(), set.end(), ReplyData(*ctx)));

  // Cut in the header: its last five bytes come ahead of the next reply.
  fault(Fault::LateRest, order::kEcho, sim::kAnyParam, 0);
  EXPECT_EQ(Exchange(*ctx, order::kEcho, 0), -1);
  ASSERT_EQ(Exchange(*ctx, order::kEcho, 0), 1) << ctx->status;
  EXPECT_EQ(ctx->link.hdr.param, 1234);
}

// The rest comes after the tool has closed the port: the next program that
// opens it (here the same tool, connecting again) receives it first.
TEST_P(LateBytes, RestOfAReplyToAnEarlierRunIsSkipped) {
  if (GetParam() == Carrier::Tcp) GTEST_SKIP() << "a new TCP conversation never carries bytes of the old one";
  fault(Fault::LateRest, order::kReadRam, order::kTeachTable, 0);
  EXPECT_EQ(Exchange(*ctx, order::kReadRam, order::kTeachTable), -1);
  CloseLink(*ctx, true);
  open();
  ASSERT_EQ(CheckComLine(*ctx), 1) << ctx->status;
  EXPECT_EQ(ctx->link.hdr.param, 1234);
}

// A reply that comes 0.15 s after its time-out: the line is let fall quiet
// for the line time of the longest frame before the next request, so it
// cannot pass for the reply to a request of the same order and length.
TEST_P(LateBytes, ReplyLateBeyondTheTimeOutIsDrainedNotTaken) {
  fault(Fault::LateReply, order::kLiveData, 0, static_cast<int>(headerWait() * 1000) + 150);
  fault(Fault::LateReply, order::kLiveData, 1, 300);
  EXPECT_EQ(Exchange(*ctx, order::kLiveData, 0), -1);
  EXPECT_EQ(ctx->status, "TIMEOUT!");
  const double failedAt = platform::Timer();
  ASSERT_EQ(Exchange(*ctx, order::kLiveData, 1), 1) << ctx->status;
  EXPECT_EQ(ctx->link.hdr.param, 1) << "the late reply to parameter 0 was taken";
  // 115200 baud: 4096 bytes take 0.36 s; quiet that long after the late
  // reply, then the reply that takes 0.3 s.
  EXPECT_GT(platform::Timer() - failedAt, 0.35 + 0.3);
  // Nothing is left over for a later wait.
  ctx->run.state = RUN_LOOP;
  EXPECT_EQ(GetDataFrame(*ctx, -1, 0.5), -1);
  EXPECT_EQ(ctx->link.failure, LinkFailure::TimedOut);
}

INSTANTIATE_TEST_SUITE_P(BothCarriers, LateBytes, ::testing::Values(Carrier::Tcp, Carrier::Pty),
                         [](const auto& info) { return info.param == Carrier::Tcp ? "Tcp" : "Pty"; });

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
