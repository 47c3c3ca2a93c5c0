// The operator connects to and disconnects from a simulated sensor on
// loopback TCP through the connection page's widgets, and documents the
// connected sensor with the Application menu's service report.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "app/localize.h"
#include "context/report_hooks.h"
#include "gui/app_window.h"
#include "gui/gui_input.h"
#include "gui/main_window.h"
#include "gui/print_render.h"
#include "sim/faults.h"
#include "link/transport.h"
#include "sim/server.h"
#include "wire/orders.h"

namespace {

using guitest::AppWindow;
using guitest::ConnectedWindow;

TEST_F(AppWindow, TryToConnectAndDisconnectThroughTheWidgets) {
  bx::sim::Server sensor;
  int port = sensor.startTcp(0);
  ASSERT_GT(port, 0);

  auto* transport = widget<QComboBox>("CONN", "COM_TYPE");
  transport->setCurrentIndex(1);
  emit transport->activated(1);
  renderer->repaint();
  auto* addr = widget<QComboBox>("CONN", "IPADDR");
  ASSERT_TRUE(addr->isEnabled());
  addr->lineEdit()->clear();
  guitest::type(addr->lineEdit(), "127.0.0.1");
  auto* tcpPort = widget<QLineEdit>("CONN", "TCPPORT");
  tcpPort->clear();
  guitest::type(tcpPort, QString::number(port));
  EXPECT_EQ(ctx->ui.text(ref("CONN", "TCPPORT")), std::to_string(port));

  guitest::click(widget<QPushButton>("CONN", "TRY_CONNECT"));
  EXPECT_EQ(ctx->ui.text(ref("MAIN", "CONNECTED")), "CONNECTED");
  EXPECT_TRUE(sensor.tcpClientConnected());
  renderer->repaint();
  EXPECT_EQ(widget<QLabel>("MAIN", "CONNECTED")->text(), "CONNECTED");
  // The address went to the top of the recent list.
  ASSERT_GE(addr->count(), 1);
  EXPECT_EQ(addr->itemText(0), "127.0.0.1");
  EXPECT_TRUE(widget<QPlainTextEdit>("CONN", "MSGBOX")->toPlainText().contains("TRY TO CONNECT! ..."));

  guitest::click(widget<QPushButton>("CONN", "DISCONNECT"));
  EXPECT_EQ(ctx->ui.text(ref("MAIN", "CONNECTED")), "DISCONNECTED");
  EXPECT_FALSE(TcpOpen(ctx->link));
  renderer->repaint();
  EXPECT_EQ(widget<QLabel>("MAIN", "CONNECTED")->text(), "DISCONNECTED");
  EXPECT_TRUE(widget<QPlainTextEdit>("CONN", "MSGBOX")->toPlainText().contains("SENSOR DISCONNECTED!"));
}

// Why an exchange failed shows beside the status line, in the language in
// force, until an exchange succeeds again.
TEST_F(ConnectedWindow, TheServiceLineNamesWhyAnExchangeFailedUntilOneSucceeds) {
  using bx::sim::Fault;
  ctx->link.replyTimeout = 0.3;
  ctx->link.tcpTimeoutMs = 300;
  auto* line = widget<QLabel>("MAIN", "SERVICE");
  ASSERT_NE(line, nullptr);
  auto get = [&] {
    guitest::click(widget<QPushButton>("MAIN", "GET"));
    settle();
  };
  get();
  EXPECT_EQ(line->text(), "");
  struct Case {
    Fault fault;
    int arg;
    int language;
    const char* shown;
  };
  const Case cases[] = {
      {Fault::BadDataCrc, 0, 0, "CRC error in the reply data"},
      {Fault::BadHeaderCrc, 0, 0, "CRC error in the reply header"},
      {Fault::NoReply, 0, 0, "No reply: the sensor is silent"},
      {Fault::ShortPayload, 16, 0, "Reply of the wrong length for its order"},
      {Fault::WrongOrder, 9, 0, "Wrong order: the reply answered another request"},
      {Fault::Refuse, 1, 0, "Order refused by the sensor (code 1)"},
      {Fault::BadDataCrc, 0, 1, "CRC-Fehler in den Antwortdaten"},
      {Fault::NoReply, 0, 1, "Keine Antwort: der Sensor schweigt"},
      {Fault::WrongOrder, 9, 1, "Falscher Auftrag: die Antwort galt einer anderen Anfrage"},
  };
  for (const Case& c : cases) {
    if (ctx->app.language != c.language) bx::SetLanguage(*ctx, c.language);
    sensor.setFault(c.fault, 1, c.arg);
    get();
    EXPECT_EQ(line->text().toStdString(), c.shown);
    EXPECT_TRUE(line->isVisible());
    if (c.fault == Fault::NoReply) saveWindow(c.language == 0 ? "service_line_en" : "service_line_de");
    // The next exchange that succeeds clears it.
    get();
    EXPECT_EQ(line->text(), "") << c.shown;
  }
  // A language switch puts a reason already shown into the new language.
  sensor.setFault(Fault::BadHeaderCrc, 1);
  get();
  EXPECT_EQ(line->text().toStdString(), "CRC-Fehler im Antwortkopf");
  bx::SetLanguage(*ctx, 0);
  settle();
  EXPECT_EQ(line->text().toStdString(), "CRC error in the reply header");
  // The server going away is said as such.
  sensor.setFault(Fault::CloseConnection, 1);
  get();
  EXPECT_EQ(line->text().toStdString(), "Connection closed by the other end");
}

TEST_F(ConnectedWindow, TheServiceReportOfTheApplicationMenuIsWrittenAsOnePdfInTheLanguageInForce) {
  int m = -1, i = -1;
  ASSERT_TRUE(ctx->ui.findMenuItem("APPLICATION", "SERVICE_REPORT", m, i));
  QAction* item = renderer->mainWindow()->menuAction(m, i);
  bx::SetLanguage(*ctx, 1);
  settle();
  EXPECT_EQ(item->text().remove('&').toStdString(), "Servicebericht ...");
  // The operator's answers; the PDF goes through the renderer the window's
  // print path uses.
  const std::string pdf = dir + "/report.pdf";
  popups.answerFile(bx::ui::FILE_NEW, pdf);
  popups.answerPrompt("nach der Reinigung");
  // The log goes along; one line far wider than the page goes on below.
  std::string wide;
  for (int i = 0; i < 20; ++i) wide += "alpha ";
  bx::ReportStatusText(*ctx, wide + "END-OF-LONG-LINE", false);
  // A break never falls inside a letter: byte 80 would split an umlaut.
  std::string umlauts = "U";
  for (int i = 0; i < 60; ++i) umlauts += "\u00e4";
  bx::ReportStatusText(*ctx, umlauts, false);
  popups.answerConfirm(true);
  popups.setPrinting(true, {}, [this](const bx::ui::PrintJob& job, const bx::ui::PrintTarget& to, std::string& error) {
    return bx::gui::PrintJobToPdf(ctx->ui, job, to.pdfPath, error);
  });
  item->trigger();
  settle();
  ASSERT_FALSE(popups.popups().empty());
  EXPECT_EQ(popups.popups().back().text, "Servicebericht geschrieben: " + pdf);
  std::string text;
  if (FILE* p = ::popen(("pdftotext -layout '" + pdf + "' - 2>/dev/null").c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    ::pclose(p);
  }
  ASSERT_FALSE(text.empty()) << "pdftotext (poppler-utils, scripts/install-deps.sh) read nothing";
  if (const char* shots = std::getenv("BX_SCREENSHOT_DIR"))  // to be looked at with the screenshots
    std::filesystem::copy_file(pdf, std::string(shots) + "/service_report_de.pdf",
                               std::filesystem::copy_options::overwrite_existing);
  for (const char* words : {"Servicebericht", "nach der Reinigung", "Seriennummer", "1234", "Lerntabelle", "Seite 1 von",
                            "Meldungsprotokoll", "Echo Check - Line Ok!", "END-OF-LONG-LINE"})
    EXPECT_NE(text.find(words), std::string::npos) << words << "\n" << text;
  EXPECT_EQ(text.find("\ufffd"), std::string::npos) << "a letter was cut in two\n" << text;
  // Asked with the number of lines the log holds.
  const auto asked = std::find_if(popups.popups().begin(), popups.popups().end(),
                                  [](const auto& p) { return p.kind == "confirm"; });
  ASSERT_NE(asked, popups.popups().end());
  EXPECT_NE(asked->text.find("Meldungsprotokoll ("), std::string::npos) << asked->text;
}

// Every status of a GET, SEND, RUN and STOP is in the message log with its
// time, in the order shown; the pane opens with its shortcut and shows them.
TEST_F(ConnectedWindow, TheLogHoldsEveryStatusOfGetSendRunStopWithTimes) {
  static std::vector<std::string> shown;
  shown.clear();
  static void (*show)(bx::Context&, std::string_view, bool) = nullptr;
  show = ctx->report.status;
  ctx->report.status = [](bx::Context& c, std::string_view english, bool box) {
    show(c, english, box);
    shown.push_back(c.ui.text(c.refs.main.status));
  };
  settle();  // the buttons the connect enabled
  const uint64_t before = ctx->messageLog.added;
  guitest::click(widget<QPushButton>("MAIN", "GET"));
  settle();
  guitest::click(widget<QPushButton>("MAIN", "SEND"));
  settle();
  QTimer stop;
  int passes = 0;
  QObject::connect(&stop, &QTimer::timeout, [&] {
    if (sensor.requestCount(bx::order::kLiveData) >= 3 || ++passes > 40000) {
      stop.stop();
      guitest::click(widget<QPushButton>("MAIN", "STOP"));
    }
  });
  stop.start(0);
  guitest::click(widget<QPushButton>("MAIN", "RUN"));
  ASSERT_NE(ctx->run.state, bx::RUN_LOOP);
  settle();
  ASSERT_GE(shown.size(), 5u);
  EXPECT_EQ(shown.front(), "Waiting for parameter-frame ...");
  EXPECT_EQ(shown.back(), "Data-Transfer Stopped!");
  EXPECT_NE(std::find(shown.begin(), shown.end(), "Transmission successful - Line Ok!"), shown.end());

  // Each status shown is the next status line of the log, with a time; the
  // same status shown again at once is one line.
  shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
  const auto& lines = ctx->messageLog.lines;
  const std::regex time("[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\\.[0-9]{3}");
  size_t at = lines.size() - static_cast<size_t>(ctx->messageLog.added - before);
  std::string previous;
  for (const std::string& status : shown) {
    while (at < lines.size() && !(lines[at].kind == bx::LogKind::Status && lines[at].text == status)) ++at;
    ASSERT_LT(at, lines.size()) << "not in the log: " << status << "\n" << bx::MessageLogText(ctx->messageLog);
    EXPECT_TRUE(std::regex_match(lines[at].time, time)) << lines[at].time;
    EXPECT_GE(lines[at].time, previous);
    previous = lines[at].time;
    ++at;
  }

  // Hidden until asked for; the shortcut shows it with every line.
  const int logPanel = ctx->ui.findPanel("LOG");
  EXPECT_FALSE(ctx->ui.panel(logPanel).visible);
  int m = -1, i = -1;
  ASSERT_TRUE(ctx->ui.findMenuItem("VIEW", "MESSAGE_LOG", m, i));
  QAction* item = renderer->mainWindow()->menuAction(m, i);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->shortcut(), QKeySequence("Ctrl+L"));
  item->trigger();
  settle();
  auto* pane = widget<QPlainTextEdit>("LOG", "LOGTEXT");
  ASSERT_NE(pane, nullptr);
  EXPECT_TRUE(pane->isVisible());
  const QString text = pane->toPlainText();
  for (const std::string& status : shown) EXPECT_TRUE(text.contains(QString::fromStdString(status))) << status;
  // The pane is a window of its own: its picture is kept beside the main
  // window's, in both languages.
  const QString out = QString::fromLocal8Bit(qgetenv("BX_SCREENSHOT_DIR"));
  for (int language : {0, 1}) {
    bx::SetLanguage(*ctx, language);
    settle();
    const std::string tag = language == 0 ? "en" : "de";
    saveWindow("log_pane_main_" + tag);
    if (!out.isEmpty()) {
      EXPECT_TRUE(pane->window()->grab().save(out + QString::fromStdString("/log_pane_" + tag + ".png")));
    }
  }
  bx::SetLanguage(*ctx, 0);
}

// A long operation's progress shows in the status bar with its cancel
// button, and the button ends it.
TEST_F(ConnectedWindow, TheStatusBarShowsProgressAndCancelEndsIt) {
  auto* progress = widget<QLabel>("MAIN", "PROGRESS");
  auto* cancel = widget<QPushButton>("MAIN", "CANCEL");
  ASSERT_NE(progress, nullptr);
  ASSERT_NE(cancel, nullptr);
  settle();
  EXPECT_FALSE(cancel->isEnabled());
  bx::BeginProgress(*ctx, "Writing the lookup table: block", 8, true);
  bx::StepProgress(*ctx, 3);
  settle();
  EXPECT_TRUE(progress->text().startsWith("Writing the lookup table: block 3 of 8 - ")) << progress->text().toStdString();
  EXPECT_TRUE(cancel->isEnabled());
  saveWindow("progress_en");
  bx::SetLanguage(*ctx, 1);
  settle();
  EXPECT_TRUE(progress->text().startsWith("Lookup-Tabelle schreiben: Block 3 von 8 - ")) << progress->text().toStdString();
  saveWindow("progress_de");
  bx::SetLanguage(*ctx, 0);
  guitest::click(cancel);
  EXPECT_TRUE(bx::ProgressCancelled(*ctx));
  bx::EndProgress(*ctx);
  settle();
  EXPECT_EQ(progress->text(), "");
  EXPECT_FALSE(cancel->isEnabled());
  EXPECT_EQ(ctx->link.abort, 0);
}

}  // namespace
