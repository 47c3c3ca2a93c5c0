// Every control of the parameter pages and the measurement page has a label
// and a help text in both language files.
#include "app/localize.h"
#include "params_fixture.h"

namespace bx::test {
namespace {

class LanguageTest : public ParamsTest {};

TEST_F(LanguageTest, EveryControlOfTheParameterPagesHasTextsInBothLanguages) {
  for (int lang : {0, 1}) {
    LanguageData data;
    std::string err;
    ASSERT_TRUE(ParseLanguageFile(LanguageFilePath(BX_RESOURCE_DIR, lang), data, err)) << err;
    for (const char* panel : {"PARA1", "PARA2", "TEACH", "VIDEO"}) {
      const int h = ctx->ui.findPanel(panel);
      ASSERT_GE(h, 0) << panel;
      EXPECT_NE(data.find(panel, ".title"), nullptr) << panel;
      for (const auto& c : ctx->ui.panel(h).controls) {
        EXPECT_NE(data.find(panel, c.name), nullptr) << lang << " " << panel << "." << c.name;
        const std::string* help = data.find(panel, c.name + ".help");
        ASSERT_NE(help, nullptr) << lang << " " << panel << "." << c.name;
        // A heading in capitals, a colon and a line break.
        EXPECT_NE(help->find(":\n"), std::string::npos) << *help;
      }
    }
  }
}

}  // namespace
}  // namespace bx::test
