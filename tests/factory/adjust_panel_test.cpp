// The adjustment panel driven as the run loop drives it, through its hooks,
// against the simulated sensor.
#include <gtest/gtest.h>

#include "factory/adjust_panel.h"
#include "factory/adjust_record.h"
#include "link/orders.h"
#include "tests/link/link_fixture.h"

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
    if (ctx->loop.cycleAfterVideo) ctx->loop.cycleAfterVideo(*ctx);
  }
};

TEST_F(AdjustPanel, MenuShowsItAndClosingStopsTheExchanges) {
  int m = -1, item = -1;
  ASSERT_TRUE(ctx->ui.findMenuItem("HELP", "TRIMM", m, item));
  EXPECT_FALSE(ctx->ui.panel(ctx->factory.panel).visible);
  ctx->ui.fireMenu(m, item);
  EXPECT_TRUE(ctx->ui.panel(ctx->factory.panel).visible);
  EXPECT_EQ(ctx->factory.active, 1);

  ASSERT_NE(ctx->loop.runStarting, nullptr);
  ctx->loop.runStarting(*ctx);
  EXPECT_EQ(exchanges(), 1);
  cycle();
  cycle();
  EXPECT_EQ(exchanges(), 3);

  ctx->ui.firePanel(ctx->factory.panel, ui::EVENT_CLOSE);
  EXPECT_FALSE(ctx->ui.panel(ctx->factory.panel).visible);
  EXPECT_FALSE(ctx->ui.panel(ctx->factory.printPanel).visible);
  cycle();
  EXPECT_EQ(exchanges(), 3);
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
  // Turned off, the switch is available again and stores on the next turn.
  set("ADJ_P1", "STORE1", 0);
  ASSERT_EQ(i2cadjust_single_iter(*ctx), 0);
  EXPECT_FALSE(ctx->ui.dimmed(field("ADJ_P1", "STORE1")));
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

}  // namespace
}  // namespace bx
