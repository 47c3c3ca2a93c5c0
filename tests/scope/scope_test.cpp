// The scope against the simulated sensor: arming with its settings and the
// waiting texts, the streamed record over both transports, STOP, a tab change
// and a time-out disarming the sensor, streamed-frame faults, and what the
// page shows (time axis, cursor differences, limits, digital traces).
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/localize.h"
#include "cli/scope_cmd.h"
#include "app/main_panel.h"
#include "live/run_loop.h"
#include "params/params_fixture.h"
#include "platform/clock.h"
#include "platform/date_text.h"
#include "scope/callbacks.h"
#include "scope/print.h"
#include "scope/scope.h"
#include "scope/view.h"
#include "support/use_language.h"
#include "wire/frame_format.h"
#include "wire/orders.h"
#include "wire/scope_record.h"

namespace bx::test {
namespace {

constexpr int kScopePage = 6;

class ScopeTest : public ParamsTest {
 protected:
  const ScopeRefs& refs() const { return ctx->scope.refs; }

  void settings(int mode, int level = 50, int pretrigger = 0, int rate = 1) {
    ctx->ui.setValue(refs().trigMode, mode);
    ctx->ui.setValue(refs().trigLevel, level);
    ctx->ui.setValue(refs().pretrigger, pretrigger);
    ctx->ui.setValue(refs().scanRate, rate);
  }

  // What the status field and the waiting text show during the wait, seen
  // from the first pass of event processing after arming.
  struct Seen {
    std::string status, waitText;
    bool waitVisible = false;
    bool active = false;
  };
  void watchWait(Seen& seen) {
    fe->schedule(0, [this, &seen] {
      // Events also run inside the arm request's exchange: wait for the wait.
      if (!ctx->scope.active && ctx->scope.outcome == ScopeOutcome::None) return watchWait(seen);
      seen.status = ctx->ui.text(ctx->refs.main.status);
      seen.waitText = ctx->ui.text(refs().waitText);
      seen.waitVisible = ctx->ui.visible(refs().waitText);
      seen.active = ctx->scope.active;
    });
  }

  void streamFault(sim::Fault f, int arg = 0) {
    sim::FaultRule rule;
    rule.fault = f;
    rule.arg = arg;
    rule.order = order::kScope;
    rule.spontaneous = true;
    rule.count = 1;
    sim->setFault(rule);
  }

  void pressStopAfter(double seconds) {
    fe->schedule(seconds, [this] {
      ui::EventArgs ev{0, 0, ui::EVENT_LEFT_CLICK, 0, 0};
      CC_BTNStop(*ctx, ev);
      ev.event = ui::EVENT_COMMIT;
      CC_BTNStop(*ctx, ev);
    });
  }

