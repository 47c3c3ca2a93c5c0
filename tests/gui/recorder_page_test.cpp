// The recorder page while a static recording runs, rendered offscreen in
// both languages: the roll graph draws the recorded values, the counter and
// status follow the rows. The screenshots are kept in live-screenshots/
// beside the test binary (or BX_SCREENSHOT_DIR).
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <cstdlib>

#include "app/localize.h"
#include "gui/app_window.h"
#include "gui/gui_input.h"
#include "gui/main_window.h"
#include "recorder/rec_page.h"
#include "sim/server.h"

namespace {

class RecorderPage : public guitest::AppWindow {
 protected:
  void SetUp() override {
    AppWindow::SetUp();
    if (HasFatalFailure()) return;
    const int port = sensor.startTcp(0);
    ASSERT_GT(port, 0);
    connectOverTcp(port);
    ASSERT_EQ(ctx->link.tcpConnected, 1);
  }

  void settle() {
    renderer->repaint();
    QApplication::processEvents();
    QApplication::processEvents();
  }

  // Pixels of the recorded value's trace (blue) in the roll graph.
  int bluePixels() {
    QWidget* w = renderer->widget(ref("REC", "RECGRAPH"));
    if (!w) return 0;
    const QImage img = w->grab().toImage();
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QColor c = img.pixelColor(x, y);
        if (c.blue() > 200 && c.red() < 60 && c.green() < 60) ++n;
      }
    return n;
  }

  void save(const std::string& name) {
    const char* env = std::getenv("BX_SCREENSHOT_DIR");
    const QString out = env && *env ? QString(env) : QDir::currentPath() + "/live-screenshots";
    QDir().mkpath(out);
    const QString file = QString("%1/%2.png").arg(out, QString::fromStdString(name));
    EXPECT_TRUE(renderer->mainWindow()->grab().save(file)) << file.toStdString();
  }

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

  bx::sim::Server sensor;
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
