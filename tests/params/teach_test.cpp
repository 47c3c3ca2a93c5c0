// Teach-in against the simulated sensor, and the teach-table editor.
#include <cstring>

#include "app/localize.h"
#include "live/pending.h"
#include "params/panel_values.h"
#include "params/table_edit.h"
#include "params/teach.h"
#include "params/transfer.h"
#include "params_fixture.h"
#include "wire/calib_record.h"

namespace bx::test {
namespace {

using namespace param;

class TeachTest : public ParamsTest {
 protected:
  ui::TableModel& table() { return ctx->ui.table(ref("TEACH", "TABLE")); }
  ui::CtlRef state() { return ref("VIDEO", "STATETEXT"); }
  // Row r of the editor set up for a DISTANCE teach of the first edges.
  void prepareRow(int r) {
    auto& t = table();
    t.at(r, 0).num = 1;
    t.at(r, 1).num = -1;
    t.at(r, 2).num = 2;
    t.at(r, 3).num = 100;
    t.at(r, 4).num = 50;
    t.at(r, 5).num = 40;
  }
};

TEST_F(TeachTest, SuccessfulTeachShowsTheSensorsRow) {
  connectTcp();
  prepareRow(1);
  ASSERT_EQ(PushTEACH(*ctx, 1), 0);
  EXPECT_EQ(status(), "TEACH new setpoint value ... -> Ok!");
  const auto sent = sim->lastRequest(6);
  ASSERT_TRUE(sent.seen);
  EXPECT_EQ(sent.param, 1);
  ASSERT_EQ(sent.payload.size(), 32u);
  // The editor's row went out: edge A 1, edge B -1, DISTANCE, set-point 100.
  EXPECT_EQ(sent.payload[0], 1);
  EXPECT_EQ(sent.payload[2], 0xFF);
  EXPECT_EQ(sent.payload[4], 2);
  EXPECT_EQ(sent.payload[6], 100);
  // The sensor's measured row is what the tool now holds and shows.
  const auto teach = sim->ramTeach();
  EXPECT_EQ(0, std::memcmp(teach.data() + 32, ctx->params.teach.data() + 32, 32));
  EXPECT_GT(rowGet(ctx->params, 1, ROW_EDGE_COUNT), 0);
  EXPECT_EQ(table().at(1, 3).num, rowGet(ctx->params, 1, ROW_TEACH_VALUE));
  EXPECT_EQ(ctx->ui.text(state()), "TEACH OK");
  EXPECT_EQ(ctx->ui.at(state()).bgColor, ui::kWhite);
  EXPECT_EQ(field(TEACH_VALUE), rowGet(ctx->params, 1, ROW_TEACH_VALUE));
  EXPECT_EQ(ctx->ui.value(ref("VIDEO", "TEACHVAL")), rowGet(ctx->params, 1, ROW_TEACH_VALUE));
}

TEST_F(TeachTest, ARowAboveThreeTeachesRowThree) {
  connectTcp();
  prepareRow(3);
  ASSERT_EQ(PushTEACH(*ctx, 7), 0);
  EXPECT_EQ(sim->lastRequest(6).param, 3);
}

TEST_F(TeachTest, FailedResultCodeRestoresTheRowAndShowsItsText) {
  connectTcp();
  prepareRow(0);
  sim->setFault(sim::Fault::TeachResult, 1, -2);
  ASSERT_EQ(PushTEACH(*ctx, 0), 0);
  // The row as the editor had it, not as the sensor returned it.
  EXPECT_EQ(rowGetS(ctx->params, 0, ROW_EDGE_B), -1);
  EXPECT_EQ(rowGet(ctx->params, 0, ROW_TEACH_VALUE), 100);
  EXPECT_EQ(rowGet(ctx->params, 0, ROW_UPPER_TOL), 50);
  EXPECT_EQ(table().at(0, 3).num, 100);
  EXPECT_EQ(ctx->ui.text(state()), "LO NEG EDGES");
  EXPECT_EQ(ctx->ui.at(state()).textColor, ui::kWhite);
  EXPECT_EQ(ctx->ui.at(state()).bgColor, ui::kRed);
  // The status line, in view on the teach page too, names the failure.
  EXPECT_EQ(status(), "TEACH new setpoint value ... -> LO NEG EDGES!");
  sim->setFault(sim::Fault::TeachResult, 1, -3);
  ASSERT_EQ(PushTEACH(*ctx, 0), 0);
  EXPECT_EQ(status(), "TEACH new setpoint value ... -> NO EDGES!");
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), "TEACH new setpoint value ... -> NO EDGES!");
  ctx->app.resourceDir = BX_RESOURCE_DIR;
  SetLanguage(*ctx, 1);
  sim->setFault(sim::Fault::TeachResult, 1, -3);
  ASSERT_EQ(PushTEACH(*ctx, 0), 0);
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), "LERNE neuen Sollwert ... -> NO EDGES!");
}

