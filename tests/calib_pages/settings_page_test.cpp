// The calibration settings page: read, load a calibration file, write the
// record and the lookup table through the panel's own controls.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>

#include "wire/calib_record.h"
#include "calib/backup.h"
#include "calib_pages/record_binding.h"
#include "calib_pages/settings_page.h"
#include "calib/xflash_record.h"
#include "live/live_view.h"
#include "live/pending.h"
#include "live/run_loop.h"
#include "tests/files/temp_dir.h"
#include "tests/link/link_fixture.h"
#include "support/use_language.h"
#include "wire/calib_record.h"
#include "wire/frame_format.h"
#include "wire/orders.h"

namespace bx {
namespace {

class SettingsPage : public test::LinkTest {
 protected:
  void SetUp() override {
    test::LinkTest::SetUp();
    openTcp();
    ctx->link.replyTimeout = 0.2;
    ctx->link.tcpTimeoutMs = 500;
    ctx->calib.lookupStopWait = 0;
    ctx->calib.lookupBlockWait = 0;
    // The operator confirms each flash write unless a test says otherwise.
    frontend->setDefaultConfirm(true);
  }
  // A calibration data file of the given hardware type, loaded through the page.
  void loadFile(const std::string& hwType, const char* slope = "2.5") {
    const std::string path = dir.file("XF-LINEAR.DAT");
    {
      std::ofstream f(path);
      f << "[HEADER]\nHW\t" << hwType << "\nSN\t42\nRANGE\t16000\nOFFSET\t100\nSLOPE\t" << slope
        << "\nA\t0\nB\t0\nC\t0\nD\t0\nDIV\t1\nSIZE\t2048\nAREA\t0\n[XFLASH]\n";
      for (int i = 0; i < 2048; ++i) f << (i * 3) % 256 << ' ';
    }
    frontend->answerFile(ui::FILE_EXISTING, path);
    press("CALFILEBTN");
    ASSERT_EQ(text(c("CALFILE")), path);
  }
  void noReplyTo(uint8_t order, int param = sim::kAnyParam) {
    sim::FaultRule r;
    r.fault = sim::Fault::NoReply;
    r.order = order;
    r.param = param;
    r.count = sim::kPersistent;
    sim->setFault(r);
  }
  const ui::HeadlessFrontend::Popup& lastPopup() {
    static const ui::HeadlessFrontend::Popup kNone{};
    return frontend->popups().empty() ? kNone : frontend->popups().back();
  }
  testing_files::TempDir dir;
  ui::CtlRef c(const char* name) { return ctx->ui.find("TAB_SETT", name); }
  void press(const char* name) { ctx->ui.fire(c(name), ui::EVENT_COMMIT); }
  void select(const char* name, int on) {
    ctx->ui.setValue(c(name), on);
    ctx->ui.fire(c(name), ui::EVENT_VAL_CHANGED);
  }
};

TEST_F(SettingsPage, LoadWriteAndReadBack) {
  testing_files::TempDir dir;
  const std::string path = dir.file("XF-LINEAR.DAT");
  {
    std::ofstream f(path);
    f << "[HEADER]\nHW\t803045\nSN\t42\nRANGE\t16000\nOFFSET\t100\nSLOPE\t2.5\nA\t0\nB\t0\nC\t0\nD\t0\n"
         "DIV\t1\nSIZE\t2048\nAREA\t0\n[XFLASH]\n";
    for (int i = 0; i < 2048; ++i) f << (i * 3) % 256 << ' ';
  }
  frontend->answerFile(ui::FILE_EXISTING, path);
  press("CALFILEBTN");
  EXPECT_EQ(text(c("CALFILE")), path);
  EXPECT_EQ(ctx->ui.value(ctx->refs.calib.slope), 2.5);
  EXPECT_EQ(ctx->ui.value(ctx->refs.calib.calSerial), 42);

  EXPECT_TRUE(ctx->ui.dimmed(c("WRITEXF")));
  select("HEADERSEL", 1);
  select("LOOKUPSEL", 1);
  ASSERT_FALSE(ctx->ui.dimmed(c("WRITEXF")));
  ctx->ident.hw.hwType = 803045;
  press("WRITEXF");
  EXPECT_EQ(text(ctx->refs.main.status), "Writing to PFLASH finished successfully!");
  EXPECT_EQ(ctx->ui.intValue(c("LOOKUPSEL")), 0);  // cleared after the write
  const auto back = sim->pflash(0xC000, 2048);
  ASSERT_EQ(back.size(), 2048u);
  for (int i = 0; i < 2048; ++i) ASSERT_EQ(back[static_cast<size_t>(i)], (i * 3) % 256) << i;
  EXPECT_EQ(frame::gets32(sim->calibRecord().data() + 12), 40960);
  EXPECT_EQ(ctx->calib.rangeEndUm, 16100);

  // Read back into a cleared record.
  ctx->calib.record = CalibRecord{};
  press("READXF");
  EXPECT_EQ(calib::serial(ctx->calib.record), 42);
  EXPECT_EQ(ctx->ui.value(ctx->refs.calib.offset), 100);
}

// Every field of the record, shown on the page and collected again, comes
// back as it was: also a slope whose shown value is rounded (its stored
// bits stay), and each binding names the control it really uses.
// Every write first saves the sensor's record in the backup folder, named
// for its serial number; "Restore calibration ..." lists the saved ones of
// the connected sensor and writes the chosen one back after the same
// question as any write.
TEST_F(SettingsPage, AWriteLeavesABackupThatRestoreWritesBack) {
  ctx->calib.backupDir = dir.file("backups");
  ctx->link.shownConnected = true;
  ctx->ident.hw.serial = 1234;
  const auto original = sim->calibRecord();

  // A new record written from the page.
  ctx->ui.setValue(ctx->refs.calib.offset, 250);
  ctx->ui.setValue(ctx->refs.calib.slope, 3.0);
  ctx->ui.setValue(ctx->refs.calib.range, 16000);
  select("HEADERSEL", 1);
  press("WRITEXF");
  ASSERT_EQ(frame::gets32(sim->calibRecord().data() + 16), 250) << text(ctx->refs.main.status);
  auto saved = ListCalibBackups(ctx->calib.backupDir, 1234);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].record.bytes, original);
  EXPECT_NE(saved[0].path.find("/calib-SN1234-"), std::string::npos) << saved[0].path;
  EXPECT_TRUE(ListCalibBackups(ctx->calib.backupDir, 123).empty());

