// The calibration settings page: read, load a calibration file, write the
// record and the lookup table through the panel's own controls.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

#include "calib/record.h"
#include "calib/xflash_record.h"
#include "link/frame_format.h"
#include "link/orders.h"
#include "tests/files/temp_dir.h"
#include "tests/link/link_fixture.h"

namespace bx {
namespace {

class SettingsPage : public test::LinkTest {
 protected:
  void SetUp() override {
    test::LinkTest::SetUp();
    openTcp();
    ctx->link.replyTimeout = 0.2;
    ctx->calib.lookupStopWait = 0;
    ctx->calib.lookupBlockWait = 0;
  }
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

}  // namespace
}  // namespace bx
