// Each control kind turns the operator's input into the product's events,
// with the value written into the model before the callback runs.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>

#include "context/context.h"
#include "gui/adapter.h"
#include "gui/main_window.h"
#include "gui/qt_frontend.h"
#include "gui/renderer.h"
#include "gui/gui_input.h"
#include "link/events.h"
#include "ui/resource.h"

#ifdef BX_HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

namespace {

// Every callback writes "NAME event value [data1 data2]|" into the status
// line, so a test reads what arrived, in order, and what the model held.
int Record(bx::Context& ctx, const bx::ui::EventArgs& ev) {
  const auto& c = ctx.ui.panel(ev.panel).controls[static_cast<size_t>(ev.control)];
  char buf[160];
  if (ev.data1 || ev.data2)
    std::snprintf(buf, sizeof buf, "%s %d %g %d %d|", c.name.c_str(), ev.event, c.value, ev.data1, ev.data2);
  else
    std::snprintf(buf, sizeof buf, "%s %d %g|", c.name.c_str(), ev.event, c.value);
  ctx.status += buf;
  return 0;
}

// Changes its own items and waits with events processed, as product
// callbacks do; the operator acts meanwhile.
int Waiter(bx::Context& ctx, const bx::ui::EventArgs& ev) {
  Record(ctx, ev);
  if (ev.event != bx::ui::EVENT_COMMIT) return 0;
  bx::ui::CtlRef self{ev.panel, ev.control};
  ctx.ui.setItems(self, {{"p", 0}, {"q", 1}, {"r", 2}, {"s", 3}});
  bx::DelayWithEventProcessing(ctx, 0.1);
  ctx.status += "waited|";
  return 0;
}

constexpr const char* kPanels = R"(
panel MAIN title="Kinds" grid=8x4 size=800x600
button BTN at=0,0 label="Go" cb=rec
numeric NUM at=0,1 label="Number" min=0 max=100 prec=1 cb=rec
numeric DIMNUM at=0,2 label="Dimmed" dimmed=1 cb=rec
ring RING at=1,0 items="A:10|B:20|C:30" value=10 cb=rec
string STR at=1,1 label="Text" cb=rec
combo COMBO at=1,2 label="Address" cb=rec
toggle TOG at=2,0 label="Toggle" cb=rec
check CHK at=2,1 label="Check" cb=rec
radio RAD at=2,2 items="X:0|Y:5|Z:9" cb=rec
picture PIC at=3,0 text="no-such-image.bmp"
text TXT at=3,1 text="hello"
led LED at=3,2 value=1
table TBL at=4,0,2,2 rows=3 cols=2 colkinds=0,1 colprec=2,0 cellitems="off:0|on:1" cb=rec
graph GR at=4,2,4,2 cursors=2 xrange=0,100 yrange=0,10 cb=rec
strip STRIP at=6,0,2,2 traces=3 points=20
radio WAIT at=3,3 items="p:0|q:1" cb=wait
slider SL at=2,3 min=0 max=10 prec=1 unit="mm" cb=rec
menu M label="Menu"
item ONE label="One" cb=menu
item SEP separator=1
item TWO label="Two" dimmed=1 cb=menu
)";

int MenuRecord(bx::Context& ctx, const bx::ui::EventArgs& ev) {
  ctx.status += "menu " + std::to_string(ev.panel) + " " + std::to_string(ev.control) + "|";
  return 0;
}

class Kinds : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx = std::make_unique<bx::Context>();
    std::string err;
    ASSERT_TRUE(bx::ui::loadResourceText(ctx->ui, kPanels, err)) << err;
    static const bx::ui::CallbackEntry kTable[] = {{"rec", &Record}, {"menu", &MenuRecord}, {"wait", &Waiter}};
    ctx->ui.bindCallbacks(kTable, 3);
    frontend = std::make_unique<bx::gui::QtFrontend>(*ctx);
    ctx->ui.frontend = frontend.get();
    renderer = std::make_unique<bx::gui::Renderer>(ctx->ui);
    frontend->attach(renderer.get());
    renderer->mainWindow()->show();
  }
  void TearDown() override {
    frontend->attach(nullptr);
    renderer.reset();
    ctx->ui.frontend = nullptr;
  }
  bx::ui::CtlRef ref(const char* name) const { return ctx->ui.find("MAIN", name); }
  template <class W>
  W* w(const char* name) const {
    auto* widget = qobject_cast<W*>(renderer->widget(ref(name)));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  std::string log() {
    std::string s = ctx->status;
    ctx->status.clear();
    return s;
  }

  std::unique_ptr<bx::Context> ctx;
  std::unique_ptr<bx::gui::QtFrontend> frontend;
  std::unique_ptr<bx::gui::Renderer> renderer;
};