  const ui::GraphModel& graph() { return ctx->ui.graph(refs().graph); }
  const ui::GraphModel& digital() { return ctx->ui.graph(refs().digiGraph); }
};

TEST(ScopeRecord, SettingsAndSamplesTravelAsNamedLittleEndianFields) {
  const auto bytes = scoperec::encodeSettings({2, 75, 10, 300});
  const std::array<uint8_t, 16> want{2, 0, 75, 0, 10, 0, 0x2C, 0x01, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(bytes, want);

  // Bits 29..31 carry nothing: they must not leak into value or lines.
  const scoperec::Sample s = scoperec::decodeSample(0xE0000000u | (1u << 26) | 0x00ABCDEFu);
  EXPECT_EQ(s.valueUm, 0x00ABCDEFu);
  EXPECT_EQ(s.line, (std::array<bool, 5>{false, false, true, false, false}));

  std::vector<uint8_t> data(512);
  for (size_t i = 0; i < 128; ++i) frame::put32(&data[4 * i], static_cast<uint32_t>(i * 1000));
  std::array<uint32_t, 128> out{};
  out.fill(7);
  EXPECT_FALSE(scoperec::decodeRecord(data.data(), 511, out));
  EXPECT_EQ(out[0], 7u);  // untouched
  ASSERT_TRUE(scoperec::decodeRecord(data.data(), data.size(), out));
  EXPECT_EQ(out[127], 127000u);
}

TEST_F(ScopeTest, AllStatusBitsSetDrawTheFiveTracesAtOddHeightsInTheirColours) {
  model(1000, 10.0);
  ctx->scope.samples.fill(0x1F000000u | 5000u);
  ctx->scope.samples[64] = 5000u;  // all lines clear in the middle
  PlotScopeRecord(*ctx);
  const auto& d = digital();
  ASSERT_EQ(d.plots.size(), 5u);
  const ui::Color colours[5] = {{0, 128, 0}, {255, 255, 0}, {255, 0, 255}, {128, 128, 128}, {0, 0, 128}};
  for (int k = 0; k < 5; ++k) {
    const auto& p = d.plots[static_cast<size_t>(k)];
    EXPECT_EQ(p.type, ui::PlotType::Steps);
    EXPECT_EQ(p.color, colours[k]);
    EXPECT_EQ(p.y[0], 2 * k + 1);
    EXPECT_EQ(p.y[64], 2 * k);
  }
  // Value in red, set value dashed black, limits green; pixel mode takes the
  // limits from the program's teach row.
  const auto& g = graph();
  ASSERT_EQ(g.plots.size(), 4u);
  EXPECT_EQ(g.plots[0].color, ui::kRed);
  EXPECT_DOUBLE_EQ(g.plots[0].y[0], 500.0);  // 5000 um at 10 um per pixel
  EXPECT_TRUE(g.plots[1].dashed);
  const int teach = param::rowGet(ctx->params, 0, param::ROW_TEACH_VALUE);
  EXPECT_DOUBLE_EQ(g.plots[1].y[0], teach);
  EXPECT_DOUBLE_EQ(g.plots[2].y[0], teach + param::rowGet(ctx->params, 0, param::ROW_UPPER_TOL));
  EXPECT_EQ(g.plots[3].color, (ui::Color{0, 128, 0}));
}

TEST_F(ScopeTest, MillimetreLimitsComeFromTheParameterSetAndTheProgramFromTheInput) {
  model(1000, 10.0);
  ctx->params.unitMm = 1;
  param::set32(ctx->params, param::UM_TEACH, 4000);
  param::set32(ctx->params, param::UM_TOLUP, 250);
  param::set32(ctx->params, param::UM_TOLLO, 500);
  ctx->scope.samples.fill(1234u);
  PlotScopeRecord(*ctx);
  EXPECT_DOUBLE_EQ(graph().plots[0].y[3], 1.234);
  EXPECT_DOUBLE_EQ(graph().plots[1].y[0], 4.0);
  EXPECT_DOUBLE_EQ(graph().plots[2].y[0], 4.25);
  EXPECT_DOUBLE_EQ(graph().plots[3].y[0], 3.5);
  // Set-point and tolerance whose sum leaves the 32-bit field.
  param::set32(ctx->params, param::UM_TEACH, INT32_MAX);
  param::set32(ctx->params, param::UM_TOLUP, 1000);
  PlotScopeRecord(*ctx);
  EXPECT_DOUBLE_EQ(graph().plots[2].y[0], (INT32_MAX + 1000.0) / 1000.0);
  param::set32(ctx->params, param::UM_TEACH, INT32_MIN);
  param::set32(ctx->params, param::UM_TOLLO, 1000);
  PlotScopeRecord(*ctx);
  EXPECT_DOUBLE_EQ(graph().plots[3].y[0], (INT32_MIN - 1000.0) / 1000.0);

  param::set(ctx->params, param::EVAL_PROGRAM, 2);
  EXPECT_EQ(ScopeProgram(*ctx, 1u << 24), 2);
  param::set(ctx->params, param::EXT_TRIGGER_MODE, 3);
  EXPECT_EQ(ScopeProgram(*ctx, 1u << 24), 1);
  param::set(ctx->params, param::EXT_TRIGGER_MODE, 4);
  EXPECT_EQ(ScopeProgram(*ctx, 3u << 24), 3);
  EXPECT_EQ(ScopeProgram(*ctx, 2u << 24), 2);
}

TEST_F(ScopeTest, TheTimeAxisCountsSecondsFromASamplePeriodOfEightMilliseconds) {
  SetScopeTimeAxis(*ctx, 7.99);
  EXPECT_EQ(graph().x.caption, "Time [ms]");
  EXPECT_EQ(graph().x.precision, 0);
  EXPECT_DOUBLE_EQ(graph().x.gain, 7.99);
  SetScopeTimeAxis(*ctx, 8.0);
  EXPECT_EQ(graph().x.caption, "Time [sec]");
  EXPECT_EQ(graph().x.precision, 2);
  EXPECT_DOUBLE_EQ(graph().x.gain, 0.008);
  EXPECT_EQ(digital().x.caption, "Time [sec]");
}

TEST_F(ScopeTest, RefreshCycleTakesThePeriodFromTheSensorsCycleTime) {
  sim::Config cfg;
  cfg.cycleUs = 500;  // 2000 Hz
  connectTcp(cfg);
  // The bring-up already refreshed it, with N = 1.
  EXPECT_DOUBLE_EQ(ctx->scope.periodMs, 0.5);
  settings(0, 50, 0, 16);  // 125 Hz: exactly 8 ms
  // The record fetched also refreshes the main panel's live values.
  ctx->ui.setText(ctx->ui.find("MAIN", "SCANRATE"), "");
  ctx->ui.setValue(ctx->ui.find("VIDEO", "EDGECOUNT"), -1);
  ASSERT_EQ(RefreshCYCLE(*ctx), 1);
  EXPECT_EQ(ctx->ui.text(ctx->ui.find("MAIN", "SCANRATE")), "2000");
  EXPECT_GE(ctx->ui.value(ctx->ui.find("VIDEO", "EDGECOUNT")), 0);
  EXPECT_DOUBLE_EQ(ctx->scope.sampleRateHz, 125.0);
  EXPECT_DOUBLE_EQ(ctx->scope.periodMs, 8.0);
  EXPECT_EQ(graph().x.caption, "Time [sec]");
  EXPECT_DOUBLE_EQ(ctx->ui.value(refs().sampleRate), 125.0);
  settings(0, 50, 0, 15);
  ctx->ui.fire(refs().scanRate, ui::EVENT_VAL_CHANGED);
  EXPECT_DOUBLE_EQ(ctx->scope.periodMs, 7.5);
  EXPECT_EQ(graph().x.caption, "Time [ms]");
}

TEST_F(ScopeTest, DeltaXOfExactlyASecondStaysInMilliseconds) {
  ctx->scope.periodMs = 10.0;
  auto& g = ctx->ui.graph(refs().graph);
  g.cursors[0].x = 0;
  g.cursors[1].x = 100;
  g.cursors[0].y = 2.5;
  g.cursors[1].y = 1.0;
  ctx->ui.fire(refs().graph, ui::EVENT_COMMIT, 1);
  EXPECT_EQ(ctx->ui.at(refs().deltaX).label, "Delta-X[ms]");
  EXPECT_EQ(ctx->ui.at(refs().deltaX).precision, 0);
  EXPECT_DOUBLE_EQ(ctx->ui.value(refs().deltaX), 1000.0);
  EXPECT_DOUBLE_EQ(ctx->ui.value(refs().deltaY), 1.5);
  EXPECT_DOUBLE_EQ(digital().cursors[1].x, 100);

  g.cursors[1].x = 101;
  ctx->ui.fire(refs().graph, ui::EVENT_COMMIT, 2);
  EXPECT_EQ(ctx->ui.at(refs().deltaX).label, "Delta-X[sec]");
  EXPECT_EQ(ctx->ui.at(refs().deltaX).precision, 2);
  EXPECT_DOUBLE_EQ(ctx->ui.value(refs().deltaX), 1.01);
}

TEST_F(ScopeTest, TheTriggerLevelMarkerFollowsTheSlider) {
  model(1001, 10.0);
  ctx->ui.setValue(refs().trigLevel, 25);
  ctx->ui.fire(refs().trigLevel, ui::EVENT_COMMIT);
  const auto& c = graph().cursors[2];
  EXPECT_TRUE(c.visible);
  EXPECT_DOUBLE_EQ(c.x, 1);
  EXPECT_DOUBLE_EQ(c.y, 250);  // 1001 * 25 / 100, whole pixels
  ctx->params.unitMm = 1;
  ctx->ui.fire(refs().trigLevel, ui::EVENT_COMMIT);
  EXPECT_NEAR(graph().cursors[2].y, 10.01 * 0.25, 1e-9);
}

TEST_F(ScopeTest, ArmsWithItsSettingsAndShowsTheWaitingTextOfItsTriggerMode) {
  connectTcp();
  const struct {
    int mode;
    const char* text;
  } cases[] = {{0, "WAITING FOR DATA ..."}, {1, "WAITING FOR TRIGGER ..."}, {2, "WAITING FOR TRIGGER ..."}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    settings(c.mode, 40, 12, 3);
    Seen seen;
    watchWait(seen);
    PushSCOPE(*ctx);
    EXPECT_EQ(ctx->scope.outcome, ScopeOutcome::Shown) << ctx->status;
    EXPECT_EQ(seen.status, c.text);
    EXPECT_EQ(seen.waitText, c.text);
    EXPECT_TRUE(seen.waitVisible);
    EXPECT_TRUE(seen.active);
    const auto req = sim->lastRequest(order::kScope);
    EXPECT_EQ(req.param, 1);
    EXPECT_EQ(req.payload, (std::vector<uint8_t>{static_cast<uint8_t>(c.mode), 0, 40, 0, 12, 0, 3, 0, 0, 0, 0, 0, 0, 0,
                                                  0, 0}));
    EXPECT_FALSE(ctx->ui.visible(refs().waitText));
    EXPECT_FALSE(ctx->scope.active);
    EXPECT_EQ(ctx->run.state, RUN_IDLE);
    EXPECT_FALSE(ctx->ui.dimmed(ctx->refs.main.run));
  }
  // The same wait in German.
  ctx->app.resourceDir = BX_RESOURCE_DIR;
  SetLanguage(*ctx, 1);
  settings(1);
  Seen seen;
  watchWait(seen);
  PushSCOPE(*ctx);
  EXPECT_EQ(seen.waitText, "WARTE AUF TRIGGER ...");
  EXPECT_EQ(seen.status, "WARTE AUF TRIGGER ...");
}

TEST_F(ScopeTest, TheRecordArrivesOverThePtyAndMatchesTheSensorsValues) {
  connectPty();
  settings(0);
  PushSCOPE(*ctx);
  ASSERT_EQ(ctx->scope.outcome, ScopeOutcome::Shown) << ctx->status;
  EXPECT_TRUE(ctx->scope.hasRecord);
  // The simulated shadow sits inside the line: every value is a real one.
  for (uint32_t s : ctx->scope.samples) {
    const uint32_t um = s & scoperec::kValueMask;
    EXPECT_GT(um, 0u);
    EXPECT_LT(um, 1000000u);
  }
  EXPECT_EQ(ctx->status, "Data-Transfer Stopped!");
}

// The page's CSV export: the command line's columns and rows, with commas;
// nothing without a record; an existing file is replaced only when the
// operator says so.
TEST_F(ScopeTest, ThePageExportsTheRecordAsCsvWithTheCommandLinesColumns) {
  const ui::CtlRef exportBtn = ctx->ui.find("SCOPE", "EXPORT");
  ASSERT_TRUE(exportBtn.valid());
  const std::string path = tempDir() + "/scope.csv";
  fe->answerFile(ui::FILE_NEW, path);
  ctx->ui.fire(exportBtn, ui::EVENT_COMMIT);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(fe->popups().back().text, "No scope record to export - start the scope first!");

  connectTcp();
  settings(0);
  PushSCOPE(*ctx);
  ASSERT_EQ(ctx->scope.outcome, ScopeOutcome::Shown) << ctx->status;
  fe->clearPopups();
  ctx->ui.fire(exportBtn, ui::EVENT_COMMIT);
  std::ifstream in(path);
  const std::string csv((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string tsv = cli::ScopeRecordTsv(*ctx);
  std::replace(tsv.begin(), tsv.end(), '\t', ',');
  EXPECT_EQ(csv, tsv);
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "INDEX,TIME[ms],VALUE[um],BIT24,BIT25,BIT26,BIT27,BIT28");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 129);

  // Declining the overwrite keeps the file as it was.
  { std::ofstream(path) << "old"; }
  fe->answerFile(ui::FILE_EXISTING, path);
  fe->answerConfirm(false);
  ctx->ui.fire(exportBtn, ui::EVENT_COMMIT);
  std::ifstream again(path);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()), "old");
}

TEST_F(ScopeTest, StopWhileArmedSendsTheDisarmRequestOnBothTransports) {
  for (bool tcp : {true, false}) {
    SCOPED_TRACE(tcp ? "TCP" : "pty");
    if (tcp) connectTcp(); else connectPty();
    settings(3);  // external input: no trigger comes
    const int before = sim->requestCount(order::kScope);
    pressStopAfter(0.3);
    PushSCOPE(*ctx);
    EXPECT_EQ(ctx->scope.outcome, ScopeOutcome::Stopped) << ctx->status;
    EXPECT_EQ(sim->requestCount(order::kScope), before + 2);
    EXPECT_EQ(sim->lastRequest(order::kScope).param, 0);
    EXPECT_TRUE(sim->lastRequest(order::kScope).payload.empty());
    EXPECT_FALSE(sim->scopeArmed());
    EXPECT_EQ(ctx->status, "Data-Transfer Stopped!");
    EXPECT_EQ(ctx->run.state, RUN_IDLE);
    CloseLink(*ctx, true);
    sim->stop();
    sim.reset();
  }
}

// Over TCP the arm reply's eight bytes once counted towards the record:
// the wait ended at once and decoded whatever the buffer held.
TEST_F(ScopeTest, OverTcpTheWaitForTheRecordOutlastsTheArmReply) {
  connectTcp();
  settings(3);
  Seen seen;
  watchWait(seen);
  fe->schedule(0.4, [this] { sim->pulseInput(); });
  PushSCOPE(*ctx);
  ASSERT_EQ(ctx->scope.outcome, ScopeOutcome::Shown) << ctx->status;
  EXPECT_TRUE(seen.active);  // it was still waiting when the events ran
  EXPECT_EQ(seen.status, "WAITING FOR TRIGGER ...");
  // The picture is the sensor's record: its values, not the arm reply's header.
  EXPECT_NE(ctx->scope.samples[0] & scoperec::kValueMask, frame::get32(ctx->link.tx.data()) & scoperec::kValueMask);
  EXPECT_GT(ctx->scope.samples[0] & scoperec::kValueMask, 0u);
}

TEST_F(ScopeTest, LeavingTheScopePageStopsAWaitingScope) {
  connectTcp();
  ctx->ui.setActivePage(ctx->refs.main.tab, kScopePage);
  settings(3);
  fe->schedule(0.2, [this] {
    ctx->ui.setActivePage(ctx->refs.main.tab, 0);
    ctx->ui.fire(ctx->refs.main.tab, ui::EVENT_ACTIVE_TAB_CHANGE);
  });
  PushSCOPE(*ctx);
  EXPECT_EQ(ctx->scope.outcome, ScopeOutcome::Stopped);
  EXPECT_EQ(sim->lastRequest(order::kScope).param, 0);
  EXPECT_FALSE(ctx->scope.active);
}

TEST_F(ScopeTest, EnteringTheScopePageEndsARunningLiveLoop) {
  connectTcp();
  fe->schedule(0.3, [this] {
    ctx->ui.setActivePage(ctx->refs.main.tab, kScopePage);
    ctx->ui.fire(ctx->refs.main.tab, ui::EVENT_ACTIVE_TAB_CHANGE);
  });
  // Ends only by the tab change: nothing else stops it.
  PushRUN(*ctx);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
  EXPECT_EQ(ctx->ui.activePage(ctx->refs.main.tab), kScopePage);
  EXPECT_EQ(ctx->status, "Data-Transfer Stopped!");
  EXPECT_TRUE(graph().cursors[2].visible);  // the marker is placed
}

TEST_F(ScopeTest, RunOnTheScopePageArmsTheScopeInsteadOfTheLiveLoop) {
  connectTcp();
  ctx->ui.setActivePage(ctx->refs.main.tab, kScopePage);
  ctx->ui.fire(ctx->refs.main.tab, ui::EVENT_ACTIVE_TAB_CHANGE);
  settings(0);
  const int live = sim->requestCount(order::kLiveData);
  ctx->ui.fire(ctx->refs.main.run, ui::EVENT_LEFT_CLICK);
  ctx->ui.fire(ctx->refs.main.run, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->scope.outcome, ScopeOutcome::Shown) << ctx->status;
  EXPECT_EQ(sim->requestCount(order::kLiveData), live);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);

