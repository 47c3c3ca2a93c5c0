// The connection page's controls against the simulator, through their
// callbacks as the operator would use them.
#include <gtest/gtest.h>

#include "link/transport.h"
#include "connection/conn_page.h"
#include "link/exchange.h"
#include "platform/clock.h"
#include "tests/link/link_fixture.h"
#include "support/use_language.h"

namespace bx {
namespace {

class ConnPage : public test::LinkTest {
 protected:
  void press(ui::CtlRef r) {
    ctx->ui.fire(r, ui::EVENT_LEFT_CLICK);
    ctx->ui.fire(r, ui::EVENT_COMMIT);
  }
  void usePty() {
    startSim();
    std::string path = sim->startPty();
    ASSERT_FALSE(path.empty());
    ctx->ui.setValue(ctx->refs.conn.comType, 0);
    ctx->ui.setValue(ctx->refs.conn.comPort, platform::comNumber(path));
    ctx->ui.setValue(ctx->refs.conn.baudRate, 4);
  }
  void useTcp() {
    startSim();
    int port = sim->startTcp(0);
    ctx->ui.setValue(ctx->refs.conn.comType, 1);
    ctx->ui.setText(ctx->refs.conn.ipAddr, "127.0.0.1");
    ctx->ui.setText(ctx->refs.conn.tcpPort, std::to_string(port));
  }
  const std::string& box() { return text(ctx->refs.conn.msgBox); }
};

TEST_F(ConnPage, ConnectAndDisconnectOverThePtyInGerman) {
  testing_lang::UseLanguage(*ctx, 1);
  usePty();
  press(ctx->refs.conn.tryConnect);
  EXPECT_EQ(text(ctx->refs.main.connected), "VERBUNDEN");
  EXPECT_EQ(box().rfind("VERBINDUNGSAUFBAU! ...\nRS232 öffne COM-Port - erfolgreich!\nEcho-Test - Leitung Ok!\n", 0), 0u)
      << box();
  EXPECT_FALSE(ctx->ui.dimmed(ctx->refs.conn.accept));
  EXPECT_TRUE(ctx->ui.visible(ctx->refs.main.comPortDisp));
  EXPECT_FALSE(ctx->ui.visible(ctx->refs.main.ipDisp));

  press(ctx->refs.conn.disconnect);
  EXPECT_EQ(text(ctx->refs.main.connected), "GETRENNT");
  EXPECT_EQ(ctx->ui.at(ctx->refs.main.connected).bgColor, ui::kRed);
  EXPECT_FALSE(SerialOpen(ctx->link));
  EXPECT_EQ(ctx->link.abort, 0);
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.main.get));
  EXPECT_NE(box().find("SENSOR GETRENNT!\n"), std::string::npos);
}

TEST_F(ConnPage, TcpFormDimsTheSerialControls) {
  useTcp();
  ctx->ui.fire(ctx->refs.conn.comType, ui::EVENT_COMMIT);
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.conn.baudRate));
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.conn.comPort));
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.conn.changeBaud));
  EXPECT_FALSE(ctx->ui.dimmed(ctx->refs.conn.ipAddr));
  press(ctx->refs.conn.tryConnect);
  EXPECT_EQ(text(ctx->refs.main.connected), "CONNECTED");
  EXPECT_TRUE(ctx->ui.visible(ctx->refs.main.ipDisp));
  EXPECT_EQ(text(ctx->refs.main.ipDisp), "127.0.0.1");
}

TEST_F(ConnPage, RecentAddressesMostRecentFirstWithoutDuplicates) {
  auto ip = ctx->refs.conn.ipAddr;
  for (int i = 1; i <= 11; ++i) {
    ctx->ui.setText(ip, "192.168.0." + std::to_string(i));
    ctx->ui.fire(ip, ui::EVENT_COMMIT);
  }
  ctx->ui.setText(ip, "192.168.0.4");
  ctx->ui.fire(ip, ui::EVENT_COMMIT);
  const auto& items = ctx->ui.at(ip).items;
  ASSERT_EQ(items.size(), 10u);
  EXPECT_EQ(items[0].label, "192.168.0.4");
  EXPECT_EQ(items[1].label, "192.168.0.11");
  EXPECT_EQ(items[9].label, "192.168.0.2");
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.conn.accept));
  EXPECT_EQ(ctx->link.ipAddress, "192.168.0.4");
}

TEST_F(ConnPage, ChangeBaudRateSwitchesSensorAndPortThenEchoes) {
  usePty();
  press(ctx->refs.conn.tryConnect);
  ASSERT_TRUE(SerialOpen(ctx->link));
  ctx->ui.setValue(ctx->refs.conn.baudRate, 6);
  press(ctx->refs.conn.changeBaud);
  EXPECT_EQ(sim->lastBaudIndex(), 6);
  EXPECT_TRUE(SerialOpen(ctx->link));
  EXPECT_EQ(ctx->link.baudIndex, 6);
  EXPECT_NE(box().find("Try to change baudrate...\nBaudrate-change OK!\nRS232 open com-port - successful!\nEcho Check - Line Ok!\n"),
            std::string::npos)
      << box();
}

TEST_F(ConnPage, RefusedBaudRateChangeLeavesThePortAsItWas) {
  usePty();
  press(ctx->refs.conn.tryConnect);
  ASSERT_TRUE(SerialOpen(ctx->link));
  sim->setFault(sim::Fault::Refuse, 1, 1);
  ctx->ui.setValue(ctx->refs.conn.baudRate, 2);
  press(ctx->refs.conn.changeBaud);
  EXPECT_EQ(ctx->status, "INVALIDE ORDER NUMBER!");
  EXPECT_TRUE(SerialOpen(ctx->link));
  EXPECT_EQ(ctx->link.baudIndex, 4);
  EXPECT_EQ(Exchange(*ctx, 0x05, 0), 1);
}

TEST_F(ConnPage, DisconnectDuringAWaitEndsItAtOnce) {
  useTcp();
  press(ctx->refs.conn.tryConnect);
  ASSERT_TRUE(TcpOpen(ctx->link));
  sim->setFault(sim::Fault::NoReply, 1);
  Context* c = ctx.get();
  frontend->schedule(0.1, [c] { c->ui.fire(c->refs.conn.disconnect, ui::EVENT_LEFT_CLICK); });
  double t0 = platform::Timer();
  EXPECT_EQ(Exchange(*ctx, 0x05, 0), -1);
  EXPECT_LT(platform::Timer() - t0, 0.5);
  EXPECT_EQ(text(ctx->refs.main.status), "DISCONNECTING ...");
  ctx->ui.fire(ctx->refs.conn.disconnect, ui::EVENT_COMMIT);
  EXPECT_FALSE(TcpOpen(ctx->link));
  EXPECT_EQ(ctx->link.abort, 0);
}

TEST_F(ConnPage, FindComPortsListsTheSimulatorsTerminal) {
  usePty();
  testing_lang::UseLanguage(*ctx, 1);
  ctx->ui.fire(ctx->refs.conn.findPorts, ui::EVENT_COMMIT);
  std::string expect = "COM" + std::to_string(platform::comNumber(sim->ptyPath())) + "  " + sim->ptyPath();
  EXPECT_NE(box().find("Verfügbare COM PORTS:\n"), std::string::npos) << box();
  EXPECT_NE(box().find(expect), std::string::npos) << box();
}

}  // namespace
}  // namespace bx
