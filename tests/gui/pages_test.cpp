// Every page of the window, connected to a simulated sensor, in both
// languages and both units: no shown text is clipped, and German leaves no
// English behind. With BX_SCREENSHOT_DIR set, each rendered page is also
// written there as a PNG (scripts/screenshots.sh); with BX_SIM_PORT set, the
// window connects to that running simulator instead of one of its own.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>

#include "app/localize.h"
#include "calib_pages/calib_lock.h"
#include "calib_pages/calib_pages.h"
#include "wire/frame_format.h"
#include "link/transport.h"
#include "wire/live_record.h"
#include "params/fields.h"
#include "gui/app_window.h"
#include "gui/fit_check.h"
#include "gui/gui_input.h"
#include "gui/main_window.h"
#include "scope/scope.h"
#include "sim/server.h"

namespace {

class Pages : public guitest::AppWindow {
 protected:
  void SetUp() override {
    AppWindow::SetUp();
    if (HasFatalFailure()) return;
    int port = 0;
    if (const char* p = std::getenv("BX_SIM_PORT")) port = std::atoi(p);
    if (port <= 0) port = sensor.startTcp(0);
    ASSERT_GT(port, 0);
    connectTo(port);
    // The scope page shows a record of the sensor.
    bx::PushSCOPE(*ctx);
    settle();
  }

  void connectTo(int port) {
    connectOverTcp(port);
    ASSERT_TRUE(TcpOpen(ctx->link)) << "no simulated sensor at port " << port;
    settle();
  }

  void setMillimetre(bool mm) {
    auto* sw = widget<QCheckBox>("MAIN", "MMSWITCH");
    ASSERT_TRUE(sw->isEnabled());
    if (sw->isChecked() != mm) guitest::click(sw);
    settle();
    ASSERT_EQ(sw->isChecked(), mm);
  }

  void setLanguage(int language) {
    bx::SetLanguage(*ctx, language);
    settle();
  }

  // The page of a main tab, the calibration pages one by one.
  struct Page {
    std::string name;
    QTabWidget* tab;
    int index;
    QTabWidget* inner = nullptr;
    int innerIndex = -1;
  };
  std::vector<Page> pages() {
    std::vector<Page> out;
    auto* tab = widget<QTabWidget>("MAIN", "TABmain");
    auto* calib = widget<QTabWidget>("CALIB", "TABcalib");
    for (int i = 0; i < tab->count(); ++i) {
      std::string name = tab->widget(i)->objectName().toStdString();
      if (tab->widget(i)->isAncestorOf(calib)) {
        for (int k = 0; k < calib->count(); ++k)
          out.push_back({name + "-" + calib->widget(k)->objectName().toStdString(), tab, i, calib, k});
      } else {
        out.push_back({name, tab, i});
      }
    }
    return out;
  }

  void show(const Page& p) {
    // Through the widgets, as the operator switches pages.
    p.tab->setCurrentIndex(p.index);
    if (p.inner) p.inner->setCurrentIndex(p.innerIndex);
    settle();
  }

  void screenshot(const std::string& name) { saveWindow(name); }

