// Menus, language switch, right-click help, settings written on exit and on
// accepting the connection settings.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <csignal>

#include "app/app_fixture.h"
#include "app/help.h"
#include "app/localize.h"
#include "app/menus.h"
#include "files/settings_file.h"
#include "tests/support/file_size_limit.h"

namespace bx {
namespace {

using testing_app::App;

using test::FileSizeLimit;

TEST(AppLanguage, MenuAndFlagSwitchEverythingBackAndForth) {
  App app;
  ASSERT_EQ(app.startOffline(), 0);
  auto& c = *app.ctx;
  // Choosing the language in force switches to the other one.
  app.fireMenu("SETTINGS", "English");
  EXPECT_EQ(c.app.language, 1);
  EXPECT_TRUE(app.menuItem("SETTINGS", "German").checked);
  EXPECT_FALSE(app.menuItem("SETTINGS", "English").checked);
  EXPECT_EQ(c.ui.text(c.refs.main.langFlag), "flag-de.ico");
  EXPECT_EQ(app.label("CONN", "TRY_CONNECT"), "Verbinden");
  EXPECT_EQ(app.label("CONN", "DISCONNECT"), "Trennen");
  EXPECT_EQ(app.label("TAB_SETT", "HWTYPE"), "Hardware-Typ");
  EXPECT_EQ(app.menuItem("APPLICATION", "EXIT").label, "Beenden");
  EXPECT_EQ(app.panel("TAB_SETT").title, "EINSTELLUNGEN");
  // Ring items change their labels, never their values.
  const auto& mem = c.ui.at(c.refs.main.memSel).items;
  ASSERT_EQ(mem.size(), 3u);
  EXPECT_EQ(mem[2].label, "DATEI");
  EXPECT_EQ(mem[2].value, 2);

  // German chosen while German is in force: back to English.
  app.fireMenu("SETTINGS", "German");
  EXPECT_EQ(c.app.language, 0);
  EXPECT_EQ(app.label("CONN", "TRY_CONNECT"), "Try to connect");
  EXPECT_EQ(app.menuItem("APPLICATION", "EXIT").label, "Exit");
  EXPECT_EQ(c.ui.at(c.refs.main.memSel).items[2].label, "FILE");
  EXPECT_TRUE(app.menuItem("SETTINGS", "English").checked);

  // German chosen while English is in force: German.
  app.fireMenu("SETTINGS", "German");
  EXPECT_EQ(c.app.language, 1);
  // The flag switches as the menu does.
  c.ui.fire(c.refs.main.langFlag, ui::EVENT_LEFT_CLICK);
  EXPECT_EQ(c.app.language, 0);
  EXPECT_EQ(c.ui.text(c.refs.main.langFlag), "flag-gb.ico");
  EXPECT_EQ(app.label("CONN", "ACCEPT"), "Accept settings");
  EXPECT_TRUE(app.front.popups().empty());
}

TEST(AppLanguage, MissingOrDamagedFileSaysSoAndKeepsTheTexts) {
  App app;
  ASSERT_EQ(app.startOffline(), 0);
  auto& c = *app.ctx;
  std::filesystem::remove(app.dir.file("_loc_de_BX-ScopeV55.lwl"));
  app.fireMenu("SETTINGS", "English");
  EXPECT_TRUE(app.sawPopup("Info", "Error Localizing Language File"));
  // Index and ticks have changed, the texts have not.
  EXPECT_EQ(c.app.language, 1);
  EXPECT_TRUE(app.menuItem("SETTINGS", "German").checked);
  EXPECT_EQ(app.label("CONN", "TRY_CONNECT"), "Try to connect");

  app.front.clearPopups();
  app.dir.write("_loc_en_BX-ScopeV55.lwl", "[CONN]\nTRY_CONNECT = Half\nthis line has no equals sign\n");
  app.fireMenu("SETTINGS", "German");
  EXPECT_TRUE(app.sawPopup("Info", "Error Localizing Language File"));
  EXPECT_EQ(c.app.language, 0);
  EXPECT_EQ(app.label("CONN", "TRY_CONNECT"), "Try to connect");
}

TEST(AppLanguage, MissingFileAtStartUpIsReported) {
  App app;
  std::filesystem::remove(app.dir.file("_loc_en_BX-ScopeV55.lwl"));
  ASSERT_EQ(app.startOffline(), 0);
  EXPECT_TRUE(app.sawPopup("Info", "Error Localizing Language File"));
  EXPECT_EQ(app.label("CONN", "TRY_CONNECT"), "Try to connect");
}

TEST(AppHelp, RightClickShowsTheTextOfTheLanguageInForceBesideTheControl) {
  App app;
  ASSERT_EQ(app.startOffline(), 0);
  auto& c = *app.ctx;
  ui::CtlRef text = app.ref("HELP", "TEXT");
  c.ui.fire(c.refs.conn.comPort, ui::EVENT_RIGHT_CLICK);
  EXPECT_TRUE(app.panel("HELP").visible);
  EXPECT_EQ(c.ui.text(text),
            "SELECT COM-PORT:\nInput field to select a valid port number for the RS232 data-transfer.\n"
            "Valid COM: 1 ... 256");
  int left = app.panel("HELP").left, top = app.panel("HELP").top;
  // Beside the control: within the main panel's area, whose origin is the
  // help panel's too.
  EXPECT_GE(left, 0);
  EXPECT_GE(top, 0);
  EXPECT_LT(top, app.panel("MAIN").height);
  EXPECT_LT(left, app.panel("MAIN").width);
  c.ui.fire(c.refs.conn.comPort, ui::EVENT_RIGHT_CLICK);
  EXPECT_EQ(app.panel("HELP").left, left);
  EXPECT_EQ(app.panel("HELP").top, top);

  // A click on the help panel hides it.
  c.ui.firePanel(c.ui.findPanel("HELP"), ui::EVENT_LEFT_CLICK);
  EXPECT_FALSE(app.panel("HELP").visible);

  // Dimmed controls answer a right click too, and their own callback still
  // gets its events: the transport ring switches the form on commit.
  c.ui.fire(c.refs.conn.ipAddr, ui::EVENT_RIGHT_CLICK);
  EXPECT_EQ(c.ui.text(text).rfind("IP-ADDRESS:\n", 0), 0u);
  c.ui.setValue(c.refs.conn.comType, 1);
  c.ui.fire(c.refs.conn.comType, ui::EVENT_COMMIT);
  EXPECT_FALSE(c.ui.dimmed(c.refs.conn.ipAddr));
  EXPECT_TRUE(c.ui.dimmed(c.refs.conn.baudRate));

  app.fireMenu("SETTINGS", "German");
  c.ui.fire(c.refs.conn.tcpPort, ui::EVENT_RIGHT_CLICK);
  EXPECT_EQ(c.ui.text(text).rfind("AUSWAHL COM-PORT:\n", 0), 0u);
  EXPECT_NE(c.ui.text(text).find("Vorgabe-PORT: 5000"), std::string::npos);

  // A control without help leaves the panel as it was.
  HideHelp(c);
  c.ui.fire(c.refs.main.connected, ui::EVENT_RIGHT_CLICK);  // has help
  EXPECT_TRUE(app.panel("HELP").visible);
  HideHelp(c);
  ui::EventArgs none{c.ui.findPanel("HELP"), text.control, ui::EVENT_RIGHT_CLICK};
  EXPECT_FALSE(ShowHelp(c, none));
  EXPECT_FALSE(app.panel("HELP").visible);
}

TEST(AppHelp, EveryControlOfTheShellPagesHasHelpInBothLanguages) {
  App app;
  ASSERT_EQ(app.startOffline(), 0);
  LanguageData en, de;
  std::string error;
  ASSERT_TRUE(ParseLanguageFile(app.dir.file(kLanguageFileEn), en, error)) << error;
  ASSERT_TRUE(ParseLanguageFile(app.dir.file(kLanguageFileDe), de, error)) << error;
  for (const char* panel : {"MAIN", "CALIB", "TAB_SETT", "TAB_2P", "TAB_DIST", "REC", "SCOPE", "CONN"}) {
    for (const auto& c : app.panel(panel).controls) {
      std::string key = c.name + ".help";
      const std::string* e = en.find(panel, key);
      const std::string* d = de.find(panel, key);
      ASSERT_NE(e, nullptr) << panel << "." << c.name;
      ASSERT_NE(d, nullptr) << panel << "." << c.name;
      // A heading in capitals with a colon, then the text.
      EXPECT_NE(e->find(":\n"), std::string::npos) << panel << "." << c.name;
      EXPECT_NE(d->find(":\n"), std::string::npos) << panel << "." << c.name;
      EXPECT_EQ(en.find(panel, c.name) != nullptr, de.find(panel, c.name) != nullptr) << panel << "." << c.name;
    }
  }
  // Headings of the field help the product's help texts name, each on a
  // control of the calibration settings page, in both languages.
  for (const auto& [name, heading] : {std::pair{"CAL_RANGEBEG", "RANGE-TEACH-BEGIN:\n"},
                                      {"CAL_RANGEEND", "RANGE-TEACH-END:\n"},
                                      {"CAL_TRIGPIX", "MIN-TRIGGER-PIXEL:\n"},
                                      {"CAL_SPEED", "VIDEO-SPEED:\n"}}) {
    const std::string key = std::string(name) + ".help";
    const std::string* e = en.find("TAB_SETT", key);
    ASSERT_NE(e, nullptr) << name;
    EXPECT_EQ(e->rfind(heading, 0), 0u) << *e;
    EXPECT_NE(de.find("TAB_SETT", key), nullptr) << name;
  }

  // Every control with a help text has a tooltip: the heading line of its
  // help in the language in force and the hint to F1; the others none.
  auto expectTooltips = [&](const LanguageData& texts, const char* more) {
    int withHelp = 0;
    for (const auto& p : app.ctx->ui.panels) {
      for (const auto& c : p.controls) {
        const std::string* help = texts.find(p.name, c.name + ".help");
        if (help == nullptr || help->empty()) {
          EXPECT_EQ(c.tooltip, "") << p.name << "." << c.name;
          continue;
        }
        ++withHelp;
        std::string heading = help->substr(0, help->find('\n'));
        if (!heading.empty() && heading.back() == ':') heading.pop_back();
        EXPECT_EQ(c.tooltip, heading + "\n" + more) << p.name << "." << c.name;
      }
    }
    EXPECT_GT(withHelp, 100);
  };
  expectTooltips(en, "F1 for more");
  EXPECT_EQ(app.ctx->ui.at(app.ctx->refs.conn.comPort).tooltip, "SELECT COM-PORT\nF1 for more");
  app.fireMenu("SETTINGS", "German");
  expectTooltips(de, "F1 für mehr");
  EXPECT_EQ(app.ctx->ui.at(app.ctx->refs.conn.comPort).tooltip.rfind("AUSWAHL COM-PORT\n", 0), 0u);
}

TEST(AppSettings, ExitWritesTheSettingsAndEndsTheLoop) {
  App app;
  ASSERT_EQ(app.startOffline(), 0);
  auto& c = *app.ctx;
  c.ui.setValue(c.refs.conn.comPort, 7);
  c.ui.setValue(c.refs.conn.baudRate, 2);
  c.ui.comboInsertTop(c.refs.conn.ipAddr, "10.1.2.3", 10);
  app.fireMenu("SETTINGS", "English");  // German
  app.fireMenu("APPLICATION", "EXIT");
  EXPECT_TRUE(app.front.quitRequested());
  EXPECT_EQ(c.run.state, RUN_IDLE);
  EXPECT_EQ(c.link.abort, 1);
  files::AppSettings s;
  ASSERT_TRUE(files::ReadSettingsFile(c.app.settingsPath, s));
  EXPECT_EQ(s.comPort, 7);
  EXPECT_EQ(s.baudIndex, 2);
  EXPECT_EQ(s.language, 1);
  ASSERT_EQ(s.ipList.size(), 1u);
  EXPECT_EQ(s.ipList[0], "10.1.2.3");

  // The next start comes up as it was left.
  App again;
  again.dir.write("BX-SCOPE.ini", app.dir.read("BX-SCOPE.ini"));
  ASSERT_EQ(again.startOffline(), 0);
  EXPECT_EQ(again.ctx->ui.intValue(again.ctx->refs.conn.comPort), 7);
  EXPECT_EQ(again.ctx->app.language, 1);
  EXPECT_EQ(again.label("CONN", "TRY_CONNECT"), "Verbinden");
}

TEST(AppSettings, ClosingTheMainPanelActsAsExit) {
  App app;
  ASSERT_EQ(app.startOffline(), 0);
  ASSERT_FALSE(app.dir.exists("BX-SCOPE.ini"));
  app.ctx->ui.firePanel(app.ctx->ui.findPanel("MAIN"), ui::EVENT_CLOSE);
  EXPECT_TRUE(app.front.quitRequested());
  EXPECT_TRUE(app.dir.exists("BX-SCOPE.ini"));
}

TEST(AppSettings, FailedWriteIsReportedAndKeepsTheOldFile) {
  App app;
  const std::string old = "[CONNECTION]\nRS232 PORT = 3\n";
  app.dir.write("BX-SCOPE.ini", old);
  ASSERT_EQ(app.startOffline(), 0);
  int r;
  {
    FileSizeLimit limit(16);
    ASSERT_TRUE(limit.ok());
    r = WriteIniFile(*app.ctx, app.ctx->app.settingsPath);
  }
  EXPECT_EQ(r, -1);
  EXPECT_EQ(app.ctx->ui.text(app.ctx->refs.main.status).rfind("Settings file - Write error!", 0), 0u);
  EXPECT_EQ(app.dir.read("BX-SCOPE.ini"), old);
}

TEST(AppSettings, AcceptWritesTheFileAndShowsPageZero) {
  App app;
  ASSERT_EQ(app.startOffline(), 0);
  auto& c = *app.ctx;
  c.ui.setValue(c.refs.conn.comType, 1);
  c.ui.setText(c.refs.conn.ipAddr, "192.168.100.50");
  c.ui.setText(c.refs.conn.tcpPort, "5001");
  c.ui.fire(c.refs.conn.accept, ui::EVENT_COMMIT);
  EXPECT_EQ(c.ui.activePage(c.refs.main.tab), 0);
  files::AppSettings s;
  ASSERT_TRUE(files::ReadSettingsFile(c.app.settingsPath, s));
  EXPECT_EQ(s.linkType, 1);
  EXPECT_EQ(s.ipAddress, "192.168.100.50");
  EXPECT_EQ(s.tcpPort, "5001");
  EXPECT_EQ(s.language, 0);
}

TEST(AppMainPanel, TestButtonWhileRunningLeavesAPendingTest) {
  App app;
  ASSERT_EQ(app.startOffline(), 0);
  auto& c = *app.ctx;
  c.ui.setValue(c.refs.main.testField, 12);
  c.ui.fire(c.refs.main.test, ui::EVENT_LEFT_CLICK);
  EXPECT_EQ(c.ui.intValue(c.refs.main.testField), 0);
  c.run.state = RUN_LOOP;
  c.ui.fire(c.refs.main.test, ui::EVENT_COMMIT);
  EXPECT_TRUE(c.run.pending.has(PENDING_TEST));
  EXPECT_EQ(c.ui.text(c.refs.main.status), "TEST button pressed!");
}

TEST(AppMainPanel, RightDoubleClickResetsAndCentresTheMainPanel) {
  App app;
  ASSERT_EQ(app.startOffline(), 0);
  auto& c = *app.ctx;
  int h = c.ui.findPanel("MAIN");
  c.ui.panel(h).width = 500;
  c.ui.panel(h).maximized = true;
  c.app.screenWidth = 1600;
  c.app.screenHeight = 900;
  c.ui.firePanel(h, ui::EVENT_RIGHT_DOUBLE_CLICK);
  EXPECT_EQ(app.panel("MAIN").width, 1000);
  EXPECT_EQ(app.panel("MAIN").height, 680);
  EXPECT_EQ(app.panel("MAIN").left, 300);
  EXPECT_EQ(app.panel("MAIN").top, 110);
  EXPECT_FALSE(app.panel("MAIN").maximized);
}

TEST(AppMenus, ParameterFileEntriesReachTheParameterFile) {
  App app;
  ASSERT_EQ(app.startOffline(), 0);
  EXPECT_FALSE(app.menuItem("APPLICATION", "SAVE_CONFIG").dimmed);
  const std::string path = app.dir.file("Quellan-BXpara.ini");
  app.front.answerFile(ui::FILE_NEW, path);
  app.fireMenu("APPLICATION", "SAVE_CONFIG");
  EXPECT_TRUE(app.dir.exists("Quellan-BXpara.ini"));
  app.front.answerFile(ui::FILE_CANCEL, "");
  app.fireMenu("APPLICATION", "LOAD_CONFIG");
  EXPECT_EQ(app.ctx->status, "Parameter not read from file - ERROR!");
}

TEST(AppMenus, AboutAndManual) {
  App app;
  ASSERT_EQ(app.startOffline(), 0);
  app.fireMenu("HELP", "ABOUT");
  ASSERT_EQ(app.front.popups().size(), 1u);
  const auto& p = app.front.popups()[0];
  EXPECT_EQ(p.title, "Quellan-BX-Scope  Information ");
  EXPECT_EQ(p.text.rfind("Quellan-BX-Scope V5.5\nBuild: V5.5.0  02/Jun/2026\n\n", 0), 0u);
  EXPECT_TRUE(p.text.ends_with("\nThis software is compatible with Quellan-BX-K/N series hardware!"));
  EXPECT_FALSE(app.menuItem("HELP", "TRIMM").dimmed);  // the adjustment panel is loaded

  EXPECT_EQ(ManualPath(*app.ctx), app.dir.file("_man_en_BX-ScopeV55nn.pdf"));
  app.ctx->ident.hw.hwType = 822001;
  app.fireMenu("SETTINGS", "German");
  EXPECT_EQ(ManualPath(*app.ctx), app.dir.file("Quellan_BX_N_V5_de.pdf"));
}

}  // namespace
}  // namespace bx