TEST_F(Kinds, ButtonPressIsLeftClickAndReleaseIsCommit) {
  auto* b = w<QPushButton>("BTN");
  EXPECT_EQ(b->text(), "Go");
  guitest::click(b);
  EXPECT_EQ(log(), "BTN 3 0|BTN 1 0|");
  // A right click counts once the double-click interval has passed; a
  // double click is only that.
  guitest::click(b, Qt::RightButton);
  EXPECT_EQ(log(), "");
  guitest::waitDoubleClickInterval();
  EXPECT_EQ(log(), "BTN 5 0|");
  guitest::doubleClick(b, Qt::RightButton);
  guitest::waitDoubleClickInterval();
  EXPECT_EQ(log(), "BTN 6 0|");
}

TEST_F(Kinds, NumericValueReachesModelBeforeItsEvents) {
  auto* s = w<QDoubleSpinBox>("NUM");
  s->selectAll();
  guitest::type(s, "42.5");
  EXPECT_EQ(ctx->ui.value(ref("NUM")), 42.5);
  EXPECT_EQ(log(), "NUM 2 42.5|NUM 1 42.5|");
  // Pressing into the field is a left click of its own.
  guitest::mouse(s, QEvent::MouseButtonPress, Qt::LeftButton, guitest::centre(s));
  EXPECT_EQ(log(), "NUM 3 42.5|");
  // The model's changes come back without events.
  ctx->ui.setValue(ref("NUM"), 7);
  renderer->repaint();
  EXPECT_EQ(s->value(), 7);
  EXPECT_EQ(log(), "");
}

TEST_F(Kinds, DimmedControlsHearOnlyTheRightButton) {
  auto* s = w<QDoubleSpinBox>("DIMNUM");
  EXPECT_FALSE(s->isEnabled());
  guitest::click(s);
  EXPECT_EQ(log(), "");
  guitest::rightClick(s);
  EXPECT_EQ(log(), "DIMNUM 5 0|");
  // Also when the right button lands on the spin box's inner line edit.
  guitest::rightClick(s->findChild<QLineEdit*>());
  EXPECT_EQ(log(), "DIMNUM 5 0|");
}

TEST_F(Kinds, RingChoiceWritesTheItemValue) {
  auto* cb = w<QComboBox>("RING");
  EXPECT_EQ(cb->count(), 3);
  EXPECT_EQ(cb->currentText(), "A");
  cb->setCurrentIndex(2);
  emit cb->activated(2);
  EXPECT_EQ(ctx->ui.value(ref("RING")), 30);
  EXPECT_EQ(log(), "RING 2 30|RING 1 30|");
  ctx->ui.setValue(ref("RING"), 20);
  renderer->repaint();
  EXPECT_EQ(cb->currentText(), "B");
  // A value that no item has shows no item.
  ctx->ui.setValue(ref("RING"), 99);
  renderer->repaint();
  EXPECT_EQ(cb->currentIndex(), -1);
}

TEST_F(Kinds, StringEditsChangeEachKeyAndCommitOnEnter) {
  auto* le = w<QLineEdit>("STR");
  guitest::type(le, "ab");
  EXPECT_EQ(ctx->ui.text(ref("STR")), "ab");
  EXPECT_EQ(log(), "STR 2 0|STR 2 0|STR 1 0|");
  // Enter again without an edit commits nothing new.
  guitest::key(le, Qt::Key_Return);
  EXPECT_EQ(log(), "");
}

TEST_F(Kinds, ComboCommitsTypedEntryAndListChoice) {
  auto* cb = w<QComboBox>("COMBO");
  guitest::type(cb->lineEdit(), "10.0.0.1");
  EXPECT_EQ(ctx->ui.text(ref("COMBO")), "10.0.0.1");
  std::string got = log();
  EXPECT_NE(got.find("COMBO 1 0|"), std::string::npos) << got;
  EXPECT_EQ(got.find("COMBO 1 0|"), got.rfind("COMBO 1 0|")) << "one commit only: " << got;
  // The list is the model's; an entry chosen from it is committed.
  ctx->ui.comboInsertTop(ref("COMBO"), "192.168.0.9", 10);
  renderer->repaint();
  ASSERT_EQ(cb->count(), 1);
  emit cb->activated(0);
  EXPECT_EQ(ctx->ui.text(ref("COMBO")), "192.168.0.9");
  EXPECT_EQ(log(), "COMBO 2 0|COMBO 1 0|");
}

