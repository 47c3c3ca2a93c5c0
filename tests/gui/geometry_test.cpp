// The main window's place, size and maximised state: from the settings
// file onto the real window, and the real ones back into the file.
#include <gtest/gtest.h>

#include <QScreen>
#include <fstream>
#include <iterator>
#include <regex>

#include "app/main_panel.h"
#include "app/settings.h"
#include "files/settings_file.h"
#include "gui/app_window.h"
#include "gui/gui_input.h"

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

}  // namespace
