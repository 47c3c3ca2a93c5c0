// The calibration lock and the two-point and distance pages operated
// through their own controls, against the simulator over TCP; the steps
// that need live data run inside the real run loop.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "calib_pages/calib_lock.h"
#include "params/fields.h"
#include "params/hwinfo.h"
#include "params/para_file_ui.h"
#include "params/transfer.h"
#include "connection/bringup.h"
#include "tests/files/temp_dir.h"
#include "tests/link/link_fixture.h"
#include "support/use_language.h"
#include "wire/calib_record.h"
#include "wire/frame_format.h"
#include "wire/live_record.h"
#include "wire/orders.h"

namespace bx {
namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CalibPages : public test::LinkTest {
 protected:
  void SetUp() override {
    test::LinkTest::SetUp();
    openTcp();
    ctx->link.replyTimeout = 0.5;
    frame::put16(&ctx->params.set[param::EVAL_MODE], 2);
    // As the tool starts: locked.
    ShowCalibControls(*ctx);
    // The operator confirms each flash write unless a test says otherwise.
    frontend->setDefaultConfirm(true);
  }
  ui::CtlRef c(const char* page, const char* name) {
    ui::CtlRef r = ctx->ui.find(page, name);
    EXPECT_TRUE(r.valid()) << page << "." << name;
    return r;
  }
  bool dimmed(const char* page, const char* name) { return ctx->ui.dimmed(c(page, name)); }
  void unlock() { ctx->ui.fire(c("TAB_SETT", "CALIBTEXT"), ui::EVENT_RIGHT_DOUBLE_CLICK); }
  void tick(const char* page, const char* box, int on) {
    ctx->ui.setValue(c(page, box), on);
    ctx->ui.fire(c(page, box), ui::EVENT_VAL_CHANGED);
  }
  void press(const char* page, const char* button) {
    ctx->ui.fire(c(page, button), ui::EVENT_LEFT_CLICK);
    ctx->ui.fire(c(page, button), ui::EVENT_COMMIT);
  }
  int calibCommands() { return sim->requestCount(order::kCalibCommand); }
  int lastCalibMode() { return sim->lastRequest(order::kCalibCommand).param; }

  // Runs `then` from the events processed once `ready` holds, looking again
  // every 20 ms: no assumption on how fast a loaded machine gets there.
  void when(std::function<bool()> ready, std::function<void()> then) {
    frontend->schedule(0.02, [this, ready, then] {
      if (ready())
        then();
      else
        when(ready, then);
    });
  }
  void whenRunning(std::function<void()> then) {
    when([this] { return ctx->run.state == RUN_LOOP; }, then);
  }
  // Ticks a box, which starts live mode; `then` runs inside the loop (an
  // Accept there ends the run).
  void duringRun(const char* page, const char* box, std::function<void()> then) {
    whenRunning(then);
    tick(page, box, 1);
    EXPECT_EQ(ctx->run.state, RUN_IDLE);
  }
  void measure(uint16_t px) { frame::put16(&ctx->live.record[liverec::VALUE_PX], px); }
  // The object in the beam, its diameter entered, Accept pressed.
  void acceptObject(const char* page, const char* box, const char* diameterField, const char* button,
                    uint16_t px, double um) {
    duringRun(page, box, [=, this] {
      measure(px);
      ctx->ui.setValue(c(page, diameterField), um);
      press(page, button);
    });
  }
};

TEST_F(CalibPages, LockedFromStartUntilTheHiddenGestureAndTheLookupSwitch) {
  EXPECT_EQ(ctx->calib.locked, 1);
  for (const char* name : {"CHECKSTEP1", "CHECKSTEP2", "DIAMETER1", "SLOPE", "OFFSET"})
    EXPECT_TRUE(dimmed("TAB_2P", name)) << name;
  for (const char* name : {"CHECKDIST1", "DIAMETER"}) EXPECT_TRUE(dimmed("TAB_DIST", name)) << name;
  for (const char* name : {"SLOPE", "HEADERSEL", "LOOKUPTOGG"}) EXPECT_TRUE(dimmed("TAB_SETT", name)) << name;
  EXPECT_FALSE(dimmed("TAB_SETT", "READXF"));  // reading changes nothing
  EXPECT_FALSE(ctx->ui.visible(c("TAB_SETT", "CALFILEBTN")));
  EXPECT_FALSE(ctx->ui.visible(c("TAB_SETT", "PIXEL_START")));
  // A locked box does not react.
  tick("TAB_2P", "CHECKSTEP1", 1);
  EXPECT_EQ(calibCommands(), 0);
  ctx->ui.setValue(c("TAB_2P", "CHECKSTEP1"), 0);

  // The service fields answer only while unlocked; a single right click
  // is help, not the gesture.
  ctx->ui.fire(c("TAB_SETT", "INFOBOX"), ui::EVENT_RIGHT_DOUBLE_CLICK);
  EXPECT_FALSE(ctx->ui.visible(c("TAB_SETT", "PIXEL_START")));
  ctx->ui.fire(c("TAB_SETT", "CALIBTEXT"), ui::EVENT_RIGHT_CLICK);
  EXPECT_EQ(ctx->calib.locked, 1);

  unlock();
  EXPECT_EQ(ctx->calib.locked, 0);
  EXPECT_FALSE(dimmed("TAB_2P", "CHECKSTEP1"));
  EXPECT_FALSE(dimmed("TAB_DIST", "CHECKDIST2"));
  EXPECT_FALSE(dimmed("TAB_SETT", "HEADERSEL"));
  // Unlocked, each page still follows its step.
  EXPECT_TRUE(dimmed("TAB_2P", "ACCEPT1"));
  EXPECT_TRUE(dimmed("TAB_2P", "CALC"));
  EXPECT_TRUE(dimmed("TAB_DIST", "WRITE"));
  EXPECT_TRUE(dimmed("TAB_SETT", "WRITEXF"));

  ctx->ui.fire(c("TAB_SETT", "INFOBOX"), ui::EVENT_RIGHT_DOUBLE_CLICK);
  for (const char* name : {"XF_DIVISOR", "XF_SIZE", "IF_TYPE", "SERVICE_WORD", "PIXEL_START", "PIXEL_END"})
    EXPECT_TRUE(ctx->ui.visible(c("TAB_SETT", name))) << name;

  tick("TAB_SETT", "LOOKUPTOGG", 1);
  EXPECT_TRUE(ctx->ui.visible(c("TAB_SETT", "CALFILEBTN")));
  EXPECT_TRUE(ctx->ui.visible(c("TAB_SETT", "LOOKUPSEL")));
  tick("TAB_SETT", "LOOKUPSEL", 1);
  EXPECT_FALSE(dimmed("TAB_SETT", "WRITEXF"));
  // Switched off: hidden, the selector cleared, everything locked again.
  tick("TAB_SETT", "LOOKUPTOGG", 0);
  EXPECT_FALSE(ctx->ui.visible(c("TAB_SETT", "LOOKUPSEL")));
  EXPECT_EQ(ctx->ui.intValue(c("TAB_SETT", "LOOKUPSEL")), 0);
  EXPECT_EQ(ctx->calib.locked, 1);
  EXPECT_TRUE(dimmed("TAB_2P", "CHECKSTEP1"));
  EXPECT_TRUE(dimmed("TAB_SETT", "WRITEXF"));

  unlock();
  unlock();
  EXPECT_EQ(ctx->calib.locked, 1);
  EXPECT_TRUE(dimmed("TAB_DIST", "CHECKDIST1"));
}

// The settings page's own copies of laser power, read-out speed, trigger
// pixel and evaluation range go into the parameter pages' controls (whose
// rules apply) and follow them back; its SEND transmits the parameter set;
// its service switch shows the service fields, and only while unlocked.
TEST_F(CalibPages, SettingsPageCopiesAndSendsTheParametersAndSwitchesTheServiceFields) {
  ctx->ui.setValue(c("PARA1", "POWER"), 500);
  ctx->ui.setDimmed(c("PARA1", "POWER"), false);
  ctx->ui.setValue(c("VIDEO", "RANGEBEG"), 1);
  ShowCalibSettingsCopies(*ctx);
  EXPECT_EQ(ctx->ui.value(c("TAB_SETT", "CAL_POWER")), 500);
  EXPECT_EQ(ctx->ui.value(c("TAB_SETT", "CAL_RANGEBEG")), 1);
  EXPECT_EQ(ctx->ui.at(c("TAB_SETT", "CAL_SPEED")).items.size(), ctx->ui.at(c("PARA1", "CCDMODE")).items.size());

  ctx->ui.setValue(c("TAB_SETT", "CAL_POWER"), 321);
  ctx->ui.fire(c("TAB_SETT", "CAL_POWER"), ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.value(c("PARA1", "POWER")), 321);
  // The range field's rule: a begin of 0 pixels becomes 1.
  ctx->ui.setValue(c("TAB_SETT", "CAL_RANGEBEG"), 0);
  ctx->ui.fire(c("TAB_SETT", "CAL_RANGEBEG"), ui::EVENT_COMMIT);
  EXPECT_EQ(param::get(ctx->params, param::EVAL_BEGIN), 1);
  EXPECT_EQ(ctx->ui.value(c("VIDEO", "RANGEBEG")), 1);
  EXPECT_EQ(ctx->ui.value(c("TAB_SETT", "CAL_RANGEBEG")), 1);
  ctx->ui.setValue(c("TAB_SETT", "CAL_RANGEEND"), 900);
  ctx->ui.fire(c("TAB_SETT", "CAL_RANGEEND"), ui::EVENT_COMMIT);
  EXPECT_EQ(param::get(ctx->params, param::EVAL_END), 900);
  ctx->ui.setValue(c("TAB_SETT", "CAL_TRIGPIX"), 777);
  ctx->ui.fire(c("TAB_SETT", "CAL_TRIGPIX"), ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.value(c("PARA2", "TRIGPIX")), 777);

  ctx->params.memory = MEM_RAM;
  ctx->params.setRead = ctx->params.teachRead = true;  // as a GET leaves them
  press("TAB_SETT", "CAL_SEND");
  const auto ram = sim->ramParams();
  EXPECT_EQ(frame::get16(&ram[param::POWER]), 321);
  EXPECT_EQ(frame::get16(&ram[param::EVAL_END]), 900);
  EXPECT_EQ(frame::get16(&ram[param::TRIGGER_PIXEL]), 777);
  // With FILE chosen it writes a parameter file, never the sensor's RAM.
  ctx->params.memory = MEM_FILE;
  const int ramWrites = sim->requestCount(order::kWriteRam);
  frontend->answerFile(ui::FILE_CANCEL, "");
  press("TAB_SETT", "CAL_SEND");
  EXPECT_EQ(sim->requestCount(order::kWriteRam), ramWrites);

  // A power the sensor regulates itself is read-only here too.
  ctx->ui.setDimmed(c("PARA1", "POWER"), true);
  ShowCalibSettingsCopies(*ctx);
  EXPECT_TRUE(dimmed("TAB_SETT", "CAL_POWER"));

  EXPECT_TRUE(dimmed("TAB_SETT", "SERVICESW"));
  unlock();
  ctx->ui.setValue(c("TAB_SETT", "SERVICESW"), 1);
  ctx->ui.fire(c("TAB_SETT", "SERVICESW"), ui::EVENT_COMMIT);
  for (const char* name : {"XF_DIVISOR", "XF_SIZE", "IF_TYPE", "SERVICE_WORD", "PIXEL_START", "PIXEL_END"})
    EXPECT_TRUE(ctx->ui.visible(c("TAB_SETT", name))) << name;
  // The hidden gesture hides them again, and the switch follows.
  ctx->ui.fire(c("TAB_SETT", "INFOBOX"), ui::EVENT_RIGHT_DOUBLE_CLICK);
  EXPECT_FALSE(ctx->ui.visible(c("TAB_SETT", "PIXEL_START")));
  EXPECT_EQ(ctx->ui.intValue(c("TAB_SETT", "SERVICESW")), 0);
}

TEST_F(CalibPages, TheLockDecidesWhetherTheFilesCarryTheCalibrationRecord) {
  testing_files::TempDir dir;
  ctx->app.userFilesDir = dir.path();
  // The link was opened without the bring-up's GET: the records count as
  // read, as that GET leaves them: the hardware snapshot takes them then.
  ctx->params.setRead = ctx->params.teachRead = true;
  calib::setField32(ctx->calib.record, calib::OFF_OFFSET, 1234);
  auto writeBoth = [&](const std::string& tag) {
    frontend->answerFile(ui::FILE_NEW, dir.file(tag + "-para.ini"));
    EXPECT_EQ(SendParaToFile(*ctx), 1);
    frontend->answerFile(ui::FILE_NEW, dir.file(tag + "-hw.ini"));
    GenerateHardwareInfoFile(*ctx);
    EXPECT_EQ(ctx->status, "Transmission [HW-INFO-FILE] successful!");
  };
  writeBoth("locked");
  unlock();
  writeBoth("open");
  for (const char* file : {"para", "hw"}) {
    const std::string locked = slurp(dir.file(std::string("locked-") + file + ".ini"));
    const std::string open = slurp(dir.file(std::string("open-") + file + ".ini"));
    ASSERT_NE(locked.find("[TEACH-ROW3]"), std::string::npos) << file;
    EXPECT_EQ(locked.find("CALIBDATA"), std::string::npos) << file;
    const size_t section = open.find("[CALIBDATA]");
    ASSERT_NE(section, std::string::npos) << file;
    EXPECT_NE(open.find("1234", section), std::string::npos) << file;
  }
}

TEST_F(CalibPages, TwoObjectsCalcAndWriteThroughThePanel) {
  unlock();
  acceptObject("TAB_2P", "CHECKSTEP1", "DIAMETER1", "ACCEPT1", 1000, 5000);
  // START when the box was ticked, STOP from the loop after Accept.
  EXPECT_EQ(calibCommands(), 2);
  EXPECT_EQ(lastCalibMode(), 0);
  EXPECT_EQ(ctx->ui.value(c("TAB_2P", "PIXEL1")), 1000);
  EXPECT_EQ(ctx->ui.intValue(c("TAB_2P", "CHECKSTEP1")), 0);
  EXPECT_TRUE(dimmed("TAB_2P", "ACCEPT1"));
  EXPECT_FALSE(dimmed("TAB_2P", "CHECKSTEP2"));
  EXPECT_FALSE(dimmed("TAB_2P", "CALC"));
  EXPECT_FALSE(dimmed("TAB_DIST", "CALC"));  // the pages share the data

  acceptObject("TAB_2P", "CHECKSTEP2", "DIAMETER2", "ACCEPT2", 2000, 9000);
  EXPECT_EQ(calibCommands(), 4);
  ctx->ui.setValue(c("TAB_2P", "SLOPE"), 2.5);
  ctx->ui.setValue(c("TAB_2P", "OFFSET"), 40);
  press("TAB_2P", "CALC");
  for (const char* page : {"TAB_2P", "TAB_DIST"}) {
    EXPECT_DOUBLE_EQ(ctx->ui.value(c(page, "SLOPE")), 4.0) << page;
    EXPECT_EQ(ctx->ui.value(c(page, "OFFSET")), 1000) << page;
    EXPECT_FALSE(dimmed(page, "WRITE")) << page;
    EXPECT_TRUE(dimmed(page, "CALC")) << page;
  }
  EXPECT_EQ(calibCommands(), 4);  // nothing is sent without WRITE

  press("TAB_2P", "WRITE");
  const auto save = sim->lastRequest(order::kCalibCommand);
  EXPECT_EQ(save.param, 2);
  ASSERT_EQ(save.payload.size(), 8u);
  EXPECT_EQ(frame::gets32(save.payload.data()), 65536);
  EXPECT_EQ(frame::gets32(save.payload.data() + 4), 1000);
  EXPECT_DOUBLE_EQ(ctx->ui.value(ctx->refs.calib.slope), 4.0);
  EXPECT_EQ(ctx->ui.value(ctx->refs.calib.offset), 1000);

  // The sensor's record read back from the settings page.
  ctx->ui.setValue(ctx->refs.calib.slope, 0);
  ctx->ui.setValue(ctx->refs.calib.offset, 0);
  press("TAB_SETT", "READXF");
  EXPECT_DOUBLE_EQ(ctx->ui.value(ctx->refs.calib.slope), 4.0);
  EXPECT_EQ(ctx->ui.value(ctx->refs.calib.offset), 1000);
}

TEST_F(CalibPages, OnlyPointTwoFitsThroughTheOriginAndDiscardRestores) {
  unlock();
  ctx->ui.setValue(c("TAB_2P", "SLOPE"), 1.5);
  ctx->ui.setValue(c("TAB_2P", "OFFSET"), 25);
  acceptObject("TAB_2P", "CHECKSTEP2", "DIAMETER2", "ACCEPT2", 1500, 6000);
  press("TAB_2P", "CALC");
  EXPECT_DOUBLE_EQ(ctx->ui.value(c("TAB_2P", "SLOPE")), 4.0);
  EXPECT_EQ(ctx->ui.value(c("TAB_2P", "OFFSET")), 0);
  const int sent = calibCommands();
  press("TAB_DIST", "DISCARD");
  EXPECT_EQ(calibCommands(), sent + 1);
  EXPECT_EQ(lastCalibMode(), 0);
  for (const char* page : {"TAB_2P", "TAB_DIST"}) {
    EXPECT_DOUBLE_EQ(ctx->ui.value(c(page, "SLOPE")), 1.5) << page;
    EXPECT_EQ(ctx->ui.value(c(page, "OFFSET")), 25) << page;
  }
  EXPECT_TRUE(dimmed("TAB_2P", "CALC"));
  EXPECT_FALSE(dimmed("TAB_2P", "CHECKSTEP1"));
}

TEST_F(CalibPages, WrongEvaluationModeOnlyShowsThePopup) {
  unlock();
  frame::put16(&ctx->params.set[param::EVAL_MODE], 1);
  tick("TAB_2P", "CHECKSTEP1", 1);
  ASSERT_EQ(frontend->popups().size(), 1u);
  EXPECT_EQ(frontend->popups()[0].title, "A T T E N T I O N !");
  EXPECT_EQ(calibCommands(), 0);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
  EXPECT_EQ(ctx->ui.intValue(c("TAB_2P", "CHECKSTEP1")), 1);  // as the operator left it
  EXPECT_TRUE(dimmed("TAB_2P", "ACCEPT1"));
}

TEST_F(CalibPages, WhileTheLoopRunsStartAndWriteWaitForItsNextPass) {
  unlock();
  ctx->ui.setValue(c("TAB_2P", "SLOPE"), 3.99999);
  ctx->ui.setValue(c("TAB_2P", "OFFSET"), -20);
  ctx->calib.page.write = true;
  ShowCalibControls(*ctx);
  int before = -1;
  // Live mode runs from the distance page; the step box is ticked during it.
  whenRunning([&] {
    before = calibCommands();
    tick("TAB_2P", "CHECKSTEP1", 1);
    EXPECT_EQ(calibCommands(), before);  // left to the loop
    press("TAB_2P", "WRITE");
    EXPECT_EQ(calibCommands(), before);
    // Live mode ends once the loop has served both (or, failing that,
    // after plenty of passes).
    const int cycles = sim->requestCount(order::kLiveData);
    when([&, cycles] { return calibCommands() >= before + 2 || sim->requestCount(order::kLiveData) > cycles + 50; },
         [&] { ctx->run.state = RUN_IDLE; });
  });
  tick("TAB_DIST", "CHECKDIST1", 1);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
  // The save and the START were sent between two cycles.
  ASSERT_GE(before, 0);
  EXPECT_EQ(calibCommands(), before + 2);
  EXPECT_EQ(lastCalibMode(), 1);
  const auto rec = sim->calibRecord();
  EXPECT_EQ(frame::gets32(rec.data() + 12), 65535);  // truncated, not rounded
  EXPECT_EQ(frame::gets32(rec.data() + 16), -20);
}

TEST_F(CalibPages, DistancePageSharesThePointsAndRefusesEqualPixelValues) {
  unlock();
  EXPECT_TRUE(ctx->ui.visible(c("TAB_DIST", "PICTURE")));
  duringRun("TAB_DIST", "CHECKDIST2", [this] {
    // The position's guide text and picture, the other box locked out.
    EXPECT_TRUE(ctx->ui.visible(c("TAB_DIST", "GUIDE2")));
    EXPECT_TRUE(ctx->ui.visible(c("TAB_DIST", "PICTURE2")));
    EXPECT_FALSE(ctx->ui.visible(c("TAB_DIST", "PICTURE")));
    EXPECT_TRUE(dimmed("TAB_DIST", "CHECKDIST1"));
    measure(1500);
    ctx->ui.setValue(c("TAB_DIST", "DIAMETER"), 6000);
    press("TAB_DIST", "ACCEPT");
  });
  EXPECT_EQ(lastCalibMode(), 0);
  EXPECT_EQ(ctx->ui.value(c("TAB_DIST", "PIXEL")), 1500);
  EXPECT_TRUE(ctx->ui.visible(c("TAB_DIST", "GUIDE")));
  // One position alone: through the origin, shown on both pages.
  press("TAB_DIST", "CALC");
  EXPECT_DOUBLE_EQ(ctx->ui.value(c("TAB_DIST", "SLOPE")), 4.0);
  EXPECT_DOUBLE_EQ(ctx->ui.value(c("TAB_2P", "SLOPE")), 4.0);
  EXPECT_EQ(ctx->ui.value(c("TAB_2P", "OFFSET")), 0);

  // The position is point 1; point 2 from the two-point page with the same
  // pixel value gives no line, on whichever page CALC is pressed.
  for (const char* page : {"TAB_DIST", "TAB_2P"}) {
    duringRun("TAB_DIST", "CHECKDIST1", [this] {
      measure(1200);
      ctx->ui.setValue(c("TAB_DIST", "DIAMETER"), 5000);
      press("TAB_DIST", "ACCEPT");
    });
    acceptObject("TAB_2P", "CHECKSTEP2", "DIAMETER2", "ACCEPT2", 1200, 7000);
    const int sent = calibCommands();
    press(page, "CALC");
    EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), "CALC refused: both objects have the same pixel value!");
    EXPECT_DOUBLE_EQ(ctx->ui.value(c("TAB_DIST", "SLOPE")), 4.0) << page;
    EXPECT_EQ(ctx->ui.value(c("TAB_2P", "OFFSET")), 0) << page;
    EXPECT_TRUE(dimmed("TAB_2P", "WRITE")) << page;
    EXPECT_TRUE(dimmed("TAB_DIST", "WRITE")) << page;
    EXPECT_EQ(calibCommands(), sent);
  }
}

