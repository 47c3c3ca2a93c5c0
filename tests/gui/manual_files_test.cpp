// The Quick-Start manuals the build renders beside the desktop tool: all
// four files the Help menu may open are PDFs of several pages that hold
// every heading and the last line of their source, in order; the renderer
// refuses what it cannot render without leaving a file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/startup.h"
#include "tests/support/file_size_limit.h"

namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Page objects of a PDF ("/Type /Page", not the "/Type /Pages" tree).
int pageCount(const std::string& pdf) {
  static const std::regex page("/Type\\s*/Page(?![s])");
  return static_cast<int>(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

// The text of a PDF as poppler's pdftotext reads it, with the typesetting
// ligatures spelt out and all white space as single blanks.
std::string pdfText(const fs::path& pdf) {
  const std::string cmd = "pdftotext -enc UTF-8 '" + pdf.string() + "' - 2>/dev/null";
  std::string text;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    ::pclose(p);
  }
  for (auto [lig, plain] : {std::pair{"\xEF\xAC\x80", "ff"}, {"\xEF\xAC\x81", "fi"}, {"\xEF\xAC\x82", "fl"}})
    for (size_t at; (at = text.find(lig)) != std::string::npos;) text.replace(at, 3, plain);
  return std::regex_replace(text, std::regex("\\s+"), " ");
}

// The headings of a Markdown source and its last line, as plain text.
std::vector<std::string> landmarks(const fs::path& source, const std::string& sensor) {
  std::vector<std::string> out;
  std::ifstream in(source);
  std::string line, last;
  while (std::getline(in, line)) {
    for (size_t at; (at = line.find("{SENSOR}")) != std::string::npos;) line.replace(at, 8, sensor);
    if (line.rfind("#", 0) == 0) out.push_back(line.substr(line.find_first_not_of("# ")));
    if (!line.empty()) last = line;
  }
  out.push_back(std::regex_replace(last, std::regex("[*_`]"), ""));
  return out;
}

int runManualTool(const std::string& args) {
  const std::string cmd = bx::ExecutableDir() + "/bx-manual " + args + " 2>/dev/null";
  const int st = std::system(cmd.c_str());
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

TEST(ManualFiles, EveryManualTheMenuOpensIsAPdfOfSeveralPages) {
  const fs::path bin = bx::ExecutableDir();
  std::string en, de;
  for (const char* name : {"_man_en_BX-ScopeV55nn.pdf", "_man_de_BX-ScopeV55nn.pdf", "Quellan_BX_N_V5_en.pdf",
                           "Quellan_BX_N_V5_de.pdf"}) {
    SCOPED_TRACE(name);
    const std::string pdf = readAll(bin / name);
    ASSERT_FALSE(pdf.empty()) << "missing after the build";
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("%%EOF"), std::string::npos) << "cut short";
    EXPECT_GT(pageCount(pdf), 1);
    EXPECT_FALSE(fs::exists(bin / (std::string(name) + ".part")));
    if (std::string(name).find("_man_en_") == 0) en = pdf;
    if (std::string(name).find("_man_de_") == 0) de = pdf;
  }
  EXPECT_NE(en, de);
}

TEST(ManualFiles, EveryHeadingAndTheLastLineAreThereInOrder) {
  const fs::path bin = bx::ExecutableDir();
  const fs::path docs = fs::path(BX_SOURCE_DIR) / "docs/manual";
  const struct {
    const char* pdf;
    const char* source;
    const char* sensor;
  } manuals[] = {{"_man_en_BX-ScopeV55nn.pdf", "quickstart_en.md", "Quellan-BX-K/N"},
                 {"_man_de_BX-ScopeV55nn.pdf", "quickstart_de.md", "Quellan-BX-K/N"},
                 {"Quellan_BX_N_V5_en.pdf", "quickstart_en.md", "Quellan-BX-6-N"},
                 {"Quellan_BX_N_V5_de.pdf", "quickstart_de.md", "Quellan-BX-6-N"}};
  for (const auto& m : manuals) {
    SCOPED_TRACE(m.pdf);
    const std::string text = pdfText(bin / m.pdf);
    ASSERT_FALSE(text.empty()) << "pdftotext (poppler-utils, scripts/install-deps.sh) read nothing";
    EXPECT_NE(text.find(m.sensor), std::string::npos);
    size_t from = 0;
    for (const std::string& mark : landmarks(docs / m.source, m.sensor)) {
      const size_t at = text.find(mark, from);
      EXPECT_NE(at, std::string::npos) << "missing or out of order: " << mark;
      if (at != std::string::npos) from = at + mark.size();
    }
  }
}

// A line of text stands once in the text layer: the last lines of a page
// are not drawn again (above the paper) on the next. Short lines may repeat
// (the footer, the tail of a wrapped sentence); a long one may not.
TEST(ManualFiles, NoLineIsRepeatedAtAPageBreak) {
  const fs::path bin = bx::ExecutableDir();
  for (const char* name : {"_man_en_BX-ScopeV55nn.pdf", "_man_de_BX-ScopeV55nn.pdf", "Quellan_BX_N_V5_en.pdf",
                           "Quellan_BX_N_V5_de.pdf"}) {
    SCOPED_TRACE(name);
    std::string text;
    if (FILE* p = ::popen(("pdftotext -enc UTF-8 '" + (bin / name).string() + "' - 2>/dev/null").c_str(), "r")) {
      char buf[4096];
      size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
      ::pclose(p);
    }
    ASSERT_FALSE(text.empty()) << "pdftotext (poppler-utils, scripts/install-deps.sh) read nothing";
    std::map<std::string, int> seen;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, '\n');) {
      line = std::regex_replace(line, std::regex("^[\\s\f]+|\\s+$"), "");
      if (line.size() >= 40) ++seen[line];
    }
    EXPECT_GT(seen.size(), 50u);
    for (const auto& [line, count] : seen) EXPECT_EQ(count, 1) << line;
  }
}

TEST(ManualFiles, TheRendererRefusesWhatItCannotRender) {
  const fs::path dir = fs::path(::testing::TempDir()) / "bx-manual-test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string out = (dir / "out.pdf").string();
  // No source.
  EXPECT_NE(runManualTool((dir / "none.md").string() + " " + out), 0);
  // A source naming the sensor, without the sensor's name.
  std::ofstream(dir / "s.md") << "# Title for {SENSOR}\n\nText.\n";
  EXPECT_NE(runManualTool((dir / "s.md").string() + " " + out), 0);
  EXPECT_FALSE(fs::exists(out));
  // With it: one page, written in place.
  EXPECT_EQ(runManualTool((dir / "s.md").string() + " " + out + " --sensor X-1"), 0);
  EXPECT_EQ(pageCount(readAll(out)), 1);
  EXPECT_FALSE(fs::exists(out + ".part"));
  const std::string rendered = readAll(out);
  {
    // A full disk fails the build step and keeps the manual that was there.
    bx::test::FileSizeLimit limit(1000);
    ASSERT_TRUE(limit.ok());
    EXPECT_NE(runManualTool((dir / "s.md").string() + " " + out + " --sensor X-2"), 0);
  }
  EXPECT_EQ(readAll(out), rendered);
  // Only a regular file is replaced; a FIFO is neither an output nor a source.
  const std::string fifo = (dir / "fifo.pdf").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_NE(runManualTool((dir / "s.md").string() + " " + fifo + " --sensor X-1"), 0);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_NE(runManualTool(fifo + " " + out + " --sensor X-1"), 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 3) << "nothing left beside the outputs";
  fs::remove_all(dir);
}

}  // namespace
