// Bring-up against the simulator: the family and firmware-version gate,
// the hardware record, the model and the calibration record.
#include <gtest/gtest.h>

#include "app/localize.h"
#include "wire/calib_record.h"
#include "link/transport.h"
#include "connection/identify.h"
#include "tests/link/link_fixture.h"
#include "wire/calib_record.h"

namespace bx {
namespace {

class BringUp : public test::LinkTest {
 protected:
  int connectTcp(const sim::Config& cfg) {
    startSim(cfg);
    configureTcp();
    return ConnectProcedure(*ctx);
  }
  std::vector<std::string> messages() {
    std::vector<std::string> out;
    for (const auto& p : frontend->popups())
      if (p.kind == "message") out.push_back(p.title + "|" + p.text);
    return out;
  }
};

TEST_F(BringUp, CompatibleSensorConnectsOverTcp) {
  sim::Config cfg;
  cfg.firmwareVersion = 545;
  ASSERT_EQ(connectTcp(cfg), 1) << ctx->status;
  EXPECT_EQ(text(ctx->refs.main.connected), "CONNECTED");
  EXPECT_EQ(ctx->status, cfg.firmwareText);
  EXPECT_NE(text(ctx->refs.conn.msgBox).find(cfg.firmwareText + "\nSerial-No: #1234\n"), std::string::npos);
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(ctx->link.identFailed, 0);
  EXPECT_FALSE(ctx->ui.dimmed(ctx->refs.main.get));
  EXPECT_TRUE(ctx->ident.distanceCalibPageVisible);
  EXPECT_EQ(ctx->ident.model.designation, "Quellan-BX-28-K");
  EXPECT_DOUBLE_EQ(ctx->ident.model.umPerPixel, 1.75);
  EXPECT_EQ(text(ctx->refs.main.designation), "Quellan-BX-28-K");
}

TEST_F(BringUp, CompatibleSensorConnectsOverThePty) {
  startSim();
  configurePty();
  ASSERT_EQ(ConnectProcedure(*ctx), 1) << ctx->status;
  EXPECT_EQ(text(ctx->refs.main.connected), "CONNECTED");
  EXPECT_FALSE(ctx->ui.dimmed(ctx->refs.conn.accept));
}

TEST_F(BringUp, Firmware510IsRefusedWithTheV51Texts) {
  sim::Config cfg;
  cfg.firmwareVersion = 510;
  EXPECT_EQ(connectTcp(cfg), 0);
  EXPECT_EQ(ctx->status, "Please use Quellan-BX-Scope software version V5.1 !");
  auto m = messages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0], "Attention !!!|Incompatible or older firmware detected!\nPlease use Quellan-BX-Scope software version V5.1 !");
  EXPECT_EQ(ctx->link.identFailed, 1);
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.main.send));
  EXPECT_NE(text(ctx->refs.main.connected), "CONNECTED");
}

TEST_F(BringUp, Version540HidesTheDistancePageAnd525WarnsButConnects) {
  sim::Config cfg;
  cfg.firmwareVersion = 540;
  ASSERT_EQ(connectTcp(cfg), 1);
  EXPECT_FALSE(ctx->ident.distanceCalibPageVisible);
  const auto& pages = ctx->ui.at(ctx->refs.calib.tabCalib).pages;
  EXPECT_FALSE(ctx->ui.panel(pages[2]).visible);

  makeContext();
  sim.reset();
  cfg.firmwareVersion = 525;
  ASSERT_EQ(connectTcp(cfg), 1);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_NE(messages()[0].find("V5.2 !"), std::string::npos);
}

TEST_F(BringUp, SiblingFamilyIsRefusedBeforeTheHardwareRequest) {
  sim::Config cfg;
  cfg.firmwareText = "Quellan-KV-20 V5.45";
  EXPECT_EQ(connectTcp(cfg), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "Attention !!!|Incompatible hardware detected!\nPlease use Quellan-KV-Scope software version!");
  EXPECT_EQ(sim->requestCount(0x0A), 0);
  EXPECT_EQ(ctx->status, "Please use Quellan-KV-Scope software version!");
}

TEST_F(BringUp, UnknownFamilyGetsNoMessage) {
  sim::Config cfg;
  cfg.firmwareText = "Quellan-QDR-1 V1.00";
  EXPECT_EQ(connectTcp(cfg), 0);
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(ctx->status, "Quellan-QDR-1 V1.00");
}

