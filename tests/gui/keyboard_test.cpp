// Keyboard and menus: mnemonics and shortcuts on the menu bar with the
// labels unchanged, Tab through each page in reading order, and the teach
// table's right-click menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "gui/app_window.h"
#include "gui/gui_input.h"
#include "gui/main_window.h"

namespace {

using guitest::AppWindow;

// What a menu shows: the mnemonic marks gone, "&&" back to "&".
QString shown(QString t) {
  t.replace("&&", QString(QChar(0x1)));
  t.remove('&');
  t.replace(QChar(0x1), '&');
  return t;
}

QChar mnemonic(const QString& t) {
  for (int i = 0; i + 1 < t.size(); ++i) {
    if (t[i] == '&' && t[i + 1] == '&') {
      ++i;
      continue;
    }
    if (t[i] == '&') return t[i + 1].toLower();
  }
  return QChar();
}

TEST_F(AppWindow, MenusHaveMnemonicsAndShortcutsInBothLanguages) {
  auto* main = renderer->mainWindow();
  for (int language : {0, 1}) {
    if (language == 1) {
      int m, de;
      ASSERT_TRUE(ctx->ui.findMenuItem("SETTINGS", "German", m, de));
      main->menuAction(m, de)->trigger();
      renderer->repaint();
    }
    std::set<QChar> titles;
    const auto& menus = ctx->ui.menuBar.menus;
    auto bar = main->menuBar()->actions();
    ASSERT_EQ(bar.size(), static_cast<qsizetype>(menus.size()));
    for (size_t mi = 0; mi < menus.size(); ++mi) {
      const QString title = bar[static_cast<qsizetype>(mi)]->text();
      EXPECT_EQ(shown(title).toStdString(), menus[mi].label);
      QChar key = mnemonic(title);
      EXPECT_FALSE(key.isNull()) << menus[mi].label;
      EXPECT_TRUE(titles.insert(key).second) << "mnemonic taken twice: " << menus[mi].label;
      std::set<QChar> items;
      for (size_t ii = 0; ii < menus[mi].items.size(); ++ii) {
        if (menus[mi].items[ii].separator) continue;
        QAction* a = main->menuAction(static_cast<int>(mi), static_cast<int>(ii));
        EXPECT_EQ(shown(a->text()).toStdString(), menus[mi].items[ii].label);
        key = mnemonic(a->text());
        EXPECT_FALSE(key.isNull()) << menus[mi].items[ii].label;
        EXPECT_TRUE(items.insert(key).second) << "mnemonic taken twice: " << menus[mi].items[ii].label;
      }
    }
  }
  // English labels as the tool has always shown them, and the usual keys.
  int m, i;
  const std::map<std::string, std::pair<std::string, QKeySequence>> expected = {
      {"LOAD_CONFIG", {"LoadConfigFile", QKeySequence("Ctrl+O")}},
      {"SAVE_CONFIG", {"SaveConfigFile", QKeySequence("Ctrl+S")}},
      {"EXIT", {"Exit", QKeySequence("Ctrl+Q")}}};
  int en;
  ASSERT_TRUE(ctx->ui.findMenuItem("SETTINGS", "English", m, en));
  main->menuAction(m, en)->trigger();
  renderer->repaint();
  for (const auto& [name, want] : expected) {
    ASSERT_TRUE(ctx->ui.findMenuItem("APPLICATION", name.c_str(), m, i));
    QAction* a = main->menuAction(m, i);
    EXPECT_EQ(shown(a->text()).toStdString(), want.first);
    EXPECT_EQ(a->shortcut(), want.second) << name;
  }
}

TEST_F(AppWindow, TabWalksEveryPageInReadingOrder) {
  const auto& pages = ctx->ui.at(ctx->refs.main.tab).pages;
  for (size_t pi = 0; pi < pages.size(); ++pi) {
    const int h = pages[pi];
    const auto& panel = ctx->ui.panel(h);
    SCOPED_TRACE(panel.name);
    ctx->ui.setActivePage(ctx->refs.main.tab, static_cast<int>(pi));
    renderer->repaint();
    // The page's operable widgets, as the eye reads the grid.
    std::vector<std::tuple<int, int, QWidget*>> stops;
    for (size_t c = 0; c < panel.controls.size(); ++c) {
      QWidget* w = renderer->widget(bx::ui::CtlRef{h, static_cast<int>(c)});
      if (w && (w->focusPolicy() & Qt::TabFocus))
        stops.emplace_back(panel.controls[c].row, panel.controls[c].col, w);
    }
    std::stable_sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) {
      return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    });
    if (stops.size() < 2) continue;
    // Follow the focus chain from the first stop and note the stops met.
    std::vector<QWidget*> met;
    std::set<QWidget*> wanted;
    for (auto& s : stops) wanted.insert(std::get<2>(s));
    QWidget* w = std::get<2>(stops.front());
    for (int guard = 0; guard < 5000 && met.size() < stops.size(); ++guard) {
      QWidget* target = w->focusProxy() ? w->focusProxy() : w;
      for (auto& s : stops)
        if ((std::get<2>(s) == w || std::get<2>(s)->focusProxy() == target) &&
            std::find(met.begin(), met.end(), std::get<2>(s)) == met.end())
          met.push_back(std::get<2>(s));
      w = w->nextInFocusChain();
    }
    ASSERT_EQ(met.size(), stops.size());
    for (size_t k = 0; k < stops.size(); ++k)
      EXPECT_EQ(met[k], std::get<2>(stops[k])) << "stop " << k << " is " << met[k]->parentWidget()->objectName().toStdString();
  }
}