// WRITE with a sensor whose model is known (1.75 µm/pixel over 16384
// pixels, 28.672 mm): values it cannot measure are refused by name, the
// others written only once the operator has seen old and new values.
TEST_F(CalibPages, WriteRefusesWhatTheModelCannotMeasureAndAsksBeforeWriting) {
  ASSERT_EQ(InitDataExchange(*ctx), 1) << ctx->status;
  unlock();
  auto write = [&](const char* page, double slope, double offset) {
    ctx->ui.setValue(c(page, "SLOPE"), slope);
    ctx->ui.setValue(c(page, "OFFSET"), offset);
    ctx->calib.page.write = true;
    ShowCalibControls(*ctx);
    frontend->clearPopups();
    press(page, "WRITE");
  };
  const int before = calibCommands();
  struct Case {
    double slope, offset;
    int language;
    const char* says;
  };
  const Case refused[] = {
      {236.8, 0, 0,
       "Refused: SLOPE 236.80000 µm/pixel is above the limit of 7.00000 µm/pixel this model can measure (28.672 mm "
       "over 16384 pixels) - nothing written!"},
      {0.3, 0, 0, "Refused: SLOPE 0.30000 µm/pixel is below the limit of 0.43750 µm/pixel"},
      {1.8, -591000, 0, "Refused: OFFSET -591000 µm is below the limit of -28672 µm this model can measure"},
      {236.8, 0, 1,
       "Abgelehnt: STEIGUNG 236.80000 µm/pixel liegt über der Grenze von 7.00000 µm/pixel dessen, was dieses Modell "
       "messen kann (28.672 mm über 16384 Pixel) - nichts geschrieben!"},
  };
  for (const Case& k : refused) {
    testing_lang::UseLanguage(*ctx, k.language);
    write("TAB_DIST", k.slope, k.offset);
    ASSERT_EQ(frontend->popups().size(), 1u) << k.says;
    EXPECT_EQ(frontend->popups()[0].kind, "message");
    EXPECT_EQ(frontend->popups()[0].text.rfind(k.says, 0), 0u) << frontend->popups()[0].text;
    EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), frontend->popups()[0].text);
  }
  testing_lang::UseLanguage(*ctx, 0);
  EXPECT_EQ(calibCommands(), before);

  // Declined: nothing sent, the sensor's record as it was.
  frontend->answerConfirm(false);
  write("TAB_2P", 1.8, 100);
  ASSERT_EQ(frontend->popups().size(), 1u);
  const auto& ask = frontend->popups()[0];
  EXPECT_EQ(ask.kind, "confirm");
  EXPECT_EQ(ask.title, "A T T E N T I O N !");
  for (const char* row : {"SLOPE [µm/pixel]:   1.75000  ->  1.79999", "OFFSET [µm]:   0  ->  100",
                          "RANGE [µm]:   28672  ->  28672"})
    EXPECT_NE(ask.text.find(row), std::string::npos) << row << "\n" << ask.text;
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), "Writing to flash cancelled - nothing written!");
  EXPECT_EQ(calibCommands(), before);
  EXPECT_EQ(frame::gets32(sim->calibRecord().data() + 12), 28672);

  write("TAB_2P", 1.8, 100);
  EXPECT_EQ(calibCommands(), before + 1);
  const auto save = sim->lastRequest(order::kCalibCommand);
  ASSERT_EQ(save.payload.size(), 8u);
  EXPECT_EQ(frame::gets32(save.payload.data()), 29491);  // 1.8 x 16384, truncated
  EXPECT_EQ(frame::gets32(save.payload.data() + 4), 100);
  // The next write compares with what the sensor now holds.
  frontend->answerConfirm(false);
  write("TAB_2P", 1.9, 100);
  ASSERT_EQ(frontend->popups().size(), 1u);
  EXPECT_NE(frontend->popups()[0].text.find("SLOPE [µm/pixel]:   1.79999  ->  1.89996\nOFFSET [µm]:   100  ->  100"),
            std::string::npos)
      << frontend->popups()[0].text;
}

}  // namespace
}  // namespace bx
