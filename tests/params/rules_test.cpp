// The editing rules: output assignment against internal trigger and dirt
// detection, the trigger and dirt controls, thresholds and speed.
#include "params/panel_values.h"
#include "params/rules.h"
#include "params_fixture.h"
#include "support/use_language.h"

namespace bx::test {
namespace {

using namespace param;

const char* kTrigOff = "PARA2: \nINTERNAL TRIGGER-MODE will be DISABLED !";
const char* kDirtOff = "PARA2: \nINTERNAL DIRT-DETECTION-MODE will be DISABLED !";
const char* kBothOff = "PARA2: \nINTERNAL TRIGGER-MODE and DIRT-DETECTION will be DISABLED !";
const char* kTrigOn = "PARA2: \nINTERNAL TRIGGER-MODE will be ENABLED !";
const char* kDirtOn = "PARA2: \nINTERNAL DIRT-DETECTION-MODE will be ENABLED !";
const char* kBothOn = "PARA2: \nINTERNAL TRIGGER-MODE and DIRT-DETECTION will be ENABLED !";

struct OutRow {
  int cfg, m;
  bool t, d;
  const char* question;
  int yesT, yesD;  // T and D (0 off, 1 on) after Yes
  int noM;
};

// Every combination that acts, for both output configurations.
const OutRow kOutRows[] = {
    {3, 0, true, false, kTrigOff, 0, 0, 1},  {3, 0, false, true, kDirtOff, 0, 0, 2},
    {3, 0, true, true, kBothOff, 0, 0, 3},   {3, 1, false, false, kTrigOn, 1, 0, 0},
    {3, 1, false, true, kTrigOn, 1, 0, 2},   {3, 2, false, false, kDirtOn, 0, 1, 0},
    {3, 2, true, false, kDirtOn, 0, 1, 1},   {3, 3, false, false, kBothOn, 1, 1, 0},
    {4, 0, true, false, kTrigOff, 0, 0, 3},  {4, 0, false, true, kDirtOff, 0, 0, 4},
    {4, 0, true, true, kBothOff, 0, 0, 5},   {4, 1, true, false, kTrigOff, 0, 0, 3},
    {4, 1, false, true, kDirtOff, 0, 0, 4},  {4, 1, true, true, kBothOff, 0, 0, 5},
    {4, 2, true, false, kTrigOff, 0, 0, 3},  {4, 2, false, true, kDirtOff, 0, 0, 4},
    {4, 2, true, true, kBothOff, 0, 0, 5},   {4, 3, false, false, kTrigOn, 1, 0, 0},
    {4, 3, true, true, kDirtOff, 1, 0, 5},   {4, 3, false, true, kDirtOff, 1, 0, 4},
    {4, 4, true, true, kTrigOff, 0, 1, 5},   {4, 4, false, false, kDirtOn, 0, 1, 0},
    {4, 4, true, false, kDirtOn, 0, 1, 3},   {4, 5, false, false, kBothOn, 1, 1, 0},
    {4, 5, true, false, kBothOn, 1, 1, 3},   {4, 5, false, true, kBothOn, 1, 1, 4},
};

class RulesTest : public ParamsTest {
 protected:
  ui::CtlRef out() { return ctx->refs.choice.outMode; }
  ui::CtlRef trig() { return ctx->refs.choice.intTrig; }
  ui::CtlRef dirt() { return ref("PARA2", "DIRTMODE"); }
  void setup(int cfg, int t, int d) {
    model(2048, 10.0, cfg);
    ctx->ui.setDimmed(out(), false);
    ctx->ui.setValue(trig(), t);
    ctx->ui.setValue(dirt(), d);
    fe->clearPopups();
  }
  void chooseOut(int m, bool yes) {
    fe->answerConfirm(yes);
    ctx->ui.setValue(out(), m);
    ctx->ui.fire(out(), ui::EVENT_VAL_CHANGED);
  }
  int value(ui::CtlRef r) { return ctx->ui.intValue(r); }
};

TEST_F(RulesTest, EveryRowOfTheOutputModeTableOnYesAndOnNo) {
  for (const auto& row : kOutRows) {
    for (bool yes : {true, false}) {
      SCOPED_TRACE(testing::Message() << "cfg " << row.cfg << " M " << row.m << " T " << row.t << " D " << row.d
                                      << (yes ? " yes" : " no"));
      setup(row.cfg, row.t ? 1 : 0, row.d ? 1 : 0);
      chooseOut(row.m, yes);
      ASSERT_EQ(fe->popups().size(), 1u);
      EXPECT_EQ(fe->popups()[0].title, "A T T E N T I O N  -  C O N F I R M  !");
      EXPECT_EQ(fe->popups()[0].text, row.question);
      if (yes) {
        EXPECT_EQ(value(out()), row.m);
        EXPECT_EQ(value(trig()) != 0, row.yesT == 1);
        EXPECT_EQ(value(dirt()) != 0, row.yesD == 1);
        EXPECT_EQ(ctx->ui.dimmed(ref("VIDEO", "TRIGLAMP")), row.yesT == 0);
        EXPECT_EQ(ctx->ui.dimmed(ref("VIDEO", "TRIGCOUNT")), row.yesT == 0);
        EXPECT_EQ(ctx->ui.dimmed(ref("VIDEO", "DIRTLAMP")), row.yesD == 0);
      } else {
        EXPECT_EQ(value(out()), row.noM);
        EXPECT_EQ(value(trig()) != 0, row.t);
        EXPECT_EQ(value(dirt()) != 0, row.d);
      }
    }
  }
}

TEST_F(RulesTest, CombinationsOutsideTheTableAskNothing) {
  for (int cfg : {1, 3, 4}) {
    for (int m = 0; m < 6; ++m) {
      for (int t = 0; t < 2; ++t) {
        for (int d = 0; d < 2; ++d) {
          bool listed = false;
          for (const auto& row : kOutRows)
            listed = listed || (row.cfg == cfg && row.m == m && row.t == (t == 1) && row.d == (d == 1));
          if (listed) continue;
          setup(cfg, t, d);
          chooseOut(m, true);
          EXPECT_TRUE(fe->popups().empty()) << cfg << " " << m << " " << t << " " << d;
          EXPECT_EQ(value(trig()), t);
          EXPECT_EQ(value(dirt()), d);
        }
      }
    }
  }
}

TEST_F(RulesTest, GermanQuestionsUseTheGermanTitle) {
  setup(3, 1, 0);
  testing_lang::UseLanguage(*ctx, 1);
  chooseOut(0, true);
  ASSERT_EQ(fe->popups().size(), 1u);
  EXPECT_EQ(fe->popups()[0].title, "A C H T U N G  -  B E S T Ä T I G E  !");
  EXPECT_EQ(fe->popups()[0].text, "PARA2: \nINTERNER TRIGGER-MODUS wird DEAKTIVIERT !");
}

TEST_F(RulesTest, TriggerOffOnThreeOutputModelWithDirtSetsModeTwoWithoutAsking) {
  setup(3, 1, 1);
  ctx->ui.setValue(out(), 3);
  ctx->ui.setValue(trig(), 0);
  ctx->ui.fire(trig(), ui::EVENT_VAL_CHANGED);
  EXPECT_TRUE(fe->popups().empty());
  EXPECT_EQ(value(out()), 2);
  EXPECT_TRUE(ctx->ui.dimmed(ref("VIDEO", "TRIGLAMP")));
  EXPECT_EQ(ctx->ui.at(ref("VIDEO", "TRIGCOUNT")).label, "PIXEL-CNT:");
}

TEST_F(RulesTest, NegativeEdgeTriggerFixesEdgeBAndSearchDirection) {
  setup(3, 0, 0);
  SetPanelValues(*ctx);
  auto& t = ctx->ui.table(ref("TEACH", "TABLE"));
  t.at(0, 2).num = 2;  // DISTANCE
  ctx->ui.setValue(ref("PARA1", "SEARCHDIR"), 1);
  ctx->ui.setValue(out(), 1);
  ctx->ui.setValue(trig(), 4);
  ctx->ui.fire(trig(), ui::EVENT_VAL_CHANGED);
  EXPECT_EQ(t.at(0, 1).num, -1);
  EXPECT_TRUE(t.at(0, 1).readOnly);
  EXPECT_EQ(value(ref("PARA1", "SEARCHDIR")), 0);
  EXPECT_TRUE(ctx->ui.dimmed(ref("PARA1", "SEARCHDIR")));
  EXPECT_TRUE(ctx->ui.visible(ref("VIDEO", "NEGEDGE")));
  EXPECT_FALSE(ctx->ui.visible(ref("VIDEO", "POSEDGE")));
  EXPECT_EQ(ctx->ui.at(ref("VIDEO", "TRIGCOUNT")).label, "TRIGG-CNT:");

  // Back to no trigger: edge B 0 and editable again for DISTANCE.
  ctx->ui.setValue(trig(), 0);
  ctx->ui.fire(trig(), ui::EVENT_VAL_CHANGED);
  EXPECT_EQ(t.at(0, 1).num, 0);
  EXPECT_FALSE(t.at(0, 1).readOnly);
  EXPECT_FALSE(ctx->ui.dimmed(ref("PARA1", "SEARCHDIR")));
  EXPECT_FALSE(ctx->ui.visible(ref("VIDEO", "NEGEDGE")));
}

TEST_F(RulesTest, EdgeTriggerPlacesTheTriggerMarksInTheUnitInForce) {
  setup(3, 0, 0);
  set(ctx->params, INT_TRIGGER_MODE, 3);
  set(ctx->params, TRIGGER_PIXEL, 1000);
  SetPanelValues(*ctx);
  const auto& teach = ctx->ui.graph(ctx->refs.display.teachGraph);
  int lines = 0;
  for (const auto& pl : teach.plots) {
    if (pl.dashed) {
      ++lines;
      EXPECT_EQ(pl.x[0], 1000);
      EXPECT_EQ(pl.color, ui::kDarkGreen) << "the trigger line is green";
    }
  }
  EXPECT_EQ(lines, 1);
  const auto& video = ctx->ui.graph(ctx->refs.display.videoGraph);
  EXPECT_TRUE(video.cursors[2].visible);
  EXPECT_EQ(video.cursors[2].x, 1000);
  ctx->ui.setValue(ctx->refs.main.mmSwitch, 1);
  ctx->ui.fire(ctx->refs.main.mmSwitch, ui::EVENT_VAL_CHANGED);
  EXPECT_DOUBLE_EQ(video.cursors[2].x, 10.0);
  EXPECT_DOUBLE_EQ(ctx->ui.graph(ctx->refs.display.rangeGraph).cursors[4].x, 10.0);
  EXPECT_DOUBLE_EQ(ctx->ui.value(ref("PARA2", "TRIGPIX")), 10.0);
}

// The unit switched on another page: the video graph's curve follows at
// once, so it never lies in the old unit against the new axis.
TEST_F(RulesTest, TheVideoCurveFollowsTheUnitSwitchedOnAnotherPage) {
  setup(3, 0, 0);
  for (size_t i = 0; i < 256; ++i) {
    ctx->ident.model.samplePixels[i] = static_cast<double>(i * 8);
    ctx->ident.model.sampleMm[i] = i * 8 * 0.01;
  }
  ctx->ui.setActivePage(ctx->refs.main.tab, 3);
  for (int unit : {1, 0}) {
    ctx->ui.setValue(ctx->refs.main.mmSwitch, unit);
    ctx->ui.fire(ctx->refs.main.mmSwitch, ui::EVENT_VAL_CHANGED);
    const auto& video = ctx->ui.graph(ctx->refs.display.videoGraph);
    ASSERT_FALSE(video.plots.empty());
    EXPECT_DOUBLE_EQ(video.plots[0].x[255], unit == 1 ? 255 * 8 * 0.01 : 255 * 8.0) << unit;
  }
}

TEST_F(RulesTest, TriggerOnAsksForTheOutputAndNoSwitchesItOffAgain) {
  setup(4, 0, 0);
  ctx->ui.setValue(out(), 0);
  fe->answerConfirm(false);
  ctx->ui.setValue(trig(), 1);
  ctx->ui.fire(trig(), ui::EVENT_VAL_CHANGED);
  ASSERT_EQ(fe->popups().size(), 1u);
  EXPECT_EQ(fe->popups()[0].text, "PARA1: \nDIGITAL-OUTPUT-MODE mode is set to [TRG]OUT0, [OK]OUT1 !");
  EXPECT_EQ(value(trig()), 0);
  EXPECT_EQ(value(out()), 0);
  fe->answerConfirm(true);
  ctx->ui.setValue(trig(), 1);
  ctx->ui.fire(trig(), ui::EVENT_VAL_CHANGED);
  EXPECT_EQ(value(out()), 3);
  EXPECT_FALSE(ctx->ui.dimmed(ref("VIDEO", "TRIGLAMP")));
}

TEST_F(RulesTest, DirtDetectionRules) {
  setup(3, 1, 1);
  ctx->ui.setValue(out(), 3);
  ctx->ui.setValue(dirt(), 0);
  ctx->ui.fire(dirt(), ui::EVENT_VAL_CHANGED);
  ASSERT_EQ(fe->popups().size(), 1u);
  EXPECT_EQ(fe->popups()[0].kind, "message");
  EXPECT_EQ(fe->popups()[0].title, "I n f o !");
  EXPECT_EQ(fe->popups()[0].text, "PARA1: \nDIGITAL-OUTPUT-MODE mode is set to [-]OUT0, [+]OUT1, [TRG]OUT2 !");
  EXPECT_EQ(value(out()), 1);
  EXPECT_TRUE(ctx->ui.dimmed(ref("VIDEO", "DIRTLAMP")));

  fe->clearPopups();
  fe->answerConfirm(false);
  ctx->ui.setValue(dirt(), 2);
  ctx->ui.fire(dirt(), ui::EVENT_VAL_CHANGED);
  EXPECT_EQ(fe->popups()[0].text, "PARA1: \nDIGITAL-OUTPUT-MODE mode is set to [OK]OUT0, [DRT]OUT1, [TRG]OUT2 !");
  EXPECT_EQ(value(dirt()), 0);
  EXPECT_EQ(value(out()), 1);
  EXPECT_TRUE(ctx->ui.dimmed(ref("VIDEO", "DIRTLAMP")));
}

TEST_F(RulesTest, DirtThresholdAbove100IsShownAndUsedAs100) {
  setup(3, 0, 1);
  ctx->ident.model.videoFullScale = 1024;
  ctx->ui.setValue(ref("PARA2", "DIRTTHR"), 150);
  ctx->ui.fire(ref("PARA2", "DIRTTHR"), ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.value(ref("PARA2", "DIRTTHR")), 100);
  EXPECT_EQ(ctx->params.dirtLine[100], 1024);
  GetPanelValues(*ctx);
  EXPECT_EQ(field(DIRT_THRESHOLD), 100);
}

TEST_F(RulesTest, RefreshingTheTrackedThresholdAndAnsweringNoChangesNothing) {
  setup(3, 0, 0);
  ctx->run.state = RUN_LOOP;
  const auto before = ctx->params.set;
  const auto ref = this->ref("PARA2", "REFRESHVTHD");
  ctx->ui.setDimmed(ref, false);
  ctx->ui.fire(ref, ui::EVENT_LEFT_CLICK);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);  // pressing stops a running loop
  fe->answerConfirm(false);
  ctx->ui.fire(ref, ui::EVENT_COMMIT);
  ASSERT_EQ(fe->popups().size(), 1u);
  EXPECT_EQ(fe->popups()[0].title, "A T T E N T I O N !");
  EXPECT_EQ(fe->popups()[0].text, "Laser-light measureing section must be uncovered!");
  EXPECT_EQ(ctx->params.set, before);
}

TEST_F(RulesTest, VideoThresholdModeSwitchesWhatTheSliderEdits) {
  setup(3, 0, 0);
  set(ctx->params, VIDEO_THRESHOLD, 30);
  set(ctx->params, TRACK_THRESHOLD, 60);
  SetPanelValues(*ctx);
  const auto mode = ref("PARA2", "VTHDMODE"), slider = ref("PARA2", "VTHD");
  ctx->ui.setValue(slider, 35);  // edited, not yet sent
  ctx->ui.setValue(mode, 1);
  ctx->ui.fire(mode, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.value(slider), 60);
  EXPECT_FALSE(ctx->ui.dimmed(ref("PARA2", "REFRESHVTHD")));
  ctx->ui.setValue(mode, 0);
  ctx->ui.fire(mode, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.value(slider), 35);  // the edit was kept
  EXPECT_TRUE(ctx->ui.dimmed(ref("PARA2", "REFRESHVTHD")));
}

TEST_F(RulesTest, ProgramNumberMarksTheRowAndMakesItActive) {
  setup(3, 0, 0);
  rowSet(ctx->params, 2, ROW_EDGE_A, 5);
  rowSet(ctx->params, 2, ROW_EVAL_MODE, 1);
  SetPanelValues(*ctx);
  ctx->ui.setValue(ref("TEACH", "PROGNO"), 2);
  ctx->ui.fire(ref("TEACH", "PROGNO"), ui::EVENT_VAL_CHANGED);
  const auto& t = ctx->ui.table(ref("TEACH", "TABLE"));
  EXPECT_EQ(t.rowMarked[2], 1);
  EXPECT_EQ(t.rowMarked[0], 0);
  EXPECT_EQ(ctx->params.activeRow, 2);
  EXPECT_EQ(ctx->ui.text(ref("VIDEO", "ST_EVALMODE")), "CENTER");
}

}  // namespace
}  // namespace bx::test

namespace bx::test {
namespace {

TEST_F(RulesTest, ReadOutSpeedRingStatesTheResolutionOfTheTwoCoarseBoards) {
  model(2048, 7.9375);
  const auto ring = ref("PARA1", "CCDMODE");
  ASSERT_EQ(ctx->ui.at(ring).callbackName, "CC_RINGopMode");
  ASSERT_TRUE(ctx->ui.at(ring).callbackBound);
  for (int board : {402111, 402072}) {
    ctx->ident.hw.boardCode = board;
    ctx->ident.model.infoLines = {"a", "b", "c", "d"};
    ctx->ui.setValue(ring, 1);
    ctx->ui.fire(ring, ui::EVENT_COMMIT);
    const bool coarse = board == 402111;
    EXPECT_EQ(ctx->ident.model.infoLines[2] == "resolution    = +/- 200µm", coarse) << board;
  }
}

}  // namespace
}  // namespace bx::test
