// The Quick-Start manuals the build renders beside the desktop tool: all
// four files the Help menu may open are PDFs of several pages, and the
// renderer refuses what it cannot render without leaving a file behind.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "app/startup.h"

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
  fs::remove_all(dir);
}

}  // namespace