TEST_F(TeachTest, ResultCodeBelowMinusThreeCountsAsSuccess) {
  connectTcp();
  prepareRow(2);
  sim->setFault(sim::Fault::TeachResult, 1, -9);
  ASSERT_EQ(PushTEACH(*ctx, 2), 0);
  EXPECT_EQ(ctx->ui.text(state()), "TEACH OK");
  // The returned row is kept.
  const auto teach = sim->ramTeach();
  EXPECT_EQ(0, std::memcmp(teach.data() + 64, ctx->params.teach.data() + 64, 32));
}

TEST_F(TeachTest, FailedExchangeNamesTheTransport) {
  connectTcp();
  ctx->link.replyTimeout = 0.3;
  prepareRow(0);
  sim->setFault(sim::Fault::NoReply, 1);
  EXPECT_EQ(PushTEACH(*ctx, 0), -1);
  EXPECT_EQ(status(), "Teach-Error:Timeout TCP-Server-error!");
  EXPECT_EQ(rowGet(ctx->params, 0, ROW_TEACH_VALUE), 100);  // re-read from the editor only
}

TEST_F(TeachTest, TeachOverThePseudoTerminal) {
  connectPty();
  prepareRow(0);
  ASSERT_EQ(PushTEACH(*ctx, 0), 0);
  EXPECT_EQ(ctx->ui.text(state()), "TEACH OK");
  EXPECT_EQ(sim->lastRequest(6).param, 0);
}

TEST_F(TeachTest, TeachButtonWhileTheLoopRunsLeavesRequestsForIt) {
  connectTcp();
  const auto btn = ref("VIDEO", "TEACHBTN");
  ctx->run.state = RUN_LOOP;
  ctx->ui.fire(btn, ui::EVENT_LEFT_CLICK);
  EXPECT_TRUE(ctx->run.pending.has(PENDING_TEACH));
  ctx->ui.fire(btn, ui::EVENT_COMMIT);
  EXPECT_TRUE(ctx->run.pending.has(PENDING_TEACH));
  EXPECT_TRUE(ctx->run.pending.has(PENDING_REFRESH_DATA));
  EXPECT_EQ(sim->requestCount(6), 0);

  ctx->run.state = RUN_IDLE;
  ctx->ui.fire(btn, ui::EVENT_COMMIT);
  EXPECT_FALSE(ctx->run.pending.has(PENDING_TEACH));
  EXPECT_FALSE(ctx->run.pending.has(PENDING_REFRESH_DATA));
  EXPECT_EQ(sim->requestCount(6), 1);
  EXPECT_EQ(sim->requestCount(9), 1);
}

TEST_F(TeachTest, PendingTeachAndRefreshAreServedOnceByTheLoop) {
  connectTcp();
  ctx->run.state = RUN_LOOP;
  const auto refresh = ref("TEACH", "REFRESHEDGES");
  ctx->ui.fire(refresh, ui::EVENT_LEFT_CLICK);
  ctx->ui.fire(refresh, ui::EVENT_COMMIT);
  ctx->ui.fire(ref("TEACH", "TEACHBTN"), ui::EVENT_COMMIT);
  EXPECT_TRUE(ctx->run.pending.has(PENDING_EDGE_REFRESH));
  const int edges = sim->requestCount(0x14);
  ServePendingRequests(*ctx);
  ServePendingRequests(*ctx);
  EXPECT_EQ(sim->requestCount(6), 1);
  EXPECT_EQ(sim->requestCount(0x14), edges + 1);
  EXPECT_EQ(sim->requestCount(9), 1);
  EXPECT_FALSE(ctx->run.pending.has(PENDING_TEACH) || ctx->run.pending.has(PENDING_EDGE_REFRESH) || ctx->run.pending.has(PENDING_REFRESH_DATA));
}

TEST_F(TeachTest, RefreshEdgesWhenIdleReadsEdgesAndVideo) {
  connectTcp();
  const int edges = sim->requestCount(0x14);
  ctx->ui.setValue(ref("TEACH", "PROGNO"), 2);
  ctx->ui.fire(ref("TEACH", "REFRESHEDGES"), ui::EVENT_COMMIT);
  EXPECT_EQ(sim->requestCount(0x14), edges + 1);
  EXPECT_EQ(sim->requestCount(9), 1);
  EXPECT_FALSE(ctx->run.pending.has(PENDING_EDGE_REFRESH));
  EXPECT_EQ(ctx->ui.value(ref("TEACH", "PROGNO")), 2);
}

