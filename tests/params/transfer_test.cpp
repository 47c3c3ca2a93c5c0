// GET and SEND against the simulated sensor: orders, frame parameters,
// wire images, failures and pending requests.
#include <cstring>
#include <fstream>
#include <iterator>

#include "app/localize.h"
#include "files/para_file.h"
#include "identify/catalogue.h"
#include "live/pending.h"
#include "params/bindings.h"
#include "params/edits.h"
#include "params/hwinfo.h"
#include "params/panel_values.h"
#include "params/para_file_ui.h"
#include "params/teach.h"
#include "params/transfer.h"
#include "params/units.h"
#include "support/use_language.h"
#include "params_fixture.h"
#include "wire/orders.h"

namespace bx::test {
namespace {

using namespace param;

class TransferTest : public ParamsTest {};

TEST_F(TransferTest, BringUpGetShowsTheSensorsRamRecords) {
  connectTcp();
  const auto ram = sim->ramParams();
  const auto teach = sim->ramTeach();
  // Sanitising changes only what is out of range: the start value 0 of
  // Track-Threshold becomes 1.
  EXPECT_EQ(get16le(ram, TRACK_THRESHOLD), 0);
  EXPECT_EQ(field(TRACK_THRESHOLD), 1);
  for (size_t i = 0; i < ram.size(); ++i) {
    if (i != TRACK_THRESHOLD) {
      EXPECT_EQ(ram[i], ctx->params.set[i]) << "byte " << i;
    }
  }
  EXPECT_EQ(0, std::memcmp(teach.data(), ctx->params.teach.data(), teach.size()));
  EXPECT_EQ(ctx->ui.value(ref("PARA1", "POLARITY")), field(POLARITY));
}

// A field or teach cell changed since the last GET or SEND carries the
// edited mark and the title says so, until it is sent, read again, or set
// back to what was read.
TEST_F(TransferTest, EditsAreMarkedUntilSentOrReadAgain) {
  EXPECT_EQ(RefreshEditMarks(*ctx), 0);  // nothing read: nothing to compare with
  connectTcp();
  EXPECT_EQ(RefreshEditMarks(*ctx), 0);
  auto& ui = ctx->ui;
  const ui::CtlRef dirt = ref("PARA2", "DIRTTHR"), expose = ref("PARA1", "EXPOSE");
  const ui::CtlRef table = ctx->para.teach.table;
  const ui::Panel& main = ui.panel(ui.findPanel("MAIN"));
  const double dirt0 = ui.value(dirt), expose0 = ui.value(expose);
  const double tol0 = ui.table(table).at(1, TC_TOLUP).num;

  ui.setValue(dirt, dirt0 + 10);
  ui.table(table).at(1, TC_TOLUP).num = tol0 + 3;
  // Below the last digit the field shows, nothing changed for the operator.
  ui.setValue(expose, expose0 + 0.001);
  EXPECT_EQ(RefreshEditMarks(*ctx), 2);
  EXPECT_TRUE(ui.at(dirt).edited);
  EXPECT_FALSE(ui.at(expose).edited);
  EXPECT_TRUE(ui.at(table).table.at(1, TC_TOLUP).edited);
  EXPECT_FALSE(ui.at(table).table.at(1, TC_TOLLO).edited);
  EXPECT_EQ(main.titleNote, "unsent changes");
  EXPECT_TRUE(HasUnsentEdits(*ctx));

  // The power the sensor regulates shows its live value: never an edit.
  ASSERT_EQ(field(POWER_MODE), 1);
  ui.setValue(ref("PARA1", "POWER"), ui.value(ref("PARA1", "POWER")) + 50);
  EXPECT_EQ(RefreshEditMarks(*ctx), 2);

  // Set back by hand: its mark goes.
  ui.setValue(dirt, dirt0);
  EXPECT_EQ(RefreshEditMarks(*ctx), 1);
  EXPECT_FALSE(ui.at(dirt).edited);

  // The unit switch shows the same records otherwise: no mark of its own.
  ui.setValue(ctx->refs.main.mmSwitch, 1);
  SwitchMMPixel(*ctx, 1);
  ui.table(table).at(1, TC_TOLUP).num = CellShown(ctx->params, TeachColumns()[TC_TOLUP], 1);
  EXPECT_EQ(RefreshEditMarks(*ctx), 0);
  SwitchMMPixel(*ctx, 0);
  ui.setValue(ctx->refs.main.mmSwitch, 0);

  // SEND: what is shown is the sensor's; every mark and the note go.
  ui.setValue(dirt, dirt0 + 20);
  ui.table(table).at(1, TC_TOLUP).num = tol0 + 4;
  EXPECT_EQ(RefreshEditMarks(*ctx), 2);
  ASSERT_FALSE(ui.dimmed(ref("MAIN", "SEND")));
  ui.fire(ref("MAIN", "SEND"), ui::EVENT_COMMIT);
  EXPECT_EQ(get16le(sim->ramParams(), DIRT_THRESHOLD), dirt0 + 20);
  EXPECT_EQ(ctx->params.editedCount, 0);
  EXPECT_FALSE(ui.at(dirt).edited);
  EXPECT_FALSE(ui.at(table).table.at(1, TC_TOLUP).edited);
  EXPECT_EQ(main.titleNote, "");

  // A GET reads the sensor again: the edit is gone with its mark.
  ui.setValue(dirt, dirt0);
  EXPECT_EQ(RefreshEditMarks(*ctx), 1);
  ASSERT_EQ(PushGET(*ctx, MEM_RAM), 1);
  EXPECT_EQ(ui.value(dirt), dirt0 + 20);
  EXPECT_FALSE(ui.at(dirt).edited);
  EXPECT_EQ(ctx->params.editedCount, 0);

  // In German the title's note is German.
  ui.setValue(dirt, dirt0);
  testing_lang::UseLanguage(*ctx, 1);
  EXPECT_EQ(RefreshEditMarks(*ctx), 1);
  EXPECT_EQ(main.titleNote, "nicht gesendete Änderungen");
}

TEST_F(TransferTest, GetFromEepromSendsOrderFourTwiceWithoutData) {
  connectTcp();
  ASSERT_EQ(PushGET(*ctx, MEM_EEPROM), 1);
  EXPECT_EQ(sim->requestCount(4), 2);
  EXPECT_EQ(sim->lastRequest(4).param, 1);
  EXPECT_TRUE(sim->lastRequest(4).payload.empty());
  EXPECT_EQ(sim->requestCount(2), 2);  // only the bring-up's GET from RAM
}

// GET and SEND of the EEPROM show their records done of two while they run.
TEST_F(TransferTest, EepromGetAndSendReportTheirProgress) {
  connectTcp();
  static std::vector<std::string> seen;
  seen.clear();
  ctx->report.progress = [](Context& c) {
    const Progress& p = c.progress;
    const std::string now = p.active ? p.what + " " + std::to_string(p.done) + "/" + std::to_string(p.total) : "-";
    // The clock's ticks during a slow wait repeat a state; only changes count.
    if (seen.empty() || seen.back() != now) seen.push_back(now);
  };
  ASSERT_EQ(PushGET(*ctx, MEM_EEPROM), 1);
  EXPECT_EQ(seen, (std::vector<std::string>{"Reading the EEPROM: record 0/2", "Reading the EEPROM: record 1/2",
                                            "Reading the EEPROM: record 2/2", "-"}));
  seen.clear();
  ASSERT_EQ(PushSEND(*ctx, MEM_EEPROM), 1);
  EXPECT_EQ(seen, (std::vector<std::string>{"Writing the EEPROM: record 0/2", "Writing the EEPROM: record 1/2",
                                            "Writing the EEPROM: record 2/2", "-"}));
  EXPECT_FALSE(ctx->progress.active);
}

TEST_F(TransferTest, SendWritesTheExactWireImagesIncludingReservedBytes) {
  connectTcp();
  auto& p = ctx->params;
  for (int i = 0; i < 12; ++i) p.set[static_cast<size_t>(RESERVED + i)] = static_cast<uint8_t>(0xA0 + i);
  set(p, POWER, 777);
  set32(p, UM_TEACH, -123456);
  rowSet(p, 2, ROW_EDGE_A, static_cast<uint16_t>(-2));
  rowSet(p, 2, ROW_NOT_USED, 0xBEEF);
  ASSERT_EQ(PushSEND(*ctx, MEM_FILE), 1);  // any selector but EEPROM goes to RAM
  EXPECT_EQ(status(), "Transmission successful - Line Ok!");
  const auto ram = sim->ramParams();
  const auto teach = sim->ramTeach();
  EXPECT_EQ(0, std::memcmp(ram.data(), p.set.data(), ram.size()));
  EXPECT_EQ(0, std::memcmp(teach.data(), p.teach.data(), teach.size()));
  EXPECT_EQ(ram[84], 0xA0);
  EXPECT_EQ(ram[95], 0xAB);
  EXPECT_EQ(teach[2 * 32 + 0], 0xFE);
  EXPECT_EQ(teach[2 * 32 + 1], 0xFF);
  EXPECT_EQ(sim->requestCount(3), 0);

  // And what the sensor holds comes back unchanged, reserved bytes too.
  p.set.fill(0);
  ASSERT_EQ(PushGET(*ctx, MEM_RAM), 1);
  EXPECT_EQ(0, std::memcmp(ram.data(), p.set.data(), ram.size()));
}

TEST_F(TransferTest, SendToEepromLeavesRamAlone) {
  connectTcp();
  const auto ramBefore = sim->ramParams();
  set(ctx->params, AVERAGE, 64);
  ASSERT_EQ(PushSEND(*ctx, MEM_EEPROM), 1);
  EXPECT_EQ(get16le(sim->eepromParams(), AVERAGE), 64);
  EXPECT_EQ(sim->ramParams(), ramBefore);
}

TEST_F(TransferTest, FailedFirstGetLeavesBothRecordsUnchanged) {
  connectTcp();
  ctx->link.replyTimeout = 0.3;
  const auto set = ctx->params.set;
  const auto teach = ctx->params.teach;
  sim->setFault(sim::Fault::NoReply, 1);
  EXPECT_EQ(PushGET(*ctx, MEM_RAM), -1);
  EXPECT_EQ(status(), "Timeout TCP-Server-error!");
  EXPECT_EQ(ctx->params.set, set);
  EXPECT_EQ(ctx->params.teach, teach);
}

TEST_F(TransferTest, FailedSecondGetKeepsNewParametersWithOldTeachTable) {
  connectTcp();
  ctx->link.replyTimeout = 0.5;
  set(ctx->params, AVERAGE, 256);
  ASSERT_EQ(PushSEND(*ctx, MEM_RAM), 1);
  set(ctx->params, AVERAGE, 1);
  const auto teach = ctx->params.teach;
  // The parameter frame comes late; while it is on its way the teach-table
  // reply is set to be dropped.
  sim::FaultRule late{sim::Fault::LateReply, 1, 200, 2};
  sim->setFault(late);
  fe->schedule(0.05, [&] { sim->setFault(sim::FaultRule{sim::Fault::NoReply, 1, 0, 2}); });
  EXPECT_EQ(PushGET(*ctx, MEM_RAM), -1);
  EXPECT_EQ(status(), "Timeout TCP-Server-error! table ...");
  EXPECT_EQ(field(AVERAGE), 256);
  EXPECT_EQ(ctx->params.teach, teach);
  // Received but not shown.
  EXPECT_EQ(ctx->ui.value(ctx->refs.choice.average), 2);
}

TEST_F(TransferTest, FailedSendReportsWhichFrameFailed) {
  connectTcp();
  ctx->link.replyTimeout = 0.3;
  sim->setFault(sim::Fault::Refuse, 1);
  EXPECT_EQ(PushSEND(*ctx, MEM_RAM), -1);
  EXPECT_EQ(status(), "Transmission error [SEND]!");
  EXPECT_EQ(sim->requestCount(1), 1);  // the teach table was not sent
}

TEST_F(TransferTest, RecordsNotReadAtBringUpAreNeverSent) {
  // The bring-up's GET refused at its parameter set or its teach table, over
  // both transports: the tool still holds start values (or half of them).
  // SEND and teach refuse them until a read succeeds.
  struct Case {
    int frameParam;
    bool pty;
  };
  for (const Case c : {Case{0, false}, Case{1, false}, Case{0, true}, Case{1, true}}) {
    SCOPED_TRACE("GET frame " + std::to_string(c.frameParam) + (c.pty ? " over the pty" : " over TCP"));
    if (ctx) CloseLink(*ctx, true);
    if (sim) sim->stop();
    sim = std::make_unique<sim::Server>();
    sim::FaultRule refuse{sim::Fault::Refuse, 1, 1};
    refuse.order = order::kReadRam;
    refuse.param = c.frameParam;
    sim->setFault(refuse);
    if (c.pty)
      connectPty();
    else
      connectTcp();
    const auto ram = sim->ramParams();
    const auto teach = sim->ramTeach();
    // The operator is told on the connection page and in the status line.
    EXPECT_EQ(status(), "Parameter-frame not read! - GET again before SEND!");
    EXPECT_NE(ctx->ui.text(ctx->refs.conn.msgBox).find("Parameter-frame not read! - GET again before SEND!"),
              std::string::npos)
        << ctx->ui.text(ctx->refs.conn.msgBox);
    EXPECT_EQ(ctx->ui.at(ctx->refs.main.status).textColor, ui::kRed);

    EXPECT_EQ(PushSEND(*ctx, MEM_RAM), -1);
    EXPECT_EQ(status(), kRecordsNotRead);
    EXPECT_EQ(PushSEND(*ctx, MEM_EEPROM), -1);
    EXPECT_EQ(PushTEACH(*ctx, 0), -1);
    EXPECT_EQ(status(), kRecordsNotRead);
    ctx->ui.fire(ctx->refs.main.send, ui::EVENT_COMMIT);
    EXPECT_EQ(status(), kRecordsNotRead);
    // The hardware snapshot leaves out what it does not have.
    const std::string info = tempDir() + "/hwinfo" + std::to_string(c.frameParam) + (c.pty ? "p" : "t") + ".ini";
    fe->answerFile(ui::FILE_NEW, info);
    ASSERT_EQ(GenerateHardwareInfoFile(*ctx), 1);
    std::ifstream in(info);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("[HARDWARE INFO]"), std::string::npos) << text;
    EXPECT_EQ(text.find("[PARAMETER]") != std::string::npos, c.frameParam == 1) << text;
    EXPECT_EQ(text.find("[TEACH-ROW0]"), std::string::npos) << text;
    EXPECT_EQ(sim->requestCount(order::kWriteRam), 0);
    EXPECT_EQ(sim->requestCount(order::kWriteEeprom), 0);
    EXPECT_EQ(sim->requestCount(order::kTeachRow), 0);
    EXPECT_EQ(sim->ramParams(), ram);
    EXPECT_EQ(sim->ramTeach(), teach);

    // A GET that succeeds makes them sendable again.
    ASSERT_EQ(PushGET(*ctx, MEM_RAM), 1);
    EXPECT_EQ(PushSEND(*ctx, MEM_RAM), 1);
    EXPECT_EQ(sim->ramTeach(), teach);
  }
}

TEST_F(TransferTest, AParameterFileReadMakesUnreadRecordsSendable) {
  sim = std::make_unique<sim::Server>();
  sim::FaultRule refuse{sim::Fault::Refuse, 1, 1};
  refuse.order = order::kReadRam;
  sim->setFault(refuse);
  connectTcp();
  const std::string path = tempDir() + "/para.ini";
  const auto ram = sim->ramParams();
  auto teach = sim->ramTeach();
  teach[5] = 0x42;
  std::string error;
  ASSERT_EQ(files::WriteParaToIniFile(ram.data(), teach.data(), nullptr, false, path, &error), 1) << error;
  // A file that cannot be read leaves them unread.
  fe->answerFile(ui::FILE_EXISTING, tempDir() + "/missing.ini");
  EXPECT_EQ(GetParaFromFile(*ctx), -1);
  EXPECT_EQ(PushSEND(*ctx, MEM_RAM), -1);
  fe->answerFile(ui::FILE_EXISTING, path);
  ASSERT_EQ(GetParaFromFile(*ctx), 1);
  SetPanelValues(*ctx);
  ASSERT_EQ(PushSEND(*ctx, MEM_RAM), 1);
  EXPECT_EQ(sim->ramTeach()[5], 0x42);

  // A new link forgets what was read over the old one.
  ConnectProcedure(*ctx);
  EXPECT_TRUE(ctx->params.recordsRead());
  sim->setFault(refuse);
  ConnectProcedure(*ctx);
  EXPECT_FALSE(ctx->params.recordsRead());
}

TEST_F(TransferTest, RefusalTextsHaveTheirGermanForm) {
  LanguageData de;
  std::string error;
  ASSERT_TRUE(ParseLanguageFile(std::string(BX_RESOURCE_DIR) + "/_loc_de_BX-ScopeV55.lwl", de, error)) << error;
  for (const char* text : {kRecordsNotRead, "Parameter-frame not read! - GET again before SEND!",
                           "SCOPE-MODULE: Disarm refused - the scope may still be armed!",
                           "SCOPE-MODULE: Disarm not confirmed - the scope may still be armed!"})
    EXPECT_NE(de.message(text), text) << text;
}

TEST_F(TransferTest, GetAndSendOverThePseudoTerminal) {
  connectPty();
  set(ctx->params, VIDEO_SMOOTH, 7);
  ASSERT_EQ(PushSEND(*ctx, MEM_EEPROM), 1);
  set(ctx->params, VIDEO_SMOOTH, 0);
  ASSERT_EQ(PushGET(*ctx, MEM_EEPROM), 1);
  EXPECT_EQ(field(VIDEO_SMOOTH), 7);
  EXPECT_EQ(ctx->ui.value(ref("PARA1", "SMOOTH")), 7);
}

TEST_F(TransferTest, ButtonsWhileALoopOwnsTheLinkLeaveOnePendingRequest) {
  connectTcp();
  const int gets = sim->requestCount(2);
  ctx->run.state = RUN_LOOP;
  ctx->ui.fire(ctx->refs.main.get, ui::EVENT_LEFT_CLICK);
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), "Waiting for parameter-frame ...");
  ctx->ui.fire(ctx->refs.main.get, ui::EVENT_COMMIT);
  ctx->ui.fire(ctx->refs.main.send, ui::EVENT_COMMIT);
  EXPECT_TRUE(ctx->run.pending.has(PENDING_GET));
  EXPECT_TRUE(ctx->run.pending.has(PENDING_SEND));
  EXPECT_EQ(sim->requestCount(2), gets);
  EXPECT_EQ(sim->requestCount(1), 0);

  ServePendingRequests(*ctx);
  EXPECT_FALSE(ctx->run.pending.has(PENDING_GET));
  EXPECT_FALSE(ctx->run.pending.has(PENDING_SEND));
  EXPECT_EQ(sim->requestCount(1), 2);
  EXPECT_EQ(sim->requestCount(2), gets + 2);
  ServePendingRequests(*ctx);  // served once only
  EXPECT_EQ(sim->requestCount(2), gets + 2);
}

