// The connection page's controls against the simulator, through their
// callbacks as the operator would use them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>

#include "app/message_sink.h"
#include "link/transport.h"
#include "connection/conn_page.h"
#include "connection/link_area.h"
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

// Every text the operator was shown is kept once, with its time, in the
// language it was shown in: status texts, message-box lines and pop-ups.
TEST_F(ConnPage, TheMessageLogKeepsEveryTextOnceWithItsTime) {
  testing_lang::UseLanguage(*ctx, 1);
  usePty();
  press(ctx->refs.conn.tryConnect);
  ASSERT_TRUE(SerialOpen(ctx->link));
  ctx->ui.message("Titel", "Zwei\nZeilen");
  press(ctx->refs.conn.disconnect);

  const auto& lines = ctx->messageLog.lines;
  ASSERT_FALSE(lines.empty());
  const std::regex time("[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\\.[0-9]{3}");
  auto count = [&](LogKind kind, const std::string& text) {
    int n = 0;
    for (const LogLine& l : lines) {
      EXPECT_TRUE(std::regex_match(l.time, time)) << l.time;
      if (l.kind == kind && l.text == text) ++n;
    }
    return n;
  };
  // A status that also went to the message box is one line, not two.
  EXPECT_EQ(count(LogKind::Status, "Echo-Test - Leitung Ok!"), 1);
  EXPECT_EQ(count(LogKind::MessageBox, "Echo-Test - Leitung Ok!"), 0);
  // Status field and message box at once: one event, one line.
  EXPECT_EQ(count(LogKind::Status, "SENSOR GETRENNT!") + count(LogKind::MessageBox, "SENSOR GETRENNT!"), 1);
  EXPECT_EQ(count(LogKind::Popup, "Titel: Zwei"), 1);
  EXPECT_EQ(count(LogKind::Popup, "Zeilen"), 1);
  // Every line of the message box is in the log.
  const std::string shown = box();
  size_t at = 0;
  while (at < shown.size()) {
    const size_t lf = shown.find('\n', at);
    const std::string line = shown.substr(at, lf == std::string::npos ? std::string::npos : lf - at);
    if (!line.empty()) {
      EXPECT_EQ(count(LogKind::Status, line) + count(LogKind::MessageBox, line) > 0, true) << line;
    }
    if (lf == std::string::npos) break;
    at = lf + 1;
  }
}

// The log stays bounded however long the session, keeps the newest lines
// and cuts an endless one; the pane, the clipboard and a saved file all
// get the same "time  text" lines.
TEST_F(ConnPage, TheMessageLogIsBoundedAndGoesToThePaneTheClipboardAndAFile) {
  const size_t max = MessageLog::kMaxLines;
  for (size_t i = 0; i < max + 250; ++i) AddLogLines(*ctx, LogKind::Status, "line " + std::to_string(i) + "\n\n");
  AddLogLines(*ctx, LogKind::Status, std::string(MessageLog::kMaxLineChars * 3, 'x'));
  const MessageLog& log = ctx->messageLog;
  ASSERT_EQ(log.lines.size(), max);
  EXPECT_EQ(log.added, max + 251);
  EXPECT_EQ(log.lines.front().text, "line 251");
  EXPECT_EQ(log.lines.back().text.size(), MessageLog::kMaxLineChars);

  int m = -1, i = -1;
  ASSERT_TRUE(ctx->ui.findMenuItem("VIEW", "MESSAGE_LOG", m, i));
  EXPECT_FALSE(ctx->ui.panel(ctx->refs.log.panel).visible);  // hidden until asked for
  ctx->ui.fireMenu(m, i);
  EXPECT_TRUE(ctx->ui.panel(ctx->refs.log.panel).visible);
  EXPECT_TRUE(ctx->ui.menuBar.menus[static_cast<size_t>(m)].items[static_cast<size_t>(i)].checked);
  ReportStatusText(*ctx, "Data-Transfer Stopped!");
  const std::string& pane = text(ctx->refs.log.text);
  EXPECT_LE(pane.size(), 64u * 1024);
  EXPECT_EQ(pane.substr(pane.size() - 25), "  Data-Transfer Stopped!\n");

  ctx->ui.fire(ctx->refs.log.copy, ui::EVENT_COMMIT);
  const std::string all = MessageLogText(log);
  EXPECT_EQ(frontend->copied(), all);
  EXPECT_EQ(all.compare(0, 12, log.lines.front().time), 0);
  const std::string first = "  " + log.lines.front().text + "\n";
  EXPECT_EQ(all.compare(12, first.size(), first), 0);

  char folder[] = "/tmp/bx_log_test_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string path = std::string(folder) + "/log.txt";
  frontend->answerFile(ui::FILE_NEW, path);
  ctx->ui.fire(ctx->refs.log.save, ui::EVENT_COMMIT);
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), all);
  // An existing file is replaced only when the operator says so.
  frontend->answerFile(ui::FILE_EXISTING, path);
  frontend->answerConfirm(false);
  ReportStatusText(*ctx, "one more");
  ctx->ui.fire(ctx->refs.log.save, ui::EVENT_COMMIT);
  std::ifstream again(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), all);
  std::remove(path.c_str());
  ::rmdir(folder);

  ctx->ui.fire(ctx->refs.log.close, ui::EVENT_COMMIT);
  EXPECT_FALSE(ctx->ui.panel(ctx->refs.log.panel).visible);
  EXPECT_FALSE(ctx->ui.menuBar.menus[static_cast<size_t>(m)].items[static_cast<size_t>(i)].checked);
}

