// The clipping check itself: it names what is cut and passes what fits.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <set>

#include "gui/fit_check.h"

namespace {

// A panel with one control of each checked kind, each in a frame named
// like a control's container.
struct Panel {
  QWidget root;
  QLabel* label;
  QPushButton* button;
  QComboBox* ring;
  QDoubleSpinBox* number;

  Panel() {
    root.setObjectName("P");
    auto* lay = new QVBoxLayout(&root);
    auto frame = [&](const char* name) {
      auto* f = new QWidget(&root);
      f->setObjectName(name);
      new QVBoxLayout(f);
      lay->addWidget(f);
      return f;
    };
    label = new QLabel("Einstellungen übernehmen", frame("LABEL"));
    button = new QPushButton("Einstellungen übernehmen", frame("BUTTON"));
    ring = new QComboBox(frame("RING"));
    ring->addItems({"OFF", "STEIGENDE FLANKE"});
    number = new QDoubleSpinBox(frame("NUMBER"));
    number->setRange(0, 1e6);
    number->setValue(819200);
    for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(button), static_cast<QWidget*>(ring),
                       static_cast<QWidget*>(number)})
      w->parentWidget()->layout()->addWidget(w);
  }
  void setWidths(int w) {
    for (QWidget* c : {static_cast<QWidget*>(label), static_cast<QWidget*>(button), static_cast<QWidget*>(ring),
                       static_cast<QWidget*>(number)})
      c->setFixedWidth(w);
    root.adjustSize();
    root.show();
    QApplication::processEvents();
  }
};

TEST(FitCheck, NamesEveryClippedControlAndPassesWhatFits) {
  Panel p;
  p.setWidths(40);
  std::set<QString> named;
  for (const guitest::Clip& c : guitest::clippedTexts(&p.root)) named.insert(c.control);
  EXPECT_EQ(named, (std::set<QString>{"P.LABEL", "P.BUTTON", "P.RING", "P.NUMBER"}));

  p.setWidths(400);
  for (const guitest::Clip& c : guitest::clippedTexts(&p.root)) ADD_FAILURE() << c.describe();
  // Hidden controls are not looked at.
  p.setWidths(40);
  for (QWidget* w : p.root.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) w->hide();
  EXPECT_TRUE(guitest::clippedTexts(&p.root).empty());
}

TEST(FitCheck, ShownTextsListRingItemsAndSkipNumbers) {
  Panel p;
  p.setWidths(400);
  std::set<QString> texts;
  for (const auto& t : guitest::shownTexts(&p.root)) texts.insert(t.second);
  EXPECT_TRUE(texts.count("STEIGENDE FLANKE"));
  EXPECT_TRUE(texts.count("Einstellungen übernehmen"));
  EXPECT_FALSE(texts.count(p.number->text()));
}

}  // namespace
