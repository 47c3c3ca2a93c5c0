// The Help menu of the real window against the simulated sensor: Trimm
// shows the adjustment panel, which follows the run loop while it is shown
// and keeps its settings across runs; closing it ends the exchanges;
// About names the tool kits; Quick-Start hands the manual of the language
// in force to the desktop's open action.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/startup.h"
#include "gui/app_window.h"
#include "gui/gui_input.h"
#include "gui/main_window.h"
#include "wire/orders.h"

namespace {

class HelpMenu : public guitest::ConnectedWindow {
 protected:
  QAction* menu(const char* name, const char* item) {
    int m = -1, i = -1;
    EXPECT_TRUE(ctx->ui.findMenuItem(name, item, m, i)) << name << "." << item;
    return renderer->mainWindow()->menuAction(m, i);
  }
  QWidget* adjustWindow() {
    QWidget* w = renderer->panelWidget(ctx->factory.panel);
    return w ? w->window() : nullptr;
  }
  bx::ui::CtlRef adj(const char* page, const char* name) { return ref(page, name); }

  // RUN pressed by the operator; watch runs on every pass of the loop's
  // event processing and says when the operator presses STOP. A bound on
  // the passes keeps a broken loop from hanging the test.
  void runUntil(const std::function<bool()>& watch) {
    QTimer tick;
    int passes = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
      if (watch() || ++passes > 20000) {
        tick.stop();
        guitest::click(widget<QPushButton>("MAIN", "STOP"));
      }
    });
    tick.start(0);
    // The window shows RUN enabled again only at its next repaint pass; an
    // operator's click never comes that soon after the last STOP.
    renderer->repaint();
    guitest::click(widget<QPushButton>("MAIN", "RUN"));
    ASSERT_LE(passes, 20000) << "the loop never showed what was awaited";
  }
  int exchanges() const { return sensor.requestCount(bx::order::kPotentiometer); }
  int liveCycles() const { return sensor.requestCount(bx::order::kLiveData); }
};

TEST_F(HelpMenu, TrimmPanelFollowsTheRunLoopUntilItIsClosed) {
  ASSERT_GE(ctx->factory.panel, 0);
  menu("HELP", "TRIMM")->trigger();
  renderer->repaint();
  ASSERT_NE(adjustWindow(), nullptr);
  EXPECT_TRUE(adjustWindow()->isVisible());

  // The operator runs; once the panel shows the sensor's record (the
  // preload when the run starts), sets a value and asks to store it.
  std::set<std::string> syncTexts;
  std::set<double> measured;
  const int before = exchanges();
  const int liveBefore = liveCycles();
  bool edited = false;
  runUntil([&] {
    syncTexts.insert(ctx->ui.text(adj("ADJUST", "ADJSYNC")));
    measured.insert(ctx->ui.value(adj("ADJ_P1", "MEASURED")));
    if (!edited && exchanges() - before >= 2) {
      ctx->ui.setValue(adj("ADJ_P1", "SETVAL"), 600);
      ctx->ui.setValue(adj("ADJ_P1", "WORD8"), 1234);
      ctx->ui.setValue(adj("ADJ_P1", "STORE1"), 1);
      edited = true;
    }
    // Window passes do not fall on every cycle: wait until both sync texts
    // have been seen.
    return edited && exchanges() - before >= 8 && measured.size() >= 3 &&
           syncTexts.count("Sync data == >> OK!") == 1 && syncTexts.count("Sync data << == OK!") == 1;
  });
  EXPECT_EQ(syncTexts.count("Sync data == >> OK!"), 1u);
  EXPECT_EQ(syncTexts.count("Sync data << == OK!"), 1u);
  EXPECT_GE(measured.size(), 3u);  // it follows the set value
  // The preload, then one exchange per live cycle.
  EXPECT_EQ(exchanges() - before, liveCycles() - liveBefore + 1);
  // Taken over, the store switch has switched itself off, ready again.
  EXPECT_EQ(ctx->ui.value(adj("ADJ_P1", "STORE1")), 0);
  EXPECT_FALSE(ctx->ui.dimmed(adj("ADJ_P1", "STORE1")));
  const auto stored = sensor.storedPotentiometer();
  EXPECT_EQ(stored[8] | stored[9] << 8, 1234);

  // A new run preloads the record from the sensor: the setting is still there.
  ctx->ui.setValue(adj("ADJ_P1", "WORD8"), 0);
  int runs = 0;
  runUntil([&] { return ++runs > 3; });
  EXPECT_EQ(ctx->ui.value(adj("ADJ_P1", "WORD8")), 1234);

  // Closed: the loop runs on without exchanging the record.
  adjustWindow()->close();
  QApplication::processEvents();
  EXPECT_FALSE(ctx->ui.panel(ctx->factory.panel).visible);
  const int closedAt = exchanges();
  const int liveAt = liveCycles();
  runUntil([&] { return liveCycles() - liveAt >= 5; });
  EXPECT_GE(liveCycles() - liveAt, 5);
  EXPECT_EQ(exchanges(), closedAt);
}

// The desktop's open action, as the window's front-end reaches it.
struct Desktop : bx::ui::HeadlessFrontend {
  std::vector<std::string> opened;
  bool openDocument(const std::string& path) override {
    opened.push_back(path);
    return true;
  }
};

TEST_F(HelpMenu, AboutNamesTheToolKitsAndQuickStartOpensTheManualInForce) {
  menu("HELP", "ABOUT")->trigger();
  ASSERT_EQ(popups.popups().size(), 1u);
  const std::string about = popups.popups()[0].text;
  EXPECT_NE(about.find(std::string("Qt ") + qVersion()), std::string::npos) << about;
  EXPECT_NE(about.find("QCustomPlot"), std::string::npos) << about;
  EXPECT_EQ(about.find("http"), std::string::npos);

  // The manuals the build made, in this tool's folder.
  namespace fs = std::filesystem;
  for (const char* f : {"_man_en_BX-ScopeV55nn.pdf", "_man_de_BX-ScopeV55nn.pdf"})
    fs::copy_file(fs::path(bx::ExecutableDir()) / f, fs::path(dir) / f);
  Desktop desktop;
  frontend->setPopupDelegate(&desktop);
  menu("HELP", "QUICKSTART")->trigger();
  menu("SETTINGS", "German")->trigger();
  menu("HELP", "QUICKSTART")->trigger();
  frontend->setPopupDelegate(&popups);
  ASSERT_EQ(desktop.opened.size(), 2u);
  EXPECT_EQ(desktop.opened[0], dir + "/_man_en_BX-ScopeV55nn.pdf");
  EXPECT_EQ(desktop.opened[1], dir + "/_man_de_BX-ScopeV55nn.pdf");
  EXPECT_TRUE(desktop.popups().empty());
  EXPECT_EQ(ctx->ui.text(ref("MAIN", "STATUS")), "Schnellstart-Handbuch geöffnet!");
}

}  // namespace
