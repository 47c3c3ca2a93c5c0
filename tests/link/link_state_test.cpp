// What the operator is shown when the link fails or is refused or a serial
// port cannot be opened, and the connection page's buttons that act on the
// link actually open.
#include <algorithm>

#include "app/localize.h"
#include "app/main_panel.h"
#include "calib/xflash_record.h"
#include "files/settings_file.h"
#include "identify/catalogue.h"
#include "link/exchange.h"
#include "link/port_reason.h"
#include "link/transport.h"
#include "platform/serial_port.h"
#include "tests/support/port_holder.h"
#include "connection/conn_page.h"
#include "params/params_fixture.h"
#include "params/rules.h"
#include "params/transfer.h"

namespace bx::test {
namespace {

class LinkStateTest : public ParamsTest {
 protected:
  void failNext(sim::Fault fault, uint8_t order, int arg = 0) {
    sim::FaultRule rule;
    rule.fault = fault;
    rule.count = 1;
    rule.arg = arg;
    rule.order = order;
    sim->setFault(rule);
  }

  // The operator sees no usable sensor: indicator, sensor buttons, red texts.
  void expectShownDown() {
    const auto& m = ctx->refs.main;
    EXPECT_EQ(ctx->ui.text(m.connected), "DISCONNECTED");
    EXPECT_EQ(ctx->ui.at(m.connected).bgColor, ui::kRed);
    EXPECT_TRUE(ctx->ui.dimmed(m.send));
    EXPECT_TRUE(ctx->ui.dimmed(m.get));
    EXPECT_TRUE(ctx->ui.dimmed(m.run));
    EXPECT_EQ(ctx->ui.at(m.status).textColor, ui::kRed);
    EXPECT_EQ(ctx->link.identFailed, 1);
  }

