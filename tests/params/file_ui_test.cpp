// The parameter file through the Send/Get FILE target and the menu, and
// the hardware info file.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/hwinfo_file.h"
#include "params/hwinfo.h"
#include "params/panel_values.h"
#include "params/para_file_ui.h"
#include "live/pending.h"
#include "params/transfer.h"
#include "params_fixture.h"
#include "support/use_language.h"

namespace bx::test {
namespace {

using namespace param;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FileUiTest : public ParamsTest {
 protected:
  void SetUp() override {
    ParamsTest::SetUp();
    model(2048, 10.0);
    ctx->link.replyTimeout = 0.1;  // no sensor: the edge refresh of a file GET fails fast
    ctx->app.userFilesDir = tempDir();
    ctx->ui.setDimmed(ctx->refs.main.send, false);
    ctx->ui.setDimmed(ctx->refs.main.get, false);
    selectFile();
  }
  void selectFile() {
    ctx->ui.setValue(ctx->refs.main.memSel, MEM_FILE);
    ctx->ui.fire(ctx->refs.main.memSel, ui::EVENT_COMMIT);
  }
  void pressSend() { ctx->ui.fire(ctx->refs.main.send, ui::EVENT_COMMIT); }
  void pressGet() { ctx->ui.fire(ctx->refs.main.get, ui::EVENT_COMMIT); }
  std::string file(const char* name) { return tempDir() + "/" + name; }
};

TEST_F(FileUiTest, SendToANewFileWritesItQuietly) {
  ctx->status = "before";
  fe->answerFile(ui::FILE_NEW, file("a.ini"));
  pressSend();
  ASSERT_FALSE(fe->popups().empty());
  const auto& dlg = fe->popups().back();
  EXPECT_EQ(dlg.title, "Quellan-BX-Series Parameter-File");
  EXPECT_EQ(dlg.text, "Quellan-BXpara.ini");
  EXPECT_EQ(status(), "before");
  EXPECT_NE(slurp(file("a.ini")).find("[TEACH-ROW3]"), std::string::npos);
}

TEST_F(FileUiTest, OverwriteQuestionDecidesAndDecliningLeavesTheFile) {
  const std::string path = file("b.ini");
  { std::ofstream(path) << "keep me"; }
  fe->answerFile(ui::FILE_EXISTING, path);
  fe->answerConfirm(false);
  pressSend();
  EXPECT_EQ(fe->popups().back().title, "ATTENTION!");
  EXPECT_EQ(fe->popups().back().text, "Parameter-File already exists - overwrite ?");
  EXPECT_EQ(status(), "Parameter file - Write error!");
  EXPECT_EQ(slurp(path), "keep me");

  fe->answerFile(ui::FILE_EXISTING, path);
  fe->answerConfirm(true);
  pressSend();
  EXPECT_EQ(status(), "Parameter saved successfully to file!");
  EXPECT_NE(slurp(path).find("[PARAMETER]"), std::string::npos);
}

TEST_F(FileUiTest, ADialogueThatSaysNewForAnExistingFileStillAsks) {
  const std::string path = file("c.ini");
  { std::ofstream(path) << "keep me"; }
  fe->answerFile(ui::FILE_NEW, path);
  fe->answerConfirm(false);
  pressSend();
  EXPECT_EQ(slurp(path), "keep me");
}

TEST_F(FileUiTest, CancelAndWriteFailureAreReported) {
  testing_lang::UseLanguage(*ctx, 1);
  pressSend();  // no answer queued: cancelled
  // The status buffer holds the English text; the field shows it in German.
  EXPECT_EQ(status(), "Parameter file - Writing to file canceled!");
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), "Parameter Datei - Schreibvorgang abgebrochen!");
  testing_lang::UseLanguage(*ctx, 0);
  fe->answerFile(ui::FILE_NEW, file("missing-dir/x.ini"));
  pressSend();
  EXPECT_EQ(status(), "Parameter file - Write error!");
  EXPECT_FALSE(std::filesystem::exists(file("missing-dir/x.ini")));
}

