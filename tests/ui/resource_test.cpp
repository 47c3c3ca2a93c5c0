// The panel resource loader and the model's dispatch rules.
#include <gtest/gtest.h>

#include <functional>

#include "app/startup.h"
#include "context/context.h"
#include "ui/headless.h"
#include "ui/resource.h"

namespace bx {
namespace {

TEST(Resource, ParsesPanelsControlsTabsAndMenus) {
  ui::Ui u;
  std::string err;
  const char* text =
      "# comment\n"
      "panel MAIN id=3 title=\"Main \\\"panel\\\"\" grid=4x4 cb=CC_PANEL\n"
      "ring KIND at=0,0 items=\"A:0|B:5|C\" value=5\n"
      "tab TABS at=1,0,3,4 pages=P1,P2\n"
      "panel P1 grid=2x2\n"
      "table T at=0,0 rows=4 cols=3 collabels=\"a|b|c\" colkinds=0,1,0\n"
      "panel P2\n"
      "menu FILE label=\"File\"\n"
      "item OPEN label=\"Open\" cb=CC_OPEN\n"
      "item SEP separator=1\n";
  ASSERT_TRUE(ui::loadResourceText(u, text, err)) << err;
  ASSERT_EQ(u.panels.size(), 3u);
  EXPECT_EQ(u.panel(0).title, "Main \"panel\"");
  auto ring = u.find("MAIN", "KIND");
  ASSERT_TRUE(ring.valid());
  EXPECT_EQ(u.at(ring).items.size(), 3u);
  EXPECT_EQ(u.at(ring).items[1].value, 5);
  EXPECT_EQ(u.at(ring).items[2].value, 2);  // a label without value gets its index
  auto tab = u.find("MAIN", "TABS");
  EXPECT_EQ(u.at(tab).pages.size(), 2u);
  EXPECT_EQ(u.panel(u.findPanel("P2")).tabIndex, 1);
  auto table = u.find("P1", "T");
  EXPECT_EQ(u.at(table).table.cells.size(), 12u);
  EXPECT_EQ(u.at(table).table.colKind[1], 1);
  int m, i;
  ASSERT_TRUE(u.findMenuItem("FILE", "OPEN", m, i));
  EXPECT_TRUE(u.menuBar.menus[0].items[1].separator);
}

TEST(Resource, BrokenTextIsRejectedWithAReason) {
  const char* bad[] = {
      "button X at=0,0\n",                                   // before any panel
      "panel A\nwidget X\n",                                 // unknown kind
      "panel A\nbutton X at=1\n",                            // bad position
      "panel A\nbutton X label=\"open\n",                    // unterminated quote
      "panel A\nbutton X colour=1\n",                        // unknown attribute
      "panel A\ntab T pages=NOPE\n",                         // unknown page
      "panel A\nbutton X\nbutton X\n",                       // twice
      "panel A\ninclude missing-file.uir\n",                 // include not found
  };
  for (const char* text : bad) {
    ui::Ui u;
    std::string err;
    EXPECT_FALSE(ui::loadResourceText(u, text, err)) << text;
    EXPECT_FALSE(err.empty());
    EXPECT_TRUE(u.panels.empty());
  }
}

TEST(Resource, TheProductResourceLoadsAndEveryCoreControlExists) {
  Context ctx;
  std::string err;
  ASSERT_TRUE(LoadPanels(ctx, ExecutableDir() + "/" + kResourceFile, err)) << err;
  EXPECT_EQ(ctx.ui.panel(ctx.ui.findPanel("MAIN")).title, "Quellan-BX-Series CONTROL-PANEL");
  EXPECT_EQ(ctx.ui.at(ctx.refs.main.tab).pages.size(), 8u);
  EXPECT_FALSE(LoadPanels(ctx, "/nonexistent/Quellan-BX-ScopeV55.uir", err));
}

int gCalls = 0;
int countingCallback(Context&, const ui::EventArgs& ev) {
  gCalls += ev.event;
  return 7;
}

TEST(UiModel, DimmedControlsGetOnlyRightClicksAndComboKeepsTenRecent) {
  Context ctx;
  std::string err;
  ASSERT_TRUE(ui::loadResourceText(ctx.ui, "panel P\nbutton B cb=CB\ncombo C\n", err)) << err;
  const ui::CallbackEntry table[] = {{"CB", &countingCallback}};
  ctx.ui.bindCallbacks(table, 1);
  auto b = ctx.ui.find("P", "B");
  gCalls = 0;
  EXPECT_EQ(ctx.ui.fire(b, ui::EVENT_COMMIT), 7);
  ctx.ui.setDimmed(b, true);
  EXPECT_EQ(ctx.ui.fire(b, ui::EVENT_COMMIT), 0);
  EXPECT_EQ(ctx.ui.fire(b, ui::EVENT_RIGHT_CLICK), 7);
  EXPECT_EQ(gCalls, ui::EVENT_COMMIT + ui::EVENT_RIGHT_CLICK);

  auto c = ctx.ui.find("P", "C");
  for (int i = 1; i <= 11; ++i) ctx.ui.comboInsertTop(c, "10.0.0." + std::to_string(i), 10);
  ctx.ui.comboInsertTop(c, "10.0.0.5", 10);
  const auto& items = ctx.ui.at(c).items;
  ASSERT_EQ(items.size(), 10u);
  EXPECT_EQ(items[0].label, "10.0.0.5");
  EXPECT_EQ(items[1].label, "10.0.0.11");
  EXPECT_EQ(items[9].label, "10.0.0.2");  // the eleventh address dropped .1
}

// Whatever edits a control through the model marks it for repaint, so no
// screen code has to remember to; reading it does not.
TEST(UiModel, EditingThroughTheModelMarksTheControlAndReadingDoesNot) {
  ui::Ui u;
  std::string err;
  ASSERT_TRUE(ui::loadResourceText(u,
                                   "panel M\ntab TABS pages=P1,P2\n"
                                   "panel P1\ntable T rows=2 cols=2\ngraph G\nstrip S\n"
                                   "panel P2\n",
                                   err))
      << err;
  const ui::CtlRef t = u.find("P1", "T"), g = u.find("P1", "G"), s = u.find("P1", "S"), tabs = u.find("M", "TABS");
  const struct {
    const char* what;
    ui::CtlRef ref;
    std::function<void()> edit;
  } edits[] = {
      {"table cell", t, [&] { u.table(t).at(1, 1).num = 5; }},
      {"graph cursor", g, [&] { u.graph(g).cursors[0].x = 3; }},
      {"strip axis", s, [&] { u.strip(s).y.autoscale = true; }},
      {"graph caption", g, [&] { u.edit(g).graph.y.caption = "mm"; }},
      {"context menu", t, [&] { u.setContextMenu(t, {ui::ContextEntry{"Help", nullptr, true}}); }},
      {"page hidden", tabs, [&] { u.setPageVisible(u.findPanel("P2"), false); }},
  };
  for (const auto& e : edits) {
    const uint64_t before = u.at(e.ref).revision;
    e.edit();
    EXPECT_GT(u.at(e.ref).revision, before) << e.what;
  }
  const ui::Ui& seen = u;
  const uint64_t before = u.revision();
  EXPECT_EQ(seen.table(t).at(1, 1).num, 5);
  EXPECT_EQ(seen.graph(g).cursors[0].x, 3);
  EXPECT_TRUE(seen.strip(s).y.autoscale);
  EXPECT_EQ(u.revision(), before);
  // Hiding a page that is already hidden changes nothing.
  u.setPageVisible(u.findPanel("P2"), false);
  EXPECT_EQ(u.revision(), before);
}

}  // namespace
}  // namespace bx
