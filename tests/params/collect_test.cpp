// Collecting the edited values back into the records, in both units, and
// the unit switch.
#include <cmath>

#include "params/bindings.h"
#include "params/panel_values.h"
#include "params/units.h"
#include "params_fixture.h"

namespace bx::test {
namespace {

using namespace param;

class CollectTest : public ParamsTest {
 protected:
  void SetUp() override {
    ParamsTest::SetUp();
    model(2048, 10.0);
    SetPanelValues(*ctx);
  }
  void enter(const char* name, double v) { ctx->ui.setValue(ref("VIDEO", name), v); }
  void unit(int mm) {
    ctx->ui.setValue(ctx->refs.main.mmSwitch, mm);
    ctx->ui.fire(ctx->refs.main.mmSwitch, ui::EVENT_VAL_CHANGED);
  }
  ui::TableModel& table() { return ctx->ui.table(ref("TEACH", "TABLE")); }
};

TEST(Units, ConversionsRoundAndTruncateAsEntered) {
  EXPECT_EQ(MmToUmField(12.345), 12345);
  EXPECT_EQ(MmToPixelField(12.345, 10.0), 1234);
  EXPECT_EQ(MmToUmField(1.2346), 1235);
  EXPECT_EQ(MmToPixelField(1.2346, 10.0), 123);
  EXPECT_EQ(PixelToUmField(1234.4, 1.75), 2160);
  EXPECT_EQ(ToField16(0.29 * 100), 29);  // not 28
  EXPECT_EQ(ToField16(-3), 0);
  EXPECT_EQ(ToField16(70000), 65535);
  EXPECT_EQ(ToField32(-7.9), -7);
}

TEST_F(CollectTest, MillimetreEntriesGiveRoundedMicrometresAndTruncatedPixels) {
  unit(1);
  enter("TEACHVAL", 12.345);
  enter("TOLUP", 1.2346);
  enter("TOLLO", 0.015);
  enter("RANGEBEG", 0.5);
  enter("RANGEEND", 20.0);
  ctx->ui.setValue(ref("PARA2", "TRIGPIX"), 3.21);
  GetPanelValues(*ctx);
  EXPECT_EQ(field32(UM_TEACH), 12345);
  EXPECT_EQ(field(TEACH_VALUE), 1234);
  EXPECT_EQ(field32(UM_TOLUP), 1235);
  EXPECT_EQ(field(UPPER_TOLERANCE), 123);
  EXPECT_EQ(field32(UM_TOLLO), 15);
  EXPECT_EQ(field(LOWER_TOLERANCE), 1);
  EXPECT_EQ(field32(UM_BEGIN), 500);
  EXPECT_EQ(field(EVAL_BEGIN), 50);
  EXPECT_EQ(field(EVAL_END), 2000);
  EXPECT_EQ(field(TRIGGER_PIXEL), 321);
}

TEST_F(CollectTest, PixelEntriesGiveTruncatedPixelsAndRoundedMicrometres) {
  ctx->ident.model.umPerPixel = 1.75;
  unit(0);
  enter("TEACHVAL", 1234.9);
  enter("TOLUP", 0);
  enter("RANGEBEG", 2048);
  enter("RANGEEND", 5000);
  GetPanelValues(*ctx);
  EXPECT_EQ(field(TEACH_VALUE), 1234);
  EXPECT_EQ(field32(UM_TEACH), 2161);  // 1234.9 x 1.75 = 2161.075
  EXPECT_EQ(field(UPPER_TOLERANCE), 0);
  EXPECT_EQ(field(EVAL_BEGIN), 1);     // above N - 1
  EXPECT_EQ(field(EVAL_END), 2048);
}

TEST_F(CollectTest, SetPointLimitsAfterConversion) {
  enter("TEACHVAL", 0);
  GetPanelValues(*ctx);
  EXPECT_EQ(field(TEACH_VALUE), 1);
  enter("TEACHVAL", 4000);
  GetPanelValues(*ctx);
  EXPECT_EQ(field(TEACH_VALUE), 2048);
}

TEST_F(CollectTest, ExposureRingsSliderAndProgram) {
  ctx->ui.setValue(ref("PARA1", "EXPOSE"), 1.234);
  ctx->ui.setValue(ref("PARA2", "VTHDMODE"), 1);
  ctx->ui.setValue(ref("PARA2", "VTHD"), 40);
  ctx->ui.setValue(ref("PARA2", "DIRTMODE"), 2);
  ctx->ui.setValue(ref("TEACH", "PROGNO"), 3);
  ctx->ui.setValue(ref("PARA1", "RS232BAUD"), 6);
  const uint16_t vthd = field(VIDEO_THRESHOLD);
  GetPanelValues(*ctx);
  EXPECT_EQ(field(INTEGRATION_TIME), 1230);
  EXPECT_EQ(field(TRACK_THRESHOLD), 40);
  EXPECT_EQ(field(VIDEO_THRESHOLD), vthd);
  EXPECT_EQ(field(DIRT_DETECT_MODE), 2);
  EXPECT_FALSE(ctx->ui.dimmed(ref("VIDEO", "DIRTLAMP")));
  EXPECT_EQ(field(EVAL_PROGRAM), 3);
  EXPECT_EQ(field(RS232_BAUDRATE), 6);
}

TEST_F(CollectTest, TeachTableTruncatesInBothUnits) {
  auto& t = table();
  t.at(1, 0).num = -2;
  t.at(1, 1).num = 3;
  t.at(1, 2).num = 2;
  t.at(1, 3).num = 1234.9;
  GetTableValues(*ctx);
  EXPECT_EQ(rowGetS(ctx->params, 1, ROW_EDGE_A), -2);
  EXPECT_EQ(rowGet(ctx->params, 1, ROW_EVAL_MODE), 2);
  EXPECT_EQ(rowGet(ctx->params, 1, ROW_TEACH_VALUE), 1234);
  EXPECT_EQ(rowGet32(ctx->params, 1, ROW_UM_TEACH), 12349);  // truncated, not rounded

  unit(1);
  t.at(1, 3).num = 1.2346;
  t.at(1, 4).num = 12.345;
  GetTableValues(*ctx);
  EXPECT_EQ(rowGet32(ctx->params, 1, ROW_UM_TEACH), 1234);
  EXPECT_EQ(rowGet(ctx->params, 1, ROW_TEACH_VALUE), 123);
  EXPECT_EQ(rowGet32(ctx->params, 1, ROW_UM_TOLUP), 12345);
}

TEST_F(CollectTest, SwitchingUnitsTwiceChangesNoStoredValue) {
  auto& p = ctx->params;
  set(p, EVAL_PROGRAM, 0);
  rowSet(p, 0, ROW_TEACH_VALUE, 700);
  rowSet32(p, 0, ROW_UM_TEACH, 7012);
  set32(p, UM_END, 19999);
  set(p, EVAL_END, 1999);
  SetPanelValues(*ctx);
  const auto set = p.set;
  const auto teach = p.teach;
  unit(1);
  EXPECT_NEAR(ctx->ui.value(ref("VIDEO", "TEACHVAL")), 7.012, 1e-9);
  EXPECT_NEAR(ctx->ui.value(ref("VIDEO", "RANGEEND")), 19.999, 1e-9);
  EXPECT_NEAR(table().at(0, 3).num, 7.012, 1e-9);
  EXPECT_EQ(ctx->ui.text(ref("VIDEO", "UNITLABEL")), "[mm]");
  EXPECT_EQ(ctx->ui.at(ref("VIDEO", "TEACHVAL")).precision, 3);
  unit(0);
  EXPECT_EQ(ctx->ui.value(ref("VIDEO", "TEACHVAL")), 700);
  EXPECT_EQ(ctx->ui.text(ref("VIDEO", "VIDEOUNIT")), "[pixel]");
  EXPECT_EQ(p.set, set);
  EXPECT_EQ(p.teach, teach);
}

TEST_F(CollectTest, AGetEndsInTheUnitTheSwitchShows) {
  ctx->ui.setValue(ctx->refs.main.mmSwitch, 1);
  set32(ctx->params, UM_BEGIN, 2500);
  SetPanelValues(*ctx);
  EXPECT_EQ(ctx->params.unitMm, 1);
  EXPECT_DOUBLE_EQ(ctx->ui.value(ref("VIDEO", "RANGEBEG")), 2.5);
}

// Every bound field, shown and collected again, comes back as it was, in
// both units; and each binding names the control it really uses.
TEST_F(CollectTest, EveryBoundFieldRoundTripsThroughItsControl) {
  auto& p = ctx->params;
  for (const FieldBinding& b : ParamBindings()) {
    const std::string name = b.control;
    const size_t dot = name.find('.');
    ASSERT_NE(dot, std::string::npos) << name;
    const ui::CtlRef r = b.ref(*ctx);
    ASSERT_TRUE(r.valid()) << name;
    EXPECT_EQ(r, ref(name.substr(0, dot).c_str(), name.substr(dot + 1).c_str())) << name;
    for (int mm : {0, 1}) {
      p.unitMm = mm;
      const int row = p.activeRow;
      for (int trackMode : {0, 1}) {
        set(p, VIDEO_THRESHOLD_MODE, static_cast<uint16_t>(trackMode));
        // A value each field can hold, away from its limits.
        const uint16_t word = b.conv == Conv::Millis ? 2500 : b.hi < 4 ? 2 : 1234;
        const int field = b.conv == Conv::Threshold && trackMode == 1 ? TRACK_THRESHOLD : b.off;
        set(p, field, word);
        if (b.umOff >= 0) set32(p, b.umOff, word * 10);
        if (b.rowOff >= 0) rowSet(p, row, b.rowOff, word);
        if (b.rowUmOff >= 0) rowSet32(p, row, b.rowUmOff, word * 10);
        ShowField(*ctx, b);
        set(p, field, 7);
        if (b.umOff >= 0) set32(p, b.umOff, 7);
        CollectField(*ctx, b);
        EXPECT_EQ(get(p, field), word) << name << " mm=" << mm;
        if (b.umOff >= 0) {
          EXPECT_EQ(get32(p, b.umOff), word * 10) << name << " mm=" << mm;
        }
        if (b.conv != Conv::Threshold) break;
      }
    }
  }
}

TEST_F(CollectTest, EveryTeachColumnRoundTripsThroughItsCell) {
  auto& p = ctx->params;
  ASSERT_EQ(TeachColumns().size(), static_cast<size_t>(TC_COUNT));
  for (const ColumnBinding& c : TeachColumns()) {
    EXPECT_EQ(table().colKind[static_cast<size_t>(c.col)], c.kind) << c.col;
    for (int mm : {0, 1}) {
      p.unitMm = mm;
      const int row = 2;
      const int16_t value = c.conv == CellConv::Signed ? -7 : c.conv == CellConv::Mode ? 2 : 1234;
      rowSet(p, row, c.rowOff, static_cast<uint16_t>(value));
      if (c.rowUmOff >= 0) rowSet32(p, row, c.rowUmOff, value * 10);
      SetTableRowValues(*ctx, row);
      rowSet(p, row, c.rowOff, 7);
      if (c.rowUmOff >= 0) rowSet32(p, row, c.rowUmOff, 7);
      GetTableRowValues(*ctx, row);
      EXPECT_EQ(rowGetS(p, row, c.rowOff), value) << c.col << " mm=" << mm;
      if (c.rowUmOff >= 0) {
        EXPECT_EQ(rowGet32(p, row, c.rowUmOff), value * 10) << c.col << " mm=" << mm;
      }
    }
  }
}

// What a field cannot hold is held at its limit, and what is no number
// leaves a zero rather than whatever the conversion made of it.
TEST_F(CollectTest, BoundFieldsHoldTypedEntriesWithinTheirLimits) {
  const struct {
    const char* panel;
    const char* control;
    double typed;
    int field;
    uint16_t expected;
  } cases[] = {
      {"PARA1", "POWER", 1e12, POWER, 65535},
      {"PARA1", "POWER", -3, POWER, 0},
      {"PARA1", "POWER", std::nan(""), POWER, 0},
      {"PARA1", "EXPOSE", 1000, INTEGRATION_TIME, 65530},
      {"TEACH", "PROGNO", 9, EVAL_PROGRAM, 3},
  };
  for (const auto& c : cases) {
    ctx->ui.setValue(ref(c.panel, c.control), c.typed);
    GetPanelValues(*ctx);
    EXPECT_EQ(field(c.field), c.expected) << c.control << " " << c.typed;
  }
}

}  // namespace
}  // namespace bx::test
