// The service report from the Application menu through the headless
// front-end and the simulator: what the document holds (the sensor's RAM,
// not the pages' unsent edits), the reads that fail and name themselves,
// and the refusals before anything is asked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "link/state.h"
#include "params/fields.h"
#include "params/params_fixture.h"
#include "params/units.h"
#include "service/service_report.h"
#include "sim/faults.h"
#include "wire/orders.h"

namespace bx::test {
namespace {

class ServiceReportMenu : public ParamsTest {
 protected:
  // The menu's dialogues answered: the file, then the comment.
  void answer(const std::string& comment = "as left") {
    fe->answerFile(ui::FILE_NEW, tempDir() + "/report.pdf");
    fe->answerPrompt(comment);
    fe->setPrinting(true);
    fe->clearPopups();
  }
  const ui::PrintJob* job() const { return fe->printed().empty() ? nullptr : &fe->printed().back().first; }
  // The table row whose first cell is `label`, in any table of the job.
  const std::vector<std::string>* row(const std::string& label) const {
    for (const ui::PrintItem& i : job()->items)
      for (const auto& r : i.rows)
        if (!r.empty() && r[0] == label) return &r;
    return nullptr;
  }
  // One cell of that row, "" when there is none.
  std::string cell(const std::string& label, size_t col) const {
    const auto* r = row(label);
    return r != nullptr && col < r->size() ? (*r)[col] : std::string();
  }
  bool hasText(const std::string& text) const {
    for (const ui::PrintItem& i : job()->items)
      if (i.text == text) return true;
    return false;
  }
  std::string lastMessage() const { return fe->popups().empty() ? "" : fe->popups().back().text; }
};

TEST_F(ServiceReportMenu, TheDocumentHoldsTheSensorsRamWhileThePagesKeepTheirUnsentEdits) {
  connectTcp();
  const uint16_t power = field(param::POWER);
  const ui::CtlRef powerField = ctx->para.p1.power;
  ctx->ui.setValue(powerField, power == 777 ? 778 : 777);  // edited, not sent
  answer("as left, line 3");
  MakeServiceReport(*ctx);
  ASSERT_NE(job(), nullptr) << status();
  EXPECT_EQ(fe->printed().back().second.pdfPath, tempDir() + "/report.pdf");
  EXPECT_NE(lastMessage().find("Service report written: " + tempDir() + "/report.pdf"), std::string::npos);
  EXPECT_NE(ctx->ui.value(powerField), power) << "the edit stays on the page";

  EXPECT_EQ(cell(ctx->ui.at(powerField).label, 1), std::to_string(power));
  EXPECT_TRUE(hasText("Comment: as left, line 3"));
  EXPECT_EQ(cell("Serial number", 1), "1234");
  EXPECT_EQ(cell("Firmware", 1), "Quellan-BX-28-K V5.45");
  EXPECT_EQ(cell("Firmware version", 1), "V5.45");
  // A ring shows its choice and a position its unit.
  EXPECT_EQ(cell(ctx->ui.at(ctx->para.p1.polarity).label, 1), field(param::POLARITY) == 1 ? "DIRECT" : "INVERT");
  EXPECT_EQ(cell(ctx->ui.at(ctx->para.meas.teachVal).label, 2), "pixel");
  // Four teach rows under the table's header, and the video graph drawn.
  bool teach = false, graph = false;
  for (const ui::PrintItem& i : job()->items) {
    if (i.kind == ui::PrintItem::Kind::Table && i.header.size() == 10u) {
      teach = true;
      EXPECT_EQ(i.rows.size(), 4u);
    }
    if (i.kind == ui::PrintItem::Kind::Graph && i.graph == ctx->refs.display.videoGraph) graph = true;
  }
  EXPECT_TRUE(teach);
  EXPECT_TRUE(graph);
  const auto& plots = ctx->ui.at(ctx->refs.display.videoGraph).graph.plots;
  ASSERT_GE(plots.size(), 2u);
  EXPECT_EQ(plots[0].y.size(), 256u);

  // Positions in millimetres once the unit is switched.
  SwitchMMPixel(*ctx, 1);
  answer();
  MakeServiceReport(*ctx);
  const ui::Control& teachVal = ctx->ui.at(ctx->para.meas.teachVal);
  const int row = std::min<int>(field(param::EVAL_PROGRAM), 3);
  char mm[32];
  std::snprintf(mm, sizeof mm, "%.*f", teachVal.precision,
                param::rowGet32(ctx->params, row, param::ROW_UM_TEACH) / 1000.0);
  EXPECT_EQ(cell(teachVal.label, 1), mm);
  EXPECT_EQ(cell(teachVal.label, 2), "mm");
  EXPECT_TRUE(hasText(ctx->ui.at(ctx->para.teach.table).label + " (mm)"));
}

TEST_F(ServiceReportMenu, AReadThatFailsWritesNothingAndNamesTheRead) {
  connectTcp();
  struct Case {
    uint8_t order;
    int param;
    const char* read;
  };
  const Case cases[] = {
      {order::kHardwareInfo, sim::kAnyParam, "hardware record"}, {order::kReadCalibRecord, sim::kAnyParam, "calibration record"},
      {order::kReadRam, 0, "parameter set"},                     {order::kReadRam, 1, "teach table"},
      {order::kLiveData, sim::kAnyParam, "live data"},           {order::kEdgeQuery, sim::kAnyParam, "edges"},
      {order::kVideoData, sim::kAnyParam, "video signal"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.read);
    sim::FaultRule rule;
    rule.fault = sim::Fault::Refuse;
    rule.order = c.order;
    rule.param = c.param;
    sim->clearFaults();
    sim->setFault(rule);
    answer();
    const size_t printed = fe->printed().size();
    MakeServiceReport(*ctx);
    EXPECT_EQ(fe->printed().size(), printed) << "nothing written";
    const std::string said = std::string("Service report not written: reading the ") + c.read + " failed!";
    EXPECT_EQ(status().rfind(said, 0), 0u) << status();
    EXPECT_NE(lastMessage().find(said), std::string::npos) << lastMessage();
    EXPECT_EQ(ctx->run.state, RUN_IDLE);
  }
  // The link is as good as before: the next report is written.
  sim->clearFaults();
  answer();
  MakeServiceReport(*ctx);
  EXPECT_NE(job(), nullptr) << status();
}

TEST_F(ServiceReportMenu, RefusedWithoutASensorWhileALoopRunsAndForAnotherSensor) {
  answer();
  MakeServiceReport(*ctx);
  EXPECT_EQ(status(), "Service report: no sensor connected - connect first!");
  ASSERT_EQ(fe->popups().size(), 1u) << "no file dialogue";
  EXPECT_EQ(fe->popups()[0].kind, "message");

  connectTcp();
  ctx->run.state = RUN_LOOP;
  fe->clearPopups();
  MakeServiceReport(*ctx);
  ctx->run.state = RUN_IDLE;
  EXPECT_EQ(status(), "Service report: press STOP first - the report reads the sensor itself!");
  ASSERT_EQ(fe->popups().size(), 1u);

  // A sensor swapped on the line without a new connect.
  ctx->ident.hw.serial = 99;
  answer();
  MakeServiceReport(*ctx);
  EXPECT_TRUE(fe->printed().empty());
  EXPECT_NE(status().find("reading the hardware record failed! (Another sensor answers than the one identified"),
            std::string::npos)
      << status();
}

}  // namespace
}  // namespace bx::test