  // Elsewhere RUN is the live loop again.
  ctx->ui.setActivePage(ctx->refs.main.tab, 0);
  ctx->ui.fire(ctx->refs.main.tab, ui::EVENT_ACTIVE_TAB_CHANGE);
  ctx->scope.outcome = ScopeOutcome::None;
  pressStopAfter(0.2);
  ctx->ui.fire(ctx->refs.main.run, ui::EVENT_LEFT_CLICK);
  ctx->ui.fire(ctx->refs.main.run, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->scope.outcome, ScopeOutcome::None);
  EXPECT_GT(sim->requestCount(order::kLiveData), live);
}

TEST_F(ScopeTest, ARecordShorterThan512BytesIsRefusedAndThePictureStays) {
  connectTcp();
  settings(0);
  PushSCOPE(*ctx);
  ASSERT_EQ(ctx->scope.outcome, ScopeOutcome::Shown);
  const auto samples = ctx->scope.samples;
  const auto values = graph().plots[0].y;

  streamFault(sim::Fault::ShortPayload, 100);
  PushSCOPE(*ctx);
  EXPECT_EQ(ctx->scope.outcome, ScopeOutcome::ShortRecord);
  EXPECT_EQ(ctx->status, "SCOPE-MODULE: Record incomplete - previous picture kept!");
  EXPECT_EQ(ctx->scope.samples, samples);
  EXPECT_EQ(graph().plots[0].y, values);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
  EXPECT_FALSE(ctx->ui.dimmed(ctx->refs.main.get));
  EXPECT_FALSE(ctx->scope.active);
}

