// quellan-bx-cli report, run as a program against the simulator: the PDF's
// text in both languages (identity, every parameter label of both parameter
// pages, the teach rows, the scope record), a read that fails midway, and
// usage errors.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/localize.h"
#include "app/startup.h"
#include "cli/report_cmd.h"
#include "context/context.h"
#include "params/bindings.h"
#include "params/fields.h"
#include "sim/faults.h"
#include "sim/server.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_folder.h"
#include "wire/orders.h"

namespace bx {
namespace {

using testsupport::CliRun;

std::string runText(const std::string& cmd) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return out;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  return out;
}

std::string readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// Runs of blanks as one: a table cell's place on the line is the layout's.
std::string squeezed(const std::string& s) {
  std::string out;
  for (char c : s) {
    const bool blank = c == ' ' || c == '\t';
    if (blank && (out.empty() || out.back() == ' ' || out.back() == '\n')) continue;
    out += blank ? ' ' : c;
  }
  return out;
}

sim::Config identity() {
  sim::Config cfg;
  cfg.serial = 4711;
  cfg.firmwareText = "Quellan-BX-28-K V5.45 service build";
  return cfg;
}

class CliReport : public ::testing::Test {
 protected:
  void SetUp() override { dir = test::MakeTempFolder("bx-cli-report-"); }
  void TearDown() override {
    server.stop();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string tcp() { return "--tcp 127.0.0.1:" + std::to_string(server.startTcp(0)); }

  // The panels as the report's language labels them.
  void panels(Context& ctx, int language) {
    std::string error;
    std::string resource = BX_RESOURCE_DIR;
    resource.append("/").append(kResourceFile);
    ASSERT_TRUE(LoadPanels(ctx, resource, error)) << error;
    if (language == kEnglish) return;
    LanguageData texts;
    ASSERT_TRUE(ParseLanguageFile(LanguageFilePath(BX_RESOURCE_DIR, language), texts, error)) << error;
    ApplyLanguage(ctx.ui, texts);
  }

  // The text of the report written with the environment's language.
  std::string report(const std::string& env, const std::string& args, int expectExit = 0) {
    const std::string pdf = dir + "/report.pdf";
    CliRun r = testsupport::RunCli("report --pdf " + pdf + " " + args + " " + tcp(), "2>&1", env + " ");
    EXPECT_EQ(r.exitCode, expectExit) << r.out;
    out = r.out;
    if (runText("command -v pdftotext").empty()) return {};
    return squeezed(runText("pdftotext -layout '" + pdf + "' -"));
  }

  sim::Server server{identity()};
  std::string dir, out;
};

TEST_F(CliReport, ThePdfHoldsTheSensorEveryParameterLabelAndTheTeachRowsInTheLanguageOfTheEnvironment) {
  struct Case {
    const char* env;
    int language;
    const char* words[3];  // of the report's own texts
  };
  const Case cases[] = {
      {"LANG=C LC_ALL= LC_MESSAGES=", kEnglish, {"Service report", "Calibration record", "Last scope record"}},
      {"LC_ALL= LC_MESSAGES= LANG=de_DE.UTF-8", kGerman, {"Servicebericht", "Kalibrierdatensatz", "Letzte Scope-Aufzeichnung"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.env);
    Context ctx;
    panels(ctx, c.language);
    const std::string text = report(c.env, "--scope --comment 'after cleaning, line 3'");
    EXPECT_NE(out.find("status: "), std::string::npos) << out;
    if (text.empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    for (const char* w : c.words) EXPECT_NE(text.find(w), std::string::npos) << w << "\n" << text;
    EXPECT_NE(text.find("4711"), std::string::npos);
    EXPECT_NE(text.find("Quellan-BX-28-K V5.45 service build"), std::string::npos);
    EXPECT_NE(text.find("V5.45"), std::string::npos);
    EXPECT_NE(text.find("after cleaning, line 3"), std::string::npos);
    for (const char* page : {"PARA1", "PARA2"}) {
      const ui::Panel& p = ctx.ui.panel(ctx.ui.findPanel(page));
      int labels = 0;
      for (const ui::Control& k : p.controls) {
        if (k.kind == ui::Kind::Button || k.label.empty()) continue;
        ++labels;
        EXPECT_NE(text.find(squeezed(k.label)), std::string::npos) << page << "." << k.name << " " << k.label;
      }
      EXPECT_GE(labels, 7) << page;
    }
    // Every row of the sensor's teach table, cell by cell in pixels.
    const auto teach = server.ramTeach();
    const ui::TableModel& t = ctx.ui.at(ctx.ui.find("TEACH", "TABLE")).table;
    ParamState p;
    p.teach = teach;
    for (int row = 0; row < param::kTeachRows; ++row) {
      std::string line = std::to_string(row);
      for (const param::ColumnBinding& col : param::TeachColumns()) {
        const double v = param::CellShown(p, col, row);
        std::string cell = std::to_string(static_cast<long>(v));
        if (col.conv == param::CellConv::Mode) cell = t.ringItems[static_cast<size_t>(v)].label;
        line += " " + cell;
      }
      EXPECT_NE(text.find("\n" + line + "\n"), std::string::npos) << line << "\n" << text;
    }
  }
}

TEST_F(CliReport, AReadThatFailsMidwayWritesNoPdfAndSaysWhichRead) {
  struct Case {
    uint8_t order;
    int param, skip;  // skip: the bring-up's own read of the same order goes through
    const char* args;
    const char* read;
  };
  const Case cases[] = {
      {order::kReadRam, 1, 1, "", "teach table"},
      {order::kReadRam, 0, 1, "", "parameter set"},
      {order::kHardwareInfo, sim::kAnyParam, 1, "", "hardware record"},
      {order::kVideoData, sim::kAnyParam, 0, "", "video signal"},
      {order::kScope, sim::kAnyParam, 0, "--scope", "scope record"},
  };
  const std::string pdf = dir + "/report.pdf";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.read);
    { std::ofstream(pdf) << "%PDF-1.4 the report of last week"; }
    sim::FaultRule rule;
    rule.fault = sim::Fault::Refuse;
    rule.order = c.order;
    rule.param = c.param;
    rule.skip = c.skip;
    server.clearFaults();
    server.setFault(rule);
    CliRun r = testsupport::RunCli("report --pdf " + pdf + " " + c.args + " " + tcp());
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find(std::string("status: Service report not written: reading the ") + c.read + " failed!"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(readFile(pdf), "%PDF-1.4 the report of last week");
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++entries;
    EXPECT_EQ(entries, 1u) << "nothing left beside the old report";
  }
}

TEST_F(CliReport, UsageErrorsAndATargetThatIsNoFileTouchNoSensor) {
  const std::string link = tcp();
  for (const std::string& args : {"report " + link, "report --pdf " + dir + "/r.pdf --colour red " + link,
                                  "report --pdf " + dir + "/r.pdf", "report --pdf " + dir + "/r.pdf --comment"}) {
    CliRun r = testsupport::RunCli(args);
    EXPECT_EQ(r.exitCode, 2) << args << "\n" << r.out;
  }
  CliRun r = testsupport::RunCli("report --pdf " + dir + " " + link);
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("status: Cannot write " + dir), std::string::npos) << r.out;
  EXPECT_EQ(server.requestCount(order::kEcho), 0);
}

TEST(CliReportLanguage, FollowsTheFirstLocaleVariableThatIsSet) {
  struct Case {
    const char *all, *messages, *lang;
    int language;
  } cases[] = {
      {nullptr, nullptr, nullptr, kEnglish},       {nullptr, nullptr, "de_DE.UTF-8", kGerman},
      {"", "", "de_AT", kGerman},                  {"C", nullptr, "de_DE.UTF-8", kEnglish},
      {nullptr, "en_GB.UTF-8", "de_DE", kEnglish}, {"de_CH", "en_US", nullptr, kGerman},
      {nullptr, nullptr, "fr_FR", kEnglish},
  };
  for (const Case& c : cases) EXPECT_EQ(cli::ReportLanguage(c.all, c.messages, c.lang), c.language);
}

}  // namespace
}  // namespace bx
