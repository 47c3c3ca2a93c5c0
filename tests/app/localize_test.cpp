// The language file format on its own.
#include <gtest/gtest.h>

#include "app/app_fixture.h"
#include "app/localize.h"
#include "ui/resource.h"

namespace bx {
namespace {

TEST(LanguageFile, EntriesEscapesAndIncludes) {
  testing_app::ProjectDir dir;
  dir.write("part.lwl", "[PARA1]\nPOWER = Laserleistung\n");
  LanguageData d;
  std::string error;
  ASSERT_TRUE(ParseLanguageText("# comment\n\n[CONN]\r\nACCEPT = Accept  settings \r\n"
                                "ACCEPT.help = A:\\nline\\\\x\\t\n.title = Conn\nCOM_TYPE.items = A | B|C\n"
                                "include part.lwl\n[MENU]\nHELP.ABOUT = About = info\n",
                                dir.path(), d, error))
      << error;
  ASSERT_NE(d.find("CONN", "ACCEPT"), nullptr);
  EXPECT_EQ(*d.find("CONN", "ACCEPT"), "Accept  settings ");
  EXPECT_EQ(*d.find("CONN", "ACCEPT.help"), "A:\nline\\x\\t");
  EXPECT_EQ(*d.find("CONN", ".title"), "Conn");
  EXPECT_EQ(*d.find("PARA1", "POWER"), "Laserleistung");
  EXPECT_EQ(*d.find("MENU", "HELP.ABOUT"), "About = info");
  EXPECT_EQ(d.find("CONN", "MISSING"), nullptr);
}

TEST(LanguageFile, DamagedTextIsRefusedAndLeavesTheOldData) {
  testing_app::ProjectDir dir;
  LanguageData d;
  d.entries[LanguageData::makeKey("CONN", "ACCEPT")] = "kept";
  std::string error;
  for (const char* bad : {"ACCEPT = before any section\n", "[CONN]\njust words\n", "[CONN\nX = 1\n",
                          "[CONN]\n = no key\n", "[CONN]\nX = \xff\xfe\n", "[CONN]\nX = \xc3\n",
                          "[CONN]\ninclude nothere.lwl\n", "[CONN]\ninclude ../escape.lwl\n"}) {
    error.clear();
    EXPECT_FALSE(ParseLanguageText(bad, dir.path(), d, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  // A file that includes itself ends instead of recursing without end.
  dir.write("self.lwl", "[A]\nB = c\ninclude self.lwl\n");
  EXPECT_FALSE(ParseLanguageFile(dir.file("self.lwl"), d, error));
  EXPECT_EQ(*d.find("CONN", "ACCEPT"), "kept");
  // A file without any text does not localise anything.
  dir.write("empty.lwl", "# nothing\n");
  EXPECT_FALSE(ParseLanguageFile(dir.file("empty.lwl"), d, error));
}

TEST(LanguageFile, ApplyKeepsItemValuesAndSkipsUnknownNames) {
  Context ctx;
  std::string error;
  ASSERT_TRUE(ui::loadResourceText(ctx.ui,
                                   "panel P grid=2x2\nring R at=0,0 label=\"r\" items=\"a:10|b:20|c:30\"\n"
                                   "menu M label=\"m\"\nitem I label=\"i\"\n",
                                   error))
      << error;
  LanguageData d;
  ASSERT_TRUE(ParseLanguageText("[P]\nR = Ring\nR.items = X|Y\nGHOST = g\n.title = Titel\n[Q]\nR = q\n"
                                "[MENU]\nM = Menü\nM.I = Eintrag\nM.NONE = n\n",
                                ".", d, error))
      << error;
  ApplyLanguage(ctx.ui, d);
  ui::CtlRef r = ctx.ui.find("P", "R");
  EXPECT_EQ(ctx.ui.at(r).label, "Ring");
  const auto& items = ctx.ui.at(r).items;
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].label, "X");
  EXPECT_EQ(items[0].value, 10);
  EXPECT_EQ(items[1].label, "Y");
  EXPECT_EQ(items[2].label, "c");
  EXPECT_EQ(ctx.ui.panels[0].title, "Titel");
  EXPECT_EQ(ctx.ui.menuBar.menus[0].label, "Menü");
  EXPECT_EQ(ctx.ui.menuBar.menus[0].items[0].label, "Eintrag");
}

TEST(LanguageFile, TableHeadersAndRingCellsFollowTheFile) {
  Context ctx;
  std::string error;
  ASSERT_TRUE(ui::loadResourceText(ctx.ui,
                                   "panel P grid=2x2\ntable T at=0,0 rows=1 cols=3 collabels=\"A|B|C\" "
                                   "colkinds=0,1,0 cellitems=\"ONE:1|TWO:2\"\n",
                                   error))
      << error;
  LanguageData d;
  ASSERT_TRUE(ParseLanguageText("[P]\nT.collabels = Erste|Zweite\nT.cellitems = EINS|ZWEI|DREI\n", ".", d, error))
      << error;
  const uint64_t before = ctx.ui.at(ctx.ui.find("P", "T")).revision;
  ApplyLanguage(ctx.ui, d);
  const ui::Control& t = ctx.ui.at(ctx.ui.find("P", "T"));
  // Fewer labels than columns leave the rest; more are ignored.
  EXPECT_EQ(t.table.colLabels, (std::vector<std::string>{"Erste", "Zweite", "C"}));
  ASSERT_EQ(t.table.ringItems.size(), 2u);
  EXPECT_EQ(t.table.ringItems[1].label, "ZWEI");
  EXPECT_EQ(t.table.ringItems[1].value, 2);
  EXPECT_NE(t.revision, before);  // the front-end shows the new headers
}

TEST(LanguageFile, MessagesAreTranslatedLineByLine) {
  LanguageData d;
  std::string error;
  ASSERT_TRUE(ParseLanguageText("[MESSAGES]\nTRY TO CONNECT! ... = VERBINDUNGSAUFBAU! ...\n"
                                "SENSOR DISCONNECTED! = SENSOR GETRENNT!\nGET LINE OK from sensor ... = "
                                "GET Leitung OK vom Sensor ...\nOk! = In Ordnung!\n[P]\nSENSOR = x\n",
                                ".", d, error))
      << error;
  EXPECT_EQ(d.message("TRY TO CONNECT! ...\n"), "VERBINDUNGSAUFBAU! ...\n");
  // Unknown lines stay, blanks at a line's end too, known ones change.
  EXPECT_EQ(d.message("Serial-No: #12\nSENSOR DISCONNECTED!  \n\n"), "Serial-No: #12\nSENSOR GETRENNT!  \n\n");
  EXPECT_EQ(d.message(""), "");
  EXPECT_EQ(d.message("SENSOR"), "SENSOR");  // only the messages section counts
  // A step and its result are translated each on its own, not mixed.
  EXPECT_EQ(d.message("GET LINE OK from sensor ... -> Ok!"), "GET Leitung OK vom Sensor ... -> In Ordnung!");
  EXPECT_EQ(d.message("GET LINE OK from sensor ... -> NO EDGES!"), "GET Leitung OK vom Sensor ... -> NO EDGES!");
  EXPECT_EQ(d.english("GET Leitung OK vom Sensor ... -> In Ordnung!"), "GET LINE OK from sensor ... -> Ok!");
  // Back to English for a language switch; unknown texts are their own.
  EXPECT_EQ(d.english("SENSOR GETRENNT!"), "SENSOR DISCONNECTED!");
  EXPECT_EQ(d.english("x"), "x");
  // Without a messages section (the English file) every text stays.
  LanguageData en;
  EXPECT_EQ(en.message("SENSOR DISCONNECTED!"), "SENSOR DISCONNECTED!");
}

}  // namespace
}  // namespace bx