TEST_F(Kinds, BinaryAndRadioControlsWriteTheirValue) {
  auto* tog = w<QAbstractButton>("TOG");
  tog->click();
  EXPECT_EQ(ctx->ui.value(ref("TOG")), 1);
  EXPECT_EQ(log(), "TOG 2 1|TOG 1 1|");
  auto* chk = w<QCheckBox>("CHK");
  chk->click();
  chk->click();
  EXPECT_EQ(ctx->ui.value(ref("CHK")), 0);
  EXPECT_EQ(log(), "CHK 2 1|CHK 1 1|CHK 2 0|CHK 1 0|");

  auto radios = renderer->widget(ref("RAD"))->findChildren<QRadioButton*>();
  ASSERT_EQ(radios.size(), 3);
  radios[1]->click();
  EXPECT_EQ(ctx->ui.value(ref("RAD")), 5);
  EXPECT_EQ(log(), "RAD 2 5|RAD 1 5|");
  ctx->ui.setValue(ref("RAD"), 9);
  renderer->repaint();
  EXPECT_TRUE(radios[2]->isChecked());
  EXPECT_FALSE(radios[1]->isChecked());
}

TEST_F(Kinds, SliderKeepsTheModelsPrecision) {
  auto* s = w<QSlider>("SL");
  EXPECT_EQ(s->maximum(), 100);
  s->setValue(35);  // a key press or a click on the groove
  EXPECT_EQ(ctx->ui.value(ref("SL")), 3.5);
  EXPECT_EQ(log(), "SL 2 3.5|SL 1 3.5|");
  // While dragged only the value changes; the release commits.
  s->setSliderDown(true);
  s->setValue(50);
  s->setSliderDown(false);
  EXPECT_EQ(log(), "SL 2 5|SL 1 5|");
  ctx->ui.setValue(ref("SL"), 1.2);
  renderer->repaint();
  EXPECT_EQ(s->value(), 12);
  EXPECT_EQ(log(), "");

  // Beside it its value with the unit, which also takes a typed value.
  auto* number = renderer->adapter(ref("SL"))->container()->findChild<QDoubleSpinBox*>("value");
  ASSERT_NE(number, nullptr);
  EXPECT_EQ(number->text(), "1.2 mm");
  s->setValue(40);
  EXPECT_EQ(number->text(), "4.0 mm");
  EXPECT_EQ(log(), "SL 2 4|SL 1 4|");
  number->clear();
  guitest::type(number, "7.3");
  EXPECT_EQ(s->value(), 73);
  EXPECT_EQ(ctx->ui.value(ref("SL")), 7.3);
  EXPECT_EQ(log(), "SL 2 7.3|SL 1 7.3|");
  // Beyond the slider's range it stops at the end.
  number->setValue(99);
  EXPECT_EQ(s->value(), 100);
  EXPECT_EQ(number->text(), "10.0 mm");
  EXPECT_EQ(ctx->ui.value(ref("SL")), 10);
}

TEST_F(Kinds, TableCellEditsCarryRowAndColumn) {
  auto* t = w<QTableWidget>("TBL");
  ASSERT_EQ(t->rowCount(), 3);
  ASSERT_EQ(t->columnCount(), 2);
  EXPECT_EQ(t->item(0, 0)->text(), "0.00");
  EXPECT_EQ(t->item(0, 1)->text(), "off");
  t->item(1, 0)->setText("3.25");
  EXPECT_EQ(ctx->ui.table(ref("TBL")).at(1, 0).num, 3.25);
  EXPECT_EQ(log(), "TBL 2 0 2 1|TBL 1 0 2 1|");
  t->item(2, 1)->setText("on");
  EXPECT_EQ(ctx->ui.table(ref("TBL")).at(2, 1).num, 1);
  EXPECT_EQ(log(), "TBL 2 0 3 2|TBL 1 0 3 2|");
  // Not a number: the old content comes back and nothing is sent.
  t->item(1, 0)->setText("abc");
  EXPECT_EQ(ctx->ui.table(ref("TBL")).at(1, 0).num, 3.25);
  EXPECT_EQ(t->item(1, 0)->text(), "3.25");
  EXPECT_EQ(log(), "");
  emit t->cellPressed(2, 0);
  EXPECT_EQ(log(), "TBL 3 0 3 1|");
  EXPECT_EQ(ctx->ui.table(ref("TBL")).activeRow, 2);
}

