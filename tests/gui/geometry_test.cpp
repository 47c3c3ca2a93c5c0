// The main window's place, size and maximised state: from the settings
// file onto the real window, and the real ones back into the file.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

#include "app/localize.h"
#include "app/main_panel.h"
#include "app/settings.h"
#include "files/settings_file.h"
#include "gui/app_window.h"
#include "gui/gui_input.h"
#include "gui/main_window.h"
#include "link/report.h"
#include "live/live_view.h"

namespace {

using guitest::AppWindow;

class WindowGeometry : public AppWindow {
 protected:
  int mainPanel() const { return ctx->ui.findPanel("MAIN"); }
  std::string settings() const { return dir + "/BX-SCOPE.ini"; }
  bx::files::AppSettings written() {
    bx::files::AppSettings s;
    EXPECT_TRUE(bx::files::ReadSettingsFile(settings(), s));
    return s;
  }
  void readSettings(const std::string& application) {
    std::FILE* f = std::fopen(settings().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(("[APPLICATION]\r\n" + application).c_str(), f);
    std::fclose(f);
    bx::ReadIniFile(*ctx, settings());
    renderer->repaint();
  }
};

TEST_F(WindowGeometry, StoredPlaceAndSizeApplyAndTheRealOnesAreWrittenBack) {
  auto* main = renderer->mainWindow();
  readSettings("Panel max = 0\r\nPanel pos. x = 40\r\nPanel pos. y = 30\r\nPanel width  = 960\r\nPanel height = 660\r\n");
  EXPECT_EQ(main->size(), QSize(960, 660));
  EXPECT_EQ(main->pos(), QPoint(40, 30));
  EXPECT_FALSE(main->isMaximized());

  // The operator moves and resizes the window: the file gets the real ones.
  main->move(70, 50);
  main->resize(990, 670);
  ASSERT_EQ(bx::WriteIniFile(*ctx, settings()), 0);
  auto s = written();
  EXPECT_EQ(s.posX, 70);
  EXPECT_EQ(s.posY, 50);
  EXPECT_EQ(s.width, 990);
  EXPECT_EQ(s.height, 670);
  EXPECT_EQ(s.panelMax, 0);
}

TEST_F(WindowGeometry, MaximisedStateAppliesAndKeepsTheNormalSize) {
  auto* main = renderer->mainWindow();
  readSettings("Panel max = 0\r\nPanel pos. x = 20\r\nPanel pos. y = 20\r\nPanel width  = 960\r\nPanel height = 660\r\n");
  ASSERT_FALSE(main->isMaximized());
  // Maximised by the operator: the file says so and keeps the size to
  // return to, not the screen's.
  main->showMaximized();
  ASSERT_EQ(bx::WriteIniFile(*ctx, settings()), 0);
  EXPECT_EQ(written().panelMax, 1);
  std::ifstream in(settings(), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(std::regex_search(text, std::regex("Panel width *= *960"))) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("Panel height *= *660"))) << text;

  // Un-maximised by the operator: the file says so.
  main->showNormal();
  ASSERT_EQ(bx::WriteIniFile(*ctx, settings()), 0);
  EXPECT_EQ(written().panelMax, 0);