  void expectShownUp() {
    ASSERT_EQ(ctx->ui.text(ctx->refs.main.connected), "CONNECTED");
    ASSERT_FALSE(ctx->ui.dimmed(ctx->refs.main.get));
    ASSERT_EQ(ctx->link.identFailed, 0);
  }
};

TEST_F(LinkStateTest, FailedOpenAfterAConnectionShowsDisconnected) {
  connectTcp();
  expectShownUp();
  sim->stop();  // nobody listens on the port any more
  EXPECT_EQ(ConnectProcedure(*ctx), -1);
  expectShownDown();
}

// A serial port that cannot be opened: "Cannot open port" stays, and the
// message box's next line says why and what to do, in the language in force.
TEST_F(LinkStateTest, PortThatCannotBeOpenedSaysWhyInTheMessageBox) {
  sim = std::make_unique<sim::Server>();
  const std::string pty = sim->startPty();
  ASSERT_FALSE(pty.empty());
  const std::string missing = testsupport::freePtyPath();
  const int com = platform::comNumber(missing);
  const std::string port = "COM" + std::to_string(com) + " (" + missing + ")";
  EXPECT_EQ(InitRS232(*ctx, com, 4), platform::SER_CANNOT_OPEN_PORT);
  EXPECT_EQ(ctx->status, "Cannot open port");
  const std::string box = ctx->ui.text(ctx->refs.conn.msgBox);
  const std::string reason = port + " is not present (unplugged, or named wrongly). Serial ports present now: ";
  EXPECT_NE(box.find("Cannot open port\n" + reason), std::string::npos) << box;
  EXPECT_NE(box.find(pty), std::string::npos) << box;
  EXPECT_EQ(ctx->link.openReason.rfind(reason, 0), 0u);

  // An open that works clears the reason.
  ASSERT_EQ(InitRS232(*ctx, platform::comNumber(pty), 4), 1);
  EXPECT_EQ(ctx->link.openReason, "");
  CloseLink(*ctx, true);

  std::string err;
  ASSERT_TRUE(ParseLanguageFile(LanguageFilePath(BX_RESOURCE_DIR, 1), ctx->app.texts, err)) << err;
  ctx->app.language = 1;
  ctx->ui.setText(ctx->refs.conn.msgBox, "");
  EXPECT_EQ(InitRS232(*ctx, com, 4), platform::SER_CANNOT_OPEN_PORT);
  EXPECT_NE(ctx->ui.text(ctx->refs.conn.msgBox)
                .find(port + " ist nicht vorhanden (abgesteckt oder falsch benannt). Jetzt vorhandene serielle Ports: "),
            std::string::npos)
      << ctx->ui.text(ctx->refs.conn.msgBox);
}

// Every reason and the removed adapter's message exist in both languages.
TEST_F(LinkStateTest, PortReasonsAreTranslated) {
  using platform::PortDiagnosis;
  using platform::PortHold;
  using platform::PortProblem;
  auto make = [](PortProblem p, unsigned mode, bool paper, bool session, PortHold hold, bool holders) {
    PortDiagnosis d;
    d.problem = p;
    d.device = "/dev/ttyUSB0";
    d.group = "dialout";
    d.gid = 20;
    d.mode = mode;
    d.user = "operator";
    d.memberOnPaper = paper;
    d.memberInSession = session;
    d.hold = hold;
    if (holders) d.holders = {{4711, "term"}};
    d.lockFile = "/var/lock/LCK..ttyUSB0";
    return d;
  };
  const PortDiagnosis cases[] = {
      make(PortProblem::NotPresent, 0, false, false, PortHold::Exclusive, false),
      make(PortProblem::NotPermitted, 0660, false, false, PortHold::Exclusive, false),
      make(PortProblem::NotPermitted, 0660, true, false, PortHold::Exclusive, false),
      make(PortProblem::NotPermitted, 0600, true, true, PortHold::Exclusive, false),
      make(PortProblem::NotPermitted, 0600, false, false, PortHold::Exclusive, false),
      make(PortProblem::InUse, 0, false, false, PortHold::Exclusive, true),
      make(PortProblem::InUse, 0, false, false, PortHold::Flock, false),
      make(PortProblem::InUse, 0, false, false, PortHold::LockFile, true),
      make(PortProblem::NotSerial, 0, false, false, PortHold::Exclusive, false),
  };
  std::vector<std::string> english;
  for (const auto& d : cases) english.push_back(SerialOpenReason(*ctx, d));
  english.push_back(AdapterRemovedText(*ctx, "/dev/ttyUSB0"));
  EXPECT_EQ(english[1], "COM33 (/dev/ttyUSB0) belongs to group dialout, and account operator is not a member of it. "
                        "Remedy: sudo usermod -aG dialout operator then log out and back in.");
  EXPECT_EQ(english[6], "COM33 (/dev/ttyUSB0) is in use: another program holds a lock (flock) on it: a program whose "
                        "process this account cannot see. Close it, then connect again.");
  EXPECT_EQ(english.back(), "SERIAL ADAPTER REMOVED: COM33 (/dev/ttyUSB0)!");
  std::string err;
  ASSERT_TRUE(ParseLanguageFile(LanguageFilePath(BX_RESOURCE_DIR, 1), ctx->app.texts, err)) << err;
  ctx->app.language = 1;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string german = SerialOpenReason(*ctx, cases[i]);
    EXPECT_NE(german, english[i]);
    EXPECT_EQ(german.find('%'), std::string::npos) << german;
    EXPECT_NE(german.find("/dev/ttyUSB0"), std::string::npos) << german;
  }
  EXPECT_EQ(AdapterRemovedText(*ctx, "/dev/ttyUSB0"), "SERIELLER ADAPTER ENTFERNT: COM33 (/dev/ttyUSB0)!");
  EXPECT_NE(SerialOpenReason(*ctx, cases[5]).find("term (Prozess 4711)"), std::string::npos);
}

TEST_F(LinkStateTest, RefusedSensorAfterAConnectionShowsDisconnected) {
  connectTcp();
  expectShownUp();
  sim::Config other;
  other.firmwareText = "Quellan-KV-12 V5.45";
  sim::Server sibling(other);
  ctx->link.tcpPort = sibling.startTcp(0);
  ASSERT_GT(ctx->link.tcpPort, 0);
  EXPECT_EQ(ConnectProcedure(*ctx), 0);
  EXPECT_EQ(status(), "Please use Quellan-KV-Scope software version!");
  expectShownDown();
  CloseLink(*ctx, true);
  sibling.stop();
}

TEST_F(LinkStateTest, LostTcpLinkShowsDisconnected) {
  connectTcp();
  expectShownUp();
  sim->stop();
  ctx->ui.fire(ctx->refs.main.test, ui::EVENT_COMMIT);
  EXPECT_FALSE(TcpOpen(ctx->link));
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.connected), "DISCONNECTED");
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.main.send));
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.main.get));
}

