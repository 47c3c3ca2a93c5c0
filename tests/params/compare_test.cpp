// Two parameter sets compared field by field: what a file holds and lacks,
// positions with their micrometre twins, teach cells, refused files, the
// factory defaults, and the compare window over a simulated sensor.
#include <fstream>

#include "app/startup.h"
#include "files/para_file.h"
#include "params/bindings.h"
#include "params/compare.h"
#include "params/compare_window.h"
#include "params/defaults.h"
#include "params/model_config.h"
#include "params/panel_values.h"
#include "params/sanitise.h"
#include "params/transfer.h"
#include "params_fixture.h"

namespace bx::test {
namespace {

using namespace param;

CompareSide distinctive() {
  CompareSide s;
  SetStartValues(s.set, s.teach);
  set(s.set, POWER, 640);
  set(s.set, VIDEO_THRESHOLD_MODE, 1);
  set(s.set, TRACK_THRESHOLD, 33);
  set32(s.set, UM_TEACH, 4321);
  for (int r = 0; r < kRowCount; ++r) {
    rowSet(s.teach, r, ROW_EDGE_A, static_cast<uint16_t>(-(r + 1)));
    rowSet(s.teach, r, ROW_TEACH_VALUE, static_cast<uint16_t>(1000 + r));
    rowSet32(s.teach, r, ROW_UM_TEACH, 1750 * (r + 1));
  }
  s.holdAll();
  return s;
}

const CompareItem& item(const std::vector<CompareItem>& items, const std::string& field) {
  for (const auto& it : items)
    if (it.field == field) return it;
  ADD_FAILURE() << "no item " << field;
  static CompareItem none;
  return none;
}

std::string writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

class Compare : public ParamsTest {
 protected:
  std::string writeSide(const CompareSide& s, const std::string& name) {
    const std::string path = tempDir() + "/" + name;
    std::string error;
    EXPECT_EQ(files::WriteParaToIniFile(s.set.data(), s.teach.data(), nullptr, false, path, &error), 1) << error;
    return path;
  }
};

TEST_F(Compare, AFileAgainstItsSourceDiffersOnlyWhereItHoldsAField) {
  const CompareSide ram = distinctive();
  const std::string path = writeSide(ram, "a.ini");
  CompareSide file;
  std::string why;
  ASSERT_EQ(ReadCompareFile(path, file, why), FileVerdict::Read) << why;

  EXPECT_EQ(CountDifferences(CompareParamSets(file, file)), 0);
  const auto items = CompareParamSets(ram, file);
  EXPECT_EQ(CountDifferences(items), 0);
  // What the file does not hold is listed as such, never as a difference.
  for (const char* f : {"Video-Threshold-Mode", "Track-Threshold", "Dirt-Threshold"}) {
    SCOPED_TRACE(f);
    const auto& it = item(items, f);
    EXPECT_TRUE(it.left.held);
    EXPECT_FALSE(it.right.held);
    EXPECT_FALSE(it.differs());
  }
  // Every field but the reserved bytes, and 10 cells per teach row.
  EXPECT_EQ(items.size(), 32u + 4u * 10u);

  // A file that lacks an item holds nothing there, whatever its bytes.
  const std::string partial = writeText(tempDir() + "/p.ini", "[PARAMETER]\r\nAverage = 512\r\n");
  ASSERT_EQ(ReadCompareFile(partial, file, why), FileVerdict::Read);
  const auto some = CompareParamSets(ram, file);
  EXPECT_EQ(CountDifferences(some), 1);
  EXPECT_TRUE(item(some, "Average").differs());
  EXPECT_FALSE(item(some, "Power").right.held);
  EXPECT_FALSE(item(some, "TEACH[3].Lower-Tolerance").right.held);
}

TEST_F(Compare, PositionsTeachCellsAndTheirTexts) {
  const CompareSide a = distinctive();
  struct Case {
    const char* what;
    void (*change)(CompareSide&);
    const char* field;
    bool pixel, um;
  };
  const Case cases[] = {
      {"twin only", [](CompareSide& s) { set32(s.set, UM_TEACH, 4322); }, "Teach-Value", false, true},
      {"pixel only", [](CompareSide& s) { set(s.set, EVAL_END, 2047); }, "Eval-End", true, false},
      {"both", [](CompareSide& s) { rowSet(s.teach, 2, ROW_UPPER_TOL, 9), rowSet32(s.teach, 2, ROW_UM_TOLUP, 9); },
       "TEACH[2].Upper-Tolerance", true, true},
      {"signed edge", [](CompareSide& s) { rowSet(s.teach, 1, ROW_EDGE_B, static_cast<uint16_t>(-3)); },
       "TEACH[1].edge-idxB", true, false},
      {"a word no page shows", [](CompareSide& s) { rowSet(s.teach, 3, ROW_NOT_USED, 7); }, "TEACH[3].Not-used",
       true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CompareSide b = a;
    c.change(b);
    const auto items = CompareParamSets(a, b);
    EXPECT_EQ(CountDifferences(items), (c.pixel ? 1 : 0) + (c.um ? 1 : 0));
    const auto& it = item(items, c.field);
    EXPECT_EQ(it.pixelDiffers, c.pixel);
    EXPECT_EQ(it.umDiffers, c.um);
  }

  CompareSide b = a;
  rowSet(b.teach, 1, ROW_EDGE_B, static_cast<uint16_t>(-3));
  const auto items = CompareParamSets(a, b);
  const auto& edge = item(items, "TEACH[1].edge-idxB");
  EXPECT_EQ(StoredText(edge, edge.right, false), "-3");
  EXPECT_EQ(edge.column, TC_EDGE_B);
  EXPECT_STREQ(edge.control, "TEACH.TABLE");
  const auto& teach = item(items, "TEACH[2].Teach-Value");
  EXPECT_EQ(teach.umField, "TEACH[2].UM-TEACH");
  EXPECT_STREQ(StoredUnit(teach, true), "µm");
  EXPECT_EQ(StoredText(teach, teach.left, true), "5250");
  // As the pages show it: in millimetres, or pixels.
  EXPECT_EQ(PageText(teach, teach.left, true, 1.75, 3), "5.250");
  EXPECT_EQ(PageText(teach, teach.left, false, 1.75, 3), "1002");
  EXPECT_STREQ(PageUnit(teach, true), "mm");
  const auto& trig = item(items, "Trigger-Pixel");
  EXPECT_EQ(PageText(trig, trig.left, true, 2.5, 2), "2.56");  // 1024 pixels at 2.5 µm
  const auto& expose = item(items, "Integration-Time");
  EXPECT_EQ(PageText(expose, expose.left, true, 1, 2), "1.00");
  EXPECT_STREQ(PageUnit(expose, false), "ms");
  EXPECT_STREQ(item(items, "Power").control, "PARA1.POWER");
  EXPECT_STREQ(item(items, "Track-Threshold").control, "PARA2.VTHD");
  EXPECT_EQ(item(items, "Power-Mode").control, nullptr);
}

TEST_F(Compare, DamagedForeignAndUnreadableFilesAreRefusedNeverReadAsZeros) {
  struct Case {
    const char* what;
    std::string text;
    FileVerdict verdict;
  };
  const Case cases[] = {
      {"not a number", "[PARAMETER]\r\nPower = 5x0\r\n", FileVerdict::Damaged},
      {"too large for its field", "[PARAMETER]\r\nPower = 70000\r\n", FileVerdict::Damaged},
      {"negative in an unsigned field", "[TEACH-ROW1]\r\nTeach-Value = -1\r\n", FileVerdict::Damaged},
      {"empty value", "[PARAMETER]\r\nAverage =\r\n", FileVerdict::Damaged},
      {"32-bit overflow", "[PARAMETER]\r\nUM-END = 4294967296\r\n", FileVerdict::Damaged},
      {"the settings file", "[SETTINGS]\r\nLanguage = 1\r\n", FileVerdict::NotAParameterFile},
      {"another family's items", "[PARAMETER]\r\nGain = 3\r\nOffset = 4\r\n", FileVerdict::NotAParameterFile},
      {"only a calibration record", "[CALIBDATA]\r\nSER-NO: = 5\r\n", FileVerdict::NotAParameterFile},
      {"binary", std::string("\x00\x01\x02\xff garbage\n", 14), FileVerdict::NotAParameterFile},
      {"empty", "", FileVerdict::NotAParameterFile},
      {"UTF-16", std::string("\xff\xfe[\0P\0", 6), FileVerdict::Unreadable},
      {"signed edge", "[TEACH-ROW2]\r\nedge-idxA = -1\r\n", FileVerdict::Read},
      {"the reader's other spelling", "[PARAMETER]\r\nccd-op-mode=2\r\n", FileVerdict::Read},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = writeText(tempDir() + "/case.ini", c.text);
    CompareSide side;
    side.set.fill(0xAB);
    std::string why;
    EXPECT_EQ(ReadCompareFile(path, side, why), c.verdict) << why;
    if (c.verdict != FileVerdict::Read) {
      EXPECT_NE(why.find(path), std::string::npos) << why;
      EXPECT_TRUE(side.setHeld.none() && side.teachHeld.none());
    }
  }
  CompareSide side;
  std::string why;
  EXPECT_EQ(ReadCompareFile(tempDir() + "/absent.ini", side, why), FileVerdict::Unreadable);
  ASSERT_EQ(ReadCompareFile(writeText(tempDir() + "/e.ini", "[TEACH-ROW2]\r\nedge-idxA = -1\r\n"), side, why),
            FileVerdict::Read);
  EXPECT_EQ(rowGetS(side.teach, 2, ROW_EDGE_A), -1);
  ASSERT_EQ(ReadCompareFile(writeText(tempDir() + "/c.ini", "[PARAMETER]\r\nCCD-OP-Mode = 2\r\n"), side, why),
            FileVerdict::Read);
  EXPECT_EQ(get(side.set, CCD_OPERATION_MODE), 2);
  EXPECT_TRUE(side.setHeld[CCD_OPERATION_MODE / 2]);
}

TEST_F(Compare, FactoryDefaultsAreWhatTheToolBringsAnAllDefaultSetTo) {
  struct Case {
    uint32_t hwType;
    int pixels;
    uint32_t calibType;
  };
  for (const Case& c : {Case{802776, 16384, 802776}, Case{804671, 2048, 804671}, Case{123456, 2048, 0}}) {
    SCOPED_TRACE(c.hwType);
    // The tool's own road: start values, the model chosen, a GET's sanitising.
    InitVars(*ctx);
    model(c.pixels, 1.75);
    selectHARDWARE(*ctx, c.hwType, 0);
    Sanitise(ctx->params, c.pixels, c.calibType);
    const CompareSide d = DefaultsSide(c.hwType, c.pixels, c.calibType);
    EXPECT_EQ(d.set, ctx->params.set);
    EXPECT_EQ(d.teach, ctx->params.teach);
    EXPECT_TRUE(d.setHeld.all() && d.teachHeld.all());
  }
  const CompareSide d = DefaultsSide(802776, 16384, 802776);
  // The active row's mode wins over the start value, as after every GET.
  EXPECT_EQ(get(d.set, EVAL_MODE), rowGet(d.teach, 0, ROW_EVAL_MODE));
  EXPECT_EQ(get(d.set, TRACK_THRESHOLD), 1);  // 0 is brought to 1
}

// The window over a simulated sensor: RAM against a file, marks, the
// differences alone, the file's values taken into the pages and sent only
// by SEND; a damaged file refused with its name.
TEST_F(Compare, WindowComparesTakesIntoThePagesAndSendsOnlyOnSend) {
  connectTcp();
  const auto ramBefore = sim->ramParams();
  CompareSide file;
  file.set = ctx->params.set;
  file.teach = ctx->params.teach;
  // Straight from the sensor: the window must show only what was changed.
  ASSERT_EQ(LoadCompareSide(*ctx, SRC_RAM, "", file), SideResult::Read);
  const uint16_t power = static_cast<uint16_t>(get(file.set, POWER) == 700 ? 701 : 700);
  set(file.set, POWER, power);
  rowSet(file.teach, 1, ROW_EDGE_COUNT, 5);
  const std::string path = writeSide(file, "window.ini");

  const int menu = [&] {
    int m = -1, i = -1;
    EXPECT_TRUE(ctx->ui.findMenuItem("APPLICATION", "COMPARE", m, i));
    ctx->ui.fireMenu(m, i);
    return m;
  }();
  (void)menu;
  const int panel = ctx->ui.findPanel("COMPARE");
  ASSERT_GE(panel, 0);
  EXPECT_TRUE(ctx->ui.panel(panel).visible);
  const auto c = [&](const char* name) { return ref("COMPARE", name); };
  ctx->ui.setValue(c("LEFTSRC"), SRC_RAM);
  ctx->ui.setValue(c("RIGHTSRC"), SRC_FILE);
  ctx->ui.fire(c("RIGHTSRC"), ui::EVENT_COMMIT);
  EXPECT_FALSE(ctx->ui.dimmed(c("RIGHTFILEBTN")));
  EXPECT_TRUE(ctx->ui.dimmed(c("LEFTFILEBTN")));
  fe->answerFile(ui::FILE_EXISTING, path);
  ctx->ui.fire(c("RIGHTFILEBTN"), ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.text(c("RIGHTFILE")), path);
  ctx->ui.fire(c("COMPAREBTN"), ui::EVENT_COMMIT);

  const auto& all = ctx->ui.table(c("TABLE"));
  EXPECT_EQ(all.rows, 72);
  int marked = 0;
  for (uint8_t m : all.rowMarked) marked += m;
  EXPECT_EQ(marked, 2);
  EXPECT_EQ(ctx->ui.text(c("RESULT")), "2 differences");
  bool notInFile = false;
  for (int r = 0; r < all.rows; ++r) notInFile |= all.at(r, 3).text == "not in the file";
  EXPECT_TRUE(notInFile);

  ctx->ui.setValue(c("ONLYDIFF"), 1);
  ctx->ui.fire(c("ONLYDIFF"), ui::EVENT_COMMIT);
  auto& only = ctx->ui.table(c("TABLE"));
  ASSERT_EQ(only.rows, 2);
  EXPECT_EQ(only.at(0, 0).text, "Laser power");
  EXPECT_EQ(only.at(0, 3).text, std::to_string(power));
  EXPECT_EQ(only.at(0, 4).text, "PARA1");
  EXPECT_EQ(only.at(1, 0).text, "Teach row 1: EDGES");

  only.selTop = 0;
  only.selBottom = 1;
  ctx->ui.fire(c("TAKERIGHT"), ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.intValue(ctx->para.p1.power), power);
  EXPECT_EQ(ctx->ui.table(ctx->para.teach.table).at(1, TC_EDGES).num, 5);
  EXPECT_EQ(sim->ramParams(), ramBefore);  // nothing sent yet
  GetPanelValues(*ctx);
  ASSERT_EQ(PushSEND(*ctx, MEM_RAM), 1);
  EXPECT_EQ(get16le(sim->ramParams(), POWER), power);
  EXPECT_EQ(get16le(sim->ramTeach(), 32 + ROW_EDGE_COUNT), 5);

  // A damaged file: named, and the table shows no comparison at all.
  writeText(path, "[PARAMETER]\r\nPower = lots\r\n");
  ctx->ui.fire(c("COMPAREBTN"), ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.table(c("TABLE")).rows, 0);
  EXPECT_EQ(ctx->ui.text(c("RESULT")).rfind("Parameter file damaged: ", 0), 0u) << ctx->ui.text(c("RESULT"));
  EXPECT_NE(ctx->ui.text(c("RESULT")).find("Power"), std::string::npos);
}

}  // namespace
}  // namespace bx::test