TEST_F(FileUiTest, RoundTripRestoresEveryStoredField) {
  auto& p = ctx->params;
  set(p, EVAL_PROGRAM, 1);
  rowSet(p, 1, ROW_EVAL_MODE, 1);
  rowSet(p, 1, ROW_EDGE_A, static_cast<uint16_t>(-2));
  rowSet(p, 1, ROW_EDGE_B, 3);
  rowSet(p, 1, ROW_TEACH_VALUE, 640);
  rowSet32(p, 1, ROW_UM_TEACH, 6400);
  rowSet(p, 3, ROW_NOT_USED, 4321);
  set(p, AVERAGE, 16);
  set(p, CCD_OPERATION_MODE, 2);
  set(p, INT_TRIGGER_MODE, 2);
  set(p, DIGITAL_OUT_MODE, 1);
  set(p, POWER, 650);
  set(p, RS232_MODE, 3);
  set(p, TEACH_TARGET, 1);
  SetPanelValues(*ctx);
  ctx->ui.setValue(ref("VIDEO", "TOLUP"), 10);
  ctx->ui.setValue(ref("VIDEO", "TOLLO"), 12);
  fe->answerFile(ui::FILE_NEW, file("rt.ini"));
  pressSend();
  const auto written = p;

  InitVars(*ctx);
  model(2048, 10.0);
  selectFile();
  set(p, CCD_OPERATION_MODE, 1);
  fe->answerFile(ui::FILE_EXISTING, file("rt.ini"));
  pressGet();
  EXPECT_EQ(fe->popups().back().kind, "file");
  for (int off = 0; off < 84; off += 2) {
    if (off == VIDEO_THRESHOLD_MODE || off == TRACK_THRESHOLD || off == DIRT_THRESHOLD) continue;
    EXPECT_EQ(get(p, off), get(written, off)) << "offset " << off;
  }
  EXPECT_EQ(field(CCD_OPERATION_MODE), 2);
  EXPECT_EQ(p.teach, written.teach);
  EXPECT_EQ(ctx->ui.value(ref("PARA1", "POWER")), 650);
}

TEST_F(FileUiTest, GetFromFileReadsNowAndShowsWhenThePendingGetIsServed) {
  connectTcp();
  { std::ofstream(file("p.ini")) << "[PARAMETER]\r\nPower = 70000\r\nAverage = 8\r\n"; }
  ctx->run.state = RUN_LOOP;
  fe->answerFile(ui::FILE_EXISTING, file("p.ini"));
  pressGet();
  EXPECT_EQ(status(), "Parameter read from file!");
  EXPECT_EQ(field(POWER), 4464);  // 16-bit truncation of the file's value
  EXPECT_EQ(field(AVERAGE), 8);
  EXPECT_TRUE(ctx->run.pending.has(PENDING_GET));
  EXPECT_NE(ctx->ui.value(ctx->refs.choice.average), 8);

  ctx->run.state = RUN_IDLE;
  ServePendingRequests(*ctx);
  EXPECT_FALSE(ctx->run.pending.has(PENDING_GET));
  EXPECT_EQ(ctx->ui.value(ctx->refs.choice.average), 8);
  EXPECT_EQ(field(POWER), 400);  // sanitised when shown
}

TEST_F(FileUiTest, UnreadableOrCancelledFileLeavesTheRecords) {
  const auto before = ctx->params.set;
  pressGet();
  EXPECT_EQ(status(), "Parameter not read from file!");
  fe->answerFile(ui::FILE_EXISTING, file("nope.ini"));
  pressGet();
  EXPECT_EQ(status(), "Parameter not read from file!");
  EXPECT_EQ(ctx->params.set, before);
  EXPECT_FALSE(ctx->run.pending.has(PENDING_GET));
}