  // Declined: nothing goes out.
  const int writes = sim->requestCount(order::kWriteCalibRecord);
  frontend->answerSelect(0);
  frontend->answerConfirm(false);
  EXPECT_EQ(RestoreCalibration(*ctx), 0);
  EXPECT_EQ(sim->requestCount(order::kWriteCalibRecord), writes);
  EXPECT_EQ(lastPopup().kind, "confirm");

  // Confirmed: the sensor holds the saved record again, byte for byte, and
  // the record it replaced was saved before.
  frontend->answerSelect(0);
  frontend->answerConfirm(true);
  EXPECT_EQ(RestoreCalibration(*ctx), 1);
  EXPECT_EQ(sim->calibRecord(), original);
  EXPECT_EQ(ctx->calib.record.bytes, original);
  saved = ListCalibBackups(ctx->calib.backupDir, 1234);
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(frame::gets32(saved[0].record.bytes.data() + 16), 250);  // newest first

  // Another sensor has none; without a sensor nothing is offered.
  ctx->ident.hw.serial = 77;
  EXPECT_EQ(RestoreCalibration(*ctx), 0);
  EXPECT_EQ(lastPopup().text, "No saved calibration for the sensor with serial number 77!");
  ctx->link.shownConnected = false;
  EXPECT_EQ(RestoreCalibration(*ctx), 0);
  EXPECT_EQ(lastPopup().text, "No sensor connected - nothing restored!");
}