  bx::sim::Server sensor;
};

TEST_F(Pages, NoTextIsClippedOnAnyPageInEitherLanguageOrUnit) {
  auto* main = renderer->mainWindow();
  // The default size, or the screen's free area where that is smaller; a
  // larger system font may ask for more.
  const bool ownFont = !std::getenv("BX_TEST_FONT_SCALE");
  const QSize free = main->screen()->availableGeometry().size();
  if (ownFont) {
    ASSERT_EQ(main->size(), QSize(1000, 680).boundedTo(free));
  } else {
    // It grew to the widest text it has shown so far and stays so.
    const QSize least = QSize(1000, 680).expandedTo(main->minimumSizeHint()).boundedTo(free);
    ASSERT_GE(main->width(), least.width());
    ASSERT_GE(main->height(), least.height());
  }
  for (int language : {0, 1}) {
    setLanguage(language);
    for (bool mm : {false, true}) {
      setMillimetre(mm);
      // The layout fits the default size, so the window is not forced larger.
      if (ownFont) {
        EXPECT_LE(main->minimumSizeHint().width(), 1000) << language << mm;
        EXPECT_LE(main->minimumSizeHint().height(), 680) << language << mm;
      }
      for (const Page& p : pages()) {
        show(p);
        const std::string shot = p.name + (language ? "-de" : "-en") + (mm ? "-mm" : "-pixel");
        screenshot(shot);
        for (const guitest::Clip& c : guitest::clippedTexts(main)) ADD_FAILURE() << shot << ": " << c.describe();
      }
    }
  }
  // The calibration pages once unlocked, at their general and first steps;
  // at the first step with the lookup-table and service fields shown too.
  ctx->calib.locked = 0;
  for (int language : {0, 1}) {
    setLanguage(language);
    for (int step : {0, 1}) {
      auto& pg = ctx->calib.page;
      pg.accept[0] = pg.distAccept = pg.lookupShown = pg.serviceShown = step == 1;
      pg.stepBox[1] = pg.distBox[1] = step == 0;
      ctx->ui.setValue(ref("TAB_2P", "CHECKSTEP1"), step);
      ctx->ui.setValue(ref("TAB_DIST", "CHECKDIST1"), step);
      bx::ShowCalibControls(*ctx);
      bx::ShowCalibStep(*ctx, bx::CalibPage::TwoPoint, step);
      bx::ShowCalibStep(*ctx, bx::CalibPage::Distance, step);
      for (const Page& p : pages()) {
        if (!p.inner) continue;
        show(p);
        const std::string shot = p.name + (language ? "-de" : "-en") + "-unlocked-step" + std::to_string(step);
        screenshot(shot);
        for (const guitest::Clip& c : guitest::clippedTexts(main)) ADD_FAILURE() << shot << ": " << c.describe();
      }
    }
  }
}

// The compare window opened from the menu, RAM against the model's
// defaults, in both languages and units: nothing clipped, pictures saved.
TEST_F(Pages, CompareWindowShowsItsTableUnclippedInEitherLanguageOrUnit) {
  int m = -1, i = -1;
  ASSERT_TRUE(ctx->ui.findMenuItem("APPLICATION", "COMPARE", m, i));
  QAction* open = renderer->mainWindow()->menuAction(m, i);
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->shortcut(), QKeySequence("Ctrl+D"));
  open->trigger();
  settle();
  const int panel = ctx->ui.findPanel("COMPARE");
  ASSERT_GE(panel, 0);
  QWidget* window = renderer->panelWidget(panel)->window();
  ASSERT_TRUE(window->isVisible());
  ctx->ui.setValue(ref("COMPARE", "RIGHTSRC"), 3);  // the defaults
  for (int language : {0, 1}) {
    setLanguage(language);
    for (bool mm : {false, true}) {
      setMillimetre(mm);
      guitest::click(widget<QPushButton>("COMPARE", "COMPAREBTN"));
      settle();
      EXPECT_GT(ctx->ui.table(ref("COMPARE", "TABLE")).rows, 0) << ctx->ui.text(ref("COMPARE", "RESULT"));
      const std::string shot = std::string("compare") + (language ? "-de" : "-en") + (mm ? "-mm" : "-pixel");
      if (const char* env = std::getenv("BX_SCREENSHOT_DIR"); env && *env) {
        EXPECT_TRUE(window->grab().save(QString("%1/%2.png").arg(env, QString::fromStdString(shot))));
      }
      for (const guitest::Clip& c : guitest::clippedTexts(window)) ADD_FAILURE() << shot << ": " << c.describe();
    }
  }
  window->close();
  QApplication::processEvents();
  EXPECT_FALSE(ctx->ui.panel(panel).visible);
}