TEST_F(FileUiTest, MenuSaveAndLoadUseTheirOwnMessages) {
  EXPECT_EQ(SaveConfigFile(*ctx), 0);
  EXPECT_EQ(status(), "Parameter saving to file failed!");
  ctx->status = "unchanged";
  fe->answerFile(ui::FILE_NEW, file("m.ini"));
  EXPECT_EQ(SaveConfigFile(*ctx), 1);
  EXPECT_EQ(status(), "unchanged");
  fe->answerFile(ui::FILE_EXISTING, file("m.ini"));
  fe->answerConfirm(false);
  EXPECT_EQ(SaveConfigFile(*ctx), 0);
  EXPECT_EQ(fe->popups().back().title, "A T T E N T I O N !");
  EXPECT_EQ(status(), "Parameter not saved to file!");
  testing_lang::UseLanguage(*ctx, 1);
  fe->answerFile(ui::FILE_EXISTING, file("m.ini"));
  fe->answerConfirm(true);
  EXPECT_EQ(SaveConfigFile(*ctx), 1);
  EXPECT_EQ(fe->popups().back().title, "A C H T U N G !");
  EXPECT_EQ(fe->popups().back().text, "Ausgabe-Datei existiert bereits - überschreiben ?");
  EXPECT_EQ(status(), "Parameter saved to file!");
  fe->answerFile(ui::FILE_NEW, file("no-dir/m.ini"));
  EXPECT_EQ(SaveConfigFile(*ctx), -1);
  EXPECT_EQ(status(), "Parameter not saved to file!");

  EXPECT_EQ(LoadConfigFile(*ctx), 0);
  EXPECT_EQ(status(), "Parameter not read from file - ERROR!");
  fe->answerFile(ui::FILE_EXISTING, file("absent.ini"));
  EXPECT_EQ(LoadConfigFile(*ctx), -1);
  EXPECT_EQ(status(), "Parameter not read from file - ERROR!");
}

TEST_F(FileUiTest, MenuLoadDuringTheLoopShowsTheFileNotTheSensor) {
  connectTcp();
  ctx->ui.setValue(ctx->refs.main.memSel, MEM_RAM);
  ctx->ui.fire(ctx->refs.main.memSel, ui::EVENT_COMMIT);
  { std::ofstream(file("l.ini")) << "[PARAMETER]\r\nAverage = 128\r\n"; }
  ctx->run.state = RUN_LOOP;
  fe->answerFile(ui::FILE_EXISTING, file("l.ini"));
  EXPECT_EQ(LoadConfigFile(*ctx), 1);
  EXPECT_EQ(status(), "Parameter read from file - OK!");
  const int gets = sim->requestCount(2);
  ctx->run.state = RUN_IDLE;
  ServePendingRequests(*ctx);
  EXPECT_EQ(sim->requestCount(2), gets);
  EXPECT_EQ(ctx->ui.value(ctx->refs.choice.average), 128);
}

class HwInfoTest : public ParamsTest {};

TEST_F(HwInfoTest, WritesTheFileFromTheConnectionPageButton) {
  connectTcp();
  ctx->app.userFilesDir = tempDir();
  const std::string path = tempDir() + "/hw.ini";
  fe->answerFile(ui::FILE_NEW, path);
  ctx->ui.setDimmed(ctx->refs.conn.hwInfo, false);
  ctx->ui.fire(ctx->refs.conn.hwInfo, ui::EVENT_COMMIT);
  EXPECT_EQ(status(), "Transmission [HW-INFO-FILE] successful!");
  EXPECT_EQ(fe->popups().back().title, "Generate Hardware Info File");
  EXPECT_EQ(fe->popups().back().text, "HardwareInfoFile.ini");
  EXPECT_EQ(ctx->app.hwInfoVersionText, "Quellan-BX-Scope  Build: V5.5.0  02/Jun/2026");
  EXPECT_EQ(sim->lastRequest(0xC2).param, 0x5C3E);
  const std::string text = slurp(path);
  EXPECT_NE(text.find("[HARDWARE INFO]"), std::string::npos);
  EXPECT_NE(text.find(ctx->link.fwInfo), std::string::npos);
  EXPECT_NE(text.find("[TEACH-ROW3]"), std::string::npos);
}

TEST_F(HwInfoTest, CancelWritesNothingAndFailuresAreReported) {
  connectTcp();
  ctx->link.replyTimeout = 0.3;
  EXPECT_EQ(GenerateHardwareInfoFile(*ctx), 0);
  EXPECT_EQ(status(), "Transmission [HW-INFO-FILE] successful!");

  fe->answerFile(ui::FILE_NEW, tempDir() + "/no-dir/hw.ini");
  EXPECT_EQ(GenerateHardwareInfoFile(*ctx), -1);
  EXPECT_EQ(status(), "Hardware-Info-File - Write error!");

  sim->setFault(sim::Fault::NoReply, 1);
  EXPECT_EQ(GenerateHardwareInfoFile(*ctx), -1);
  EXPECT_EQ(status(), "Transmission error [GENERATE HW-INFO-FILE]!");
}

}  // namespace
}  // namespace bx::test
