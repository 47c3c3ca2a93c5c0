// Right-click help in the real window: the help panel lands beside the
// control, on the screen, and goes on a click, Escape, focus loss and a
// language switch; F1 asks for the help of the control with the focus.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>

#include "app/help.h"
#include "gui/app_window.h"
#include "gui/gui_input.h"
#include "gui/main_window.h"

namespace {

using guitest::AppWindow;

class HelpWindow : public AppWindow {
 protected:
  QWidget* helpWindow() const { return renderer->panelWidget(ctx->ui.findPanel("HELP"))->window(); }
  bool helpShown() const { return ctx->ui.panel(ctx->ui.findPanel("HELP")).visible && helpWindow()->isVisible(); }

  void showPage(const char* page) {
    const auto& pages = ctx->ui.at(ctx->refs.main.tab).pages;
    for (size_t i = 0; i < pages.size(); ++i)
      if (ctx->ui.panel(pages[i]).name == page) ctx->ui.setActivePage(ctx->refs.main.tab, static_cast<int>(i));
    renderer->repaint();
  }

  // Right click on a control, then the pass that shows the help panel.
  void askHelp(const char* panel, const char* control) {
    guitest::rightClick(renderer->widget(ref(panel, control)));
    renderer->repaint();
  }

  // The help panel touches no part of the control, lies at most a small gap
  // beside it, and lies wholly on the control's screen.
  void expectBeside(const char* panel, const char* control) {
    SCOPED_TRACE(std::string(panel) + "." + control);
    ASSERT_TRUE(helpShown());
    QWidget* box = renderer->adapter(ref(panel, control))->container();
    const QRect c(box->mapToGlobal(QPoint(0, 0)), box->size());
    const QRect h = helpWindow()->frameGeometry();
    const QRect screen = box->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(h)) << "help at " << h.x() << "," << h.y() << " " << h.width() << "x" << h.height()
                                    << ", control at " << c.x() << "," << c.y() << " " << c.width() << "x"
                                    << c.height() << ", screen " << screen.width() << "x" << screen.height();
    // Nowhere beside a control as large as the screen, or one the screen
    // does not show whole: there it only stays on the screen.
    const bool huge = c.width() + h.width() > screen.width() && c.height() + h.height() > screen.height();
    if (huge || !screen.contains(c)) return;
    EXPECT_FALSE(c.intersects(h));
    const int dx = std::max({0, c.left() - h.right(), h.left() - c.right()});
    const int dy = std::max({0, c.top() - h.bottom(), h.top() - c.bottom()});
    EXPECT_LE(dx + dy, 10) << "the help panel is not beside its control";
  }
};

TEST_F(HelpWindow, LandsBesideTheRightClickedControlOnTheScreen) {
  // The whole window on the screen, so its right edge is the screen's too.
  auto* main = renderer->mainWindow();
  const QRect free = main->screen()->availableGeometry();
  main->move(free.topLeft());
  main->resize(std::min(1000, free.width()), std::min(680, free.height()));
  showPage("CONN");
  for (const char* name : {"TRY_CONNECT", "TCPPORT", "HWINFO"}) {
    askHelp("CONN", name);
    expectBeside("CONN", name);
  }
  // At the right edge of the window, and the large graph of the first page.
  askHelp("MAIN", "LANGFLAG");
  expectBeside("MAIN", "LANGFLAG");
  showPage("VIDEO");
  askHelp("VIDEO", "VIDEOGRAPH");
  expectBeside("VIDEO", "VIDEOGRAPH");

  // Asking twice shows it once, at the same place.
  askHelp("CONN", "TRY_CONNECT");
  const QPoint first = helpWindow()->pos();
  askHelp("CONN", "TRY_CONNECT");
  EXPECT_EQ(helpWindow()->pos(), first);
}

TEST_F(HelpWindow, GoesOnAClickEscapeFocusLossAndALanguageSwitch) {
  showPage("CONN");
  askHelp("CONN", "TRY_CONNECT");
  ASSERT_TRUE(helpShown());
  guitest::click(widget<QPlainTextEdit>("HELP", "TEXT"));
  renderer->repaint();
  EXPECT_FALSE(helpShown());

  askHelp("CONN", "TRY_CONNECT");
  ASSERT_TRUE(helpShown());
  guitest::key(helpWindow(), Qt::Key_Escape);
  renderer->repaint();
  EXPECT_FALSE(helpShown());

  askHelp("CONN", "TRY_CONNECT");
  ASSERT_TRUE(helpShown());
  QEvent away(QEvent::WindowDeactivate);
  QApplication::sendEvent(helpWindow(), &away);
  renderer->repaint();
  EXPECT_FALSE(helpShown());

  // A text of the old language does not stay open after a switch.
  askHelp("CONN", "TRY_CONNECT");
  ASSERT_TRUE(helpShown());
  int m, de;
  ASSERT_TRUE(ctx->ui.findMenuItem("SETTINGS", "German", m, de));
  renderer->mainWindow()->menuAction(m, de)->trigger();
  renderer->repaint();
  EXPECT_FALSE(helpShown());
  askHelp("CONN", "TRY_CONNECT");
  EXPECT_EQ(*ctx->app.texts.find("CONN", "TRY_CONNECT.help"), ctx->ui.text(ref("HELP", "TEXT")));
}

// The calibration lock opens with a right double-click on its text: the
// first press must not open the help pop-up, which would take the second.
// A single right click shows the help once the double-click interval has
// passed.
TEST_F(HelpWindow, ARightDoubleClickReachesTheCalibrationLock) {
  showPage("CALIB");
  QWidget* text = renderer->widget(ref("TAB_SETT", "CALIBTEXT"));
  ASSERT_NE(text, nullptr);
  const int locked = ctx->calib.locked;
  guitest::click(text, Qt::RightButton);
  renderer->repaint();
  EXPECT_FALSE(helpShown()) << "help opened before the double click could end";
  guitest::mouse(text, QEvent::MouseButtonDblClick, Qt::RightButton, guitest::centre(text));
  guitest::mouse(text, QEvent::MouseButtonRelease, Qt::RightButton, guitest::centre(text));
  guitest::waitDoubleClickInterval();
  renderer->repaint();
  EXPECT_NE(ctx->calib.locked, locked);
  EXPECT_FALSE(helpShown());

  guitest::click(text, Qt::RightButton);
  renderer->repaint();
  EXPECT_FALSE(helpShown());
  guitest::waitDoubleClickInterval();
  renderer->repaint();
  EXPECT_TRUE(helpShown());
  EXPECT_EQ(ctx->app.helpShownFor, ref("TAB_SETT", "CALIBTEXT"));
}

TEST_F(HelpWindow, F1ShowsTheHelpOfTheFocusedControl) {
  showPage("CONN");
  auto* port = widget<QLineEdit>("CONN", "TCPPORT");
  port->setFocus();
  guitest::key(port, Qt::Key_F1);
  EXPECT_EQ(ctx->app.helpShownFor, ref("CONN", "TCPPORT"));
  renderer->repaint();
  expectBeside("CONN", "TCPPORT");
  // F1 types nothing into the field.
  EXPECT_EQ(port->text().toStdString(), ctx->ui.text(ref("CONN", "TCPPORT")));
}

}  // namespace