// The link has one port slot: opening a transport gives back what it held,
// so the serial port is free for other programs once TCP is in use, and the
// Disconnect button empties it whatever it held.
TEST_F(LinkStateTest, OpeningATransportReplacesWhatTheSlotHeld) {
  sim = std::make_unique<sim::Server>();
  const std::string pty = sim->startPty();
  ASSERT_FALSE(pty.empty());
  ASSERT_EQ(InitRS232(*ctx, platform::comNumber(pty), 4), 1) << ctx->status;
  ASSERT_TRUE(SerialOpen(ctx->link));
  ctx->link.ipAddress = "127.0.0.1";
  ctx->link.tcpPort = sim->startTcp(0);
  ASSERT_GT(ctx->link.tcpPort, 0);
  ASSERT_EQ(InitTCP_IP(*ctx), 1) << ctx->status;
  EXPECT_TRUE(TcpOpen(ctx->link));
  EXPECT_FALSE(SerialOpen(ctx->link));
  platform::SerialPort other;
  EXPECT_EQ(other.open(platform::comNumber(pty), 38400), 1) << "the serial port is still held";
  other.close();

  ctx->ui.fire(ctx->refs.conn.disconnect, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->link.port, nullptr);
  EXPECT_EQ(InitRS232(*ctx, platform::comNumber(pty), 4), 1) << ctx->status;
  ctx->ui.fire(ctx->refs.conn.disconnect, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->link.port, nullptr);
  EXPECT_EQ(OpenPort(*ctx), nullptr);
}

TEST_F(LinkStateTest, FailedBringUpStepsDimTheSensorButtons) {
  struct Case {
    uint8_t order;
    sim::Fault fault;
    int arg;
    const char* status;
  };
  const Case cases[] = {
      {0x07, sim::Fault::NoReply, 0, "Timeout/Error reading firmware-info!"},
      {0x0A, sim::Fault::NoReply, 0, "Error reading HARDWARE-info!"},
      {0x18, sim::Fault::NoReply, 0, "Error reading CALIBRATION-Data"},
      {0x18, sim::Fault::ShortPayload, 31, "Error reading CALIBRATION-Data"},
  };
  connectTcp();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    ASSERT_EQ(ConnectProcedure(*ctx), 1) << status();
    expectShownUp();
    failNext(c.fault, c.order, c.arg);
    EXPECT_EQ(ConnectProcedure(*ctx), 0);
    EXPECT_EQ(status(), c.status);
    expectShownDown();
  }
}

TEST_F(LinkStateTest, ShortCalibrationReplyIsAFailedReadOnBothTransports) {
  for (bool pty : {false, true}) {
    SCOPED_TRACE(pty ? "pty" : "tcp");
    if (pty) {
      CloseLink(*ctx, true);
      connectPty();
    } else {
      connectTcp();
    }
    uint8_t dest[32];
    std::fill(std::begin(dest), std::end(dest), 0xAB);
    failNext(sim::Fault::ShortPayload, 0x18, 20);
    EXPECT_EQ(ReadCalibDataFromXF(*ctx, dest, 32), -1);
    EXPECT_EQ(status().rfind("XFlash-Read-Error:", 0), 0u) << status();
    EXPECT_TRUE(std::all_of(std::begin(dest), std::end(dest), [](uint8_t b) { return b == 0xAB; }));
    // A whole record still reads.
    EXPECT_EQ(ReadCalibDataFromXF(*ctx, dest, 32), 1);
    EXPECT_EQ(status(), "Read XFLASH-ADDR: 0x8400 ... Bytes OK: 32");
  }
}

