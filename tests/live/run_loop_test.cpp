// The live loop against the simulated sensor: the requests of each cycle,
// the armed trigger, pending requests between cycles, STOP, and how each
// failed exchange ends live mode on both transports.
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "app/localize.h"
#include "app/main_panel.h"
#include "wire/orders.h"
#include "link/transport.h"
#include "live/live_view.h"
#include "live/run_loop.h"
#include "live/state_text.h"
#include "params/fields.h"
#include "params/panel_values.h"
#include "params/params_fixture.h"
#include "params/teach.h"
#include "params/transfer.h"
#include "platform/clock.h"
#include "platform/com_ports.h"
#include "connection/conn_page.h"
#include "wire/frame_format.h"
#include "support/use_language.h"
#include "wire/live_record.h"
#include "wire/orders.h"

namespace bx::test {
namespace {

using Callback = int (*)(Context&, const ui::EventArgs&);

class RunLoopTest : public ParamsTest {
 protected:
  struct Seen {
    RunLoopTest* self = nullptr;
    int cycles = 0;
    int stopAfter = 0;
    std::vector<bool> triggered;
    std::vector<std::string> failures;
    std::function<void(int)> onCycle;
  };

  static void cycleDone(Context& ctx, void* user, bool triggered) {
    auto& s = *static_cast<Seen*>(user);
    ++s.cycles;
    s.triggered.push_back(triggered);
    if (s.onCycle) s.onCycle(s.cycles);
    if (s.stopAfter > 0 && s.cycles >= s.stopAfter) ctx.run.state = RUN_IDLE;
  }
  static void failed(Context&, void* user, const char* text) { static_cast<Seen*>(user)->failures.push_back(text); }

  void run(Seen& seen) {
    const RunObserver obs{&seen, &cycleDone, &failed};
    PushRUN(*ctx, &obs);
  }

  void press(Callback cb) {
    cb(*ctx, ui::EventArgs{0, 0, ui::EVENT_LEFT_CLICK, 0, 0});
    cb(*ctx, ui::EventArgs{0, 0, ui::EVENT_COMMIT, 0, 0});
  }

  std::vector<uint8_t> ordersSince(size_t from) {
    auto log = sim->orderLog();
    return {log.begin() + static_cast<long>(std::min(from, log.size())), log.end()};
  }
  static long countOf(const std::vector<uint8_t>& v, uint8_t order) { return std::count(v.begin(), v.end(), order); }

  void failOn(uint8_t order, int param) {
    sim::FaultRule rule;
    rule.fault = sim::Fault::NoReply;
    rule.order = order;
    rule.param = param;
    rule.count = 1;
    sim->setFault(rule);
  }