TEST_F(ScopeTest, NoRecordEndsAtTheTimeLimitAndDisarms) {
  connectTcp();
  settings(0);
  streamFault(sim::Fault::NoReply);
  ctx->scope.recordTimeout = 0.5;
  PushSCOPE(*ctx);
  EXPECT_EQ(ctx->scope.outcome, ScopeOutcome::TimedOut);
  EXPECT_EQ(ctx->status, "SCOPE-MODULE: No record received - scope disarmed!");
  EXPECT_EQ(sim->lastRequest(order::kScope).param, 0);
  EXPECT_FALSE(sim->scopeArmed());
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
}

TEST_F(ScopeTest, StreamedFramesAreCheckedAgainstTheirOwnHeader) {
  connectPty();
  settings(0);
  ctx->scope.recordTimeout = 0.6;
  // Noise before the record: the record is found behind it.
  streamFault(sim::Fault::Noise, 40);
  PushSCOPE(*ctx);
  EXPECT_EQ(ctx->scope.outcome, ScopeOutcome::Shown) << ctx->status;
  // A record whose header fails its CRC or sync byte is no record: the
  // scope ends at once and quietly, as on STOP, without any time limit.
  ctx->scope.recordTimeout = 1e12;
  const auto samples = ctx->scope.samples;
  for (sim::Fault f : {sim::Fault::BadHeaderCrc, sim::Fault::WrongSync}) {
    SCOPED_TRACE(sim::faultName(f));
    streamFault(f);
    const double t0 = platform::Timer();
    PushSCOPE(*ctx);
    EXPECT_LT(platform::Timer() - t0, 3.0);
    EXPECT_EQ(ctx->scope.outcome, ScopeOutcome::Discarded) << ctx->status;
    EXPECT_EQ(ctx->status, "Data-Transfer Stopped!");
    EXPECT_NE(ctx->ui.at(ctx->refs.main.status).textColor, ui::kRed);
    EXPECT_EQ(ctx->scope.samples, samples);
    EXPECT_FALSE(sim->scopeArmed());
    EXPECT_EQ(ctx->run.state, RUN_IDLE);
    EXPECT_FALSE(ctx->scope.active);
    EXPECT_FALSE(ctx->ui.visible(refs().waitText));
  }
  ctx->scope.recordTimeout = 0.6;
  // Data that fails its CRC keeps the picture and says so.
  streamFault(sim::Fault::BadDataCrc);
  PushSCOPE(*ctx);
  EXPECT_EQ(ctx->scope.outcome, ScopeOutcome::BadRecord);
  EXPECT_EQ(ctx->status, "ATTENTION! RECEIVED DATA FRAME IS INCORRECT!");
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
}

