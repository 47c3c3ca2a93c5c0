// The recorder page while a static recording runs, rendered offscreen in
// both languages: the roll graph draws the recorded values, the counter and
// status follow the rows; a recording opened again in the chart's place,
// read with a click of the mouse. The screenshots are kept in
// live-screenshots/ beside the test binary (or BX_SCREENSHOT_DIR).
#include <gtest/gtest.h>

#include <QComboBox>
#include <fstream>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "app/localize.h"
#include "gui/app_window.h"
#include "gui/gui_input.h"
#include "gui/main_window.h"
#include "gui/fit_check.h"
#include "recorder/rec_file.h"
#include "recorder/rec_page.h"
#include "recorder/rec_view.h"

namespace {

class RecorderPage : public guitest::ConnectedWindow {
 protected:
  // Pixels of the recorded value's trace (blue) in the roll graph; a line
  // between two pixel rows is drawn in two lighter blue ones.
  int bluePixels() {
    return countPixels("REC", "RECGRAPH",
                       [](const QColor& c) { return c.blue() > 200 && c.red() < 170 && c.green() < 170; });
  }

  void save(const std::string& name) { saveWindow(name, "live-screenshots"); }

  struct Shot {
    RecorderPage* self;
    std::string tag;
    int blue = 0;
  };
  static void onRow(bx::Context&, void* user, int counter) {
    auto& s = *static_cast<Shot*>(user);
    if (counter != 12) return;
    s.self->settle();
    s.blue = s.self->bluePixels();
    s.self->save("recorder-" + s.tag);
  }
};

TEST_F(RecorderPage, ARunningRecordingIsDrawnInBothLanguages) {
  auto* tab = widget<QTabWidget>("MAIN", "TABmain");
  tab->setCurrentIndex(5);
  settle();
  EXPECT_TRUE(widget<QPushButton>("REC", "START")->isEnabled());
  for (int language : {0, 1}) {
    bx::SetLanguage(*ctx, language);
    // The fixture's folder goes with the test.
    ctx->app.recorderPath = dir + "/RECORD" + std::to_string(language) + ".DAT";
    ctx->ui.setValue(ref("REC", "SAMPLES"), 15);
    ctx->ui.setValue(ref("REC", "INCTIME"), 0.1);
    Shot shot{this, language == 1 ? "de" : "en"};
    const bx::RecordObserver obs{&shot, nullptr, &onRow};
    ctx->ui.fire(ref("REC", "START"), bx::ui::EVENT_LEFT_CLICK);
    EXPECT_EQ(bx::PushRECORD(*ctx, &obs), bx::RecordOutcome::Completed) << ctx->status;
    EXPECT_GT(shot.blue, 20) << shot.tag;
    settle();
    EXPECT_EQ(ctx->ui.value(ref("REC", "RECCOUNT")), 15);
    save("recorder-done-" + shot.tag);
  }
}

TEST_F(RecorderPage, AnOpenedRecordingIsDrawnAndReadWithTheMouse) {
  // 60 samples rising in a saw tooth, as the recorder writes them.
  bx::recorder::FileHeader h;
  h.date = "12-09-2026";
  h.time = "08:00:00";
  h.incrementS = 1;
  h.samples = 60;
  h.offsetUm = 0;
  h.slopeX16384 = 10 * 16384;
  std::string text = bx::recorder::HeaderText(h);
  char buf[bx::recorder::kRowBufferSize];
  for (int i = 0; i < 60; ++i) {
    bx::RecorderSample smp;
    smp.value = static_cast<uint16_t>(300 + 20 * (i % 20));
    smp.valueUm = smp.value * 10;
    smp.edges = 2;
    const std::string time = "08:00:" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    text.append(buf, bx::recorder::FormatRow(buf, "12-09-2026", time.c_str(), smp));
  }
  const std::string file = dir + "/RECORD.DAT";
  std::ofstream(file, std::ios::binary) << text;

  widget<QTabWidget>("MAIN", "TABmain")->setCurrentIndex(5);
  ASSERT_TRUE(bx::OpenRecording(*ctx, file)) << ctx->status;
  settle();
  QWidget* chart = renderer->widget(ref("REC", "RECVIEW"));
  ASSERT_NE(chart, nullptr);
  EXPECT_TRUE(chart->isVisible());
  EXPECT_FALSE(renderer->widget(ref("REC", "RECGRAPH"))->isVisible());
  EXPECT_GT(countPixels("REC", "RECVIEW", [](const QColor& c) { return c.blue() > 200 && c.red() < 60 && c.green() < 60; }), 100);
  EXPECT_TRUE(widget<QPushButton>("REC", "EXPORTCSV")->isEnabled());

  // A click in the middle of the chart reads a sample near the middle.
  guitest::click(chart);
  settle();
  const int picked = ctx->ui.intValue(ref("REC", "RECCOUNT"));
  EXPECT_GT(picked, 20);
  EXPECT_LT(picked, 40);
  EXPECT_EQ(ctx->ui.text(ref("REC", "RECTIME")), "08:00:" + std::to_string(picked - 1));
  EXPECT_EQ(ctx->ui.graph(ref("REC", "RECVIEW")).cursors[0].x, picked);

  for (int language : {0, 1}) {
    bx::SetLanguage(*ctx, language);
    settle();
    for (const guitest::Clip& c : guitest::clippedTexts(renderer->mainWindow())) ADD_FAILURE() << language << ": " << c.describe();
    save(std::string("recorder-opened-") + (language ? "de" : "en"));
  }
}

}  // namespace