TEST_F(Pages, UnlockCalibrateTwoObjectsAndReadTheRecordBack) {
  if (std::getenv("BX_SIM_PORT")) GTEST_SKIP() << "reads the record of its own simulator";
  auto* tab = widget<QTabWidget>("MAIN", "TABmain");
  auto* calib = widget<QTabWidget>("CALIB", "TABcalib");
  tab->setCurrentIndex(4);
  calib->setCurrentIndex(0);
  settle();
  bx::frame::put16(&ctx->params.set[bx::param::EVAL_MODE], 2);
  auto* step1 = widget<QCheckBox>("TAB_2P", "CHECKSTEP1");
  ASSERT_FALSE(step1->isEnabled());
  // The hidden gesture: a right double-click on the calibration text.
  guitest::doubleClick(renderer->widget(ref("TAB_SETT", "CALIBTEXT")), Qt::RightButton);
  settle();
  ASSERT_EQ(ctx->calib.locked, 0);
  calib->setCurrentIndex(1);
  settle();
  ASSERT_TRUE(step1->isEnabled());

  // Each object: its box starts live mode; with the object measured, its
  // diameter is entered and Accept pressed, which ends the run.
  std::function<void()> acceptOnceRunning;
  auto object = [&](const char* box, const char* diameter, const char* button, int px, double um) {
    acceptOnceRunning = [&, diameter, button, px, um] {
      // Inside the run loop, not inside the wait for the START reply.
      if (ctx->run.state != bx::RUN_LOOP) {
        QTimer::singleShot(20, acceptOnceRunning);
        return;
      }
      bx::frame::put16(&ctx->live.record[bx::liverec::VALUE_PX], static_cast<uint16_t>(px));
      ctx->ui.setValue(ref("TAB_2P", diameter), um);
      settle();
      auto* accept = widget<QPushButton>("TAB_2P", button);
      EXPECT_TRUE(accept->isEnabled()) << button;
      guitest::click(accept);
    };
    QTimer::singleShot(20, acceptOnceRunning);
    guitest::click(widget<QCheckBox>("TAB_2P", box));
    settle();
    EXPECT_EQ(ctx->run.state, bx::RUN_IDLE);
  };
  object("CHECKSTEP1", "DIAMETER1", "ACCEPT1", 1000, 5000);
  object("CHECKSTEP2", "DIAMETER2", "ACCEPT2", 2000, 9000);
  guitest::click(widget<QPushButton>("TAB_2P", "CALC"));
  settle();
  EXPECT_DOUBLE_EQ(ctx->ui.value(ref("TAB_2P", "SLOPE")), 4.0);
  EXPECT_EQ(ctx->ui.value(ref("TAB_2P", "OFFSET")), 1000);
  // WRITE asks first, showing the sensor's values and the new ones.
  popups.answerConfirm(true);
  guitest::click(widget<QPushButton>("TAB_2P", "WRITE"));
  settle();

  // The record as the sensor now holds it, read back on the settings page.
  ctx->ui.setValue(ref("TAB_SETT", "SLOPE"), 0);
  ctx->ui.setValue(ref("TAB_SETT", "OFFSET"), 0);
  calib->setCurrentIndex(0);
  settle();
  guitest::click(widget<QPushButton>("TAB_SETT", "READXF"));
  settle();
  EXPECT_DOUBLE_EQ(ctx->ui.value(ref("TAB_SETT", "SLOPE")), 4.0);
  EXPECT_EQ(ctx->ui.value(ref("TAB_SETT", "OFFSET")), 1000);
  const auto rec = sensor.calibRecord();
  EXPECT_EQ(bx::frame::gets32(rec.data() + 12), 65536);
  EXPECT_EQ(bx::frame::gets32(rec.data() + 16), 1000);
}

TEST_F(Pages, TheSmallestWindowStillShowsEveryTextWhole) {
  auto* main = renderer->mainWindow();
  setLanguage(1);
  setMillimetre(true);
  // The layout's own minimum: the window cannot be made smaller.
  main->resize(200, 150);
  settle();
  EXPECT_GE(renderer->panelWidget(ctx->ui.findPanel("MAIN"))->width(),
            renderer->panelWidget(ctx->ui.findPanel("MAIN"))->minimumSizeHint().width());
  EXPECT_GE(main->width(), 600);
  EXPECT_LE(main->width(), 1000);
  EXPECT_LE(main->height(), 680);
  for (const Page& p : pages()) {
    show(p);
    for (const guitest::Clip& c : guitest::clippedTexts(main)) ADD_FAILURE() << p.name << ": " << c.describe();
  }
  // A larger window gives its room to the graphs, not to the fields.
  main->resize(1000, 680);
  settle();
  show(pages().front());
  QWidget* graph = renderer->widget(ref("VIDEO", "VIDEOGRAPH"));
  QWidget* field = renderer->widget(ref("VIDEO", "TEACHVAL"));
  const QSize graphAt1000 = graph->size(), fieldAt1000 = field->size();
  main->resize(1400, 950);
  settle();
  EXPECT_GT(graph->width(), graphAt1000.width() + 200);
  EXPECT_GT(graph->height(), graphAt1000.height() + 150);
  EXPECT_EQ(field->height(), fieldAt1000.height());
}

