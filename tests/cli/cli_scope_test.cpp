// quellan-bx-cli scope, run as a program against the simulator: the record
// as a TSV file over TCP and the pty, the time limit that disarms, a
// refused record, and usage errors.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/faults.h"
#include "sim/server.h"
#include "tests/support/cli_run.h"
#include "tests/support/file_size_limit.h"
#include "wire/orders.h"

namespace bx {
namespace {

using testsupport::CliRun;

std::vector<std::string> lines(const std::string& s) {
  std::vector<std::string> out;
  std::stringstream in(s);
  std::string l;
  while (std::getline(in, l)) out.push_back(l);
  return out;
}

// What a shell command prints on stdout.
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

class CliScope : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "bx-cli-scope-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    server.stop();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string tcp() { return "--tcp 127.0.0.1:" + std::to_string(server.startTcp(0)); }

  void expectRecord(const std::string& path, int rate) {
    const auto rows = lines(readFile(path));
    ASSERT_EQ(rows.size(), 129u);
    EXPECT_EQ(rows[0], "INDEX\tTIME[ms]\tVALUE[um]\tBIT24\tBIT25\tBIT26\tBIT27\tBIT28");
    // The simulator measures every 500 us: the period is N * 0.5 ms.
    for (int i = 1; i <= 128; ++i) {
      std::stringstream in(rows[static_cast<size_t>(i)]);
      std::vector<std::string> c;
      std::string cell;
      while (std::getline(in, cell, '\t')) c.push_back(cell);
      ASSERT_EQ(c.size(), 8u) << rows[static_cast<size_t>(i)];
      EXPECT_EQ(std::stoi(c[0]), i - 1);
      EXPECT_NEAR(std::stod(c[1]), (i - 1) * 0.5 * rate, 1e-3);
      EXPECT_GT(std::stol(c[2]), 0);
      for (int b = 3; b < 8; ++b) EXPECT_TRUE(c[static_cast<size_t>(b)] == "0" || c[static_cast<size_t>(b)] == "1");
    }
  }

