// The adjustment panel driven as the run loop drives it, through its hooks,
// against the simulated sensor; the record's exchange over both transports.
#include <gtest/gtest.h>

#include "factory/adjust_panel.h"
#include "factory/adjust_record.h"
#include "live/frame.h"
#include "live/state.h"
#include "tests/link/link_fixture.h"
#include "wire/frame_format.h"
#include "wire/orders.h"

namespace bx {
namespace {

using namespace factory;

class AdjustPanel : public test::LinkTest {
 protected:
  void SetUp() override {
    test::LinkTest::SetUp();
    openTcp();
    ctx->link.replyTimeout = 0.2;
    ASSERT_GE(ctx->factory.panel, 0);
  }
  ui::CtlRef field(const char* page, const char* name) { return ctx->ui.find(page, name); }
  double value(const char* page, const char* name) { return ctx->ui.value(field(page, name)); }
  void set(const char* page, const char* name, double v) { ctx->ui.setValue(field(page, name), v); }
  int exchanges() { return sim->requestCount(order::kPotentiometer); }
  // One run-loop cycle as the loop makes it: whatever hook is installed.
  void cycle() {
    if (ctx->loop.cycleAfterVideo) ctx->loop.cycleAfterVideo(*ctx, DecodeLiveFrame(ctx->live));
  }
};

TEST_F(AdjustPanel, MenuShowsItAndClosingStopsTheExchanges) {
  int m = -1, item = -1;
  ASSERT_TRUE(ctx->ui.findMenuItem("HELP", "TRIMM", m, item));
  EXPECT_FALSE(ctx->ui.panel(ctx->factory.panel).visible);
  ctx->ui.fireMenu(m, item);
  EXPECT_TRUE(ctx->ui.panel(ctx->factory.panel).visible);
  EXPECT_EQ(ctx->factory.active, 1);
  EXPECT_EQ(exchanges(), 1) << "the sensor's record is read as the panel opens";
  EXPECT_TRUE(sim->lastRequest(order::kPotentiometer).payload.empty());

  ASSERT_NE(ctx->loop.runStarting, nullptr);
  ctx->loop.runStarting(*ctx);
  EXPECT_EQ(exchanges(), 2);
  cycle();
  cycle();
  EXPECT_EQ(exchanges(), 4);

  ctx->ui.firePanel(ctx->factory.panel, ui::EVENT_CLOSE);
  EXPECT_FALSE(ctx->ui.panel(ctx->factory.panel).visible);
  EXPECT_FALSE(ctx->ui.panel(ctx->factory.printPanel).visible);
  cycle();
  EXPECT_EQ(exchanges(), 4);
  EXPECT_EQ(ctx->loop.runStarting, nullptr);
}

TEST_F(AdjustPanel, RecordFromThePanelSyncTextAndMeasuredValue) {
  ASSERT_EQ(i2cadjust_activate(*ctx, true), 0);
  ASSERT_EQ(i2cadjust_preload(*ctx), 0);
  EXPECT_EQ(value("ADJ_P1", "MEASURED"), 199);
  EXPECT_EQ(value("ADJ_P3", "MODEWORD"), 1);
  // Mode 1: the first group operable, the second dimmed.
  EXPECT_FALSE(ctx->ui.dimmed(field("ADJ_P1", "WORD8")));
  EXPECT_TRUE(ctx->ui.dimmed(field("ADJ_P2", "WORD16")));

  set("ADJ_P1", "UNIT", kUnitScaled0);
  set("ADJ_P1", "SETVAL", 1000);  // raw 999 after truncation
  set("ADJ_P1", "BYTE6", 9);
  set("ADJ_P1", "WORD8", 1234);
  set("ADJ_P1", "WORD10", 4321);
  set("ADJ_P2", "WORD24", 77);
  ASSERT_EQ(i2cadjust_single_iter(*ctx), 0);
  const std::vector<uint8_t> sent = sim->lastRequest(order::kPotentiometer).payload;
  ASSERT_EQ(sent.size(), 32u);
  AdjustRecord r{};
  std::copy(sent.begin(), sent.end(), r.begin());
  EXPECT_EQ(Word(r, 4), 999);
  EXPECT_EQ(r[6], 9);
  EXPECT_EQ(r[7], 0);
  EXPECT_EQ(Word(r, 8), 1234);
  EXPECT_EQ(Word(r, 12), 1234);
  EXPECT_EQ(Word(r, 10), 4321);
  EXPECT_EQ(Word(r, 14), 4321);
  EXPECT_EQ(Word(r, 24), 77);
  EXPECT_EQ(Word(r, 28), 77);
  const std::string first = ctx->ui.text(field("ADJUST", "ADJSYNC"));
  EXPECT_EQ(first, "Sync data == >> OK!");

  int before = static_cast<int>(value("ADJ_P1", "MEASURED"));
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(i2cadjust_single_iter(*ctx), 0);
    const int now = static_cast<int>(value("ADJ_P1", "MEASURED"));
    EXPECT_NE(now, before);
    before = now;
  }
  EXPECT_EQ(ctx->ui.text(field("ADJUST", "ADJSYNC")), "Sync data << == OK!");
}

TEST_F(AdjustPanel, StoreSwitchIsSentOnceAndRefreshShowsTheRecord) {
  ASSERT_EQ(i2cadjust_activate(*ctx, true), 0);
  ASSERT_EQ(i2cadjust_preload(*ctx), 0);
  set("ADJ_P1", "WORD8", 55);
  set("ADJ_P1", "STORE1", 1);
  set("ADJ_P2", "STORE2B", 1);
  ASSERT_EQ(i2cadjust_single_iter(*ctx), 0);
  EXPECT_EQ(sim->lastRequest(order::kPotentiometer).payload[7], kStorePage1 | kStorePage2B);
  EXPECT_TRUE(ctx->ui.dimmed(field("ADJ_P1", "STORE1")));
  EXPECT_EQ(Word(sim->storedPotentiometer(), 8), 55);
  ASSERT_EQ(i2cadjust_single_iter(*ctx), 0);
  EXPECT_EQ(sim->lastRequest(order::kPotentiometer).payload[7], 0);
  // Once taken over the switch turns itself off and is operable again (a
  // dimmed switch could not be switched off); it stores on the next turn.
  EXPECT_EQ(value("ADJ_P1", "STORE1"), 0);
  EXPECT_EQ(value("ADJ_P2", "STORE2B"), 0);
  EXPECT_FALSE(ctx->ui.dimmed(field("ADJ_P1", "STORE1")));
  EXPECT_TRUE(ctx->ui.dimmed(field("ADJ_P2", "STORE2B"))) << "group 2 is dimmed in mode 1";
  set("ADJ_P1", "WORD8", 66);
  set("ADJ_P1", "STORE1", 1);
  ASSERT_EQ(i2cadjust_single_iter(*ctx), 0);
  EXPECT_EQ(sim->lastRequest(order::kPotentiometer).payload[7], kStorePage1);
  EXPECT_EQ(Word(sim->storedPotentiometer(), 8), 66);
  ASSERT_EQ(i2cadjust_single_iter(*ctx), 0);
  set("ADJ_P1", "WORD8", 55);
  set("ADJ_P1", "STORE1", 1);
  ASSERT_EQ(i2cadjust_single_iter(*ctx), 0);
  EXPECT_EQ(sim->lastRequest(order::kPotentiometer).payload[7], kStorePage1);

  // Values shown only on refresh: the page-3 copies follow the record then.
  EXPECT_EQ(value("ADJ_P3", "WORD12"), 0);
  set("ADJ_P2", "REFRESH2", 1);
  ASSERT_EQ(i2cadjust_single_iter(*ctx), 0);
  EXPECT_EQ(value("ADJ_P3", "WORD12"), 55);
  EXPECT_EQ(value("ADJ_P2", "REFRESH2"), 0);

  // A new preload shows the settings the sensor kept.
  set("ADJ_P1", "WORD8", 0);
  ASSERT_EQ(i2cadjust_preload(*ctx), 0);
  EXPECT_EQ(value("ADJ_P1", "WORD8"), 55);
}

// The sensor holds settings of its own; the panel, opened while live mode
// runs, must neither send its empty fields over them nor change what the
// operator did not touch.
TEST_F(AdjustPanel, OpenedDuringLiveModeSendsOnlyWhatTheOperatorChanged) {
  AdjustRecord own{};
  own[6] = 9;
  PutWord(own, 4, 250);
  for (int off = 8; off < 32; off += 2) PutWord(own, off, static_cast<uint16_t>(1000 + off));
  AdjustRecord got{};
  ASSERT_EQ(ExchangeAdjustRecord(*ctx, own, got), 1);
  const auto before = exchanges();

  ctx->run.state = RUN_LOOP;  // the live loop owns the link
  int m = -1, item = -1;
  ASSERT_TRUE(ctx->ui.findMenuItem("HELP", "TRIMM", m, item));
  ctx->ui.fireMenu(m, item);
  EXPECT_EQ(exchanges(), before) << "no exchange from the menu while the loop runs";
  cycle();
  ASSERT_EQ(exchanges(), before + 1);
  EXPECT_TRUE(sim->lastRequest(order::kPotentiometer).payload.empty()) << "the first cycle reads";
  EXPECT_EQ(value("ADJ_P1", "WORD8"), 1008);
  EXPECT_EQ(value("ADJ_P2", "WORD24"), 1024);
  EXPECT_EQ(value("ADJ_P1", "BYTE6"), 9);

  // Untouched, the cycles hand the sensor its own settings back.
  cycle();
  cycle();
  std::vector<uint8_t> sent = sim->lastRequest(order::kPotentiometer).payload;
  ASSERT_EQ(sent.size(), 32u);
  for (int off = 8; off < 32; off += 2) EXPECT_EQ(frame::get16(&sent[static_cast<size_t>(off)]), 1000 + off) << off;
  EXPECT_EQ(sent[6], 9);
  EXPECT_EQ(sent[7], 0);
  EXPECT_NE(frame::get16(&sent[4]), 0) << "the set value stays where the sensor is";

  // One field edited: that setting (and its copy) changes, nothing else.
  set("ADJ_P2", "WORD18", 5);
  cycle();
  sent = sim->lastRequest(order::kPotentiometer).payload;
  ASSERT_EQ(sent.size(), 32u);
  EXPECT_EQ(frame::get16(&sent[18]), 5);
  EXPECT_EQ(frame::get16(&sent[22]), 5);
  for (int off : {8, 10, 12, 14, 16, 20, 24, 26, 28, 30})
    EXPECT_EQ(frame::get16(&sent[static_cast<size_t>(off)]), 1000 + off) << off;
  ctx->run.state = RUN_IDLE;
}

// Each field of the record shows on its own control, and the settings the
// operator edits go back unchanged into the same place of the record.
TEST_F(AdjustPanel, EveryFieldShowsOnItsControlAndRoundTrips) {
  AdjustRecord own{};
  own[6] = 17;
  for (int off = 8; off < 32; off += 2) PutWord(own, off, static_cast<uint16_t>(2000 + 3 * off));
  AdjustRecord got{};
  ASSERT_EQ(ExchangeAdjustRecord(*ctx, own, got), 1);
  ASSERT_EQ(i2cadjust_activate(*ctx, true), 0);
  ASSERT_EQ(i2cadjust_preload(*ctx), 0);
  const struct {
    const char* page;
    const char* name;
    int offset;
  } fields[] = {{"ADJ_P1", "WORD8", 8},   {"ADJ_P1", "WORD10", 10}, {"ADJ_P3", "WORD12", 12}, {"ADJ_P3", "WORD14", 14},
                {"ADJ_P2", "WORD16", 16}, {"ADJ_P2", "WORD18", 18}, {"ADJ_P3", "WORD20", 20}, {"ADJ_P3", "WORD22", 22},
                {"ADJ_P2", "WORD24", 24}, {"ADJ_P2", "WORD26", 26}, {"ADJ_P3", "WORD28", 28}, {"ADJ_P3", "WORD30", 30}};
  for (const auto& f : fields) EXPECT_EQ(value(f.page, f.name), 2000 + 3 * f.offset) << f.name;
  EXPECT_EQ(value("ADJ_P1", "BYTE6"), 17);
  EXPECT_EQ(value("ADJ_P3", "MODEWORD"), 1);  // the sensor's own mode
  // Every editable setting, changed on its control, goes back into its place.
  for (const auto& f : {fields[0], fields[1], fields[4], fields[5], fields[8], fields[9]})
    set(f.page, f.name, 3000 + f.offset);
  set("ADJ_P1", "BYTE6", 18);
  ASSERT_EQ(i2cadjust_single_iter(*ctx), 0);
  const std::vector<uint8_t> sent = sim->lastRequest(order::kPotentiometer).payload;
  ASSERT_EQ(sent.size(), 32u);
  for (int off : {8, 10, 16, 18, 24, 26})
    EXPECT_EQ(frame::get16(&sent[static_cast<size_t>(off)]), 3000 + off) << off;
  EXPECT_EQ(sent[6], 18);
}

TEST_F(AdjustPanel, FailedExchangeLeavesThePanelAndTheNextOneWorks) {
  ASSERT_EQ(i2cadjust_activate(*ctx, true), 0);
  ASSERT_EQ(i2cadjust_preload(*ctx), 0);
  set("ADJ_P1", "SETVAL", 400);
  set("ADJ_P1", "STORE1", 1);
  const double measured = value("ADJ_P1", "MEASURED");
  const std::string syncText = ctx->ui.text(field("ADJUST", "ADJSYNC"));
  sim->setFault(sim::Fault::NoReply, 1);
  EXPECT_EQ(i2cadjust_single_iter(*ctx), -1);
  EXPECT_EQ(value("ADJ_P1", "MEASURED"), measured);
  EXPECT_EQ(ctx->ui.text(field("ADJUST", "ADJSYNC")), syncText);
  EXPECT_FALSE(ctx->ui.dimmed(field("ADJ_P1", "STORE1")));  // not taken over yet
  ASSERT_EQ(i2cadjust_single_iter(*ctx), 0) << ctx->status;
  EXPECT_NE(value("ADJ_P1", "MEASURED"), measured);
}

TEST_F(AdjustPanel, ModeButtonsAreExclusive) {
  const ui::CtlRef b17 = field("ADJ_P1", "MODE17");
  ctx->ui.fire(b17, ui::EVENT_COMMIT);
  EXPECT_EQ(value("ADJ_P1", "MODE16"), 0);
  EXPECT_EQ(value("ADJ_P1", "MODE17"), 1);
  EXPECT_EQ(value("ADJ_P1", "MODE18"), 0);
}

TEST(AdjustPanelUnloaded, ActivationWithoutPanelsRefuses) {
  Context ctx;
  EXPECT_EQ(i2cadjust_init(ctx), -1);
  EXPECT_EQ(i2cadjust_activate(ctx, true), -1);
  EXPECT_EQ(ctx.factory.active, 0);
  EXPECT_EQ(ctx.loop.cycleAfterVideo, nullptr);
  EXPECT_EQ(i2cadjust_single_iter(ctx), -1);
}

class AdjustExchange : public test::LinkTest {};

TEST_F(AdjustExchange, MeasuredFollowsSetValueAndSettingsStay) {
  openTcp();
  AdjustRecord got{};
  ASSERT_EQ(ReadAdjustRecord(*ctx, got), 1);
  EXPECT_TRUE(sim->lastRequest(order::kPotentiometer).payload.empty());
  EXPECT_EQ(ModeOf(got), 1);

  AdjustSettings s;
  s.setValue = 600;
  s.page1[0] = 77;
  s.page2[3] = 91;
  s.storeFlags = kStorePage2B;
  int previous = static_cast<int16_t>(Word(got, kMeasuredOffset));
  for (int i = 0; i < 12; ++i) {
    ASSERT_EQ(ExchangeAdjustRecord(*ctx, AssembleRecord(s), got), 1);
    const int now = static_cast<int16_t>(Word(got, kMeasuredOffset));
    EXPECT_NE(now, previous) << "cycle " << i;  // it moves every exchange
    previous = now;
  }
  EXPECT_GE(previous, 600);
  EXPECT_LE(previous, 601);
  EXPECT_EQ(got[kStoreFlagsOffset], 0);  // the store is done once handled
  EXPECT_EQ(Word(sim->storedPotentiometer(), 26), 91);
  EXPECT_EQ(Word(sim->storedPotentiometer(), 8), 0);  // not flagged

  // A new connection reads the same settings.
  CloseLink(*ctx, true);
  ASSERT_EQ(InitTCP_IP(*ctx), 1) << ctx->status;
  AdjustRecord again{};
  ASSERT_EQ(ReadAdjustRecord(*ctx, again), 1);
  EXPECT_EQ(Word(again, 8), 77);
  EXPECT_EQ(Word(again, 12), 77);
  EXPECT_EQ(Word(again, 30), 91);
}

TEST_F(AdjustExchange, FailureLeavesTheTargetUntouchedOverSerial) {
  openPty();
  AdjustRecord got{};
  got.fill(0xEE);
  sim->setFault(sim::Fault::NoReply, 1);
  ctx->link.replyTimeout = 0.2;
  EXPECT_EQ(ExchangeAdjustRecord(*ctx, AssembleRecord({}), got), -1);
  for (uint8_t b : got) EXPECT_EQ(b, 0xEE);
  ASSERT_EQ(ReadAdjustRecord(*ctx, got), 1);
  EXPECT_EQ(ModeOf(got), 1);
}

}  // namespace
}  // namespace bx
