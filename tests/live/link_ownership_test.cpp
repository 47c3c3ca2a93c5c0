// One exchange at a time: operator actions that arrive while an operation
// waits on the link, and the requests a loop serves between two cycles.
#include <functional>
#include <vector>

#include "app/main_panel.h"
#include "wire/calib_record.h"
#include "link/transport.h"
#include "params/teach.h"
#include "connection/conn_page.h"
#include "link/exchange.h"
#include "wire/orders.h"
#include "link/ownership.h"
#include "link/report.h"
#include "live/pending.h"
#include "params/hwinfo.h"
#include "params/params_fixture.h"
#include "params/rules.h"
#include "params/teach.h"
#include "params/transfer.h"
#include "connection/conn_page.h"
#include "wire/calib_record.h"

namespace bx::test {
namespace {

using Callback = int (*)(Context&, const ui::EventArgs&);

constexpr uint8_t kGetRam = 2;

class LinkOwnershipTest : public ParamsTest {
 protected:
  // Press and release, as the operator does, straight to the callback so a
  // dimmed control cannot hide what the callback would do.
  void press(Callback cb) {
    cb(*ctx, ui::EventArgs{0, 0, ui::EVENT_LEFT_CLICK, 0, 0});
    cb(*ctx, ui::EventArgs{0, 0, ui::EVENT_COMMIT, 0, 0});
  }

  // Runs fn once, from the events processed while an operation holds the
  // link and the sensor has received the request of `order` beyond `seen`.
  void whileWaitingFor(uint8_t order, int seen, std::function<void()> fn) {
    fe->schedule(0.005, [this, order, seen, fn] {
      if (ctx->run.linkHeld > 0 && sim->requestCount(order) > seen) {
        fn();
        ++fired;
      } else {
        whileWaitingFor(order, seen, fn);
      }
    });
  }

  void delayReply(uint8_t order, int ms) {
    sim::FaultRule rule;
    rule.fault = sim::Fault::LateReply;
    rule.count = 1;
    rule.arg = ms;
    rule.order = order;
    sim->setFault(rule);
  }

  std::vector<uint8_t> ordersSince(size_t from) {
    auto log = sim->orderLog();
    return {log.begin() + static_cast<long>(std::min(from, log.size())), log.end()};
  }

  // Every link action an operator can reach, pressed while the bring-up
  // waits on a delayed reply. Returns the status texts they left.
  std::vector<std::string> pressEverything() {
    std::vector<std::string> texts;
    auto pressAndNote = [&](Callback cb) {
      press(cb);
      texts.push_back(ctx->ui.text(ctx->refs.main.status));
    };
    ctx->ui.setValue(ref("TEACH", "PROGNO"), 2);
    fe->setDefaultConfirm(true);
    pressAndNote(CC_ButtonTeachMain);
    pressAndNote(CC_ButtonTeach);
    pressAndNote(CC_BTNRefreshEdgeBuf);
    pressAndNote(CC_BTNGet);
    pressAndNote(CC_BTNSend);
    pressAndNote(CC_ButtonTest);
    pressAndNote(CC_ButtonReset);
    pressAndNote(CC_PICBTNRefreshVTHD);
    pressAndNote(CC_CBTNGenerateHWInfoFile);
    pressAndNote(CC_CBTNChangeBaudRate);
    pressAndNote(CC_CBTNTryToConnect);
    return texts;
  }

