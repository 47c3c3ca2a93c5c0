#include "gui/renderer.h"

#include <algorithm>
#include <tuple>

#include "gui/main_window.h"
#include "gui/panel_view.h"

namespace bx::gui {

Renderer::Renderer(ui::Ui& ui, RendererOptions options) : ui_(ui), options_(std::move(options)) {
  const size_t n = ui.panels.size();
  adapters_.resize(n);
  views_.assign(n, nullptr);
  windows_.assign(n, nullptr);
  panelRev_.assign(n, 0);
  env_.resourceDir = options_.resourceDir;
  env_.panel = [this](int h) -> QWidget* { return buildPanel(h); };

  mainPanel_ = ui.findPanel(options_.mainPanel);
  for (size_t h = 0; mainPanel_ < 0 && h < n; ++h)
    if (ui.panels[h].parent < 0) mainPanel_ = static_cast<int>(h);
  if (mainPanel_ < 0 && n > 0) mainPanel_ = 0;
  if (mainPanel_ >= 0) {
    main_ = std::make_unique<MainWindow>(ui, mainPanel_);
    main_->setCentralWidget(new PanelScroll(buildPanel(mainPanel_)));
  }
  // Every other panel that is no tab page is a window of its own: a child
  // of the main window, or top level.
  for (size_t h = 0; h < n; ++h) {
    if (views_[h] || ui.panels[h].tabOwner >= 0) continue;
    const bool child = ui.panels[h].parent >= 0 && main_;
    auto* w = new PanelWindow(ui, static_cast<int>(h), child ? main_.get() : nullptr);
    if (!child) topWindows_.emplace_back(w);
    windows_[h] = w;
    views_[h] = w->view();
    populate(w->view());
  }
  repaint();
  connect(&timer_, &QTimer::timeout, this, [this] { repaintIfDue(); });
  timer_.start(options_.repaintIntervalMs);
}

Renderer::~Renderer() {
  timer_.stop();
  main_.reset();
  topWindows_.clear();
}

PanelView* Renderer::buildPanel(int h) {
  if (h < 0 || h >= static_cast<int>(views_.size())) return nullptr;
  if (views_[static_cast<size_t>(h)]) return static_cast<PanelView*>(views_[static_cast<size_t>(h)]);
  auto* v = new PanelView(ui_, h);
  views_[static_cast<size_t>(h)] = v;
  populate(v);
  return v;
}

void Renderer::populate(PanelView* view) {
  const int h = view->panel();
  auto& list = adapters_[static_cast<size_t>(h)];
  const size_t count = ui_.panel(h).controls.size();
  list.resize(count);
  for (size_t i = 0; i < count; ++i) {
    ui::CtlRef ref{h, static_cast<int>(i)};
    auto ad = makeAdapter(ui_, ref, env_);
    view->place(ad->container(), ui_.at(ref));
    ad->installInput();
    ad->sync(true);
    list[i] = std::move(ad);
  }
  orderTabs(h);
}

void Renderer::orderTabs(int h) {
  struct Stop {
    int row, col, index;
    QWidget* w;
  };
  std::vector<Stop> stops;
  const auto& list = adapters_[static_cast<size_t>(h)];
  for (size_t i = 0; i < list.size(); ++i) {
    QWidget* w = list[i] ? list[i]->widget() : nullptr;
    if (!w || !(w->focusPolicy() & Qt::TabFocus)) continue;
    const ui::Control& c = ui_.at(ui::CtlRef{h, static_cast<int>(i)});
    stops.push_back(Stop{c.row, c.col, static_cast<int>(i), w});
  }
  std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) {
    return std::tie(a.row, a.col, a.index) < std::tie(b.row, b.col, b.index);
  });
  for (size_t i = 1; i < stops.size(); ++i) QWidget::setTabOrder(stops[i - 1].w, stops[i].w);
}

QWidget* Renderer::panelWidget(int panel) const {
  if (panel < 0 || panel >= static_cast<int>(views_.size())) return nullptr;
  return views_[static_cast<size_t>(panel)];
}

ControlAdapter* Renderer::adapter(ui::CtlRef r) const {
  if (r.panel < 0 || r.panel >= static_cast<int>(adapters_.size())) return nullptr;
  const auto& list = adapters_[static_cast<size_t>(r.panel)];
  if (r.control < 0 || r.control >= static_cast<int>(list.size())) return nullptr;
  return list[static_cast<size_t>(r.control)].get();
}

QWidget* Renderer::widget(ui::CtlRef r) const {
  ControlAdapter* a = adapter(r);
  return a ? a->widget() : nullptr;
}

void Renderer::syncPanel(int h) {
  const ui::Panel& p = ui_.panel(h);
  if (h == mainPanel_) {
    if (main_) main_->syncPanel();
    return;
  }
  if (p.tabOwner >= 0) {
    // A page's title and visibility are the tab control's to show.
    if (ControlAdapter* tab = adapter(ui::CtlRef{p.tabOwner, p.tabControl})) tab->sync(true);
    return;
  }
  PanelWindow* w = windows_[static_cast<size_t>(h)];
  if (!w) return;
  QString title = QString::fromStdString(p.titleNote.empty() ? p.title : p.title + " - " + p.titleNote);
  if (w->windowTitle() != title) w->setWindowTitle(title);
  if (!p.visible) {
    if (w->isVisible()) w->hide();
    return;
  }
  // A child panel's place is given inside the main panel's area.
  QPoint at(p.left, p.top);
  if (p.parent >= 0 && main_ && main_->centralWidget()) at = main_->centralWidget()->mapToGlobal(at);
  if (w->size() != QSize(p.width, p.height)) w->resize(p.width, p.height);
  if (w->pos() != at) w->move(at);
  if (!w->isVisible()) w->show();
}

void Renderer::repaint() {
  // Setting a widget never runs a callback, but a widget may process events
  // while it is set; a pass must not start inside another.
  if (inPass_) return;
  inPass_ = true;
  last_ = std::chrono::steady_clock::now();
  ++passes_;
  if (ui_.revision() != modelRev_) {
    modelRev_ = ui_.revision();
    if (ui_.front.revision != frontRev_) {
      frontRev_ = ui_.front.revision;
      qtLanguage_.use(ui_.front.language);
    }
    for (size_t h = 0; h < ui_.panels.size() && h < panelRev_.size(); ++h) {
      if (ui_.panels[h].revision == panelRev_[h]) continue;
      panelRev_[h] = ui_.panels[h].revision;
      syncPanel(static_cast<int>(h));
    }
    for (auto& list : adapters_)
      for (auto& ad : list)
        if (ad) ad->sync();
    if (main_) main_->syncMenu();
  }
  inPass_ = false;
}

bool Renderer::repaintDue() const {
  return std::chrono::steady_clock::now() - last_ >= std::chrono::milliseconds(options_.repaintIntervalMs);
}

bool Renderer::repaintIfDue() {
  if (!repaintDue()) return false;
  repaint();
  return true;
}

}  // namespace bx::gui
