// Sanitising of a received parameter set, the working values of the active
// row and the status summary labels.
#include "params/labels.h"
#include "params/panel_values.h"
#include "params/sanitise.h"
#include "params_fixture.h"
#include "support/use_language.h"

namespace bx::test {
namespace {

using namespace param;

struct Rule {
  int off;
  uint16_t in, out;
};

TEST(Sanitise, EveryFieldIsBroughtIntoItsRange) {
  const int n = 2048;
  const Rule rules[] = {
      {POWER, 1200, 400},          {POWER, 1000, 1000},        {ANALOG_MODE, 8, 0},
      {ANALOG_MODE, 7, 7},         {POLARITY, 2, 1},           {SEARCH_DIRECTION, 2, 0},
      {EVAL_MODE, 3, 0},           {BACKGROUND_MODE, 5, 0},    {UPPER_TOLERANCE, 2049, 2048},
      {UPPER_TOLERANCE, 0, 1},     {LOWER_TOLERANCE, 0, 1},    {LOWER_TOLERANCE, 60000, 60000},
      {EVAL_BEGIN, 0, 1},          {EVAL_BEGIN, 2048, 1},      {EVAL_BEGIN, 2047, 2047},
      {EVAL_END, 0, 2048},         {EVAL_END, 2049, 2048},     {EXT_TRIGGER_MODE, 7, 0},
      {AVERAGE, 2000, 1024},       {RS232_MODE, 5, 0},         {RS232_MODE, 4, 4},
      {RS232_BAUDRATE, 9, 4},      {VIDEO_SMOOTH, 17, 1},      {VIDEO_THRESHOLD_MODE, 3, 0},
      {VIDEO_THRESHOLD, 101, 100}, {VIDEO_THRESHOLD, 0, 1},    {TRACK_THRESHOLD, 500, 100},
      {TRACK_THRESHOLD, 0, 1},     {INT_TRIGGER_MODE, 5, 0},   {TRIGGER_PIXEL, 3000, 2048},
      {DIGITAL_OUT_MODE, 6, 0},    {DIGITAL_OUT_MODE, 5, 5},   {EVAL_PROGRAM, 9, 3},
      {TEACH_TARGET, 2, 0},        {ANALOG_ZOOM_MODE, 7, 0},   {ANALOG_ZOOM_MODE, 6, 6},
      {CCD_OPERATION_MODE, 3, 0},  {DIRT_DETECT_MODE, 9, 4},   {DIRT_THRESHOLD, 150, 100},
      {HARDWARE_MODE, 999, 999},   {POWER_MODE, 77, 77},       {ANALOG_OUT_MODE, 1, 1},
  };
  for (const auto& r : rules) {
    ParamState p;
    set(p, EVAL_BEGIN, 1);
    set(p, EVAL_END, 100);
    set(p, UPPER_TOLERANCE, 5);
    set(p, LOWER_TOLERANCE, 5);
    set(p, VIDEO_THRESHOLD, 25);
    set(p, TRACK_THRESHOLD, 25);
    set(p, r.off, r.in);
    rowSet(p, 0, ROW_EVAL_MODE, 2);
    if (r.off == EVAL_MODE) rowSet(p, 0, ROW_EVAL_MODE, 7);
    Sanitise(p, n, 802776);
    EXPECT_EQ(get(p, r.off), r.out) << "field at offset " << r.off << " with " << r.in;
  }
}

TEST(Sanitise, AnalogOutputIsVoltageOnlyOnTwoModels) {
  for (uint32_t hw : {800000u, 804671u, 802776u}) {
    ParamState p;
    set(p, ANALOG_OUT_MODE, 1);
    Sanitise(p, 2048, hw);
    EXPECT_EQ(get(p, ANALOG_OUT_MODE), hw == 802776u ? 1 : 0) << hw;
  }
}

TEST(Sanitise, ActiveRowGivesTheWorkingValuesAndEvalMode) {
  ParamState p;
  set(p, EVAL_PROGRAM, 2);
  set(p, EVAL_MODE, 1);
  rowSet(p, 2, ROW_EVAL_MODE, 5);
  rowSet(p, 2, ROW_EDGE_A, static_cast<uint16_t>(-3));
  rowSet(p, 2, ROW_EDGE_B, 4);
  rowSet(p, 2, ROW_TEACH_VALUE, 812);
  rowSet32(p, 2, ROW_UM_TOLUP, -70);
  rowSet(p, 2, ROW_NOT_USED, 0x1234);
  Sanitise(p, 2048, 0);
  EXPECT_EQ(p.activeRow, 2);
  EXPECT_EQ(p.evalMode, 0);
  EXPECT_EQ(get(p, EVAL_MODE), 0);
  EXPECT_EQ(rowGet(p, 2, ROW_EVAL_MODE), 5);  // the row itself is kept
  EXPECT_EQ(p.teachValue, 812);
  EXPECT_EQ(p.umTolUp, -70);
  EXPECT_EQ(p.edgeTextA, "-3");
  EXPECT_EQ(p.edgeTextB, "4");
  EXPECT_EQ(rowGet(p, 2, ROW_NOT_USED), 0x1234);
}

TEST(Sanitise, DerivedDirtAndThresholdLines) {
  ParamState p;
  set(p, DIRT_THRESHOLD, 33);
  set(p, VIDEO_THRESHOLD, 25);
  RefreshDerivedValues(p, 1023);
  EXPECT_EQ(p.dirtLevel, 337);  // integer division
  EXPECT_EQ(p.thresholdLine[0], 255);
  EXPECT_EQ(p.thresholdLine[255], 255);
  EXPECT_EQ(p.dirtLine[17], 337);
}

TEST(Labels, ByLanguageAndOutputConfiguration) {
  const LanguageData en = testing_lang::Texts(0), de = testing_lang::Texts(1);
  EXPECT_EQ(ModeLabel(LabelField::EvalMode, 1, de), "ZENTRUM");
  EXPECT_EQ(ModeLabel(LabelField::CcdOperationMode, 2, de), "HÖCHST");
  EXPECT_EQ(ModeLabel(LabelField::AnalogZoomMode, 7, en), "TOL-WIN 10V");
  EXPECT_EQ(ModeLabel(LabelField::AnalogZoomMode, 6, de), "TOL-BAND 5V");
  EXPECT_EQ(ModeLabel(LabelField::ExtTriggerMode, 6, de), "DYN_VTHD");
  EXPECT_EQ(ModeLabel(LabelField::AnalogMode, 5, en), "CODE 5");
  // Without any language file the labels are English.
  EXPECT_EQ(ModeLabel(LabelField::AnalogZoomMode, 6, LanguageData{}), "TOL-WIN 5V");
  EXPECT_EQ(OutModeLabel(3, 4), "[TRG]:0, [OK]:1");
  EXPECT_EQ(OutModeLabel(3, 3), "[OK]:0, [DT]:1, [TG]:2");
  EXPECT_EQ(OutModeLabel(5, 3), "CODE 5");
  EXPECT_STREQ(SearchDirPicture(1), "arrow_left.bmp");
}

class ShowTest : public ParamsTest {};

TEST_F(ShowTest, SetPanelValuesShowsTheSanitisedRecordAndTheSummary) {
  model(2048, 10.0);
  auto& p = ctx->params;
  set(p, POWER, 1200);
  set(p, RS232_BAUDRATE, 9);
  set(p, EVAL_END, 0);
  set(p, EVAL_BEGIN, 2048);
  set(p, INTEGRATION_TIME, 1230);
  set(p, EVAL_PROGRAM, 1);
  rowSet(p, 1, ROW_EVAL_MODE, 1);
  rowSet(p, 1, ROW_EDGE_A, 2);
  rowSet(p, 1, ROW_EDGE_B, static_cast<uint16_t>(-1));
  testing_lang::UseLanguage(*ctx, 1);
  SetPanelValues(*ctx);
  EXPECT_EQ(ctx->ui.value(ref("PARA1", "POWER")), 400);
  EXPECT_EQ(ctx->ui.value(ref("PARA1", "RS232BAUD")), 4);
  EXPECT_EQ(ctx->ui.value(ref("VIDEO", "RANGEEND")), 2048);
  EXPECT_EQ(ctx->ui.value(ref("VIDEO", "RANGEBEG")), 1);
  EXPECT_DOUBLE_EQ(ctx->ui.value(ref("PARA1", "EXPOSE")), 1.23);
  EXPECT_EQ(ctx->ui.value(ref("TEACH", "PROGNO")), 1);
  EXPECT_EQ(ctx->ui.text(ref("VIDEO", "ST_EVALMODE")), "ZENTRUM");
  EXPECT_EQ(ctx->ui.text(ref("VIDEO", "ST_EDGES")), "2 # -1");
  EXPECT_EQ(ctx->ui.text(ref("VIDEO", "ST_POLARITY")), "DIREKT");
  const auto& t = ctx->ui.table(ref("TEACH", "TABLE"));
  EXPECT_EQ(t.rowMarked[1], 1);
  EXPECT_EQ(t.rowMarked[0], 0);
  EXPECT_FALSE(t.at(1, 1).readOnly);  // CENTER without an edge trigger
  EXPECT_TRUE(t.at(0, 1).readOnly);   // POSITION
}

TEST_F(ShowTest, PowerModeAndAnalogExtras) {
  model(2048, 10.0);
  set(ctx->params, POWER_MODE, 2);
  set(ctx->params, ANALOG_MODE, 2);
  SetPanelValues(*ctx);
  EXPECT_FALSE(ctx->ui.dimmed(ref("PARA1", "POWER")));
  EXPECT_TRUE(ctx->ui.dimmed(ref("PARA1", "EXPOSE")));
  EXPECT_TRUE(ctx->ui.visible(ref("VIDEO", "MAXVAL")));
  // Once shown they stay, even when the mode returns to DIRECT.
  set(ctx->params, ANALOG_MODE, 0);
  set(ctx->params, POWER_MODE, 1);
  SetPanelValues(*ctx);
  EXPECT_TRUE(ctx->ui.visible(ref("VIDEO", "MINVAL")));
  EXPECT_TRUE(ctx->ui.dimmed(ref("PARA1", "POWER")));
  EXPECT_FALSE(ctx->ui.dimmed(ref("PARA1", "EXPOSE")));
}

TEST_F(ShowTest, SpeedSwitchRaisesTheExposureTimeToTheModelsMinimum) {
  model(2048, 10.0);
  ctx->ident.hw.hwType = 802776;
  ctx->ident.model.hasMinIntegration = true;
  ctx->ident.model.minIntegrationMs = {1.25, 0.7, 0.5};
  set(ctx->params, INTEGRATION_TIME, 500);
  set(ctx->params, CCD_OPERATION_MODE, 1);
  SetPanelValues(*ctx);
  EXPECT_DOUBLE_EQ(ctx->ui.value(ref("PARA1", "EXPOSE")), 0.7);
  EXPECT_EQ(ctx->ident.model.infoLines[3], "resolution = +/- 4 µm");
}

}  // namespace
}  // namespace bx::test