class EditorTest : public TeachTest {
 protected:
  void SetUp() override {
    TeachTest::SetUp();
    model(2048, 10.0);
    SetPanelValues(*ctx);
  }
  void edit(int r, int c, double v) {
    table().at(r, c).num = v;
    ctx->ui.fire(ref("TEACH", "TABLE"), ui::EVENT_VAL_CHANGED, r + 1, c + 1);
  }
};

TEST_F(EditorTest, PositionModeFollowsEdgeAAndEdgeTriggers) {
  edit(0, 2, 0);
  edit(0, 0, 4);
  EXPECT_EQ(table().at(0, 1).num, 4);
  EXPECT_TRUE(table().at(0, 1).readOnly);
  ctx->ui.setValue(ctx->refs.choice.intTrig, 4);
  edit(0, 2, 0);
  EXPECT_EQ(table().at(0, 1).num, -1);
  EXPECT_TRUE(table().at(0, 1).readOnly);
  ctx->ui.setValue(ctx->refs.choice.intTrig, 0);
  rowSet(ctx->params, 0, ROW_EDGE_B, static_cast<uint16_t>(-3));
  edit(0, 2, 1);
  EXPECT_EQ(table().at(0, 1).num, -3);  // the row's stored edge B
  EXPECT_FALSE(table().at(0, 1).readOnly);
}

TEST_F(EditorTest, ValueColumnsOfTheActiveRowFeedTheMainFields) {
  edit(0, 3, 512);
  edit(0, 5, 17);
  EXPECT_EQ(ctx->ui.value(ref("VIDEO", "TEACHVAL")), 512);
  EXPECT_EQ(ctx->ui.value(ref("VIDEO", "TOLLO")), 17);
  edit(1, 3, 900);  // not the active row
  EXPECT_EQ(ctx->ui.value(ref("VIDEO", "TEACHVAL")), 512);
}

TEST_F(EditorTest, ClickingARowSelectsTheProgram) {
  ctx->ui.fire(ref("TEACH", "TABLE"), ui::EVENT_LEFT_CLICK, 3, 1);
  EXPECT_EQ(ctx->ui.value(ref("TEACH", "PROGNO")), 2);
  EXPECT_EQ(table().rowMarked[2], 1);
  EXPECT_EQ(table().rowMarked[0], 0);
}

TEST_F(EditorTest, SetPointFieldIsLimitedAndReachesTheTable) {
  const auto f = ref("VIDEO", "TEACHVAL");
  ctx->ui.setValue(f, 4096);
  ctx->ui.fire(f, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.value(f), 2047);
  EXPECT_EQ(table().at(0, 3).num, 2047);
  ctx->ui.setValue(f, -4);
  ctx->ui.fire(f, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.value(f), 1);
  ctx->run.state = RUN_LOOP;
  ctx->ui.fire(f, ui::EVENT_LEFT_CLICK);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
}

TEST_F(EditorTest, ToleranceFieldsCopyIntoTheActiveRow) {
  ctx->ui.setValue(ref("TEACH", "PROGNO"), 1);
  const auto f = ref("VIDEO", "TOLUP");
  ctx->ui.setValue(f, 33);
  ctx->ui.fire(f, ui::EVENT_VAL_CHANGED);
  EXPECT_EQ(table().at(1, 4).num, 33);
}

TEST_F(EditorTest, RangeFieldsInBothUnits) {
  calib::setField32(ctx->calib.record, calib::OFF_RANGE, 15000);
  const auto beg = ref("VIDEO", "RANGEBEG"), end = ref("VIDEO", "RANGEEND");
  ctx->ui.setValue(beg, 0);
  ctx->ui.fire(beg, ui::EVENT_VAL_CHANGED);
  EXPECT_EQ(field(EVAL_BEGIN), 1);
  EXPECT_EQ(field32(UM_BEGIN), 0);
  ctx->ui.setValue(end, 3000);
  ctx->ui.fire(end, ui::EVENT_VAL_CHANGED);
  EXPECT_EQ(field(EVAL_END), 2048);
  EXPECT_EQ(field32(UM_END), 15000);  // the calibration record's range
  EXPECT_EQ(ctx->ui.value(end), 2048);

  ctx->ui.setValue(ctx->refs.main.mmSwitch, 1);
  ctx->ui.fire(ctx->refs.main.mmSwitch, ui::EVENT_VAL_CHANGED);
  ctx->ui.setValue(beg, 1.2346);
  ctx->ui.fire(beg, ui::EVENT_VAL_CHANGED);
  EXPECT_EQ(field(EVAL_BEGIN), 123);
  EXPECT_EQ(field32(UM_BEGIN), 1235);
  EXPECT_DOUBLE_EQ(ctx->ui.value(beg), 1.235);
}