TEST_F(AppWindow, TeachTableMenuOffersHelpAndTheSelectionEntries) {
  const auto& pages = ctx->ui.at(ctx->refs.main.tab).pages;
  for (size_t i = 0; i < pages.size(); ++i)
    if (ctx->ui.panel(pages[i]).name == "TEACH") ctx->ui.setActivePage(ctx->refs.main.tab, static_cast<int>(i));
  renderer->repaint();
  auto* table = widget<QTableWidget>("TEACH", "TABLE");
  ASSERT_NE(table, nullptr);
  // Rows 1 and 2 of the teach-value column chosen.
  table->setRangeSelected(QTableWidgetSelectionRange(0, 3, 1, 3), true);

  // Right press on a cell of the selection: the selection stays.
  auto openMenu = [&]() -> QMenu* {
    const QPoint at = table->visualItemRect(table->item(1, 3)).center();
    guitest::mouse(table->viewport(), QEvent::MouseButtonPress, Qt::RightButton, at);
    guitest::mouse(table->viewport(), QEvent::MouseButtonRelease, Qt::RightButton, at);
    for (QMenu* menu : table->findChildren<QMenu*>("contextMenu"))
      if (menu->isVisible()) return menu;
    return nullptr;
  };
  auto entry = [](QMenu* menu, const QString& text) -> QAction* {
    for (QAction* a : menu->actions())
      if (a->text() == text) return a;
    return nullptr;
  };
  QMenu* menu = openMenu();
  ASSERT_NE(menu, nullptr);
  QStringList texts;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) texts << a->text();
  EXPECT_EQ(texts, (QStringList{"Help", "Set selection to ...", "Reset selection"}));
  // No help before it is asked for.
  EXPECT_FALSE(ctx->ui.panel(ctx->ui.findPanel("HELP")).visible);

  popups.answerPrompt("777");
  popups.answerConfirm(true);
  entry(menu, "Set selection to ...")->trigger();
  menu->close();
  QCoreApplication::processEvents();
  const auto& t = ctx->ui.at(ref("TEACH", "TABLE")).table;
  EXPECT_EQ(t.at(0, 3).num, 777);
  EXPECT_EQ(t.at(1, 3).num, 777);
  EXPECT_NE(t.at(2, 3).num, 777);

  menu = openMenu();
  ASSERT_NE(menu, nullptr);
  entry(menu, "Reset selection")->trigger();
  menu->close();
  QCoreApplication::processEvents();
  EXPECT_NE(t.at(0, 3).num, 777);

  menu = openMenu();
  ASSERT_NE(menu, nullptr);
  entry(menu, "Help")->trigger();
  menu->close();
  QCoreApplication::processEvents();
  EXPECT_EQ(ctx->app.helpShownFor, ref("TEACH", "TABLE"));

  // The menu key opens the same menu.
  QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(5, 5), table->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(table->viewport(), &byKey);
  menu = nullptr;
  for (QMenu* m : table->findChildren<QMenu*>("contextMenu"))
    if (m->isVisible()) menu = m;
  ASSERT_NE(menu, nullptr);
  menu->close();

  // In German the entries follow the language.
  int m, de;
  ASSERT_TRUE(ctx->ui.findMenuItem("SETTINGS", "German", m, de));
  renderer->mainWindow()->menuAction(m, de)->trigger();
  renderer->repaint();
  menu = openMenu();
  ASSERT_NE(menu, nullptr);
  texts.clear();
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) texts << a->text();
  EXPECT_EQ(texts, (QStringList{"Hilfe", "Auswahl setzen auf ...", "Auswahl zurücksetzen"}));
  menu->close();
}

