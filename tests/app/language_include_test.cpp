// Includes of the language files: they stay in the folder, end, and cost
// bounded time.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/app_fixture.h"
#include "app/localize.h"

namespace bx {
namespace {

TEST(LanguageInclude, StaysInTheFolderAndEnds) {
  testing_app::ProjectDir dir;
  const std::string outside = dir.path() + "-outside.lwl";
  { std::ofstream(outside) << "[CONN]\nACCEPT = from elsewhere\n"; }
  std::filesystem::create_symlink(outside, dir.file("escape.lwl"));
  dir.write("a.lwl", "[CONN]\nA = 1\ninclude b.lwl\n");
  dir.write("b.lwl", "[CONN]\nB = 2\ninclude a.lwl\n");
  LanguageData d;
  std::string error;
  EXPECT_FALSE(ParseLanguageText("[CONN]\ninclude escape.lwl\n", dir.path(), d, error));
  EXPECT_NE(error.find("outside"), std::string::npos) << error;
  EXPECT_FALSE(ParseLanguageText("[CONN]\ninclude " + outside + "\n", dir.path(), d, error));
  EXPECT_FALSE(ParseLanguageFile(dir.file("a.lwl"), d, error));
  EXPECT_NE(error.find("includes itself"), std::string::npos) << error;
  EXPECT_TRUE(d.empty());
  std::filesystem::remove(outside);

  // Every include of a file of its own, however often, is read.
  dir.write("part.lwl", "[CONN]\nP = 3\n");
  ASSERT_TRUE(ParseLanguageText("include part.lwl\ninclude part.lwl\n", dir.path(), d, error)) << error;
  EXPECT_EQ(*d.find("CONN", "P"), "3");
}

TEST(LanguageInclude, ManyIncludesOfLargeFilesAreBounded) {
  testing_app::ProjectDir dir;
  // 2 MiB of comments included 64 times, twice over: 256 MiB unbounded.
  dir.write("big.lwl", std::string(2 * 1024 * 1024, '#') + "\n[CONN]\nX = 1\n");
  std::string fan;
  for (int i = 0; i < 64; ++i) fan += "include big.lwl\n";
  dir.write("fan.lwl", fan);
  LanguageData d;
  std::string error;
  EXPECT_FALSE(ParseLanguageText("include fan.lwl\ninclude fan.lwl\n", dir.path(), d, error));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

}  // namespace
}  // namespace bx