// A backup that cannot be taken stops the write: no record goes out
// without its way back.
TEST_F(SettingsPage, NoWriteWithoutItsBackup) {
  ctx->ident.hw.serial = 1234;
  const auto original = sim->calibRecord();
  // A file where the folder should be.
  { std::ofstream(dir.file("blocked")) << "x"; }
  ctx->calib.backupDir = dir.file("blocked");
  ctx->ui.setValue(ctx->refs.calib.offset, 333);
  ctx->ui.setValue(ctx->refs.calib.slope, 3.0);
  ctx->ui.setValue(ctx->refs.calib.range, 16000);
  select("HEADERSEL", 1);
  press("WRITEXF");
  EXPECT_EQ(sim->calibRecord(), original);
  EXPECT_EQ(sim->requestCount(order::kWriteCalibRecord), 0);
  EXPECT_NE(text(ctx->refs.main.status).find("Calibration backup failed"), std::string::npos)
      << text(ctx->refs.main.status);
  // Nor when the sensor's record cannot be read first.
  ctx->calib.backupDir = dir.file("backups");
  noReplyTo(order::kReadCalibRecord);
  press("WRITEXF");
  EXPECT_EQ(sim->requestCount(order::kWriteCalibRecord), 0);
}

// The backup file: written and read back whole; anything else refused.
TEST(CalibBackupFile, RoundTripAndRefusals) {
  CalibBackup b;
  b.serial = -5;
  b.time = "2026-12-09 10:00:00";
  for (size_t i = 0; i < b.record.bytes.size(); ++i) b.record.bytes[i] = static_cast<uint8_t>(i * 37);
  CalibBackup back;
  std::string why;
  ASSERT_TRUE(ParseCalibBackup(CalibBackupText(b), back, why)) << why;
  EXPECT_EQ(back.record.bytes, b.record.bytes);
  EXPECT_EQ(back.serial, -5);
  EXPECT_EQ(back.time, b.time);
  const std::string good = CalibBackupText(b);
  const std::string hexLine = good.substr(good.find("RECORD = "));
  const struct {
    std::string text;
    const char* why;
  } kBad[] = {
      {"", "not a calibration backup"},
      {"[CALIBDATA]\n" + good.substr(good.find('\n') + 1), "not a calibration backup"},
      {"[CALIBRATION-BACKUP]\nSENSOR-SER-NO = 1\n", "no record"},
      {"[CALIBRATION-BACKUP]\n" + hexLine, "no serial number"},
      {"[CALIBRATION-BACKUP]\nSENSOR-SER-NO = 1\nRECORD = 00\n", "the record is not whole"},
      {"[CALIBRATION-BACKUP]\nSENSOR-SER-NO = 1\nRECORD = " + std::string(64, 'G') + "\n", "the record is not whole"},
      {"[CALIBRATION-BACKUP]\nSENSOR-SER-NO = 99999\n" + hexLine, "bad serial number"},
  };
  for (const auto& c : kBad) {
    why.clear();
    EXPECT_FALSE(ParseCalibBackup(c.text, back, why)) << c.text;
    EXPECT_EQ(why, c.why) << c.text;
  }
}

TEST_F(SettingsPage, EveryRecordFieldRoundTripsThroughThePage) {
  CalibRecord& r = ctx->calib.record;
  int n = 0;
  for (const calib::RecordBinding& b : calib::RecordBindings()) {
    const std::string name = b.control;
    const size_t dot = name.find('.');
    ASSERT_NE(dot, std::string::npos) << name;
    EXPECT_EQ(ctx->refs.calib.*b.ref, ctx->ui.find(name.substr(0, dot), name.substr(dot + 1))) << name;
    if (b.conv == calib::FieldConv::Slope)
      calib::setField32(r, b.off, 16385);  // shown as 1.00006, which truncates to 16384
    else if (b.conv == calib::FieldConv::Word16)
      calib::setField16(r, b.off, static_cast<uint16_t>(1000 + ++n));
    else
      calib::setField32(r, b.off, static_cast<uint32_t>(b.conv == calib::FieldConv::Signed32 ? -70000 - ++n : 803509));
  }
  const CalibRecord shown = r;
  ShowCalibRecord(*ctx);
  // Each field but the slope is spoilt: collecting must write it again.
  for (const calib::RecordBinding& b : calib::RecordBindings())
    if (b.conv != calib::FieldConv::Slope) calib::setField16(r, b.off, 7);
  CollectCalibRecord(*ctx);
  EXPECT_EQ(r.bytes, shown.bytes);
  // A slope typed anew is stored as typed, truncated.
  ctx->ui.setValue(ctx->refs.calib.slope, 1.5);
  CollectCalibRecord(*ctx);
  EXPECT_EQ(calib::slopeX16384(r), 24576);
}

