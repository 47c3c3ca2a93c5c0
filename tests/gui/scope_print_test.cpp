// The scope's print-out rendered offscreen into a PDF file: its texts in
// their order, header and footer, and graphs drawn as vectors rather than
// pasted in as a picture; tables and headings over page breaks.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "gui/print_render.h"
#include "params/params_fixture.h"
#include "platform/date_text.h"
#include "scope/print.h"
#include "scope/scope.h"
#include "tests/support/file_size_limit.h"

namespace bx::test {
namespace {

std::string run(const std::string& cmd) {
  std::string out;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

std::string readAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream raw;
  raw << f.rdbuf();
  return raw.str();
}

size_t entries(const std::string& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

class ScopePrint : public ParamsTest {};

TEST_F(ScopePrint, ThePdfHoldsTheTextsInOrderAndTheGraphsAsVectors) {
  connectTcp();
  ctx->ui.setValue(ctx->scope.refs.trigMode, 1);
  PushSCOPE(*ctx);
  ASSERT_EQ(ctx->scope.outcome, ScopeOutcome::Shown) << ctx->status;
  ctx->app.hwInfoVersionText = " Build: V5.5.0  02/Jun/2026";
  ctx->ui.setText(ctx->scope.refs.comment, "Batch 7, line 3 after cleaning");
  const std::time_t now = std::time(nullptr);
  const ui::PrintJob job = BuildScopePrintJob(*ctx, now);
  const std::string path = tempDir() + "/shot.pdf";
  std::string error;
  ASSERT_TRUE(gui::PrintJobToPdf(ctx->ui, job, path, error)) << error;

  std::ifstream f(path, std::ios::binary);
  std::stringstream raw;
  raw << f.rdbuf();
  ASSERT_EQ(raw.str().rfind("%PDF", 0), 0u);
  // A picture of the panel would be an image object; the graphs are paths.
  EXPECT_EQ(raw.str().find("/Subtype /Image"), std::string::npos);
  EXPECT_EQ(raw.str().find("/Subtype/Image"), std::string::npos);

  if (run("command -v pdftotext").empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  const std::string text = run("pdftotext -layout '" + path + "' -");
  const char* inOrder[] = {"Scope Screen Shot",
                           // pdftotext shows two blanks as one
                           "Quellan-BX-Scope",
                           "Build: V5.5.0",
                           "02/Jun/2026",
                           "Comment:",
                           "Batch 7, line 3 after cleaning",
                           "Trigger-Mode: RISING EDGE",
                           "MEASUREMENT-VALUE [pixel]",
                           "Time [ms]",
                           "Digital",
                           "Page 1 of 1"};
  size_t at = 0;
  for (const char* t : inOrder) {
    const size_t found = text.find(t, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << t << "\n" << text;
    at = found;
  }
  EXPECT_NE(text.find(platform::DateStr(now)), std::string::npos) << text;
  EXPECT_LT(text.find(platform::DateStr(now)), text.find("Scope Screen Shot"));
}

TEST_F(ScopePrint, ATableGoesOnOverPageBreaksUnderItsHeaderAndAHeadingStaysWithIt) {
  ui::PrintJob job;
  job.footer = "Page {n} of {m}";
  for (int i = 0; i < 44; ++i) job.text("filler line " + std::to_string(i), 10);
  job.text("Heading of the table", 14);
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 90; ++i) rows.push_back({"row " + std::to_string(i), std::to_string(i * 7), "x"});
  job.table({"Name", "Number", "Mark"}, rows, {2, 1, 0.5}, 9);
  job.graphShot(ref("VIDEO", "VIDEOGRAPH"), 0.4);
  const std::string path = tempDir() + "/table.pdf";
  std::string error;
  ASSERT_TRUE(gui::PrintJobToPdf(ctx->ui, job, path, error)) << error;
  if (run("command -v pdftotext").empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  const std::string text = run("pdftotext -layout '" + path + "' -");
  std::vector<std::string> pages;
  for (size_t from = 0, ff; from < text.size(); from = ff + 1) {
    ff = text.find('\f', from);
    if (ff == std::string::npos) ff = text.size();
    pages.push_back(text.substr(from, ff - from));
  }
  while (!pages.empty() && pages.back().find_first_not_of(" \n") == std::string::npos) pages.pop_back();
  ASSERT_GE(pages.size(), 3u) << text;
  int rowsSeen = 0;
  for (size_t n = 0; n < pages.size(); ++n) {
    const std::string& page = pages[n];
    const size_t first = page.find("row ");
    if (first == std::string::npos) continue;
    // Every page with rows shows the header above them, once.
    const size_t header = page.find("Name");
    EXPECT_LT(header, first) << "page " << n + 1 << "\n" << page;
    EXPECT_EQ(page.find("Name", header + 1), std::string::npos) << page;
    for (size_t at = first; (at = page.find("row ", at)) != std::string::npos; ++at) ++rowsSeen;
  }
  EXPECT_EQ(rowsSeen, 90);
  // The heading is on the page of the table's first row, not alone at the
  // foot of the page before.
  for (const std::string& page : pages)
    if (page.find("Heading of the table") != std::string::npos) {
      EXPECT_NE(page.find("row 0 "), std::string::npos) << page;
    }
  const std::string count = std::to_string(pages.size());
  EXPECT_NE(pages.back().find("Page " + count + " of " + count), std::string::npos) << pages.back();
}

TEST_F(ScopePrint, AnUnwritablePdfFailsAndLeavesNothingBehind) {
  const ui::PrintJob job = BuildScopePrintJob(*ctx, std::time(nullptr));
  std::string error;
  EXPECT_FALSE(gui::PrintJobToPdf(ctx->ui, job, tempDir() + "/no/such/dir/shot.pdf", error));
  EXPECT_FALSE(error.empty());

  // A full disk part-way: an error, and the old print-out stays whole.
  const std::string dir = tempDir() + "/out";
  std::filesystem::create_directory(dir);
  const std::string path = dir + "/shot.pdf";
  { std::ofstream(path) << "%PDF-1.4 the earlier print-out"; }
  {
    FileSizeLimit limit(2000);
    ASSERT_TRUE(limit.ok());
    error.clear();
    EXPECT_FALSE(gui::PrintJobToPdf(ctx->ui, job, path, error));
  }
  EXPECT_NE(error.find(path), std::string::npos) << error;
  EXPECT_EQ(readAll(path), "%PDF-1.4 the earlier print-out");
  EXPECT_EQ(entries(dir), 1u);

  // No fixed temporary name: a link planted at one is not followed, a file
  // of that name is not touched.
  const std::string victim = dir + "/victim";
  { std::ofstream(victim) << "someone else's"; }
  std::filesystem::create_symlink(victim, path + ".part");
  { std::ofstream(path + ".tmp") << "theirs"; }
  ASSERT_TRUE(gui::PrintJobToPdf(ctx->ui, job, path, error)) << error;
  EXPECT_EQ(readAll(path).rfind("%PDF", 0), 0u);
  EXPECT_EQ(readAll(victim), "someone else's");
  EXPECT_TRUE(std::filesystem::is_symlink(path + ".part"));
  EXPECT_EQ(readAll(path + ".tmp"), "theirs");
  EXPECT_EQ(entries(dir), 4u);

  // A read-only print-out and a FIFO are refused and stay as they are.
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  const std::string before = readAll(path);
  EXPECT_FALSE(gui::PrintJobToPdf(ctx->ui, job, path, error));
  EXPECT_NE(error.find("read-only"), std::string::npos) << error;
  EXPECT_EQ(readAll(path), before);
  const std::string fifo = dir + "/fifo.pdf";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_FALSE(gui::PrintJobToPdf(ctx->ui, job, fifo, error));
  EXPECT_NE(error.find("FIFO"), std::string::npos) << error;
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  // A link to a print-out: its target is written, the link stays.
  const std::string target = dir + "/real.pdf";
  { std::ofstream(target) << "old"; }
  std::filesystem::create_symlink(target, dir + "/link.pdf");
  ASSERT_TRUE(gui::PrintJobToPdf(ctx->ui, job, dir + "/link.pdf", error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link.pdf"));
  EXPECT_EQ(readAll(target).rfind("%PDF", 0), 0u);
}

}  // namespace
}  // namespace bx::test