// A frame of another order, or a scope frame without data, while the scope
// waits for its trigger is no record either: quiet end, no endless wait.
TEST_F(ScopeTest, AFrameOfAnotherOrderOrWithoutDataEndsTheScopeQuietly) {
  for (bool tcp : {true, false}) {
    SCOPED_TRACE(tcp ? "TCP" : "pty");
    if (tcp) connectTcp(); else connectPty();
    const int channel = tcp ? sim::kTcpChannel : sim::kPtyChannel;
    const struct {
      uint8_t order;
      std::vector<uint8_t> data;
    } cases[] = {{order::kScope, {}}, {order::kLiveData, std::vector<uint8_t>(64, 3)}};
    for (const auto& c : cases) {
      SCOPED_TRACE(static_cast<int>(c.order));
      settings(3);  // external input: the record itself never comes
      ctx->scope.recordTimeout = 1e12;
      fe->schedule(0.3, [&] { sim->sendUnrequested(channel, c.order, 0, c.data); });
      const double t0 = platform::Timer();
      PushSCOPE(*ctx);
      EXPECT_LT(platform::Timer() - t0, 3.0);
      EXPECT_EQ(ctx->scope.outcome, ScopeOutcome::Discarded) << ctx->status;
      EXPECT_EQ(ctx->status, "Data-Transfer Stopped!");
      EXPECT_NE(ctx->ui.at(ctx->refs.main.status).textColor, ui::kRed);
      EXPECT_FALSE(ctx->scope.hasRecord);
      EXPECT_EQ(ctx->run.state, RUN_IDLE);
      EXPECT_FALSE(ctx->ui.dimmed(ctx->refs.main.run));
      EXPECT_FALSE(sim->scopeArmed()) << "disarmed: no stale record comes later";
    }
    CloseLink(*ctx, true);
    sim->stop();
    sim.reset();
  }
}

