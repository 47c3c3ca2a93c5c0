// The recorder page while a static recording runs, rendered offscreen in
// both languages: the roll graph draws the recorded values, the counter and
// status follow the rows. The screenshots are kept in live-screenshots/
// beside the test binary (or BX_SCREENSHOT_DIR).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "app/localize.h"
#include "gui/app_window.h"
#include "gui/gui_input.h"
#include "gui/main_window.h"
#include "recorder/rec_page.h"

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

}  // namespace