TEST_F(Kinds, PicturesAndIndicators) {
  auto* pic = w<QLabel>("PIC");
  EXPECT_TRUE(pic->pixmap().isNull());
  EXPECT_EQ(pic->text(), "no-such-image.bmp");
  EXPECT_EQ(w<QLabel>("TXT")->text(), "hello");
  ctx->ui.setTextColor(ref("TXT"), bx::ui::kRed);
  renderer->repaint();
  EXPECT_EQ(w<QLabel>("TXT")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  ctx->ui.setVisible(ref("LED"), false);
  renderer->repaint();
  EXPECT_TRUE(renderer->adapter(ref("LED"))->container()->isHidden());
}

TEST_F(Kinds, MenuItemsFireWithTheirIndexAndFollowTheModel) {
  auto* main = renderer->mainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_NE(main->menuAction(0, 1), nullptr);
  EXPECT_TRUE(main->menuAction(0, 1)->isSeparator());
  EXPECT_FALSE(main->menuAction(0, 2)->isEnabled());
  main->menuAction(0, 0)->trigger();
  EXPECT_EQ(log(), "menu 0 0|");
  ctx->ui.setMenuChecked(0, 0, true);
  renderer->repaint();
  EXPECT_TRUE(main->menuAction(0, 0)->isChecked());
  // Qt flips a checkable action on its own; the model's tick stays.
  main->menuAction(0, 0)->trigger();
  EXPECT_TRUE(main->menuAction(0, 0)->isChecked());
}

TEST_F(Kinds, CallbacksNestInsideAWaitAndWidgetsSurvive) {
  auto radios = renderer->widget(ref("WAIT"))->findChildren<QRadioButton*>();
  ASSERT_EQ(radios.size(), 2);
  auto* btn = w<QPushButton>("BTN");
  QTimer::singleShot(20, btn, [btn] { btn->click(); });
  radios[1]->click();  // its callback waits 0.1 s; the button is clicked meanwhile
  EXPECT_EQ(log(), "WAIT 2 1|WAIT 1 1|BTN 3 0|BTN 1 0|waited|");
  // The wait's repaint passes grew the group under the running callback.
  radios = renderer->widget(ref("WAIT"))->findChildren<QRadioButton*>();
  ASSERT_EQ(radios.size(), 4);
  EXPECT_TRUE(radios[1]->isChecked());
  ctx->ui.setItems(ref("WAIT"), {{"p", 0}});
  renderer->repaint();
  EXPECT_FALSE(radios[0]->isHidden());
  EXPECT_TRUE(radios[3]->isHidden());
}

#ifdef BX_HAVE_QCUSTOMPLOT
TEST_F(Kinds, GraphCursorDragWritesTheCursorThenCommits) {
  auto& g = ctx->ui.graph(ref("GR"));
  g.cursors[0].visible = true;
  g.cursors[0].x = 50;
  g.plots.push_back(bx::ui::Plot{bx::ui::PlotType::Line, {0, 50, 100}, {1, 9, 2}, bx::ui::kBlue, 1, false, false, 255});
  g.plots.push_back(bx::ui::Plot{bx::ui::PlotType::Rect, {20, 40}, {0, 5}, bx::ui::kGreen, 1, true, true, 80});
  ctx->ui.touch(ref("GR"));
  renderer->repaint();
  auto* plot = w<QCustomPlot>("GR");
  plot->replot();
  EXPECT_EQ(plot->graphCount(), 1);
  const int y = static_cast<int>(plot->yAxis->coordToPixel(5));
  const int from = static_cast<int>(plot->xAxis->coordToPixel(50));
  const int to = static_cast<int>(plot->xAxis->coordToPixel(70));
  guitest::mouse(plot, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(from, y));
  guitest::mouse(plot, QEvent::MouseMove, Qt::LeftButton, QPoint(to, y));
  guitest::mouse(plot, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(to, y));
  EXPECT_NEAR(g.cursors[0].x, 70, 1.0);
  std::string got = log();
  EXPECT_EQ(got.substr(0, 6), "GR 3 0") << got;
  EXPECT_NE(got.find("GR 2 0 1 0|"), std::string::npos) << got;
  EXPECT_EQ(got.substr(got.size() - 11), "GR 1 0 1 0|") << got;
  // A press away from any cursor moves none.
  guitest::mouse(plot, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(static_cast<int>(plot->xAxis->coordToPixel(10)), y));
  guitest::mouse(plot, QEvent::MouseMove, Qt::LeftButton, QPoint(from, y));
  guitest::mouse(plot, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(from, y));
  EXPECT_NEAR(g.cursors[0].x, 70, 1.0);
  log();
  guitest::mouse(plot, QEvent::MouseButtonDblClick, Qt::LeftButton, QPoint(to, y));
  EXPECT_EQ(log(), "GR 4 0 70 5|");
}

TEST_F(Kinds, StripShowsOneCurvePerTrace) {
  auto& s = ctx->ui.strip(ref("STRIP"));
  for (size_t i = 0; i < s.data.size(); ++i) s.data[i] = static_cast<double>(i % 7);
  ctx->ui.touch(ref("STRIP"));
  renderer->repaint();
  auto* plot = w<QCustomPlot>("STRIP");
  ASSERT_EQ(plot->graphCount(), 3);
  EXPECT_EQ(plot->graph(0)->dataCount(), 20);
  // Trace 1 holds every third sample starting at index 1.
  EXPECT_EQ(plot->graph(1)->data()->at(2)->value, static_cast<double>((2 * 3 + 1) % 7));
}
#endif

}  // namespace
