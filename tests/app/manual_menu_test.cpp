// Help -> Quick-Start: the manual of the sensor and language in force goes
// to the desktop's open action (a recording double here); a missing file
// or no program to show it is said in the status line and a message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "app/menus.h"
#include "ui/headless.h"

namespace bx {
namespace {

using testing_app::App;

// The desktop's open action: records what it was asked to open and
// succeeds or fails as the test says.
struct OpenAction : ui::HeadlessFrontend {
  bool viewerPresent = true;
  std::vector<std::string> opened;
  bool openDocument(const std::string& path) override {
    opened.push_back(path);
    return viewerPresent;
  }
};

struct ManualMenu : ::testing::Test {
  OpenAction desktop;  // outlives the application that uses it
  App app;

  void SetUp() override {
    ASSERT_EQ(app.startOffline(), 0);
    app.ctx->ui.frontend = &desktop;
    for (const char* f : {"_man_en_BX-ScopeV55nn.pdf", "_man_de_BX-ScopeV55nn.pdf", "Quellan_BX_N_V5_en.pdf",
                          "Quellan_BX_N_V5_de.pdf"})
      app.dir.write(f, "%PDF-1.4\n");
  }
  const std::string& statusField() const { return app.ctx->ui.at(app.ref("MAIN", "STATUS")).text; }
  void quickStart() { app.fireMenu("HELP", "QUICKSTART"); }
};

TEST_F(ManualMenu, OpensTheFileOfTheSensorAndLanguageInForce) {
  quickStart();
  ASSERT_EQ(desktop.opened.size(), 1u);
  EXPECT_EQ(desktop.opened[0], app.dir.file("_man_en_BX-ScopeV55nn.pdf"));
  EXPECT_EQ(statusField(), "Quick-Start manual opened!");
  EXPECT_TRUE(desktop.popups().empty());

  app.fireMenu("SETTINGS", "German");
  quickStart();
  ASSERT_EQ(desktop.opened.size(), 2u);
  EXPECT_EQ(desktop.opened[1], app.dir.file("_man_de_BX-ScopeV55nn.pdf"));
  EXPECT_EQ(statusField(), "Schnellstart-Handbuch geöffnet!");

  // The N series has a manual of its own, in both languages.
  app.ctx->ident.hw.hwType = 822001;
  quickStart();
  app.fireMenu("SETTINGS", "English");  // German in force: switches to English
  quickStart();
  ASSERT_EQ(desktop.opened.size(), 4u);
  EXPECT_EQ(desktop.opened[2], app.dir.file("Quellan_BX_N_V5_de.pdf"));
  EXPECT_EQ(desktop.opened[3], app.dir.file("Quellan_BX_N_V5_en.pdf"));
  EXPECT_TRUE(desktop.popups().empty());
}

TEST_F(ManualMenu, AMissingFileIsSaidAndNothingIsOpened) {
  std::filesystem::remove(app.dir.file("_man_de_BX-ScopeV55nn.pdf"));
  app.fireMenu("SETTINGS", "German");
  quickStart();
  EXPECT_TRUE(desktop.opened.empty());
  EXPECT_EQ(statusField(), "Schnellstart-Handbuch nicht gefunden!");
  ASSERT_EQ(desktop.popups().size(), 1u);
  EXPECT_EQ(desktop.popups()[0].title, "I n f o !");
  EXPECT_EQ(desktop.popups()[0].text, "Schnellstart-Handbuch nicht gefunden!\n" + app.dir.file("_man_de_BX-ScopeV55nn.pdf"));

  // A folder of that name is no manual either.
  std::filesystem::create_directory(app.dir.file("_man_de_BX-ScopeV55nn.pdf"));
  quickStart();
  EXPECT_TRUE(desktop.opened.empty());
  EXPECT_EQ(desktop.popups().size(), 2u);
}

TEST_F(ManualMenu, NoViewerIsSaid) {
  desktop.viewerPresent = false;
  quickStart();
  ASSERT_EQ(desktop.opened.size(), 1u);
  EXPECT_EQ(statusField(), "No program could open the Quick-Start manual!");
  ASSERT_EQ(desktop.popups().size(), 1u);
  EXPECT_EQ(desktop.popups()[0].text,
            "No program could open the Quick-Start manual!\n" + app.dir.file("_man_en_BX-ScopeV55nn.pdf"));

  // Without a front-end at all (the command-line tool) there is no viewer.
  app.ctx->ui.frontend = nullptr;
  EXPECT_FALSE(OpenManual(*app.ctx));
  EXPECT_EQ(app.ctx->status, "No program could open the Quick-Start manual!");
  app.ctx->ui.frontend = &desktop;
}

}  // namespace
}  // namespace bx