  // Runs until a failure ends the loop; returns the failure text.
  std::string runIntoFailure(uint8_t order, int param) {
    Seen seen;
    seen.onCycle = [&](int n) {
      if (n == 2) failOn(order, param);
    };
    seen.stopAfter = 50;
    run(seen);
    EXPECT_EQ(seen.failures.size(), 1u);
    EXPECT_EQ(ctx->run.state, RUN_IDLE);
    EXPECT_TRUE(!ctx->ui.dimmed(ctx->refs.main.run));
    return seen.failures.empty() ? std::string() : seen.failures[0];
  }
};

TEST(StateText, ClampsCodesAndFormatsTheScanRate) {
  const LanguageData de = testing_lang::Texts(1);
  EXPECT_STREQ(StateCodeText(0), "RUNNING - OK");
  EXPECT_EQ(de.message(StateCodeText(8)), "SCHMUTZ-ALARM");
  EXPECT_EQ(de.message(StateCodeText(-6)), "COM FEHLER");
  EXPECT_STREQ(StateCodeText(-3), "NO EDGES");
  EXPECT_STREQ(StateCodeText(13), " ");
  EXPECT_STREQ(StateCodeText(20), "RUNNING - OK");
  EXPECT_EQ(de.message(StateCodeText(-7)), "BETRIEB - OK");

  EXPECT_EQ(ScanRateText(100000), "10.0");  // exactly 10 Hz keeps its decimal
  EXPECT_EQ(ScanRateText(80645), "12");     // 12.4 Hz
  EXPECT_EQ(ScanRateText(250000), "4.0");
  EXPECT_EQ(ScanRateText(1000), "1000");
  EXPECT_EQ(ScanRateText(0), "0");  // no division by a missing cycle time
  EXPECT_EQ(ScanRateText(-5), "0");
  EXPECT_EQ(RateText(std::nan("")), "0");  // the tool's own rate before its first cycle
  EXPECT_EQ(RateText(12.4), "12");
}

TEST_F(RunLoopTest, ShownCodeClampsAndAppliesTheEdgeCountCheck) {
  auto& rec = ctx->live.record;
  auto put = [&](int off, int v) { frame::put16(&rec[static_cast<size_t>(off)], static_cast<uint16_t>(v)); };
  put(liverec::EDGE_COUNT, 2);
  put(liverec::STATE_CODE, 20);
  EXPECT_EQ(ShownStateCode(*ctx), 0);
  put(liverec::STATE_CODE, -7);
  EXPECT_EQ(ShownStateCode(*ctx), 0);
  put(liverec::STATE_CODE, 7);
  put(liverec::PROGRAM, 9);
  EXPECT_EQ(ShownStateCode(*ctx), 7);
  liverec::sanitise(rec);
  EXPECT_EQ(liverec::decode(rec).program, 3);

  param::set(ctx->params, param::DIGITAL_OUT_MODE, 1);
  param::rowSet(ctx->params, 3, param::ROW_EDGE_COUNT, 2);
  param::set(ctx->params, param::EVAL_PROGRAM, 1);
  param::rowSet(ctx->params, 1, param::ROW_EDGE_COUNT, 2);
  EXPECT_EQ(ShownStateCode(*ctx), 7);  // as many edges as expected: the sensor's code
  put(liverec::EDGE_COUNT, 0);
  EXPECT_EQ(ShownStateCode(*ctx), -3);
  put(liverec::EDGE_COUNT, 3);
  EXPECT_EQ(ShownStateCode(*ctx), -5);
  put(liverec::EDGE_COUNT, 1);
  EXPECT_EQ(ShownStateCode(*ctx), -4);
  // In external trigger modes 3 and 4 the sensor's program (input IN0)
  // is the one in force: its row expects 1 edge.
  param::set(ctx->params, param::EXT_TRIGGER_MODE, 3);
  param::rowSet(ctx->params, 3, param::ROW_EDGE_COUNT, 1);
  EXPECT_EQ(ShownStateCode(*ctx), 7);
  param::set(ctx->params, param::DIGITAL_OUT_MODE, 0);
  EXPECT_EQ(ShownStateCode(*ctx), 7);
}

TEST_F(RunLoopTest, EachCycleFetchesLiveEdgesAndVideoUntilStopped) {
  connectTcp();
  EXPECT_TRUE(!ctx->ui.dimmed(ctx->refs.main.run));
  EXPECT_TRUE(!ctx->ui.dimmed(ctx->refs.main.stop));
  const size_t from = sim->orderLog().size();
  Seen seen;
  seen.stopAfter = 4;
  run(seen);
  EXPECT_EQ(seen.cycles, 4);
  const auto orders = ordersSince(from);
  const std::vector<uint8_t> one{order::kLiveData, order::kEdgeQuery, order::kVideoData};
  ASSERT_EQ(orders.size(), 12u);
  for (size_t i = 0; i < orders.size(); ++i) EXPECT_EQ(orders[i], one[i % 3]) << i;
  EXPECT_EQ(status(), "Data-Transfer Stopped!");
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
  EXPECT_EQ(ctx->run.linkHeld, 0);
  EXPECT_TRUE(!ctx->ui.dimmed(ctx->refs.main.get));
  EXPECT_GT(ctx->live.toolCycleHz, 0.0);
  EXPECT_EQ(liverec::decode(ctx->live.record).program, 0);
}

TEST_F(RunLoopTest, RollViewFetchesOnlyTheLiveRecord) {
  connectPty();
  ctx->live.graphSwitch = 0;
  const size_t from = sim->orderLog().size();
  Seen seen;
  seen.stopAfter = 3;
  run(seen);
  EXPECT_EQ(ordersSince(from), (std::vector<uint8_t>{order::kLiveData, order::kLiveData, order::kLiveData}));
}

TEST_F(RunLoopTest, ArmedTriggerFetchesOnceForEachNewCounterValue) {
  connectTcp();
  ctx->live.armedTrigger = 1;
  size_t from = sim->orderLog().size();
  Seen seen;
  seen.stopAfter = 6;
  seen.onCycle = [&](int n) {
    if (n == 2) sim->pulseInput();
  };
  run(seen);
  // A counter of 0 fetches nothing; the pulse fetches one triggered frame in
  // the cycle after it, and the unchanged counter nothing more.
  EXPECT_EQ(seen.triggered, (std::vector<bool>{false, false, true, false, false, false}));
  EXPECT_EQ(sim->lastRequest(order::kVideoData).param, 2);
  EXPECT_EQ(sim->lastRequest(order::kEdgeQuery).param, 1);
  const auto orders = ordersSince(from);
  EXPECT_EQ(countOf(orders, order::kVideoData), 1);
  EXPECT_EQ(countOf(orders, order::kEdgeQuery), 1);
  EXPECT_EQ(countOf(orders, order::kLiveData), 7);
  EXPECT_EQ(ctx->live.lastTriggerCount, 1);

  // The max/min reset forgets the counter: the same event is shown again.
  CC_ButtonReset(*ctx, ui::EventArgs{0, 0, ui::EVENT_LEFT_CLICK, 0, 0});
  EXPECT_EQ(ctx->live.lastTriggerCount, 0);
  Seen again;
  again.stopAfter = 2;
  run(again);
  EXPECT_EQ(again.triggered, (std::vector<bool>{true, false}));
}

TEST_F(RunLoopTest, CounterWhoseLowBitsAreZeroNeverFetches) {
  connectPty();
  ctx->live.armedTrigger = 1;
  sim->setTriggerCounter(0xFFFF);
  Seen seen;
  seen.stopAfter = 5;
  seen.onCycle = [&](int n) {
    if (n == 1 || n == 3) sim->pulseInput();  // 0x10000, then 0x10001
  };
  run(seen);
  EXPECT_EQ(seen.triggered, (std::vector<bool>{true, false, false, true, false}));
  EXPECT_EQ(ctx->live.lastTriggerCount, 1);
}

TEST_F(RunLoopTest, PendingRequestsRunInOrderAndStopEndsAfterThem) {
  connectTcp();
  fe->setDefaultConfirm(true);
  size_t from = 0;
  Seen seen;
  seen.stopAfter = 50;
  seen.onCycle = [&](int n) {
    if (n != 2) return;
    from = sim->orderLog().size();
    // Pressed in reverse order during one cycle, STOP last.
    press(CC_ButtonTeachMain);
    press(CC_BTNGet);
    press(CC_BTNSend);
    press(CC_BTNStop);
  };
  run(seen);
  EXPECT_EQ(seen.cycles, 2);
  const auto orders = ordersSince(from);
  auto first = [&](uint8_t o) { return std::find(orders.begin(), orders.end(), o) - orders.begin(); };
  ASSERT_GT(countOf(orders, order::kWriteRam), 0);
  ASSERT_GT(countOf(orders, order::kReadRam), 0);
  ASSERT_GT(countOf(orders, order::kTeachRow), 0);
  EXPECT_LT(first(order::kWriteRam), first(order::kReadRam));
  EXPECT_LT(first(order::kReadRam), first(order::kTeachRow));
  EXPECT_EQ(countOf(orders, order::kLiveData), 0);  // no cycle after STOP
  EXPECT_EQ(status(), "Data-Transfer Stopped!");
  EXPECT_FALSE(ctx->run.pending.any());
}

TEST_F(RunLoopTest, AbortFlagEndsTheLoopBetweenCycles) {
  connectTcp();
  Seen seen;
  seen.stopAfter = 50;
  seen.onCycle = [&](int n) {
    if (n == 3) ctx->link.abort = 1;
  };
  run(seen);
  EXPECT_EQ(seen.cycles, 3);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
  EXPECT_EQ(status(), "Data-Transfer Stopped!");
}

TEST_F(RunLoopTest, AbortDuringAnExchangeIsAStopNotATimeout) {
  connectTcp();
  Seen seen;
  seen.stopAfter = 50;
  seen.onCycle = [&](int n) {
    if (n != 2) return;
    sim::FaultRule rule;
    rule.fault = sim::Fault::LateReply;
    rule.arg = 1000;
    rule.order = order::kLiveData;
    sim->setFault(rule);
    fe->schedule(0.05, [&] { ctx->link.abort = 1; });
  };
  run(seen);
  EXPECT_EQ(seen.cycles, 2);
  EXPECT_TRUE(seen.failures.empty());
  EXPECT_EQ(status(), "Data-Transfer Stopped!");
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
}

TEST_F(RunLoopTest, FailuresOverTcpNameTheServer) {
  connectTcp();
  EXPECT_EQ(runIntoFailure(order::kLiveData, 0), "RAW: Timeout TCP-Server-error!");
  EXPECT_EQ(status(), "Timeout TCP-Server-error!");
  EXPECT_EQ(runIntoFailure(order::kEdgeQuery, 0), "EDGE: Timeout TCP-Server-error!");
  EXPECT_EQ(runIntoFailure(order::kVideoData, 0), "VIDEO: Timeout TCP-Server-error!");
  EXPECT_EQ(ctx->ui.activePage(ctx->refs.main.tab), 7);
  EXPECT_EQ(ctx->ui.at(ctx->refs.main.status).textColor, ui::kRed);
}

TEST_F(RunLoopTest, FailuresOverRs232NameTheLine) {
  connectPty();
  EXPECT_EQ(runIntoFailure(order::kLiveData, 0), "RAW: Timeout RS232-Line!");
  EXPECT_EQ(status(), "Timeout RS232 Line!");
  EXPECT_EQ(runIntoFailure(order::kEdgeQuery, 0), "EDGE: Timeout RS232-Line!");
  EXPECT_EQ(runIntoFailure(order::kVideoData, 0), "VIDEO: Timeout RS232-Line!");
  EXPECT_EQ(status(), "Timeout RS232 Line!");
}

// The serial adapter is unplugged under the loop (the pty's master goes
// away): the link is lost at once, not after a time-out, the loop ends with
// the adapter's name, and Try to connect works once the port is back.
TEST_F(RunLoopTest, UnpluggedAdapterEndsTheLoopAtOnceAndTheLinkComesBack) {
  connectPty();
  const std::string device = sim->ptyPath();
  const std::string removed =
      "SERIAL ADAPTER REMOVED: COM" + std::to_string(platform::comNumber(device)) + " (" + device + ")!";
  Seen seen;
  seen.stopAfter = 100000;
  double unpluggedAt = 0;
  seen.onCycle = [&](int n) {
    if (n != 2) return;
    sim->stop();
    unpluggedAt = platform::Timer();
  };
  run(seen);
  EXPECT_LT(platform::Timer() - unpluggedAt, 0.5) << "lost only after a time-out";
  EXPECT_EQ(seen.cycles, 2);
  ASSERT_EQ(seen.failures.size(), 1u);
  EXPECT_EQ(seen.failures[0], removed);
  EXPECT_EQ(status(), removed);
  EXPECT_NE(ctx->ui.text(ctx->refs.conn.msgBox).find(removed), std::string::npos);
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.connected), "DISCONNECTED");
  EXPECT_FALSE(SerialOpen(ctx->link));
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.main.run));

  // The adapter is back (the pseudo-terminal may come back under another
  // number): Try to connect on the connection page.
  sim = std::make_unique<sim::Server>();
  const std::string back = sim->startPty();
  ASSERT_FALSE(back.empty());
  ctx->link.comPort = static_cast<uint16_t>(platform::comNumber(back));
  ShowConnectionValues(*ctx);
  press(CC_CBTNTryToConnect);
  EXPECT_TRUE(SerialOpen(ctx->link)) << status();
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.connected), "CONNECTED");
  Seen again;
  again.stopAfter = 2;
  run(again);
  EXPECT_EQ(again.cycles, 2);
  EXPECT_TRUE(again.failures.empty());
}