TEST_F(ScopeTest, AnUnansweredArmRequestShowsTheScopeTimeoutOnTheMessagePage) {
  connectTcp();
  sim::FaultRule rule;
  rule.fault = sim::Fault::NoReply;
  rule.order = order::kScope;
  rule.count = 1;
  // The acknowledgement lost but the record on its way: the record is taken.
  settings(0);
  sim->setFault(rule);
  PushSCOPE(*ctx);
  EXPECT_EQ(ctx->scope.outcome, ScopeOutcome::Shown) << ctx->status;

  // Nothing comes back at all.
  settings(3);
  sim->setFault(rule);
  PushSCOPE(*ctx);
  EXPECT_EQ(ctx->scope.outcome, ScopeOutcome::ArmFailed);
  EXPECT_EQ(ctx->status, "SCOPE-MODULE: Timeout TCP-Server-error!");
  EXPECT_EQ(ctx->ui.activePage(ctx->refs.main.tab), 7);
  EXPECT_EQ(ctx->ui.at(ctx->refs.main.status).textColor, ui::kRed);
  EXPECT_NE(ctx->ui.text(ctx->refs.conn.msgBox).find("SCOPE-MODULE: Timeout TCP-Server-error!"), std::string::npos);
  EXPECT_FALSE(ctx->scope.active);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);  // GET and SEND work again
}