// A right press on a cell outside the selection makes that cell the
// selection before the menu opens; the confirmation names the cells and
// nothing is written before it is answered.
TEST_F(AppWindow, TeachTableMenuActsOnTheCellRightClicked) {
  const auto& pages = ctx->ui.at(ctx->refs.main.tab).pages;
  for (size_t i = 0; i < pages.size(); ++i)
    if (ctx->ui.panel(pages[i]).name == "TEACH") ctx->ui.setActivePage(ctx->refs.main.tab, static_cast<int>(i));
  renderer->repaint();
  auto* table = widget<QTableWidget>("TEACH", "TABLE");
  ASSERT_NE(table, nullptr);
  auto& t = ctx->ui.at(ref("TEACH", "TABLE")).table;
  for (int r = 0; r < 4; ++r)
    for (int c = 3; c < 6; ++c) t.at(r, c).num = 50;
  ctx->ui.touch(ref("TEACH", "TABLE"));
  renderer->repaint();
  // The tolerances of rows 1 and 2 chosen earlier with the left button.
  auto press = [&](int row, int col, Qt::MouseButton b) {
    const QPoint at = table->visualItemRect(table->item(row, col)).center();
    guitest::mouse(table->viewport(), QEvent::MouseButtonPress, b, at);
    guitest::mouse(table->viewport(), QEvent::MouseButtonRelease, b, at);
  };
  table->setRangeSelected(QTableWidgetSelectionRange(0, 4, 1, 5), true);
  QApplication::processEvents();
  ASSERT_EQ(t.selTop, 0);

  auto openMenuAt = [&](int row, int col) -> QMenu* {
    press(row, col, Qt::RightButton);
    for (QMenu* menu : table->findChildren<QMenu*>("contextMenu"))
      if (menu->isVisible()) return menu;
    return nullptr;
  };
  auto trigger = [&](QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
      if (a->text() == text) a->trigger();
    menu->close();
    QCoreApplication::processEvents();
  };

  // Row 3's teach value, outside the selection.
  QMenu* menu = openMenuAt(2, 3);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(table->selectedItems().size(), 1);
  EXPECT_TRUE(table->item(2, 3)->isSelected());
  popups.clearPopups();
  popups.answerPrompt("0");
  popups.answerConfirm(false);
  trigger(menu, "Set selection to ...");
  ASSERT_FALSE(popups.popups().empty());
  EXPECT_EQ(popups.popups().back().kind, "confirm");
  EXPECT_EQ(popups.popups().back().text, "Write this value into these cells?\nValue: 0\nRow 3: TEACH-VALUE");
  for (int r = 0; r < 4; ++r)
    for (int c = 3; c < 6; ++c) EXPECT_EQ(t.at(r, c).num, 50) << r << "," << c;

  menu = openMenuAt(2, 3);
  ASSERT_NE(menu, nullptr);
  popups.answerPrompt("0");
  popups.answerConfirm(true);
  trigger(menu, "Set selection to ...");
  EXPECT_EQ(t.at(2, 3).num, 0);
  for (int r = 0; r < 4; ++r)
    for (int c = 3; c < 6; ++c)
      if (r != 2 || c != 3) {
        EXPECT_EQ(t.at(r, c).num, 50) << r << "," << c;
      }

  // A right press inside a selection of several cells keeps it, and the
  // confirmation names each of them, row by row.
  table->setRangeSelected(QTableWidgetSelectionRange(0, 4, 1, 5), true);
  table->setRangeSelected(QTableWidgetSelectionRange(2, 3, 2, 3), false);
  QApplication::processEvents();
  menu = openMenuAt(1, 5);
  ASSERT_NE(menu, nullptr);
  popups.answerPrompt("7");
  popups.answerConfirm(true);
  trigger(menu, "Set selection to ...");
  EXPECT_EQ(popups.popups().back().text,
            "Write this value into these cells?\nValue: 7\nRow 1: TOL [+], TOL [-]\nRow 2: TOL [+], TOL [-]");
  EXPECT_EQ(t.at(0, 4).num, 7);
  EXPECT_EQ(t.at(1, 5).num, 7);
  EXPECT_EQ(t.at(2, 4).num, 50);

  // In German the question and the column names follow the language.
  int m, de;
  ASSERT_TRUE(ctx->ui.findMenuItem("SETTINGS", "German", m, de));
  renderer->mainWindow()->menuAction(m, de)->trigger();
  renderer->repaint();
  menu = openMenuAt(3, 4);
  ASSERT_NE(menu, nullptr);
  popups.answerPrompt("1");
  popups.answerConfirm(false);
  trigger(menu, "Auswahl setzen auf ...");
  EXPECT_EQ(popups.popups().back().title, "ACHTUNG!");
  EXPECT_EQ(popups.popups().back().text, "Diesen Wert in diese Zellen schreiben?\nWert: 1\nZeile 4: TOL [+]");
  EXPECT_EQ(t.at(3, 4).num, 50);
}

}  // namespace