TEST_F(RunLoopTest, FailedTriggeredRecordEndsTheLoopAsAStop) {
  connectPty();
  ctx->live.armedTrigger = -1;
  Seen seen;
  seen.stopAfter = 50;
  seen.onCycle = [&](int n) {
    if (n != 1) return;
    failOn(order::kLiveData, 1);
    sim->pulseInput();
  };
  run(seen);
  EXPECT_EQ(seen.cycles, 2);
  // Said to a front-end that watches, though the loop ends as a stop: the
  // triggered record is lost.
  ASSERT_EQ(seen.failures.size(), 1u);
  EXPECT_EQ(seen.failures[0], "Timeout RS232-Line!");
  EXPECT_EQ(status(), "Data-Transfer Stopped!");
}

// A lost link leaves one consistent picture: DISCONNECTED with RUN and GET
// dimmed, "COM ERR" instead of the last state and the last values dimmed
// as stale; RUN does not turn the red error text black.
TEST_F(RunLoopTest, ALostLinkLeavesNoContradictions) {
  connectTcp();
  const ui::CtlRef state = ctx->ui.find("VIDEO", "STATETEXT");
  const ui::CtlRef value = ctx->ui.find("VIDEO", "MEASVAL");
  Seen seen;
  seen.stopAfter = 50;
  seen.onCycle = [&](int n) {
    if (n == 3) sim->setFault(sim::Fault::CloseConnection, sim::kPersistent);
  };
  run(seen);
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.connected), "DISCONNECTED");
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.main.run));
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.main.get));
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.main.recStart));
  EXPECT_EQ(ctx->ui.text(state), "COM ERR");
  EXPECT_EQ(ctx->ui.at(state).bgColor, ui::kRed);
  EXPECT_TRUE(ctx->ui.dimmed(value));
  EXPECT_EQ(ctx->ui.at(ctx->refs.main.status).textColor, ui::kRed);
  press(CC_BTNRun);
  EXPECT_EQ(ctx->ui.at(ctx->refs.main.status).textColor, ui::kRed);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
}