TEST_F(BringUp, TarnisTooNewShowsBothMessages) {
  sim::Config cfg;
  cfg.firmwareText = "Tarnis-T2-28 V5.51";
  cfg.firmwareVersion = 551;
  EXPECT_EQ(connectTcp(cfg), 0);
  auto m = messages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0], "Attention !!!|Velmar Tarnis-TOOL firmware-version detected!\nPlease use Tarnis-TOOL software!");
  EXPECT_EQ(m[1],
            "Attention !!!|Incompatible or newer firmware detected!\nPlease use Tarnis-T2-Tool-Scope software version newer than V5.5 !");
  EXPECT_EQ(ctx->status, "Please use Tarnis-T2-Tool-Scope software newer than V5.5 !");
}

TEST_F(BringUp, EmptyFirmwareTextEndsBringUp) {
  sim::Config cfg;
  cfg.firmwareText = "";
  EXPECT_EQ(connectTcp(cfg), 0);
  EXPECT_EQ(ctx->status, "Timeout/Error reading firmware-info!");
}

TEST_F(BringUp, LongFirmwareTextIsCutTo72) {
  sim::Config cfg;
  cfg.firmwareText = "Quellan-BX-28-K " + std::string(100, 'x');
  ASSERT_EQ(connectTcp(cfg), 1);
  EXPECT_EQ(std::string(ctx->link.fwInfo).size(), 72u);
}

TEST_F(BringUp, SmallSubPixelCountIsRaisedTo256) {
  sim::Config cfg;
  cfg.subPixelCount = 100;
  ASSERT_EQ(connectTcp(cfg), 1);
  EXPECT_EQ(ctx->ident.hw.subPixel, 256);
  EXPECT_EQ(ctx->ident.model.samplePixels[3], 3.0);
}

TEST_F(BringUp, EchoFailureDimsAndShowsTheConnectionPage) {
  startSim();
  configureTcp();
  ctx->link.replyTimeout = 0.2;
  sim->setFault(sim::Fault::NoReply, 1);
  EXPECT_EQ(ConnectProcedure(*ctx), 0);
  EXPECT_EQ(ctx->status, "read error - not sync byte 0x55!");
  EXPECT_EQ(ctx->ui.activePage(ctx->refs.main.tab), 7);
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.conn.accept));
  EXPECT_EQ(text(ctx->refs.main.connected), "DISCONNECTED");
}

TEST_F(BringUp, TransportThatDoesNotOpen) {
  ctx->link.transport = TRANSPORT_RS232;
  ctx->link.comPort = 0;
  EXPECT_EQ(ConnectProcedure(*ctx), -1);
  EXPECT_EQ(ctx->status, "Invalid port number");
  EXPECT_FALSE(SerialOpen(ctx->link));
  ctx->link.comPort = 64;  // a USB adapter that is not plugged in
  EXPECT_EQ(ConnectProcedure(*ctx), -1);
  EXPECT_EQ(ctx->status, "Cannot open port");
  ctx->link.transport = TRANSPORT_TCP;
  ctx->link.ipAddress = "127.0.0.1";
  ctx->link.tcpPort = 1;  // nothing listens there
  EXPECT_EQ(ConnectProcedure(*ctx), -1);
  EXPECT_EQ(ctx->status, "FailedToConnect");
  EXPECT_EQ(ctx->link.identFailed, 1);
  // In German the status line and the message box speak German.
  ctx->app.resourceDir = BX_RESOURCE_DIR;
  SetLanguage(*ctx, 1);
  ctx->ui.setText(ctx->refs.conn.msgBox, "");
  EXPECT_EQ(ConnectProcedure(*ctx), -1);
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), "Verbindungsaufbau fehlgeschlagen");
  EXPECT_NE(ctx->ui.text(ctx->refs.conn.msgBox).find("Verbindungsaufbau fehlgeschlagen"), std::string::npos);
  ctx->link.transport = TRANSPORT_RS232;
  EXPECT_EQ(ConnectProcedure(*ctx), -1);
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), "Port kann nicht geöffnet werden");
}

TEST_F(BringUp, WorkingRangeOfCalibratedModelsComesFromThisRecord) {
  sim::Config cfg;
  cfg.boardCode = 402140;
  cfg.hardwareType = 800000;
  cfg.pixelCount = 12288;
  cfg.subPixelCount = 12288;
  cfg.calib.hardwareType = 800000;
  cfg.calib.slopeX16384 = 130048;  // 7.9375 µm per pixel
  ASSERT_EQ(connectTcp(cfg), 1) << ctx->status;
  EXPECT_NEAR(ctx->ident.model.workingRangeMm, 7.9375 * 12288 / 1000.0, 1e-9);
}

}  // namespace
}  // namespace bx