TEST_F(SettingsPage, TypedRecordValuesAreHeldWithinTheirFields) {
  const struct {
    const char* control;
    double typed;
    int off;
    bool wide;
    int64_t expected;
  } cases[] = {
      {"XF_SIZE", 70000, calib::OFF_XF_SIZE, false, 65535},
      {"PIXEL_END", -4, calib::OFF_PIXEL_END, false, 0},
      {"LOOKUP", std::nan(""), calib::OFF_LOOKUP, false, 0},
      {"OFFSET", 3e9, calib::OFF_OFFSET, true, INT32_MAX},
      {"RANGE", -2.5, calib::OFF_RANGE, true, -3},
      {"HWTYPE_DISP", -5, calib::OFF_HWTYPE, true, 0},
  };
  for (const auto& k : cases) {
    ctx->ui.setValue(c(k.control), k.typed);
    CollectCalibRecord(*ctx);
    const auto* at = ctx->calib.record.bytes.data() + k.off;
    const int64_t got = k.wide ? (k.off == calib::OFF_HWTYPE ? int64_t{frame::get32(at)} : int64_t{frame::gets32(at)})
                               : int64_t{frame::get16(at)};
    EXPECT_EQ(got, k.expected) << k.control << " " << k.typed;
  }
}

TEST(CalibDisplayRange, AnEndBeyondTheFieldIsHeldAtItsLimit) {
  // Offset and range of a sensor's (or a file's) record whose sum leaves
  // the 32-bit field.
  Context ctx;
  calib::setField32(ctx.calib.record, calib::OFF_OFFSET, static_cast<uint32_t>(INT32_MAX));
  calib::setField32(ctx.calib.record, calib::OFF_RANGE, 1000);
  ComputeCalibDisplayRange(ctx);
  EXPECT_EQ(ctx.calib.rangeBeginUm, INT32_MAX);
  EXPECT_EQ(ctx.calib.rangeEndUm, INT32_MAX);
  EXPECT_DOUBLE_EQ(ctx.calib.rangeEndMm, (INT32_MAX + 1000.0) / 1000.0);
  calib::setField32(ctx.calib.record, calib::OFF_OFFSET, static_cast<uint32_t>(INT32_MIN));
  calib::setField32(ctx.calib.record, calib::OFF_RANGE, static_cast<uint32_t>(-1000));
  ComputeCalibDisplayRange(ctx);
  EXPECT_EQ(ctx.calib.rangeEndUm, INT32_MIN);
  EXPECT_DOUBLE_EQ(ctx.calib.rangeEndMm, (INT32_MIN - 1000.0) / 1000.0);
}

TEST_F(SettingsPage, LookupWithoutAFileWarnsAndSendsNothing) {
  frontend->answerFile(ui::FILE_CANCEL, "");
  press("CALFILEBTN");
  EXPECT_EQ(text(c("CALFILE")), "WK No valid calib.-file selected!");
  select("LOOKUPSEL", 1);
  press("WRITEXF");
  ASSERT_FALSE(frontend->popups().empty());
  EXPECT_EQ(frontend->popups().back().title, "ATTENTION !");
  EXPECT_EQ(frontend->popups().back().text, "No valid calibration file selected!");
  EXPECT_EQ(ctx->ui.intValue(c("LOOKUPSEL")), 0);
  EXPECT_TRUE(ctx->ui.dimmed(c("WRITEXF")));
  EXPECT_EQ(sim->requestCount(order::kWritePFlash), 0);
}