TEST_F(ScopeTest, TheCommentHoldsAtMost1024CharactersAndARightDoubleClickClearsIt) {
  ctx->ui.setText(refs().comment, std::string(1100, 'x'));
  ctx->ui.fire(refs().comment, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.text(refs().comment).size(), 1024u);
  // Never half a character.
  ctx->ui.setText(refs().comment, std::string(1023, 'x') + "\xC3\xA4" + "yy");
  ctx->ui.fire(refs().comment, ui::EVENT_VAL_CHANGED);
  EXPECT_EQ(ctx->ui.text(refs().comment), std::string(1023, 'x'));
  ctx->ui.fire(refs().comment, ui::EVENT_RIGHT_DOUBLE_CLICK);
  EXPECT_EQ(ctx->ui.text(refs().comment), "");
}

TEST_F(ScopeTest, ThePrintOutHoldsItsElementsInOrder) {
  ctx->app.hwInfoVersionText = " Build: V5.5.0  02/Jun/2026";
  const std::time_t t = 1700000000;
  ui::PrintJob job = BuildScopePrintJob(*ctx, t);
  ASSERT_EQ(job.items.size(), 5u);  // no comment: no comment lines
  EXPECT_EQ(job.items[0].text, "Scope Screen Shot");
  EXPECT_EQ(job.items[0].pointSize, 16);
  EXPECT_EQ(job.items[1].text, "Quellan-BX-Scope  Build: V5.5.0  02/Jun/2026");
  EXPECT_EQ(job.items[4].kind, ui::PrintItem::Kind::Panel);
  EXPECT_EQ(job.items[4].panel, refs().graph.panel);
  EXPECT_EQ(job.headerLeft, platform::DateStr(t));
  EXPECT_EQ(job.headerRight.size(), 8u);
  EXPECT_EQ(job.footer, "Page {n} of {m}");

  testing_lang::UseLanguage(*ctx, 1);
  ctx->ui.setText(refs().comment, "Line 3 after cleaning");
  job = BuildScopePrintJob(*ctx, t);
  ASSERT_EQ(job.items.size(), 9u);
  EXPECT_EQ(job.items[0].text, "Scope Bildschirmausdruck");
  EXPECT_EQ(job.items[4].text, "Kommentar:");
  EXPECT_EQ(job.items[5].text, "Line 3 after cleaning");
  EXPECT_EQ(job.items[8].kind, ui::PrintItem::Kind::Panel);
}