TEST_F(TransferTest, ButtonsWhenIdleActAtOnceAndClearThePendingFlag) {
  connectTcp();
  ctx->run.pending.set(PENDING_SEND);
  ctx->ui.setValue(ref("PARA1", "BGMODE"), 1);
  ctx->ui.fire(ctx->refs.main.send, ui::EVENT_COMMIT);
  EXPECT_FALSE(ctx->run.pending.has(PENDING_SEND));
  EXPECT_EQ(get16le(sim->ramParams(), BACKGROUND_MODE), 1);  // collected from the panel
}

TEST_F(TransferTest, ChoosingAHardwareTypeShowsItsDefaults) {
  connectTcp();
  const auto hw = ctx->refs.calib.hwType;
  ctx->ui.setDimmed(hw, false);
  ctx->ui.setValue(hw, 802776);
  set(ctx->params, EVAL_END, 5);
  ctx->ui.fire(hw, ui::EVENT_COMMIT);
  const auto d = catalogue::defaultsFor(802776);
  ASSERT_TRUE(d.known);
  EXPECT_EQ(field(EVAL_END), d.evalEnd);
  EXPECT_EQ(ctx->ui.value(ref("VIDEO", "RANGEEND")), d.evalEnd);
}

}  // namespace
}  // namespace bx::test
