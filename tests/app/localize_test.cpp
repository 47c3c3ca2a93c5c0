// The language file format on its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

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

TEST(LanguageFile, KeysWithEqualsSignsTemplatesAndWholeTexts) {
  LanguageData d;
  std::string error;
  ASSERT_TRUE(ParseLanguageText("[MESSAGES]\nresolution \\= +/- %1 µm = Auflösung = +/- %1 µm\n"
                                "A \\=\\= B = A gleich B\n"
                                "First line! \\nSecond line. = Erste Zeile!\\nZweite Zeile.\n"
                                "Second line. = nur die zweite\n"
                                "%2 of %1 = %1 hat %2\n",
                                ".", d, error))
      << error;
  // The first bare "=" ends the key; "\=" inside it is an equals sign.
  EXPECT_EQ(d.format("resolution = +/- %1 µm", {"8"}), "Auflösung = +/- 8 µm");
  EXPECT_EQ(d.message("A == B"), "A gleich B");
  // A text of several lines known whole is translated whole: its lines may
  // break otherwise (no blank kept from the English line's end).
  EXPECT_EQ(d.message("First line! \nSecond line."), "Erste Zeile!\nZweite Zeile.");
  // Arguments go where the translation puts them, and are not read again.
  EXPECT_EQ(d.format("%2 of %1", {"x", "%1"}), "x hat %1");
  // Unknown templates are filled in English; missing arguments stay empty.
  EXPECT_EQ(d.format("Sample: %1 %3", {"7"}), "Sample: 7 ");
  EXPECT_EQ(LanguageData{}.format("resolution = +/- %1 µm", {"2"}), "resolution = +/- 2 µm");
}

// Both languages are complete: every key of one file (with its includes)
// is in the other, so no text falls back to English in German or the
// reverse.
TEST(LanguageFile, BothLanguagesHoldTheSameKeys) {
  LanguageData en, de;
  std::string error;
  ASSERT_TRUE(ParseLanguageFile(LanguageFilePath(BX_RESOURCE_DIR, 0), en, error)) << error;
  ASSERT_TRUE(ParseLanguageFile(LanguageFilePath(BX_RESOURCE_DIR, 1), de, error)) << error;
  auto shown = [](const std::string& k) {
    std::string s = k;
    s[s.find('\x1f')] = '/';
    return s;
  };
  for (const auto& [k, v] : en.entries) EXPECT_TRUE(de.entries.count(k)) << "German lacks " << shown(k);
  for (const auto& [k, v] : de.entries) EXPECT_TRUE(en.entries.count(k)) << "English lacks " << shown(k);
  // The English messages read as themselves: the key is the text.
  for (const auto& [k, v] : en.entries)
    if (k.rfind(LanguageData::makeKey("MESSAGES", ""), 0) == 0) {
      EXPECT_EQ(k.substr(9), v);
    }
}

namespace {

// The string literals (adjacent ones joined) that follow each occurrence of
// `call` in text, with \n, \" and \\ resolved; calls whose next argument is
// not a literal on its own are skipped.
std::vector<std::string> literalsAfter(const std::string& text, const std::string& call, bool skipFirstArg) {
  std::vector<std::string> out;
  for (size_t at = text.find(call); at != std::string::npos; at = text.find(call, at + 1)) {
    size_t i = at + call.size();
    if (skipFirstArg) {
      const size_t comma = text.find_first_of(",;)", i);
      if (comma == std::string::npos || text[comma] != ',') continue;
      i = comma + 1;
    }
    std::string lit;
    bool any = false;
    for (;;) {
      while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
      if (i >= text.size() || text[i] != '"') break;
      any = true;
      for (++i; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
          ++i;
          lit += text[i] == 'n' ? '\n' : text[i];
        } else {
          lit += text[i];
        }
      }
      ++i;
    }
    // Only a literal that is the whole argument: one with more appended is
    // composed, its parts may be looked up one by one.
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (any && i < text.size() && (text[i] == ',' || text[i] == ')' || text[i] == ';')) out.push_back(lit);
  }
  return out;
}

}  // namespace

// Every text the core shows by way of the status line, the message box or
// a translated pop-up, label or print-out is a message of the language
// files; no English/German pair or German text is left in the code.
TEST(LanguageFile, EveryTextTheCoreShowsIsInTheLanguageFiles) {
  LanguageData de;
  std::string error;
  ASSERT_TRUE(ParseLanguageFile(LanguageFilePath(BX_RESOURCE_DIR, 1), de, error)) << error;
  auto known = [&](const std::string& text) {
    if (de.find("MESSAGES", text)) return true;
    // A status may be composed of lines, each a message (blanks at a line's
    // end are not part of it).
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      line.erase(line.find_last_not_of(' ') + 1);
      if (!line.empty() && !de.find("MESSAGES", line)) return false;
    }
    return true;
  };
  int files = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(std::string(BX_SOURCE_DIR) + "/src")) {
    const std::string path = e.path().string();
    if (!e.is_regular_file() || (e.path().extension() != ".cpp" && e.path().extension() != ".h")) continue;
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
    ++files;
    for (const char* pair : {"Lang(", "language == 1", "language==1", " de ? ", "linesDe", "fileRefusalDe"})
      EXPECT_EQ(text.find(pair), std::string::npos) << path << " picks a text by language: " << pair;
    for (const char* german : {"\xC3\xA4", "\xC3\xB6", "\xC3\xBC", "\xC3\x9F", "\xC3\x84", "\xC3\x96", "\xC3\x9C"})
      EXPECT_EQ(text.find(german), std::string::npos) << path << " holds German text";
    // The front-ends speak English to a service script or show what the
    // core gives them.
    if (path.find("/src/gui/") != std::string::npos || path.find("/src/cli/") != std::string::npos) continue;
    for (const auto& [call, skip] : std::vector<std::pair<std::string, bool>>{
             {"Localized(", true}, {"ShowStatusText(", true}, {"AppendMessageBox(", true}, {".status = ", false}})
      for (const std::string& lit : literalsAfter(text, call, skip))
        if (!lit.empty()) {
          EXPECT_TRUE(known(lit)) << path << ": \"" << lit << "\" is not in the language files";
        }
  }
  EXPECT_GT(files, 100);
}

}  // namespace
}  // namespace bx