TEST_F(ScopeTest, PrintingOffersAPdfFileWhenNoPrinterIsInstalled) {
  // A front-end that cannot print says so.
  ctx->ui.fire(refs().print, ui::EVENT_COMMIT);
  ASSERT_FALSE(fe->popups().empty());
  EXPECT_EQ(fe->popups().back().title, "I n f o !");
  EXPECT_EQ(fe->popups().back().text, "Could not initialize NI Reports...");
  EXPECT_TRUE(fe->printed().empty());
  testing_lang::UseLanguage(*ctx, 1);
  ctx->ui.fire(refs().print, ui::EVENT_COMMIT);
  EXPECT_EQ(fe->popups().back().text, "NI Report konnte nicht initialisiert werden...");
  testing_lang::UseLanguage(*ctx, 0);

  fe->setPrinting(true);
  fe->clearPopups();
  fe->answerFile(ui::FILE_NEW, "/tmp/shot.pdf");
  ctx->ui.fire(refs().print, ui::EVENT_COMMIT);
  ASSERT_EQ(fe->printed().size(), 1u);
  EXPECT_EQ(fe->printed()[0].second.pdfPath, "/tmp/shot.pdf");
  EXPECT_TRUE(fe->printed()[0].second.printer.empty());
  EXPECT_EQ(fe->popups().back().text, "Print successfully started!");

  // With printers the operator picks one; cancelling prints nothing.
  fe->setPrinting(true, {"Office", "Lab"});
  ctx->ui.fire(refs().print, ui::EVENT_COMMIT);
  EXPECT_EQ(fe->printed().size(), 1u);
  fe->answerSelect(1);
  ctx->ui.fire(refs().print, ui::EVENT_COMMIT);
  ASSERT_EQ(fe->printed().size(), 2u);
  EXPECT_EQ(fe->printed()[1].second.printer, "Lab");

  fe->setPrinting(true, {"Office"}, [](const ui::PrintJob&, const ui::PrintTarget&, std::string& e) {
    e = "out of paper";
    return false;
  });
  fe->answerSelect(0);
  ctx->ui.fire(refs().print, ui::EVENT_COMMIT);
  EXPECT_EQ(fe->popups().back().title, "A T T E N T I O N !");
  EXPECT_EQ(fe->popups().back().text, "Print error!");
}

}  // namespace
}  // namespace bx::test