TEST_F(EditorTest, SelectingProgramsByInputLocksRows) {
  const auto ext = ref("PARA2", "EXTTRIG");
  ctx->ui.setValue(ext, 3);
  ctx->ui.fire(ext, ui::EVENT_COMMIT);
  EXPECT_EQ(table().rowReadOnly, (std::vector<uint8_t>{0, 0, 1, 1}));
  ctx->ui.setValue(ext, 4);
  ctx->ui.fire(ext, ui::EVENT_COMMIT);
  EXPECT_EQ(table().rowReadOnly, (std::vector<uint8_t>{0, 0, 0, 0}));

  ctx->ident.hw.hwType = 803498;
  ctx->ui.setValue(ext, 3);
  ctx->ui.fire(ext, ui::EVENT_COMMIT);
  ctx->ui.setValue(ext, 4);
  ctx->ui.fire(ext, ui::EVENT_COMMIT);
  ASSERT_FALSE(fe->popups().empty());
  EXPECT_EQ(fe->popups().back().title, "ATTENTION!");
  EXPECT_EQ(fe->popups().back().text, "SEL-PROG4 not possible with this hardware!\nPlease select other EXT-IN0-MODE!");
  EXPECT_EQ(table().rowReadOnly, (std::vector<uint8_t>{0, 0, 1, 1}));
}

TEST_F(EditorTest, ContextMenuSetAndResetSelection) {
  auto& t = table();
  t.selTop = 1;
  t.selBottom = 2;
  t.selLeft = 2;
  t.selRight = 3;
  fe->answerPrompt("2.0");
  fe->answerConfirm(false);  // declined: nothing written
  EXPECT_EQ(GridSetSelectionTo(*ctx), 0);
  EXPECT_EQ(fe->popups().end()[-2].title, "VALUE!");
  EXPECT_EQ(fe->popups().end()[-2].text, "Insert a cell value!");
  EXPECT_EQ(fe->popups().back().kind, "confirm");
  EXPECT_EQ(fe->popups().back().text, "Write this value into these cells?\nValue: 2\nRow 2: MODE, TEACH-VALUE\nRow 3: MODE, TEACH-VALUE");
  EXPECT_EQ(t.at(1, 2).num, 0);
  fe->answerPrompt("2.0");
  fe->answerConfirm(true);
  EXPECT_EQ(GridSetSelectionTo(*ctx), 1);
  EXPECT_EQ(t.at(1, 2).num, 2);
  EXPECT_EQ(t.at(2, 3).num, 2);
  EXPECT_EQ(t.at(0, 3).num, 0);
  fe->answerPrompt("7.5");  // not a mode: only the value column takes it
  fe->answerConfirm(true);
  GridSetSelectionTo(*ctx);
  EXPECT_EQ(fe->popups().back().text, "Write this value into these cells?\nValue: 7.5\nRow 2: TEACH-VALUE\nRow 3: TEACH-VALUE");
  EXPECT_EQ(t.at(1, 2).num, 2);
  EXPECT_EQ(t.at(1, 3).num, 7.5);
  fe->answerPrompt("abc");
  EXPECT_EQ(GridSetSelectionTo(*ctx), 0);
  EXPECT_EQ(t.at(1, 3).num, 7.5);
  EXPECT_EQ(GridResetSelection(*ctx), 1);
  EXPECT_EQ(t.at(1, 2).num, 0);
  EXPECT_EQ(t.at(2, 3).num, 0);
}

TEST_F(EditorTest, ClearingTheTableAsksFirst) {
  rowSet(ctx->params, 1, ROW_TEACH_VALUE, 300);
  SetTableValues(*ctx);
  fe->answerConfirm(false);
  EXPECT_EQ(ClearTeachTable(*ctx), 0);
  EXPECT_EQ(fe->popups().back().title, "ATTENTION!");
  EXPECT_EQ(fe->popups().back().text, "Do you really want to reset the table?");
  EXPECT_EQ(rowGet(ctx->params, 1, ROW_TEACH_VALUE), 300);
  fe->answerConfirm(true);
  EXPECT_EQ(ClearTeachTable(*ctx), 1);
  EXPECT_EQ(rowGet(ctx->params, 1, ROW_TEACH_VALUE), 0);
  EXPECT_EQ(table().at(1, 3).num, 0);
}

}  // namespace
}  // namespace bx::test
