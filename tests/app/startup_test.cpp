// Start-up and shutdown of the whole tool against real files in a temp
// project directory and the simulator on loopback TCP.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "app/app_fixture.h"
#include "sim/server.h"

namespace bx {
namespace {

using testing_app::App;
using testing_app::tcpSettings;

// A loopback port that nobody listens on: bound, then closed again.
int closedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  int port = -1;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  ::close(fd);
  return port;
}

TEST(AppStartup, WithoutSettingsStartsInEnglishOnRs232DefaultsOnTheConnectionPage) {
  App app;
  ASSERT_EQ(app.startOffline(), 0);
  auto& c = *app.ctx;
  EXPECT_EQ(c.app.language, 0);
  EXPECT_EQ(c.link.transport, TRANSPORT_RS232);
  EXPECT_EQ(c.link.comPort, 1);
  EXPECT_EQ(c.link.baudIndex, 4);
  EXPECT_EQ(c.ui.intValue(c.refs.conn.comType), 0);
  EXPECT_EQ(c.ui.intValue(c.refs.conn.comPort), 1);
  EXPECT_EQ(c.ui.intValue(c.refs.conn.baudRate), 4);
  EXPECT_EQ(c.ui.text(c.refs.conn.tcpPort), "5000");
  EXPECT_EQ(c.ui.text(c.refs.conn.ipAddr), "");
  EXPECT_EQ(c.ui.activePage(c.refs.main.tab), 7);
  // RS-232 form: the TCP fields dimmed, the COM display shown.
  EXPECT_TRUE(c.ui.dimmed(c.refs.conn.ipAddr));
  EXPECT_FALSE(c.ui.dimmed(c.refs.conn.baudRate));
  EXPECT_TRUE(c.ui.visible(c.refs.main.comPortDisp));
  EXPECT_FALSE(c.ui.visible(c.refs.main.ipDisp));
  EXPECT_EQ(c.ui.text(c.refs.main.langFlag), "flag-gb.ico");
  EXPECT_TRUE(app.menuItem("SETTINGS", "English").checked);
  EXPECT_FALSE(app.menuItem("SETTINGS", "German").checked);
  EXPECT_EQ(app.label("CONN", "TRY_CONNECT"), "Try to connect");
  EXPECT_TRUE(app.front.popups().empty());
  EXPECT_EQ(c.run.state, RUN_IDLE);
  EXPECT_EQ(c.calib.locked, 1);
  EXPECT_TRUE(app.panel("MAIN").visible);
  EXPECT_FALSE(app.panel("HELP").visible);
  EXPECT_EQ(c.ui.text(c.ui.find("MAIN", "TITLE")), "Quellan-BX-Scope ");
  EXPECT_EQ(c.ui.text(c.ui.find("MAIN", "VERSION")), "V5.5");
}

TEST(AppStartup, UnreachableSensorLeavesTheToolOnTheConnectionPage) {
  App app;
  int port = closedPort();
  ASSERT_GT(port, 0);
  app.dir.write("BX-SCOPE.ini", tcpSettings(port));
  ASSERT_EQ(app.startOnline(), 0);
  EXPECT_EQ(app.ctx->ui.activePage(app.ctx->refs.main.tab), 7);
  EXPECT_EQ(app.ctx->ui.text(app.ctx->refs.main.connected), "DISCONNECTED");
  EXPECT_TRUE(app.ctx->ui.dimmed(app.ctx->refs.main.run));
}

TEST(AppStartup, SettingsNamingTheSimulatorStartConnectedOnPageZero) {
  sim::Server server;
  int port = server.startTcp(0);
  ASSERT_GT(port, 0);
  App app;
  app.dir.write("BX-SCOPE.ini", tcpSettings(port, "[LANGUAGE]\nLanguage = 1\n"));
  ASSERT_EQ(app.startOnline(), 0);
  auto& c = *app.ctx;
  EXPECT_EQ(c.ui.activePage(c.refs.main.tab), 0);
  EXPECT_EQ(c.app.activePage, 0);
  EXPECT_EQ(c.link.tcpConnected, 1);
  EXPECT_EQ(c.ui.text(c.refs.main.connected), "VERBUNDEN");
  EXPECT_FALSE(c.ui.dimmed(c.refs.main.get));
  EXPECT_FALSE(c.ui.dimmed(c.refs.main.send));
  // Controls whose function this build lacks stay dimmed after a connect.
  EXPECT_EQ(c.ui.dimmed(c.refs.main.run), !c.ui.at(c.refs.main.run).callbackBound);
  EXPECT_EQ(c.ui.text(c.refs.conn.ipAddr), "127.0.0.1");
  EXPECT_TRUE(c.ui.visible(c.refs.main.ipDisp));
  EXPECT_TRUE(c.ui.dimmed(c.refs.conn.baudRate));
  // The stored language is in force.
  EXPECT_EQ(c.app.language, 1);
  EXPECT_EQ(c.ui.text(c.refs.main.langFlag), "flag-de.ico");
  EXPECT_EQ(app.label("CONN", "TRY_CONNECT"), "Verbinden");

  // The test button: press clears, release sends the test order at once.
  c.ui.fire(c.refs.main.test, ui::EVENT_LEFT_CLICK);
  EXPECT_EQ(c.ui.text(c.refs.main.status), "TEST-Taste gedrückt!");
  int echoes = server.requestCount(5);
  c.ui.fire(c.refs.main.test, ui::EVENT_COMMIT);
  EXPECT_EQ(c.status, "GET LINE OK from sensor ... -> Ok!");
  EXPECT_EQ(server.requestCount(5), echoes + 1);

  AppShutdown(c);
  EXPECT_EQ(c.link.tcpConnected, 0);
}

TEST(AppStartup, StoredAddressesFillTheAddressList) {
  App app;
  app.dir.write("BX-SCOPE.ini",
                "[IP ADDRESSES]\nLIST ITEMS = 3\nIP ADDR 1 = \"10.0.0.1\"\nIP ADDR 2 = \"10.0.0.2\"\n"
                "IP ADDR 3 = \"192.168.100.50\"\n[APPLICATION]\nPanel max = 0\nPanel pos. x = 40\n"
                "Panel pos. y = 30\nPanel width  = 1100\nPanel height = 700\nGUI mmButtonState = 1\n"
                "MAX/MIN State = 1\n");
  ASSERT_EQ(app.startOffline(), 0);
  const auto& items = app.ctx->ui.at(app.ctx->refs.conn.ipAddr).items;
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].label, "10.0.0.1");
  EXPECT_EQ(items[1].label, "10.0.0.2");
  EXPECT_EQ(items[2].label, "192.168.100.50");
  const ui::Panel& main = app.panel("MAIN");
  EXPECT_EQ(main.left, 40);
  EXPECT_EQ(main.top, 30);
  EXPECT_EQ(main.width, 1100);
  EXPECT_EQ(main.height, 700);
  EXPECT_FALSE(main.maximized);
  EXPECT_EQ(app.ctx->params.unitMm, 1);
  EXPECT_EQ(app.ctx->ui.intValue(app.ctx->refs.main.mmSwitch), 1);
  EXPECT_EQ(app.ctx->app.maxMinState, 1);
  EXPECT_TRUE(app.ctx->ui.visible(app.ctx->ui.find("VIDEO", "MAXVAL")));
}

TEST(AppStartup, BrokenOrMissingResourceFailsBeforeAnythingIsShown) {
  {
    App app;
    app.dir.write("Quellan-BX-ScopeV55.uir", "panel MAIN id=3\nbogus-kind X at=0,0\n");
    std::string error;
    EXPECT_EQ(AppStartup(*app.ctx, error, app.dir.path(), StartOptions{false}), -1);
    EXPECT_NE(error.find("Quellan-BX-ScopeV55.uir"), std::string::npos) << error;
    EXPECT_TRUE(app.front.popups().empty());
  }
  {
    App app;
    std::filesystem::remove(app.dir.file("Quellan-BX-ScopeV55.uir"));
    std::string error;
    EXPECT_EQ(AppStartup(*app.ctx, error, app.dir.path(), StartOptions{false}), -1);
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
  }
  {
    // A resource without the controls the core needs.
    App app;
    app.dir.write("Quellan-BX-ScopeV55.uir", "panel MAIN id=3\ntext STATUS at=0,0\n");
    std::string error;
    EXPECT_EQ(AppStartup(*app.ctx, error, app.dir.path(), StartOptions{false}), -1);
    EXPECT_NE(error.find("missing controls"), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace bx