// The link area names the carrier and the state, keeps the last failure
// with its reason after later successes, and the progress of a connect
// comes and goes with its cancel button.
TEST_F(ConnPage, TheLinkAreaFollowsTheConversation) {
  useTcp();
  EXPECT_EQ(LinkAreaText(*ctx).find(" - disconnected"), LinkAreaText(*ctx).size() - 15);
  static std::vector<std::string> seen;
  seen.clear();
  static void (*shown)(Context&) = nullptr;
  shown = ctx->report.progress;
  ctx->report.progress = [](Context& c) {
    shown(c);
    seen.push_back(c.ui.text(c.refs.status.progress) + (c.ui.dimmed(c.refs.status.cancel) ? "" : " [cancel]"));
  };
  press(ctx->refs.conn.tryConnect);
  ASSERT_TRUE(TcpOpen(ctx->link));
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front().rfind("Connecting to the sensor ... - 0.0 s [cancel]", 0), 0u) << seen.front();
  EXPECT_EQ(seen.back(), "");
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.status.cancel));
  const std::string where = "TCP 127.0.0.1:" + text(ctx->refs.conn.tcpPort);
  EXPECT_EQ(text(ctx->refs.status.link), where + " - connected");
  EXPECT_EQ(text(ctx->refs.status.lastFailure), "");

  ctx->link.replyTimeout = 0.2;
  ctx->link.tcpTimeoutMs = 200;
  sim->setFault(sim::Fault::NoReply, 1);
  EXPECT_EQ(Exchange(*ctx, 0x05, 0), -1);
  EXPECT_EQ(text(ctx->refs.status.link), where + " - no reply");
  const std::string failed = text(ctx->refs.status.lastFailure);
  EXPECT_NE(failed.find("  No reply: the sensor is silent"), std::string::npos) << failed;
  EXPECT_EQ(Exchange(*ctx, 0x05, 0), 1);
  EXPECT_EQ(text(ctx->refs.status.link), where + " - connected");
  EXPECT_EQ(text(ctx->refs.status.lastFailure), failed);  // kept after the success

  testing_lang::UseLanguage(*ctx, 1);
  press(ctx->refs.conn.disconnect);
  EXPECT_EQ(text(ctx->refs.status.link), where + " - getrennt");
}

// Cancel ends what may be ended and lowers the abort flag it raised; an
// operation begun inside another shows while it runs, then the outer one.
TEST_F(ConnPage, ProgressNestsAndCancelLowersTheAbortItRaised) {
  BeginProgress(*ctx, "Connecting to the sensor ...", 0, true);
  BeginProgress(*ctx, "Reading the parameters: record", 2, false);
  StepProgress(*ctx, 1);
  EXPECT_EQ(ProgressText(*ctx, ctx->progress.startedAt + 1.21).rfind("Reading the parameters: record 1 of 2 - 1.2", 0),
            0u);
  EXPECT_TRUE(ctx->ui.dimmed(ctx->refs.status.cancel));
  CancelProgress(*ctx);  // not this one
  EXPECT_EQ(ctx->link.abort, 0);
  EndProgress(*ctx);
  EXPECT_EQ(ctx->progress.what, "Connecting to the sensor ...");
  EXPECT_FALSE(ctx->ui.dimmed(ctx->refs.status.cancel));
  ctx->ui.fire(ctx->refs.status.cancel, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->link.abort, 1);
  EXPECT_TRUE(ProgressCancelled(*ctx));
  EXPECT_NE(text(ctx->refs.status.progress).find("cancelling ..."), std::string::npos);
  EndProgress(*ctx);
  EXPECT_EQ(ctx->link.abort, 0);
  EXPECT_FALSE(ctx->progress.active);
  EXPECT_EQ(text(ctx->refs.status.progress), "");

  // A Disconnect's abort is not the cancel's to lower.
  BeginProgress(*ctx, "Connecting to the sensor ...", 0, true);
  ctx->link.abort = 1;
  CancelProgress(*ctx);
  EndProgress(*ctx);
  EXPECT_EQ(ctx->link.abort, 1);
}

}  // namespace
}  // namespace bx
