// One request, one reply, through real transports to the simulator: every
// failure of the frame layer and its message, the abort flag, fragments.
#include <gtest/gtest.h>

#include <cstring>

#include "link/events.h"
#include "link/exchange.h"
#include "link/report.h"
#include "platform/clock.h"
#include "support/use_language.h"
#include "link/transport.h"
#include "platform/serial_port.h"
#include "tests/link/link_fixture.h"
#include "wire/crc8.h"

namespace bx {
namespace {

using sim::Fault;

class ExchangeTcp : public test::LinkTest {
 protected:
  void SetUp() override {
    test::LinkTest::SetUp();
    openTcp();
    // Short waits keep the failure cases fast; one case keeps the real ones.
    ctx->link.replyTimeout = 0.3;
    ctx->link.tcpTimeoutMs = 800;
  }
  int echo() { return Exchange(*ctx, 0x05, 0); }
};

TEST_F(ExchangeTcp, EchoCarriesSerialAndNoPayloadWait) {
  ASSERT_EQ(echo(), 1) << ctx->status;
  EXPECT_EQ(ctx->link.hdr.order, 0x05);
  EXPECT_EQ(ctx->link.hdr.param, 1234);
  EXPECT_EQ(ctx->link.hdr.length, 0);
  EXPECT_EQ(ctx->link.rxCount, 8);
  // The time the reply took is kept for the next wait of this order; no
  // wait is in progress now.
  const float took = ctx->link.replySeconds[0x05];
  EXPECT_GT(took, 0.0f);
  EXPECT_LT(took, 0.3f);
  EXPECT_LT(ReplyTimeLeft(*ctx), 0);
  // A reply that never came says nothing about how long one takes.
  sim->setFault(Fault::NoReply, 1);
  ASSERT_EQ(echo(), -1);
  EXPECT_EQ(ctx->link.replySeconds[0x05], took);
  EXPECT_LT(ReplyTimeLeft(*ctx), 0);
}

struct FaultCase {
  Fault fault;
  int arg;
  const char* status;  // nullptr: status line unchanged
};

TEST_F(ExchangeTcp, EveryFaultEndsInItsMessageAndTheNextExchangeWorks) {
  const FaultCase cases[] = {
      {Fault::Refuse, 1, "INVALIDE ORDER NUMBER!"},
      {Fault::Refuse, 2, "COMM ERROR! YOU MAY REDUCE BAUDRATE!"},
      {Fault::Refuse, 3, nullptr},
      {Fault::BadHeaderCrc, 0, "ATTENTION! RECEIVED HEADER FRAME IS INCORRECT!"},
      {Fault::WrongSync, 0, "ATTENTION! RECEIVED HEADER FRAME IS INCORRECT!"},
      {Fault::OversizedLength, 5000, "ATTENTION! RECEIVED HEADER FRAME IS INCORRECT!"},
      {Fault::NoReply, 0, "TIMEOUT!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(sim::faultName(c.fault));
    sim->setFault(c.fault, 1, c.arg);
    ctx->status = "before";
    EXPECT_EQ(echo(), -1);
    EXPECT_EQ(ctx->status, c.status ? c.status : "before");
    ASSERT_EQ(echo(), 1) << ctx->status;
  }
}

// The service line's reason tells the failures apart, in the language in
// force, and is gone once an exchange succeeds.
TEST_F(ExchangeTcp, EveryFailureHasItsServiceReasonUntilAnExchangeSucceeds) {
  struct Case {
    Fault fault;
    int arg;
    int order;
    const char* reason;
  };
  const Case cases[] = {
      {Fault::NoReply, 0, 0x05, "No reply: the sensor is silent"},
      {Fault::ShortPayload, 16, 0x09, "Reply of the wrong length for its order"},
      {Fault::LateRest, 0, 0x05, "Short reply: its end never came"},
      {Fault::WrongOrder, 0x0A, 0x05, "Wrong order: the reply answered another request"},
      {Fault::BadHeaderCrc, 0, 0x05, "CRC error in the reply header"},
      {Fault::BadDataCrc, 0, 0x09, "CRC error in the reply data"},
      {Fault::Refuse, 2, 0x05, "Order refused by the sensor (code 2)"},
  };
  EXPECT_EQ(LinkFailureReason(*ctx), "");
  for (const Case& c : cases) {
    SCOPED_TRACE(sim::faultName(c.fault));
    sim->setFault(c.fault, 1, c.arg);
    EXPECT_EQ(Exchange(*ctx, c.order, 0), -1);
    EXPECT_EQ(LinkFailureReason(*ctx), c.reason);
    ASSERT_EQ(Exchange(*ctx, c.order, 0), 1) << ctx->status;
    EXPECT_EQ(LinkFailureReason(*ctx), "");
  }
  testing_lang::UseLanguage(*ctx, 1);
  sim->setFault(Fault::NoReply, 1);
  EXPECT_EQ(echo(), -1);
  EXPECT_EQ(LinkFailureReason(*ctx), "Keine Antwort: der Sensor schweigt");
  sim->setFault(Fault::CloseConnection, 1);
  EXPECT_EQ(echo(), -1);
  EXPECT_EQ(LinkFailureReason(*ctx), "Verbindung von der Gegenseite geschlossen");
}

TEST_F(ExchangeTcp, BadDataCrcIsReported) {
  sim->setFault(Fault::BadDataCrc, 1);
  EXPECT_EQ(Exchange(*ctx, 0x0A, 0), -1);
  EXPECT_EQ(ctx->status, "ATTENTION! RECEIVED DATA FRAME IS INCORRECT!");
  EXPECT_EQ(Exchange(*ctx, 0x0A, 0), 1) << ctx->status;
  EXPECT_EQ(ReplyLength(*ctx), 32u);
}

TEST_F(ExchangeTcp, GarbageNeverReadsPastTheBufferAndTheLinkRecovers) {
  for (int n : {3, 8, 64, 5000}) {
    sim->setFault(Fault::Garbage, 1, n);
    EXPECT_EQ(echo(), -1);
    EXPECT_LE(ctx->link.rxCount, frame::kRxBufferSize);
  }
  EXPECT_EQ(echo(), 1) << ctx->status;
}

TEST_F(ExchangeTcp, HeaderSplitAcrossSegmentsIsAccepted) {
  sim->setFault(Fault::Fragment, 1, 30);
  ASSERT_EQ(Exchange(*ctx, 0x09, 0), 1) << ctx->status;
  EXPECT_EQ(ReplyLength(*ctx), 512u);
}

TEST_F(ExchangeTcp, AbortEndsTheWaitWithinOnePassAndWritesNothing) {
  ctx->link.replyTimeout = 1.5;
  sim->setFault(Fault::NoReply, 1);
  Context* c = ctx.get();
  double raisedAt = 0;
  frontend->schedule(0.1, [c, &raisedAt] {
    c->link.abort = 1;
    raisedAt = platform::Timer();
  });
  ctx->status = "unchanged";
  EXPECT_EQ(echo(), -1);
  double lag = platform::Timer() - raisedAt;
  EXPECT_EQ(ctx->status, "unchanged");
  EXPECT_LT(lag, 0.25);  // one pass is a millisecond; the margin is for a loaded machine
  ctx->link.abort = 0;
}

TEST_F(ExchangeTcp, ServerCloseIsSeenAndLeavesTheLinkClosed) {
  sim->setFault(Fault::CloseConnection, 1);
  EXPECT_EQ(echo(), -1);
  EXPECT_EQ(ctx->status, "SERVER HAS CLOSED CONNECTION!");
  EXPECT_EQ(ctx->link.failure, LinkFailure::Closed);
  EXPECT_FALSE(TcpOpen(ctx->link));
  EXPECT_EQ(ctx->link.port, nullptr);
  // The next exchange has nobody to talk to and times out.
  EXPECT_EQ(echo(), -1);
  EXPECT_EQ(ctx->status, "TIMEOUT!");
}

class ExchangeTcpRealTimeouts : public test::LinkTest {};

TEST_F(ExchangeTcpRealTimeouts, LateReplyIsNotTakenForTheNextOne) {
  openTcp();
  sim->setFault(Fault::LateReply, 1, 2300);  // after the 2.0 s time-out
  double t0 = platform::Timer();
  EXPECT_EQ(Exchange(*ctx, 0x0A, 0), -1);
  double waited = platform::Timer() - t0;
  EXPECT_EQ(ctx->status, "TIMEOUT!");
  EXPECT_GT(waited, 1.95);
  EXPECT_LT(waited, 3.0);
  platform::Delay(0.5);  // the late hardware reply is in the socket now
  ASSERT_EQ(Exchange(*ctx, 0x05, 0), 1) << ctx->status;
  EXPECT_EQ(ctx->link.hdr.order, 0x05);
}

class ExchangePty : public test::LinkTest {
 protected:
  void SetUp() override {
    test::LinkTest::SetUp();
    openPty();
    ctx->link.replyTimeout = 0.4;
  }
};

TEST_F(ExchangePty, RepliesAndFaultsOverTheSerialPath) {
  ASSERT_EQ(Exchange(*ctx, 0x05, 0), 1) << ctx->status;
  ASSERT_EQ(Exchange(*ctx, 0x09, 0), 1) << ctx->status;
  EXPECT_EQ(ReplyLength(*ctx), 512u);
  sim->setFault(Fault::BadDataCrc, 1);
  EXPECT_EQ(Exchange(*ctx, 0x14, 0), -1);
  EXPECT_EQ(ctx->status, "ATTENTION! RECEIVED DATA FRAME IS INCORRECT!");
  sim->setFault(Fault::WrongSync, 1);
  EXPECT_EQ(Exchange(*ctx, 0x05, 0), -1);
  EXPECT_EQ(ctx->status, "ATTENTION! RECEIVED HEADER FRAME IS INCORRECT!");
  sim->setFault(Fault::NoReply, 1);
  EXPECT_EQ(Exchange(*ctx, 0x05, 0), -1);
  EXPECT_EQ(ctx->status, "TIMEOUT!");
  sim->setFault(Fault::Fragment, 1, 30);
  EXPECT_EQ(Exchange(*ctx, 0x0A, 0), 1) << ctx->status;
  sim->setFault(Fault::Garbage, 1, 40);
  EXPECT_EQ(Exchange(*ctx, 0x05, 0), -1);
  EXPECT_EQ(Exchange(*ctx, 0x05, 0), 1) << ctx->status;
}

TEST_F(ExchangePty, LineErrorsAreAppendedToTheTimeout) {
  sim->setFault(Fault::NoReply, 1);
  OpenSerialPort(ctx->link)->addStatus(platform::COM_FRAMING);
  EXPECT_EQ(Exchange(*ctx, 0x05, 0), -1);
  EXPECT_EQ(ctx->status, "TIMEOUT! COMM ERROR: FRAMING!");

  // Errors on a reply that did arrive fail it too, in the tabled order.
  OpenSerialPort(ctx->link)->addStatus(platform::COM_FRAMING | platform::COM_INPUT_LOST | platform::COM_PARITY);
  ctx->status = "kept";
  EXPECT_EQ(Exchange(*ctx, 0x05, 0), -1);
  EXPECT_EQ(ctx->status, "kept COMM ERROR: INPUT LOST! COMM ERROR: PARITY! COMM ERROR: FRAMING!");
  EXPECT_EQ(LinkFailureReason(*ctx), "Line error: parity, framing or overrun");

  // A status word without any of the named bits fails without a text.
  OpenSerialPort(ctx->link)->addStatus(0x02);
  ctx->status = "kept";
  EXPECT_EQ(Exchange(*ctx, 0x05, 0), -1);
  EXPECT_EQ(ctx->status, "kept");
  EXPECT_EQ(Exchange(*ctx, 0x05, 0), 1) << ctx->status;
}

using FillTxBufTest = test::LinkTest;

TEST_F(FillTxBufTest, BuildsRequestsAndExchangeHeader) {
  FillTxBuf(*ctx, 0x105, 0x12345, nullptr, 0);  // only the low 8/16 bits count
  const auto& tx = ctx->link.tx;
  EXPECT_EQ(tx[1], 0x05);
  EXPECT_EQ(frame::get16(&tx[2]), 0x2345);
  EXPECT_EQ(tx[6], 0xAA);
  EXPECT_TRUE(frame::headerValid(tx.data()));
  EXPECT_EQ(ctx->link.hdr.order, 0x05);
  EXPECT_EQ(ctx->link.hdr.param, 0x2345);

  // The external-flash read carries a 16-bit word count: 256 words must
  // not become 0.
  const uint8_t src[4] = {0x00, 0x01, 0x44, 0x55};
  FillTxBuf(*ctx, 0xB8, 0x8000, src, 2);
  EXPECT_EQ(tx[8], 0x00);
  EXPECT_EQ(tx[9], 0x01);
  EXPECT_EQ(tx[6], crc8(&tx[8], 2));

  uint8_t big[2000];
  std::memset(big, 0x11, sizeof big);
  FillTxBuf(*ctx, 0xC1, 0xB000, big, sizeof big);
  // Never past the transmit buffer: the length is cut to what it holds.
  EXPECT_LE(frame::get16(&tx[4]), LinkState::kTxPayloadMax);
}

}  // namespace
}  // namespace bx
