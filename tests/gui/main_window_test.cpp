// The tool's main window, built from the real panel resource.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <chrono>
#include <filesystem>
#include <thread>

#include "gui/app_window.h"
#include "gui/gui_input.h"
#include "connection/conn_page.h"

namespace {

using guitest::AppWindow;

TEST_F(AppWindow, BuildsEveryPanelAndControlFromTheResource) {
  auto* main = renderer->mainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->windowTitle(), "Quellan-BX-Series CONTROL-PANEL");
  EXPECT_EQ(main->size(), QSize(1000, 680));
  // Every control of every panel has its widget.
  for (size_t p = 0; p < ctx->ui.panels.size(); ++p)
    for (size_t c = 0; c < ctx->ui.panels[p].controls.size(); ++c)
      EXPECT_NE(renderer->widget(bx::ui::CtlRef{static_cast<int>(p), static_cast<int>(c)}), nullptr)
          << ctx->ui.panels[p].name << "." << ctx->ui.panels[p].controls[c].name;

  auto* tab = widget<QTabWidget>("MAIN", "TABmain");
  ASSERT_EQ(tab->count(), 8);
  EXPECT_EQ(tab->tabText(0), QString::fromStdString(ctx->ui.panel(ctx->ui.findPanel("VIDEO")).title));
  // No link at start-up: the connection page is shown.
  EXPECT_EQ(tab->currentIndex(), 7);
  EXPECT_EQ(tab->widget(7), renderer->panelWidget(ctx->ui.findPanel("CONN")));

  // The logo file exists beside the resource and is shown as a picture.
  EXPECT_FALSE(widget<QLabel>("MAIN", "LOGO")->pixmap().isNull());

  auto menus = main->menuBar()->actions();
  ASSERT_EQ(menus.size(), 4);  // Application, Settings, View, Help
  // The label as shown: the mnemonic mark aside.
  EXPECT_EQ(QString(menus[0]->text()).remove('&'), QString::fromStdString(ctx->ui.menuBar.menus[0].label));
  int m, i;
  ASSERT_TRUE(ctx->ui.findMenuItem("APPLICATION", "SEPARATOR", m, i));
  EXPECT_TRUE(main->menuAction(m, i)->isSeparator());
  ASSERT_TRUE(ctx->ui.findMenuItem("SETTINGS", "English", m, i));
  EXPECT_TRUE(main->menuAction(m, i)->isChecked());
  ASSERT_TRUE(ctx->ui.findMenuItem("HELP", "TRIMM", m, i));
  EXPECT_EQ(main->menuAction(m, i)->isEnabled(), !ctx->ui.menuBar.menus[m].items[i].dimmed);
}

TEST_F(AppWindow, ScreenshotOfTheMainWindowIsWritten) {
  auto* main = renderer->mainWindow();
  renderer->repaint();
  QPixmap shot = main->grab();
  ASSERT_FALSE(shot.isNull());
  QImage img = shot.toImage();
  // Something is drawn: not one flat colour.
  bool varied = false;
  QRgb first = img.pixel(0, 0);
  for (int y = 0; y < img.height() && !varied; y += 7)
    for (int x = 0; x < img.width() && !varied; x += 7) varied = img.pixel(x, y) != first;
  EXPECT_TRUE(varied);
  QString dirPath = QString::fromStdString(bx::ExecutableDir() + "/artifacts");
  QDir().mkpath(dirPath);
  QString file = dirPath + "/main_window.png";
  ASSERT_TRUE(shot.save(file, "PNG"));
  EXPECT_GT(std::filesystem::file_size(file.toStdString()), 1000u);
}