TEST_F(LinkStateTest, AcceptSettingsStoresTheOpenTcpLink) {
  ctx->app.settingsPath = tempDir() + "/BX-SCOPE.ini";
  connectTcp();
  const auto& c = ctx->refs.conn;
  // The operator types a port: Accept is dimmed until a connect succeeds,
  // over TCP as over RS-232.
  ctx->ui.setText(c.tcpPort, std::to_string(ctx->link.tcpPort));
  ctx->ui.fire(c.tcpPort, ui::EVENT_COMMIT);
  EXPECT_TRUE(ctx->ui.dimmed(c.accept));
  ctx->ui.setValue(c.comType, TRANSPORT_TCP);
  ctx->ui.setText(c.ipAddr, "127.0.0.1");
  ctx->ui.fire(c.tryConnect, ui::EVENT_COMMIT);
  ASSERT_EQ(ctx->ui.text(ctx->refs.main.connected), "CONNECTED");
  EXPECT_FALSE(ctx->ui.dimmed(c.accept));

  // The ring is turned to RS-232 while the TCP link stays open.
  ctx->ui.setValue(c.comType, TRANSPORT_RS232);
  ctx->ui.fire(c.comType, ui::EVENT_COMMIT);
  EXPECT_TRUE(ctx->ui.dimmed(c.changeBaud));
  ctx->ui.fire(c.accept, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->link.transport, TRANSPORT_TCP);
  files::AppSettings saved;
  ASSERT_TRUE(files::ReadSettingsFile(ctx->app.settingsPath, saved));
  EXPECT_EQ(saved.linkType, TRANSPORT_TCP);
  EXPECT_EQ(saved.tcpPort, std::to_string(ctx->link.tcpPort));
  EXPECT_EQ(saved.ipAddress, "127.0.0.1");

  // Even reached past the dimming, the baud-rate change opens no port.
  CC_CBTNChangeBaudRate(*ctx, ui::EventArgs{0, 0, ui::EVENT_COMMIT, 0, 0});
  EXPECT_EQ(sim->requestCount(0xBE), 0);
  EXPECT_FALSE(SerialOpen(ctx->link));
  EXPECT_TRUE(TcpOpen(ctx->link));
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), "Change baudrate: no open RS-232 connection!");

  // Once the TCP link is closed the ring's RS-232 form applies again.
  ctx->ui.fire(c.disconnect, ui::EVENT_COMMIT);
  EXPECT_FALSE(ctx->ui.dimmed(c.changeBaud));
}

TEST_F(LinkStateTest, RefreshThresholdGoesThroughTheEepromThresholdWrite) {
  connectTcp();
  ctx->ui.setValue(ctx->para.p2.vthd, 40);
  fe->setDefaultConfirm(true);
  std::string duringPause;
  std::function<void()> watch = [&] {
    if (sim->requestCount(0x0E) == 1 && sim->requestCount(9) == 0 && ctx->run.linkHeld > 0)
      duringPause = ctx->ui.text(ctx->refs.main.status);
    else if (duringPause.empty())
      fe->schedule(0.005, watch);
  };
  fe->schedule(0.005, watch);
  CC_PICBTNRefreshVTHD(*ctx, ui::EventArgs{0, 0, ui::EVENT_COMMIT, 0, 0});
  EXPECT_EQ(duringPause, "SAVE video-threshold to EEPROM ... -> Ok!");
  EXPECT_EQ(sim->lastRequest(0x0E).param, 40);
  EXPECT_EQ(sim->lastRequest(9).param, 1);

  failNext(sim::Fault::NoReply, 0x0E);
  CC_PICBTNRefreshVTHD(*ctx, ui::EventArgs{0, 0, ui::EVENT_COMMIT, 0, 0});
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), "VTHD-Write-Error:Timeout TCP-Server-error!");
  EXPECT_EQ(sim->requestCount(9), 1);  // no profile fetched after a failed write
}

TEST_F(LinkStateTest, CalibrationPageOffersEveryTypeWithDefaults) {
  const auto ring = ctx->refs.calib.hwType;
  const auto& items = ctx->ui.at(ring).items;
  for (uint32_t type : {803702u, 803704u, 803703u, 803705u, 803217u, 803218u, 803219u}) {
    SCOPED_TRACE(type);
    ASSERT_TRUE(std::any_of(items.begin(), items.end(), [&](const ui::Item& it) { return it.value == type; }));
    const auto d = catalogue::defaultsFor(type);
    ASSERT_TRUE(d.known);
    ctx->ui.setValue(ring, type);
    ctx->ui.fire(ring, ui::EVENT_COMMIT);
    EXPECT_EQ(ctx->ui.value(ctx->refs.calib.range), d.rangeUm);
    EXPECT_EQ(ctx->ui.value(ctx->refs.calib.xfSize), d.xfSize);
    EXPECT_EQ(field32(param::UM_END), d.umEnd);
  }
}

}  // namespace
}  // namespace bx::test