// Header and Lookup both selected: the record's failure is the result of
// the whole write, whether it runs at once or from the run loop's pass.
TEST_F(SettingsPage, AFailedRecordWriteIsTheResultOfTheSequence) {
  loadFile("803045");
  ctx->ident.hw.hwType = 803045;
  noReplyTo(order::kWriteCalibRecord);
  for (bool loop : {false, true}) {
    select("HEADERSEL", 1);
    select("LOOKUPSEL", 1);
    frontend->clearPopups();
    if (loop) ctx->run.state = RUN_LOOP;  // the loop owns the link
    press("WRITEXF");
    if (loop) {
      EXPECT_EQ(sim->requestCount(order::kWriteCalibRecord), 1);  // left to the loop
      ServePendingRequests(*ctx);
      EXPECT_EQ(ctx->run.state, RUN_IDLE);
      PushSTOP(*ctx);
    }
    EXPECT_EQ(text(ctx->refs.main.status), "CALIB-Write-Error:Timeout TCP-Server-error!") << loop;
    EXPECT_EQ(sim->requestCount(order::kWritePFlash), 0) << loop;
    EXPECT_EQ(lastPopup().text, "CALIB-Write-Error:Timeout TCP-Server-error!\nThe lookup table was not written!")
        << loop;
  }
  EXPECT_EQ(sim->requestCount(order::kWriteCalibRecord), 2);
}

// A lookup-table write started in live mode ends the run; its result, not
// the run's stop, is the last word in the status line and the pop-up.
TEST_F(SettingsPage, LookupWriteDuringLiveModeHasTheLastWord) {
  loadFile("803045");
  ctx->ident.hw.hwType = 803045;
  for (bool refused : {true, false}) {
    if (refused) noReplyTo(order::kWritePFlash, 0xC100);
    const int blocks = sim->requestCount(order::kWritePFlash);
    frontend->clearPopups();
    bool requested = false;
    std::function<void()> whenRunning = [&] {
      if (ctx->run.state != RUN_LOOP) {
        frontend->schedule(0.02, whenRunning);
        return;
      }
      select("LOOKUPSEL", 1);
      press("WRITEXF");
      requested = true;
    };
    frontend->schedule(0.02, whenRunning);
    // Whatever happens, the run ends.
    frontend->schedule(20, [&] { ctx->run.state = RUN_IDLE; });
    PrepareLiveAxes(*ctx);
    PushRUN(*ctx);
    ASSERT_TRUE(requested);
    EXPECT_EQ(sim->requestCount(order::kWritePFlash), blocks + 4);
    const std::string result =
        refused ? "Writing to PFLASH failed at block(s): 0xc100 !" : "Writing to PFLASH finished successfully!";
    EXPECT_EQ(text(ctx->refs.main.status), result);
    EXPECT_EQ(lastPopup().text, result);
    EXPECT_EQ(lastPopup().title, refused ? "A T T E N T I O N !" : "I n f o !");
    sim->clearFaults();
  }
}

// What the table is for and what the sensor is: a table of another
// hardware type is written only when the operator says so; a sensor
// without a table gets nothing at all of the write.
TEST_F(SettingsPage, TheSensorsTypeIsCheckedBeforeAnythingIsWritten) {
  loadFile("803045");
  ctx->ident.hw.hwType = 802776;
  select("LOOKUPSEL", 1);
  frontend->answerConfirm(false);
  press("WRITEXF");
  ASSERT_FALSE(frontend->popups().empty());
  EXPECT_EQ(lastPopup().kind, "confirm");
  EXPECT_NE(lastPopup().text.find("ATTENTION: the calibration file is for hardware type 803045, the sensor is of "
                                  "type 802776!"),
            std::string::npos)
      << lastPopup().text;
  EXPECT_EQ(text(ctx->refs.main.status), "Writing to flash cancelled - nothing written!");
  EXPECT_EQ(sim->requestCount(order::kWritePFlash), 0);
  select("LOOKUPSEL", 1);
  frontend->answerConfirm(true);
  press("WRITEXF");
  EXPECT_EQ(sim->requestCount(order::kWritePFlash), 16);

  ctx->ident.hw.hwType = 123456;
  frontend->clearPopups();
  select("HEADERSEL", 1);
  select("LOOKUPSEL", 1);
  press("WRITEXF");
  EXPECT_EQ(text(ctx->refs.main.status), "No lookup table for this sensor's hardware type - nothing written!");
  EXPECT_EQ(lastPopup().kind, "message");
  EXPECT_EQ(sim->requestCount(order::kWriteCalibRecord), 0);
  EXPECT_EQ(sim->requestCount(order::kWritePFlash), 16);
}