TEST_F(AppWindow, EveryTabPageIsDrawn) {
  // Pages chosen through the model, so no page callback runs; one picture
  // per page beside the main window's for whoever looks at the layout.
  auto* tab = widget<QTabWidget>("MAIN", "TABmain");
  QString dirPath = QString::fromStdString(bx::ExecutableDir() + "/artifacts");
  QDir().mkpath(dirPath);
  const auto& pages = ctx->ui.at(ctx->refs.main.tab).pages;
  for (size_t i = 0; i < pages.size(); ++i) {
    ctx->ui.setActivePage(ctx->refs.main.tab, static_cast<int>(i));
    renderer->repaint();
    ASSERT_EQ(tab->currentIndex(), static_cast<int>(i));
    QWidget* page = renderer->panelWidget(pages[i]);
    EXPECT_TRUE(page->isVisible()) << ctx->ui.panel(pages[i]).name;
    EXPECT_GT(page->width(), 500) << ctx->ui.panel(pages[i]).name;
    QPixmap shot = renderer->mainWindow()->grab();
    ASSERT_FALSE(shot.isNull());
    shot.save(dirPath + "/page_" + QString::fromStdString(ctx->ui.panel(pages[i]).name) + ".png", "PNG");
  }
}

TEST_F(AppWindow, RepaintUpdatesOnlyWhatTheModelChanged) {
  auto status = ref("MAIN", "STATUS");
  auto* label = widget<QLabel>("MAIN", "STATUS");
  renderer->repaint();
  ctx->ui.setText(status, "Frame received!");
  EXPECT_NE(label->text(), "Frame received!");  // not before a pass
  renderer->repaint();
  EXPECT_EQ(label->text(), "Frame received!");
  // A widget whose control did not change is left alone.
  label->setText("scribbled");
  ctx->ui.setText(ref("MAIN", "SERIAL"), "12345");
  renderer->repaint();
  EXPECT_EQ(label->text(), "scribbled");
  EXPECT_EQ(widget<QLabel>("MAIN", "SERIAL")->text(), "12345");
}