  // A stored maximised state maximises the window.
  readSettings("Panel max = 1\r\n");
  EXPECT_TRUE(main->isMaximized());
}

TEST_F(WindowGeometry, RightDoubleClickRestoresTheDefaultSizeCentred) {
  auto* main = renderer->mainWindow();
  const QRect free = main->screen()->availableGeometry();
  ctx->app.screenLeft = free.x();
  ctx->app.screenTop = free.y();
  ctx->app.screenWidth = free.width();
  ctx->app.screenHeight = free.height();
  main->showMaximized();
  ASSERT_TRUE(main->isMaximized());
  // On the panel's margin: a double click on no control.
  QWidget* view = renderer->panelWidget(mainPanel());
  ASSERT_EQ(view->childAt(QPoint(1, 1)), nullptr);
  guitest::mouse(view, QEvent::MouseButtonPress, Qt::RightButton, QPoint(1, 1));
  guitest::mouse(view, QEvent::MouseButtonRelease, Qt::RightButton, QPoint(1, 1));
  guitest::mouse(view, QEvent::MouseButtonDblClick, Qt::RightButton, QPoint(1, 1));
  renderer->repaint();
  EXPECT_FALSE(main->isMaximized());
  EXPECT_EQ(main->size(), QSize(1000, 680));
  EXPECT_EQ(main->pos(), QPoint(free.x() + std::max(0, (free.width() - 1000) / 2),
                                free.y() + std::max(0, (free.height() - 680) / 2)));
}

TEST_F(WindowGeometry, APlaceOffEveryScreenIsNotTaken) {
  auto* main = renderer->mainWindow();
  ctx->app.screenLeft = 0;
  ctx->app.screenTop = 0;
  ctx->app.screenWidth = 1280;
  ctx->app.screenHeight = 800;
  readSettings("Panel max = 0\r\nPanel pos. x = 3000\r\nPanel pos. y = -900\r\nPanel width  = 900\r\nPanel height = 640\r\n");
  const auto& p = ctx->ui.panel(mainPanel());
  EXPECT_EQ(p.left, (1280 - 1000) / 2);
  EXPECT_EQ(p.top, (800 - 680) / 2);
  EXPECT_EQ(main->pos(), QPoint(p.left, p.top));
}

// Where every shown control of the main panel and the measurement page
// lies in the window.
std::map<std::string, QRect> controlPlaces(bx::Context& ctx, bx::gui::Renderer& r) {
  std::map<std::string, QRect> out;
  QWidget* main = r.mainWindow();
  for (const char* panel : {"MAIN", "VIDEO"}) {
    const int h = ctx.ui.findPanel(panel);
    for (size_t i = 0; i < ctx.ui.panel(h).controls.size(); ++i) {
      bx::gui::ControlAdapter* a = r.adapter(bx::ui::CtlRef{h, static_cast<int>(i)});
      QWidget* box = a ? a->container() : nullptr;
      if (!box || !box->isVisibleTo(main)) continue;
      out[std::string(panel) + "." + ctx.ui.panel(h).controls[i].name] =
          QRect(box->mapTo(main, QPoint(0, 0)), box->size());
    }
  }
  return out;
}

// A trigger state, a long status text, a long state text and the max/min
// values appearing move no control, in either language.
TEST_F(WindowGeometry, ControlsStayPutWhenStatusTriggerAndMaxMinAppear) {
  for (int language : {0, 1}) {
    SCOPED_TRACE(language ? "de" : "en");
    bx::SetLanguage(*ctx, language);
    widget<QTabWidget>("MAIN", "TABmain")->setCurrentIndex(0);
    bx::ShowTriggerText(*ctx, bx::TriggerText::Hidden);
    ctx->ui.setText(ref("VIDEO", "STATETEXT"), "");
    bx::ShowStatusText(*ctx, "");
    ctx->ui.setValue(ref("VIDEO", "MAXMIN"), 0);
    ctx->ui.fire(ref("VIDEO", "MAXMIN"), bx::ui::EVENT_COMMIT);
    settle();
    const auto before = controlPlaces(*ctx, *renderer);

    bx::ShowTriggerText(*ctx, bx::TriggerText::Waiting);
    ctx->ui.setText(ref("VIDEO", "STATETEXT"), language ? "KEINE KANTEN GEFUNDEN - AUSSERHALB" : "NO EDGES - OUT OF RANGE");
    bx::ShowStatusText(*ctx, language ? "PARAMETERSATZ: Zeitüberschreitung TCP-Server-Fehler! Bitte Verbindung prüfen"
                                      : "PARAMETER-SET: Timeout TCP-Server-error! Please check the connection");
    ctx->ui.setText(ref("MAIN", "SERVICE"), "SERVICE: CALIBRATION RECORD MISSING");
    ctx->ui.setValue(ref("VIDEO", "MAXMIN"), 1);
    ctx->ui.fire(ref("VIDEO", "MAXMIN"), bx::ui::EVENT_COMMIT);
    ctx->ui.setValue(ref("VIDEO", "MAXVAL"), 1234567.891);
    ctx->ui.setValue(ref("VIDEO", "MINVAL"), -1234567.891);
    settle();
    EXPECT_TRUE(renderer->adapter(ref("VIDEO", "TRIGTEXT"))->container()->isVisible());
    saveWindow(language ? "trigger-waiting-de" : "trigger-waiting-en", "live-screenshots");
    EXPECT_TRUE(renderer->adapter(ref("VIDEO", "MAXVAL"))->container()->isVisible());
    const auto after = controlPlaces(*ctx, *renderer);
    for (const auto& [name, place] : before) {
      auto it = after.find(name);
      ASSERT_NE(it, after.end()) << name << " went away";
      EXPECT_EQ(it->second, place) << name << " moved";
    }
    bx::ShowTriggerText(*ctx, bx::TriggerText::Triggered);
    settle();
    EXPECT_EQ(controlPlaces(*ctx, *renderer), after);
  }
}

// The window fits the free area of its screen, whatever size the panel
// asks for; the panel scrolls inside where the area is smaller than its
// smallest layout (twice the scale on a 1600x1200 screen, say).
TEST_F(WindowGeometry, TheWindowFitsTheScreenAndThePanelScrollsWhereItMust) {
  auto* main = renderer->mainWindow();
  const QRect free = main->screen()->availableGeometry();
  for (const QSize& asked : {QSize(1000, 680), QSize(free.width() + 600, free.height() + 400)}) {
    readSettings("Panel max = 0\r\nPanel pos. x = " + std::to_string(free.x() + 20) + "\r\nPanel pos. y = " +
                 std::to_string(free.y() + 10) + "\r\nPanel width  = " + std::to_string(asked.width()) +
                 "\r\nPanel height = " + std::to_string(asked.height()) + "\r\n");
    settle();
    EXPECT_TRUE(free.contains(main->frameGeometry())) << asked.width() << "x" << asked.height();
    const QSize frame = main->frameGeometry().size() - main->size();
    // A larger font may make the panel's smallest layout wider than asked:
    // its width stays whole.
    EXPECT_EQ(main->size(), asked.expandedTo(QSize(main->minimumSizeHint().width(), 0)).boundedTo(free.size() - frame));
  }
  // The panel is whole: either the window holds its smallest layout, or the
  // scroll bars reach every part of it.
  auto* scroll = qobject_cast<QScrollArea*>(main->centralWidget());
  ASSERT_NE(scroll, nullptr);
  QWidget* panel = renderer->panelWidget(mainPanel());
  const QSize need = panel->minimumSizeHint();
  EXPECT_GE(panel->width(), need.width());
  EXPECT_GE(panel->height(), need.height());
  const bool tall = need.height() > scroll->viewport()->height(), wide = need.width() > scroll->viewport()->width();
  EXPECT_EQ(scroll->verticalScrollBar()->isVisible(), tall);
  EXPECT_EQ(scroll->horizontalScrollBar()->isVisible(), wide);
  // The status line at the bottom can be scrolled to.
  QWidget* status = renderer->adapter(ref("MAIN", "STATUS"))->container();
  scroll->ensureWidgetVisible(status);
  settle();
  const QRect seen(status->mapTo(scroll->viewport(), QPoint(0, 0)), status->size());
  EXPECT_TRUE(scroll->viewport()->rect().contains(seen)) << "the status line cannot be reached";
  saveWindow("window-fits-screen", "live-screenshots");
}

}  // namespace