  void slowBringUpIgnoresEveryAction(int lateMs) {
    const size_t logStart = sim->orderLog().size();
    ASSERT_EQ(ConnectProcedure(*ctx), 1) << status();
    const auto quietBringUp = ordersSince(logStart);
    const auto sensorTeach = sim->ramTeach();
    const auto sensorParams = sim->ramParams();
    ASSERT_EQ(ctx->params.teach, sensorTeach);

    const size_t busyStart = sim->orderLog().size();
    std::vector<std::string> texts;
    whileWaitingFor(kGetRam, sim->requestCount(kGetRam), [&] { texts = pressEverything(); });
    delayReply(kGetRam, lateMs);
    ASSERT_EQ(ConnectProcedure(*ctx), 1) << status();
    ASSERT_EQ(fired, 1);

    // The bring-up went exactly as without the operator, nothing slipped in
    // between, and nothing is left for a loop that does not run.
    EXPECT_EQ(ordersSince(busyStart), quietBringUp);
    EXPECT_EQ(sim->overlappingRequests(), 0);
    EXPECT_FALSE(ctx->run.pending.any());
    EXPECT_EQ(ctx->run.linkHeld, 0);
    EXPECT_EQ(ctx->run.state, RUN_IDLE);
    // No record changed: neither the sensor's nor the tool's teach row 2.
    EXPECT_EQ(sim->ramTeach(), sensorTeach);
    EXPECT_EQ(sim->ramParams(), sensorParams);
    EXPECT_EQ(ctx->params.teach, sensorTeach);
    EXPECT_EQ(ctx->ui.text(ctx->refs.main.connected), "CONNECTED");
    // The refused connect left the running bring-up's lines in place.
    EXPECT_NE(ctx->ui.text(ctx->refs.conn.msgBox).find("Echo Check - Line Ok!"), std::string::npos);
    ASSERT_EQ(texts.size(), 11u);
    const std::string busy = "Sensor link busy - action refused, please wait and try again!";
    for (size_t i = 0; i + 2 < texts.size(); ++i) EXPECT_EQ(texts[i], busy) << "action " << i;
    // Over TCP the baud-rate change is refused for its own reason.
    if (IsTcp(*ctx))
      EXPECT_EQ(texts[9], "Change baudrate: no open RS-232 connection!");
    else
      EXPECT_EQ(texts[9], busy);
    EXPECT_EQ(texts[10], busy);
  }

  int fired = 0;
};

TEST_F(LinkOwnershipTest, SlowBringUpOverTcpIgnoresEveryLinkAction) {
  connectTcp();
  slowBringUpIgnoresEveryAction(1000);
}

TEST_F(LinkOwnershipTest, SlowBringUpOverThePtyIgnoresEveryLinkAction) {
  connectPty();
  slowBringUpIgnoresEveryAction(700);
}

TEST_F(LinkOwnershipTest, DisconnectDuringBringUpActsThroughTheAbortFlag) {
  connectTcp();
  whileWaitingFor(kGetRam, sim->requestCount(kGetRam), [&] {
    press(CC_CBTNDisconnect);
    // Nothing is closed underneath the waiting exchange.
    EXPECT_TRUE(TcpOpen(ctx->link));
    EXPECT_EQ(ctx->link.abort, 1);
  });
  delayReply(kGetRam, 1000);
  ConnectProcedure(*ctx);
  ASSERT_EQ(fired, 1);
  EXPECT_FALSE(TcpOpen(ctx->link));
  EXPECT_EQ(ctx->link.abort, 0);
  EXPECT_EQ(ctx->run.linkHeld, 0);
  EXPECT_FALSE(ctx->run.disconnectPending);
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.connected), "DISCONNECTED");
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), "SENSOR DISCONNECTED!");
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.main.get));
  EXPECT_EQ(sim->overlappingRequests(), 0);
}