TEST_F(AppWindow, RepaintIsThrottledWhileAWaitPollsFast) {
  // Counted, not timed: however slow the machine, a wait that polls on
  // every pass never repaints more often than about 60 times a second.
  renderer->repaint();
  int before = renderer->repaintCount();
  const auto start = std::chrono::steady_clock::now();
  const int kCalls = 300;
  for (int calls = 0; calls < kCalls; ++calls) {
    ctx->ui.setText(ref("MAIN", "STATUS"), std::to_string(calls));
    frontend->processEvents();
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  int passes = renderer->repaintCount() - before;
  EXPECT_LT(passes, kCalls / 2);
  EXPECT_LE(passes, 3 + static_cast<int>(ms * 60.0 / 1000.0 * 1.5)) << ms << " ms";
  // The last change is not lost: once the interval has passed it is drawn.
  before = renderer->repaintCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  frontend->processEvents();
  EXPECT_GE(renderer->repaintCount() - before, 1);
}

TEST_F(AppWindow, ResizeIsReportedAndRightDoubleClickRestoresTheSize) {
  auto* main = renderer->mainWindow();
  int h = ctx->ui.findPanel("MAIN");
  main->resize(980, 660);  // above the layout's minimum
  EXPECT_EQ(ctx->ui.panel(h).width, 980);
  EXPECT_EQ(ctx->ui.panel(h).height, 660);
  // A right double-click on the panel's background (its margin).
  QWidget* view = renderer->panelWidget(h);
  ASSERT_EQ(view->childAt(QPoint(1, 1)), nullptr);
  guitest::mouse(view, QEvent::MouseButtonPress, Qt::RightButton, QPoint(1, 1));
  guitest::mouse(view, QEvent::MouseButtonRelease, Qt::RightButton, QPoint(1, 1));
  guitest::mouse(view, QEvent::MouseButtonDblClick, Qt::RightButton, QPoint(1, 1));
  EXPECT_EQ(ctx->ui.panel(h).width, 1000);
  renderer->repaint();
  EXPECT_EQ(main->size(), QSize(1000, 680));
}

TEST_F(AppWindow, TabChangeWritesThePageAndTellsTheCallback) {
  auto* tab = widget<QTabWidget>("MAIN", "TABmain");
  tab->setCurrentIndex(3);  // what a click on the tab bar does
  EXPECT_EQ(ctx->ui.activePage(ctx->refs.main.tab), 3);
  EXPECT_EQ(ctx->app.activePage, 3);
  // The model switches pages too, without an event coming back.
  ctx->ui.setActivePage(ctx->refs.main.tab, 0);
  renderer->repaint();
  EXPECT_EQ(tab->currentIndex(), 0);
  EXPECT_EQ(ctx->app.activePage, 3);
}

TEST_F(AppWindow, HiddenPagePanelLeavesTheTabBar) {
  auto* tab = widget<QTabWidget>("MAIN", "TABmain");
  int para2 = ctx->ui.findPanel("PARA2");
  ctx->ui.panel(para2).visible = false;
  ctx->ui.touchPanel(para2);
  renderer->repaint();
  EXPECT_FALSE(tab->isTabVisible(2));
  ctx->ui.panel(para2).visible = true;
  ctx->ui.touchPanel(para2);
  renderer->repaint();
  EXPECT_TRUE(tab->isTabVisible(2));
}

TEST_F(AppWindow, LanguageMenuMovesTheTick) {
  int m, en, de;
  ASSERT_TRUE(ctx->ui.findMenuItem("SETTINGS", "English", m, en));
  ASSERT_TRUE(ctx->ui.findMenuItem("SETTINGS", "German", m, de));
  auto* main = renderer->mainWindow();
  main->menuAction(m, de)->trigger();
  EXPECT_EQ(ctx->app.language, 1);
  renderer->repaint();
  EXPECT_TRUE(main->menuAction(m, de)->isChecked());
  EXPECT_FALSE(main->menuAction(m, en)->isChecked());
  // Labels follow the language file of the new language.
  EXPECT_EQ(widget<QPushButton>("CONN", "TRY_CONNECT")->text(),
            QString::fromStdString(ctx->ui.at(ref("CONN", "TRY_CONNECT")).label));
}

TEST_F(AppWindow, AboutBoxGoesThroughThePopupHook) {
  int m, i;
  ASSERT_TRUE(ctx->ui.findMenuItem("HELP", "ABOUT", m, i));
  renderer->mainWindow()->menuAction(m, i)->trigger();
  ASSERT_EQ(popups.popups().size(), 1u);
  EXPECT_EQ(popups.popups()[0].kind, "message");
  EXPECT_EQ(popups.popups()[0].title, "Quellan-BX-Scope  Information ");
}

TEST_F(AppWindow, ClosingAsksTheCallbackWhichQuits) {
  auto* main = renderer->mainWindow();
  EXPECT_FALSE(main->close());  // the window never closes by itself
  EXPECT_TRUE(main->isVisible());
  EXPECT_TRUE(frontend->quitRequested());
  EXPECT_TRUE(std::filesystem::exists(dir + "/BX-SCOPE.ini"));
}

TEST_F(AppWindow, RightClickShowsHelpForEveryConnectionControl) {
  // TCP/IP form: the serial controls are dimmed and must still answer.
  bx::DimmConnectElements(*ctx, 1);
  renderer->repaint();
  ASSERT_FALSE(renderer->widget(ref("CONN", "BAUDRATE"))->isEnabled());
  auto helpText = ref("HELP", "TEXT");
  for (const char* name : {"COM_TYPE", "COMPORT", "BAUDRATE", "IPADDR", "TCPPORT", "TRY_CONNECT", "DISCONNECT",
                           "ACCEPT", "CHANGE_BAUD", "FIND_PORTS", "HWINFO"}) {
    ctx->ui.setText(helpText, "");
    guitest::rightClick(renderer->widget(ref("CONN", name)));
    EXPECT_EQ(ctx->app.helpShownFor, ref("CONN", name)) << name;
    EXPECT_FALSE(ctx->ui.text(helpText).empty()) << name;
  }
  EXPECT_EQ(ctx->ui.text(helpText).rfind("GENERATE HARDWARE-INFO:", 0), 0u);
  renderer->repaint();
  QWidget* helpPanel = renderer->panelWidget(ctx->ui.findPanel("HELP"));
  ASSERT_NE(helpPanel, nullptr);
  EXPECT_TRUE(helpPanel->window()->isVisible());
  EXPECT_EQ(widget<QPlainTextEdit>("HELP", "TEXT")->toPlainText().toStdString(), ctx->ui.text(helpText));
}

}  // namespace