  sim::Server server;
  std::string dir;
};

TEST_F(CliScope, WritesTheRecordOverTcpAndThePty) {
  const std::string out = dir + "/scope.tsv";
  CliRun r = testsupport::RunCli("scope --out " + out + " --trigger-mode rising --level 30 --pretrigger 5 --rate 4 " +
                                 tcp());
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("status: "), std::string::npos);
  expectRecord(out, 4);
  // The sensor was armed with exactly these settings.
  EXPECT_EQ(server.lastRequest(order::kScope).payload,
            (std::vector<uint8_t>{1, 0, 30, 0, 5, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  const std::string pty = server.startPty();
  ASSERT_FALSE(pty.empty());
  const std::string out2 = dir + "/scope2.tsv";
  r = testsupport::RunCli("scope --out " + out2 + " --serial " + pty);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  expectRecord(out2, 1);
}

TEST_F(CliScope, WithoutARecordItDisarmsAtTheTimeLimitAndKeepsTheOldFile) {
  const std::string out = dir + "/scope.tsv";
  { std::ofstream(out) << "earlier record\n"; }
  const std::string link = tcp();
  // External input: no trigger ever comes.
  CliRun r = testsupport::RunCli("scope --force --out " + out + " --trigger-mode external --timeout 0.5 " + link);
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("status: SCOPE-MODULE: No record received - scope disarmed!"), std::string::npos) << r.out;
  EXPECT_EQ(server.lastRequest(order::kScope).param, 0);
  EXPECT_FALSE(server.scopeArmed());
  EXPECT_EQ(readFile(out), "earlier record\n");

  sim::FaultRule rule;
  rule.fault = sim::Fault::ShortPayload;
  rule.arg = 300;
  rule.order = order::kScope;
  rule.spontaneous = true;
  server.setFault(rule);
  r = testsupport::RunCli("scope --force --out " + out + " " + link);
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("status: SCOPE-MODULE: Record incomplete - previous picture kept!"), std::string::npos) << r.out;
  EXPECT_EQ(readFile(out), "earlier record\n");
}

TEST_F(CliScope, AnExistingFileIsKeptWithoutForce) {
  const std::string link = tcp();
  const std::string tsv = dir + "/scope.tsv", pdf = dir + "/scope.pdf";
  for (const std::string& existing : {tsv, pdf}) {
    SCOPED_TRACE(existing);
    std::filesystem::remove(tsv);
    std::filesystem::remove(pdf);
    { std::ofstream(existing) << "earlier"; }
    CliRun r = testsupport::RunCli("scope --out " + tsv + " --pdf " + pdf + " " + link);
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("status: " + existing + " exists - not overwritten (give --force to replace it)\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(readFile(existing), "earlier");
    EXPECT_EQ(server.requestCount(order::kScope), 0) << "refused before the sensor was armed";
  }
#ifdef BX_CLI_PDF
  CliRun r = testsupport::RunCli("scope --force --out " + tsv + " --pdf " + pdf + " " + link);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  expectRecord(tsv, 1);
  EXPECT_EQ(readFile(pdf).rfind("%PDF-", 0), 0u);
#endif
}

#ifdef BX_CLI_PDF
// The print-out the desktop tool prints, rendered by the command-line tool:
// its lines in their order, the scope page's fields and graphs as text and
// paths, the page count in the footer.
TEST_F(CliScope, ThePdfHoldsThePrintOutInItsOrder) {
  const std::string tsv = dir + "/scope.tsv", pdf = dir + "/scope.pdf";
  CliRun r = testsupport::RunCli("scope --trigger-mode rising --out " + tsv + " --pdf " + pdf + " " + tcp());
  ASSERT_EQ(r.exitCode, 0) << r.out;
  const std::string raw = readFile(pdf);
  ASSERT_EQ(raw.rfind("%PDF-", 0), 0u);
  EXPECT_EQ(raw.find("/Subtype /Image"), std::string::npos) << "the graphs are paths, not a picture";
  if (runText("command -v pdftotext").empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  const std::string text = runText("pdftotext -layout '" + pdf + "' -");
  size_t at = 0;
  for (const char* t : {"Scope Screen Shot", "Quellan-BX-Scope", "Trigger-Mode: RISING EDGE", "MEASUREMENT-VALUE",
                        "Digital", "Page 1 of 1"}) {
    const size_t found = text.find(t, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << t << "\n" << text;
    at = found;
  }
}

#ifdef __linux__
// A service PC installs the command-line tool without a desktop: the PDF
// needs Qt GUI, never the widget or printer libraries or the graph widget.
TEST(CliBinary, NeedsNoWidgetLibraries) {
  const std::string libs = runText("ldd '" + ExecutableDir() + "/quellan-bx-cli' 2>&1");
  ASSERT_NE(libs.find("libQt6Gui"), std::string::npos) << libs;
  for (const char* lib : {"libQt6Widgets", "libQt6PrintSupport", "qcustomplot"})
    EXPECT_EQ(libs.find(lib), std::string::npos) << lib << " in\n" << libs;
}
#endif

TEST_F(CliScope, AFullDiskFailsThePdfAndKeepsTheOldOne) {
  const std::string tsv = dir + "/scope.tsv", pdf = dir + "/scope.pdf";
  { std::ofstream(pdf) << "%PDF-1.4 the earlier print-out"; }
  const std::string link = tcp();
  CliRun r;
  {
    // The tool inherits the limit: room for the TSV file, not for a PDF.
    bx::test::FileSizeLimit limit(12000);
    ASSERT_TRUE(limit.ok());
    r = testsupport::RunCli("scope --force --out " + tsv + " --pdf " + pdf + " " + link);
  }
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("status: Cannot write " + pdf + ": cannot write \"" + pdf + "\""), std::string::npos) << r.out;
  EXPECT_EQ(readFile(pdf), "%PDF-1.4 the earlier print-out");
  expectRecord(tsv, 1);
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 2u) << "nothing left beside the PDF";
}
#endif

TEST_F(CliScope, ASpoiledArmIsDisarmedAndARefusedDisarmSaysSo) {
  const std::string out = dir + "/scope.tsv";
  const std::string link = tcp();
  auto fault = [&](const char* text) {
    sim::FaultRule f;
    ASSERT_TRUE(sim::parseFaultRule(text, f)) << text;
    server.setFault(f);
  };
  // The sensor carried out the arm request but its acknowledgement was
  // spoiled or lost: the tool disarms it before it gives up.
  for (const char* spoiled : {"header-crc:1@110/1", "no-reply:1@110/1", "wrong-order=9:1@110/1"}) {
    SCOPED_TRACE(spoiled);
    server.clearFaults();
    fault(spoiled);
    const int before = server.requestCount(order::kScope);
    const CliRun r = testsupport::RunCli("scope --out " + out + " --trigger-mode external --timeout 0.5 " + link);
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_EQ(server.requestCount(order::kScope), before + 2) << r.out;
    EXPECT_EQ(server.lastRequest(order::kScope).param, 0);
    EXPECT_FALSE(server.scopeArmed()) << r.out;
    EXPECT_FALSE(std::filesystem::exists(out));
  }

  // A disarm the sensor refuses, after the time limit and after a spoiled
  // arm, is never reported as done.
  for (const char* refusal : {"", "header-crc:1@110/1"}) {
    SCOPED_TRACE(refusal);
    server.clearFaults();
    fault("refuse=2:1@110/0");
    if (*refusal) fault(refusal);
    const CliRun r = testsupport::RunCli("scope --out " + out + " --trigger-mode external --timeout 0.3 " + link);
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("status: SCOPE-MODULE: Disarm refused - the scope may still be armed!"), std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("scope disarmed!"), std::string::npos) << r.out;
    EXPECT_EQ(server.lastRequest(order::kScope).param, 0);
  }
  server.clearFaults();
}

TEST_F(CliScope, ADuplicatedArmAcknowledgementIsNoRecord) {
  const std::string out = dir + "/scope.tsv";
  sim::FaultRule twice;
  ASSERT_TRUE(sim::parseFaultRule("duplicate:1@110/1", twice));
  server.setFault(twice);
  const CliRun r = testsupport::RunCli("scope --out " + out + " " + tcp());
  // The second, empty acknowledgement ends the wait as a frame without data
  // does: the scope is disarmed and nothing is written.
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_FALSE(server.scopeArmed()) << r.out;
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CliScope, UsageErrorsExitWith2) {
  // One file for both outputs, however it is named.
  { std::ofstream(dir + "/same.tsv") << "kept"; }
  std::filesystem::create_symlink(dir + "/same.tsv", dir + "/alias.pdf");
  for (const std::string& args : {"scope --out " + dir + "/x.tsv --pdf " + dir + "/x.tsv --tcp h",
                                 "scope --out " + dir + "/x.tsv --pdf " + dir + "/./x.tsv --tcp h",
                                 "scope --out " + dir + "/same.tsv --pdf " + dir + "/alias.pdf --force --tcp h"}) {
    SCOPED_TRACE(args);
    const CliRun r = testsupport::RunCli(args);
    EXPECT_EQ(r.exitCode, 2) << r.out;
    EXPECT_NE(r.out.find("--out and --pdf name the same file"), std::string::npos) << r.out;
  }
  EXPECT_EQ(readFile(dir + "/same.tsv"), "kept");
  for (const char* args : {"scope --tcp 127.0.0.1:1", "scope --out x.tsv", "scope --out x.tsv --level 101 --tcp h",
                           "scope --out x.tsv --trigger-mode sideways --tcp h", "scope --out x.tsv --rate 0 --tcp h",
                           "scope --out x.tsv --timeout 0 --tcp h", "scope --out x.tsv --pretrigger 128 --tcp h"}) {
    SCOPED_TRACE(args);
    EXPECT_EQ(testsupport::RunCli(args).exitCode, 2);
  }
}

}  // namespace
}  // namespace bx