// Values the record cannot hold, from the file or the page's fields, are
// refused by name before anything is sent, in the language in force.
TEST_F(SettingsPage, AbsurdValuesAreRefusedByName) {
  testing_files::TempDir other;
  const std::string path = other.file("HUGE.DAT");
  {
    std::ofstream f(path);
    f << "[HEADER]\nHW\t803045\nSN\t42\nRANGE\t16000\nOFFSET\t100\nSLOPE\t1e300\nA\t0\nB\t0\nC\t0\nD\t0\n"
         "DIV\t1\nSIZE\t2048\nAREA\t0\n[XFLASH]\n";
    for (int i = 0; i < 2048; ++i) f << "1 ";
  }
  for (int language : {0, 1}) {
    testing_lang::UseLanguage(*ctx, language);
    frontend->answerFile(ui::FILE_EXISTING, path);
    press("CALFILEBTN");
    EXPECT_EQ(text(c("CALFILE")), "WK No valid calib.-file selected!");
    EXPECT_EQ(text(ctx->refs.main.status),
              language == 0 ? "Calibration file rejected: SLOPE 1e+300 µm/pixel is above the limit of 131071.99994 "
                              "µm/pixel that the calibration record holds!"
                            : "Kalibrierdatei abgelehnt: STEIGUNG 1e+300 µm/pixel liegt über der Grenze von "
                              "131071.99994 µm/pixel des Kalibrierdatensatzes!");
    EXPECT_NE(ctx->ui.value(ctx->refs.calib.slope), 1e300);
  }
  testing_lang::UseLanguage(*ctx, 0);
  struct Case {
    ui::CtlRef field;
    double value;
    const char* says;
  };
  const auto& p = ctx->refs.calib;
  const Case cases[] = {
      {p.slope, 0, "Refused: SLOPE 0.00000 µm/pixel is below the limit of 0.00006104 µm/pixel"},
      {p.slope, 1e300, "Refused: SLOPE 1e+300 µm/pixel is above the limit of 131071.99994 µm/pixel"},
      {p.offset, -3e9, "Refused: OFFSET -3000000000 µm is below the limit of -2147483648 µm"},
      {p.range, -5, "Refused: RANGE -5 µm is below the limit of 0 µm"},
      {p.calSerial, 70000, "Refused: SER-NO 70000 is above the limit of 65535"},
      {p.hwTypeDisp, 5e9, "Refused: HW-TYPE 5000000000 is above the limit of 4294967295"},
  };
  for (const Case& k : cases) {
    ctx->ui.setValue(p.slope, 2.5);
    ctx->ui.setValue(p.offset, 100);
    ctx->ui.setValue(p.range, 16000);
    ctx->ui.setValue(p.calSerial, 42);
    ctx->ui.setValue(p.hwTypeDisp, 803045);
    ctx->ui.setValue(k.field, k.value);
    select("HEADERSEL", 1);
    press("WRITEXF");
    EXPECT_EQ(text(ctx->refs.main.status).rfind(k.says, 0), 0u) << text(ctx->refs.main.status);
    EXPECT_EQ(lastPopup().kind, "message") << k.says;
  }
  EXPECT_EQ(sim->requestCount(order::kWriteCalibRecord), 0);
}

}  // namespace
}  // namespace bx
