// Tab adapter: a tab widget whose pages are panels of their own.
#include <QTabBar>
#include <QTabWidget>

#include "gui/adapters.h"

namespace bx::gui {
namespace {

class TabAdapter : public ControlAdapter {
 public:
  TabAdapter(ui::Ui& ui, ui::CtlRef ref, const BuildEnv& env) : ControlAdapter(ui, ref) {
    auto* tw = new QTabWidget;
    setWidget(tw);
    // Input filters go on the tab widget and its bar only, before the pages
    // arrive: the pages' controls have adapters of their own.
    installInput();
    for (int h : model().pages) {
      QWidget* page = env.panel ? env.panel(h) : nullptr;
      if (!page) page = new QWidget;
      tw->addTab(page, QString::fromStdString(ui.panel(h).title));
    }
    connect(tw, &QTabWidget::currentChanged, this, [this](int idx) {
      if (updating_ || idx < 0) return;
      int old = ui_.activePage(ref_);
      if (idx == old) return;
      ui_.setActivePage(ref_, idx);
      fire(ui::EVENT_ACTIVE_TAB_CHANGE, idx, old);
    });
  }

 protected:
  void apply(const ui::Control& c) override {
    auto* tw = static_cast<QTabWidget*>(widget_.data());
    const int n = std::min(tw->count(), static_cast<int>(c.pages.size()));
    for (int i = 0; i < n; ++i) {
      const ui::Panel& page = ui_.panel(c.pages[static_cast<size_t>(i)]);
      QString title = QString::fromStdString(page.title);
      if (tw->tabText(i) != title) tw->setTabText(i, title);
      if (tw->isTabVisible(i) != page.visible) tw->setTabVisible(i, page.visible);
    }
    int want = static_cast<int>(c.value);
    if (want >= 0 && want < n && tw->isTabVisible(want) && tw->currentIndex() != want) tw->setCurrentIndex(want);
  }
};

}  // namespace

std::unique_ptr<ControlAdapter> makeTabAdapter(ui::Ui& ui, ui::CtlRef ref, const BuildEnv& env) {
  return std::make_unique<TabAdapter>(ui, ref, env);
}

}  // namespace bx::gui