// Over RS-232 the port stays open when the sensor falls silent: the
// indicator says so after a failed exchange, in both languages, and says
// CONNECTED again with the next answer; the live values show "COM ERR".
TEST_F(RunLoopTest, ASilentSensorShowsOnTheIndicatorUntilItAnswersAgain) {
  connectPty();
  ctx->link.replyTimeout = 0.3;
  ASSERT_EQ(ctx->ui.text(ctx->refs.main.connected), "CONNECTED");
  EXPECT_EQ(runIntoFailure(order::kLiveData, 0), "RAW: Timeout RS232-Line!");
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.connected), "NO ANSWER");
  EXPECT_EQ(ctx->ui.at(ctx->refs.main.connected).bgColor, ui::kYellow);
  EXPECT_EQ(ctx->ui.text(ctx->ui.find("VIDEO", "STATETEXT")), "COM ERR");
  EXPECT_TRUE(ctx->ui.dimmed(ctx->ui.find("VIDEO", "MEASVAL")));
  EXPECT_FALSE(ctx->ui.dimmed(ctx->refs.main.run)) << "the port is open: RUN may try again";
  ctx->app.resourceDir = BX_RESOURCE_DIR;
  SetLanguage(*ctx, 1);
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.connected), "KEINE ANTWORT");
  EXPECT_EQ(ctx->ui.text(ctx->ui.find("VIDEO", "STATETEXT")), "COM FEHLER");
  SetLanguage(*ctx, 0);
  // The next good exchange: connected again, live values current.
  Seen seen;
  seen.stopAfter = 2;
  run(seen);
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.connected), "CONNECTED");
  EXPECT_EQ(ctx->ui.at(ctx->refs.main.connected).bgColor, ui::kWhite);
  EXPECT_FALSE(ctx->ui.dimmed(ctx->ui.find("VIDEO", "MEASVAL")));
  EXPECT_NE(ctx->ui.text(ctx->ui.find("VIDEO", "STATETEXT")), "COM ERR");
}