// Texts that read the same in both languages: names of memories, orders,
// modes and codes the product gives identically in German, units, numbers
// and the product's own names.
bool sameInBothLanguages(const QString& t) {
  static const std::set<QString> kAllowed = {
      "MAX/MIN - RESET", "LO EDGES", "HI EDGES", "RAM", "EEPROM", "SEND", "GET", "RUN", "STOP", "TEST", "COM", "IP",
      "Status", "Information", "Echo", "Test", "MAX", "MIN", "MAX/MIN", "POS-EDGE", "NEG-EDGE", "VIDEO", "PARA1",
      "PARA2", "TEACH", "CALIB", "REC", "SCOPE", "START", "PAUSE", "Scope", "Service", "Trigger", "Video", "Digital",
      "RS-232", "TCP/IP", "TCP-Port", "COM-Port", "Baudrate", "RS-232-Mode", "RS-232-Baudrate", "Ext.Trigger",
      "Int.Trigger", "Analog-Zoom", "Trigger-Pixel", "OFFSET [µm]", "Delta-X[ms]", "Delta-Y", "POSITION", "NORMAL",
      "MAXIMA", "MINIMA", "MAX-MIN", "PIXEL A", "PIXEL B", "PIXEL 1 -> N", "PIXEL N -> 1", "ZOOM-X1", "ZOOM-X2",
      "ZOOM-X4", "ZOOM-X8", "ZOOM-X16", "IN0-L/H", "IN0-HIGH", "SEL-PROG2", "SEL-PROG4", "EXT-IN0-L/H",
      "EXT-IN0-L/H(6-BYTE)", "POSITION-1", "POSITION-2", "EXT-IN0-L/H (REC)", "EXT-IN0-L/H (6-Byte)", "EXT-IN0", "AUTO", "[pixel]", "[pix]", "TOL [+]", "TOL [-]", "Offset [µm]",
      "ZOOM"};
  if (kAllowed.count(t.trimmed()) || t.startsWith("Quellan-BX")) return true;
  // Numbers, units and output codes ([-]OUT0, [DRT]OUT1) hold no word.
  QString words = t;
  words.remove(QRegularExpression("\\[(OK|DRT|TRG)\\]|OUT\\d"));
  static const QRegularExpression word("[A-Za-z]{3,}");
  return !word.match(words).hasMatch();
}

TEST_F(Pages, GermanLeavesNoEnglishTextOnAnyPage) {
  setMillimetre(false);
  // What each control shows in English, page by page.
  std::map<std::string, std::set<std::pair<QString, QString>>> english;
  auto* main = renderer->mainWindow();
  for (const Page& p : pages()) {
    show(p);
    for (const auto& t : guitest::shownTexts(main)) english[p.name].insert(t);
  }
  setLanguage(1);
  for (const Page& p : pages()) {
    show(p);
    for (const auto& t : guitest::shownTexts(main))
      if (english[p.name].count(t) && !sameInBothLanguages(t.second))
        ADD_FAILURE() << p.name << ": " << t.first.toStdString() << " still shows \"" << t.second.toStdString()
                      << "\"";
  }
  // Menus and the window title follow as well.
  for (QAction* menu : main->menuBar()->actions()) EXPECT_NE(menu->text(), "Settings");
  // Messages of the link come in the language in force, and the status
  // line follows a switch.
  guitest::click(widget<QPushButton>("CONN", "DISCONNECT"));
  settle();
  EXPECT_EQ(widget<QLabel>("MAIN", "CONNECTED")->text(), "GETRENNT");
  EXPECT_EQ(widget<QLabel>("MAIN", "STATUS")->text(), "SENSOR GETRENNT!");
  EXPECT_TRUE(widget<QPlainTextEdit>("CONN", "MSGBOX")->toPlainText().endsWith("SENSOR GETRENNT!\n"));
  // Back to English at once, without a GET.
  setLanguage(0);
  EXPECT_EQ(widget<QLabel>("MAIN", "CONNECTED")->text(), "DISCONNECTED");
  EXPECT_EQ(widget<QLabel>("MAIN", "STATUS")->text(), "SENSOR DISCONNECTED!");
}

}  // namespace
