// The about box: product, build, maker by the product's name, the tool-kit
// versions the front-end reports, and the compatibility line.
#include <gtest/gtest.h>

#include "app/menus.h"
#include "context/context.h"
#include "ui/headless.h"
#include "support/use_language.h"

namespace bx {
namespace {

struct VersionedFrontend : ui::HeadlessFrontend {
  std::string componentVersions() override { return "Kit 1.2, Plot 3.4"; }
};

TEST(About, ListsVersionsAndInventsNoContact) {
  Context ctx;
  VersionedFrontend fe;
  ctx.ui.frontend = &fe;
  ctx.app.appTitle = "Quellan-BX-Scope ";
  ctx.app.versionShort = "V5.5";
  ctx.app.buildText = "Build: V5.5.0  02/Jun/2026";
  ctx.app.language = 0;
  EXPECT_EQ(AboutText(ctx),
            "Quellan-BX-Scope V5.5\nBuild: V5.5.0  02/Jun/2026\n\nQuellan\nKit 1.2, Plot 3.4\n\n"
            "This software is compatible with Quellan-BX-K/N series hardware!");
  ui::HeadlessFrontend plain;
  ctx.ui.frontend = &plain;
  testing_lang::UseLanguage(ctx, 1);
  const std::string de = AboutText(ctx);
  EXPECT_NE(de.find("\nQuellan\n\nDiese Software ist kompatibel"), std::string::npos) << de;
}

}  // namespace
}  // namespace bx