TEST_F(LinkOwnershipTest, PendingRequestsAreServedOnceInTheLoopsOrder) {
  connectTcp();
  ctx->ui.setValue(ctx->refs.main.memSel, MEM_RAM);
  ctx->run.state = RUN_LOOP;
  // Pressed in reverse of the serving order, so arrival order cannot pass
  // for serving order.
  press(CC_BTNRefreshEdgeBuf);  // edge refresh and refresh data
  press(CC_ButtonTest);
  press(CC_ButtonReset);
  press(CC_ButtonTeachMain);
  press(CC_BTNGet);
  press(CC_BTNSend);
  auto& q = ctx->run.pending;
  q.set(PENDING_STOP_CALIB);
  q.set(PENDING_SAVE_CALIB);
  q.set(PENDING_WRITE_CALIB);
  q.set(PENDING_WRITE_LOOKUP);
  q.set(PENDING_START_CALIB);
  ctx->calib.lookupStopWait = 0;
  ctx->calib.lookupBlockWait = 0;
  for (int r = 0; r < PENDING_COUNT; ++r) EXPECT_TRUE(q.has(static_cast<PendingRequest>(r))) << r;

  const size_t start = sim->orderLog().size();
  EXPECT_FALSE(ServePendingRequests(*ctx));
  // SEND (set, table), GET (set, table, edges), teach, reset, test, edge
  // refresh, refresh data, write calibration, save, start and stop
  // calibration, the lookup table's 16 blocks.
  std::vector<uint8_t> expected{1, 1, 2, 2, 0x14, 6, 0x0B, 5, 0x14, 9, 0x17, 0x0C, 0x0C, 0x0C};
  expected.insert(expected.end(), 16, 0xC1);
  EXPECT_EQ(ordersSince(start), expected);
  EXPECT_EQ(sim->lastRequest(0x0C).param, 0);  // stop comes last
  EXPECT_FALSE(q.any());
  EXPECT_EQ(ctx->run.state, RUN_IDLE);  // a stop calibration ends the loop
  EXPECT_EQ(sim->overlappingRequests(), 0);

  ctx->run.state = RUN_LOOP;
  const size_t again = sim->orderLog().size();
  EXPECT_FALSE(ServePendingRequests(*ctx));
  EXPECT_EQ(sim->orderLog().size(), again);  // each served once
  EXPECT_EQ(ctx->run.state, RUN_LOOP);
}

TEST_F(LinkOwnershipTest, AbortFlagEndsTheLoopAfterThePendingRequests) {
  connectTcp();
  ctx->run.state = RUN_LOOP;
  press(CC_ButtonTest);
  ASSERT_TRUE(ServePendingRequests(*ctx) == false);
  EXPECT_EQ(sim->lastRequest(5).seen, true);
  ctx->link.abort = 1;
  EXPECT_TRUE(ServePendingRequests(*ctx));
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
}

TEST_F(LinkOwnershipTest, FailedVideoRefreshOutsideALoopLeavesTheToolUsable) {
  connectTcp();
  sim::FaultRule rule;
  rule.fault = sim::Fault::NoReply;
  rule.count = 1;
  rule.order = 9;
  sim->setFault(rule);
  ctx->ui.setActivePage(ctx->refs.main.tab, kPageTeach);
  press(CC_ButtonTeachMain);
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), "VIDEO: Timeout TCP-Server-error!");
  // The teach page that asked shows the failure: the connection page comes
  // forward with the status line and the message field in red.
  EXPECT_EQ(ctx->ui.activePage(ctx->refs.main.tab), kPageConnection);
  EXPECT_EQ(ctx->ui.at(ctx->refs.main.status).textColor, ui::kRed);
  EXPECT_EQ(ctx->ui.at(ctx->refs.conn.msgBox).textColor, ui::kRed);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
  EXPECT_FALSE(ctx->run.pending.any());
  // The next GET is performed, not left for a loop that does not exist.
  const int gets = sim->requestCount(kGetRam);
  press(CC_BTNGet);
  EXPECT_EQ(sim->requestCount(kGetRam), gets + 2);
  EXPECT_FALSE(ctx->run.pending.any());
}

