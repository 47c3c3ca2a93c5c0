// The panel resource loader against damaged or hostile resource folders:
// includes stay in the folder, end, and cost bounded time and memory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "files/temp_dir.h"
#include "ui/resource.h"

namespace bx {
namespace {

using testing_files::TempDir;
using testing_files::writeBytes;

class ResourceFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root.ok());
    std::filesystem::create_directory(dir());
    writeBytes(root.file("outside.uir"), "panel OUT\n");
    writeBytes(file("page.uir"), "panel PAGE\nbutton B at=0,0\n");
  }
  std::string dir() const { return root.file("res"); }
  std::string file(const std::string& name) const { return dir() + "/" + name; }

  // Loads text as a resource of the folder; the reason of a failure in error.
  bool load(const std::string& text) {
    ui = ui::Ui();
    error.clear();
    const bool ok = ui::loadResourceText(ui, text, error, dir());
    if (!ok) {
      EXPECT_TRUE(ui.panels.empty() && ui.menuBar.menus.empty() && !error.empty()) << text;
    }
    return ok;
  }

  TempDir root;
  ui::Ui ui;
  std::string error;
};

TEST_F(ResourceFolder, IncludesNeverLeaveTheFolder) {
  std::filesystem::create_symlink("../outside.uir", file("escape.uir"));
  std::filesystem::create_symlink("page.uir", file("alias.uir"));
  for (const std::string& name :
       {std::string("../outside.uir"), root.file("outside.uir"), std::string("escape.uir"), std::string(".."),
        std::string("."), std::string("sub/page.uir")}) {
    EXPECT_FALSE(load("panel A\ninclude " + name + "\n")) << name;
    EXPECT_NE(error.find("cannot include"), std::string::npos) << error;
  }
  load("panel A\ninclude escape.uir\n");
  EXPECT_NE(error.find("outside"), std::string::npos) << error;

  // A link that stays inside the folder is an ordinary include.
  ASSERT_TRUE(load("panel A\ninclude alias.uir\n")) << error;
  EXPECT_GE(ui.findPanel("PAGE"), 0);
}

TEST_F(ResourceFolder, IncludeCyclesEndWithAReason) {
  writeBytes(file("a.uir"), "panel A\ninclude b.uir\n");
  writeBytes(file("b.uir"), "include a.uir\n");
  EXPECT_FALSE(load("include a.uir\n"));
  EXPECT_NE(error.find("includes itself"), std::string::npos) << error;

  // The file that was loaded counts too: it may not include itself.
  writeBytes(file("self.uir"), "panel S\ninclude self.uir\n");
  EXPECT_FALSE(ui::loadResourceFile(ui, file("self.uir"), error));
  EXPECT_NE(error.find("includes itself"), std::string::npos) << error;

  // The same page included twice in a row is not a cycle (its panel is
  // then defined twice, which is the reason given).
  EXPECT_FALSE(load("include page.uir\ninclude page.uir\n"));
  EXPECT_NE(error.find("defined twice"), std::string::npos) << error;
}

TEST_F(ResourceFolder, WhatIsReadIsBounded) {
  // Each of three levels includes the next 64 times: 64^3 copies of a
  // 64 KiB file, were it not for the bound on the whole resource.
  const std::string padding(64 * 1024, '#');
  writeBytes(file("c.uir"), padding + "\n");
  std::string fanB, fanA;
  for (int i = 0; i < 64; ++i) fanB += "include c.uir\n";
  for (int i = 0; i < 64; ++i) fanA += "include b.uir\n";
  writeBytes(file("b.uir"), fanB);
  writeBytes(file("a.uir"), fanA);
  EXPECT_FALSE(load("panel A\ninclude a.uir\n"));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;

  // One oversized file, a folder and a FIFO are refused without reading them.
  writeBytes(file("huge.uir"), std::string(2 * 1024 * 1024, '#'));
  EXPECT_FALSE(ui::loadResourceFile(ui, file("huge.uir"), error));
  EXPECT_FALSE(load("panel A\ninclude huge.uir\n"));
  std::filesystem::create_directory(file("folder.uir"));
  EXPECT_FALSE(load("panel A\ninclude folder.uir\n"));
  ASSERT_EQ(::mkfifo(file("fifo.uir").c_str(), 0600), 0);
  EXPECT_FALSE(load("panel A\ninclude fifo.uir\n"));
  EXPECT_FALSE(ui::loadResourceFile(ui, file("fifo.uir"), error));
}

TEST_F(ResourceFolder, SizesPositionsAndTabPagesAreChecked) {
  for (const char* text : {
           "panel A\ntable T rows=1000 cols=1000\n",                       // cells of one table
           "panel A\ntable T rows=400 cols=400\ntable U rows=400 cols=400\n",  // cells of the resource
           "panel A\nstrip S traces=16 points=100000\nstrip T traces=16 points=100000\n"
           "strip U traces=16 points=100000\n",                            // strip chart points
           "panel A\nbutton B at=-1,0\n", "panel A\nbutton B at=0,0,0,1\n", "panel A\nbutton B at=0,1000\n",
           "panel A grid=0x4\n", "panel A grid=2000x4\n", "panel A size=200000x100\n",
           "panel A\ntab T pages=A\n",                                     // its own page
           "panel A\ntab T pages=B\npanel B\ntab U pages=A\n",             // pages of each other
           "panel A\ntab T pages=C\npanel B\ntab U pages=C\npanel C\n",   // one page on two tabs
           "menu FILE label=\"File\"\nitem OPEN label=\"Open\"\n",             // menus but no panel
       }) {
    EXPECT_FALSE(load(text)) << text;
  }
  // Within the bounds, the last geometry given counts, whatever the key order.
  ASSERT_TRUE(load("panel A grid=1000x1000 size=100000x100000\n"
                   "table T cols=3 collabels=\"X|Y|Z\" rows=2 rows=4 at=999,999,1000,1000\n"))
      << error;
  const auto& t = ui.panels[0].controls[0].table;
  EXPECT_EQ(t.rows, 4);
  EXPECT_EQ(t.cols, 3);
  EXPECT_EQ(t.cells.size(), 12u);
  EXPECT_EQ(t.colLabels[2], "Z");

  // Table keys on another kind of control leave a consistent (empty) table.
  ASSERT_TRUE(load("panel A\ngraph G collabels=\"X|Y|Z\" colkinds=1,1\n")) << error;
  const auto& g = ui.panels[0].controls[0].table;
  EXPECT_EQ(g.colLabels.size(), 0u);
  EXPECT_EQ(g.colKind.size(), 0u);
}

}  // namespace
}  // namespace bx