// A page change during RUN: the video of the page now shown follows the
// sensor, the one left behind is no longer drawn.
TEST_F(RunLoopTest, AfterAPageChangeTheNewPagesVideoFollows) {
  connectTcp();
  ctx->ui.setActivePage(ctx->refs.main.tab, 0);
  ShowGraphView(*ctx, 1);
  auto& teach = ctx->ui.graph(ctx->refs.display.teachGraph);
  uint64_t teachRevision = 0;
  Seen seen;
  seen.stopAfter = 6;
  seen.onCycle = [&](int n) {
    if (n == 2) {
      ctx->ui.setActivePage(ctx->refs.main.tab, 3);
      teach.plots.clear();
      teachRevision = ctx->ui.at(ctx->refs.display.teachGraph).revision;
    }
  };
  run(seen);
  EXPECT_GT(ctx->ui.at(ctx->refs.display.teachGraph).revision, teachRevision);
  ASSERT_FALSE(teach.plots.empty()) << "the teach page's video stayed frozen";
  for (size_t i = 0; i < 256; ++i) EXPECT_EQ(teach.plots[0].y[i], ctx->live.video[i]) << i;
}

TEST_F(RunLoopTest, RunAndStopButtons) {
  connectTcp();
  // STOP's press alone is what the loop notices; RUN refuses while the link
  // is held by another operation.
  ctx->run.linkHeld = 1;
  press(CC_BTNRun);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
  ctx->run.linkHeld = 0;
  fe->schedule(0.05, [&] { CC_BTNStop(*ctx, ui::EventArgs{0, 0, ui::EVENT_KEYPRESS, 0, 0}); });
  press(CC_BTNRun);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
  EXPECT_EQ(status(), "Data-Transfer Stopped!");
  EXPECT_TRUE(!ctx->ui.dimmed(ctx->refs.main.run));
}

}  // namespace
}  // namespace bx::test