TEST_F(LinkOwnershipTest, ResetButtonResetsTheSensorsMaxMinOrWaitsForTheLoop) {
  connectTcp();
  const auto btn = ref("VIDEO", "MAXMINRESET");
  ctx->ui.setVisible(btn, true);
  ctx->live.lastTriggerCount = 77;
  ctx->ui.fire(btn, ui::EVENT_LEFT_CLICK);
  EXPECT_EQ(ctx->live.lastTriggerCount, 0);
  ctx->ui.fire(btn, ui::EVENT_COMMIT);
  EXPECT_EQ(sim->requestCount(0x0B), 1);
  EXPECT_EQ(status(), "RESET analog/digital output ... -> Ok!");

  ctx->run.state = RUN_LOOP;
  ctx->ui.fire(btn, ui::EVENT_COMMIT);
  EXPECT_EQ(sim->requestCount(0x0B), 1);
  EXPECT_TRUE(ctx->run.pending.has(PENDING_RESET));
  ServePendingRequests(*ctx);
  EXPECT_EQ(sim->requestCount(0x0B), 2);
}

// The one guard of the loops: whom a claim gives way to, and the run state
// and hold it leaves behind.
TEST_F(LinkOwnershipTest, LoopOwnershipRefusesATakenLinkAndLeavesItIdle) {
  const std::string busy = "Sensor link busy - action refused, please wait and try again!";
  struct Case {
    int state, held;
    LoopClaim claim;
    bool owns;
  };
  const Case cases[] = {
      {RUN_IDLE, 0, LoopClaim::Unheld, true},  {RUN_LOOP, 0, LoopClaim::Unheld, true},
      {RUN_IDLE, 1, LoopClaim::Unheld, false}, {RUN_LOOP, 2, LoopClaim::Unheld, false},
      {RUN_IDLE, 0, LoopClaim::Idle, true},    {RUN_LOOP, 0, LoopClaim::Idle, false},
      {RUN_TIMEOUT, 0, LoopClaim::Idle, false}, {RUN_IDLE, 1, LoopClaim::Idle, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "state " << c.state << " held " << c.held);
    ctx->run.state = c.state;
    ctx->run.linkHeld = c.held;
    ShowStatusText(*ctx, "");
    {
      LoopOwnership own(*ctx, &ServePendingRequests, c.claim);
      EXPECT_EQ(own.owns(), c.owns);
      EXPECT_EQ(ctx->run.linkHeld, c.held + (c.owns ? 1 : 0));
      EXPECT_EQ(ctx->ui.text(ctx->refs.main.status) == busy, !c.owns);
      if (own.owns()) {
        own.markRunning();
        EXPECT_TRUE(LinkOwnedByLoop(*ctx));
      }
    }
    EXPECT_EQ(ctx->run.linkHeld, c.held);
    EXPECT_EQ(ctx->run.state, c.owns ? RUN_IDLE : c.state);
  }
  ctx->run.linkHeld = 0;
  ctx->run.state = RUN_IDLE;
}

TEST_F(LinkOwnershipTest, LoopOwnershipServesWhatWasLeftAndThenADeferredDisconnect) {
  connectTcp();
  {
    LoopOwnership own(*ctx, &ServePendingRequests);
    ASSERT_TRUE(own.owns());
    own.markRunning();
    press(CC_ButtonTest);  // left pending for the loop
    EXPECT_TRUE(ctx->run.pending.has(PENDING_TEST));
    EXPECT_FALSE(own.serveBetweenCycles());
    EXPECT_TRUE(sim->lastRequest(order::kEcho).seen);
    EXPECT_EQ(ctx->ui.intValue(ctx->refs.main.testField), 1234);

    // What comes after the last cycle is served by end(true), as the loop.
    const int resets = sim->requestCount(order::kResetOutputs);
    ctx->run.pending.set(PENDING_RESET);
    own.end(true);
    EXPECT_EQ(sim->requestCount(order::kResetOutputs), resets + 1);
    EXPECT_FALSE(ctx->run.pending.any());
    EXPECT_EQ(ctx->run.state, RUN_IDLE);

    // A Disconnect pressed while the loop holds the link waits for it.
    press(CC_CBTNDisconnect);
    EXPECT_TRUE(TcpOpen(ctx->link));
  }
  EXPECT_EQ(ctx->link.port, nullptr);
  EXPECT_EQ(ctx->run.linkHeld, 0);
}

}  // namespace
}  // namespace bx::test
