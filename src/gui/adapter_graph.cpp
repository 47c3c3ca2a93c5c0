// Graph and strip-chart adapters, drawn with QCustomPlot.
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>
#include <vector>

#include "gui/adapters.h"

#ifdef BX_HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

namespace bx::gui {
namespace {

#ifdef BX_HAVE_QCUSTOMPLOT

QString qs(const std::string& s) { return QString::fromStdString(s); }

QPen plotPen(const ui::Plot& p) {
  QPen pen(toQColor(p.color, std::clamp(p.alpha, 0, 255)));
  pen.setWidth(std::max(1, p.width));
  if (p.dashed) pen.setStyle(Qt::DashLine);
  return pen;
}

// Tick labels show index * gain (an axis in pixels labelled in mm, say).
// The ticks are as many as the axis has room for, and never closer than
// the labels' precision can tell apart: "1 1 1 0 0 0" helps nobody.
class GainTicker : public QCPAxisTicker {
 public:
  double gain = 1.0;
  int precision = 0;
  QCPAxis* axis = nullptr;

 protected:
  QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int prec) override {
    return QCPAxisTicker::getTickLabel(tick * gain, locale, formatChar, prec);
  }

  double getTickStep(const QCPRange& range) override {
    int room = tickCount();
    if (axis && axis->axisRect()) {
      const QFontMetrics fm(axis->tickLabelFont());
      const bool vertical = axis->orientation() == Qt::Vertical;
      const int length = vertical ? axis->axisRect()->height() : axis->axisRect()->width();
      int label = fm.height() * 2;
      if (!vertical) {
        const QLocale loc = axis->parentPlot() ? axis->parentPlot()->locale() : QLocale();
        for (double v : {range.lower, range.upper})
          label = std::max(label, fm.horizontalAdvance(getTickLabel(v, loc, 'f', precision)) + fm.height());
      }
      room = std::clamp(length / std::max(1, label), 1, 10);
    }
    // Steps of 1, 2 or 5 times a power of ten in label units, never finer
    // than the labels' last digit.
    const double g = std::abs(gain) > 0 ? std::abs(gain) : 1.0;
    double step = std::max(niceStep(range.size() * g / room), std::pow(10.0, -precision));
    return step / g;
  }

 private:
  static double niceStep(double x) {
    if (!(x > 0) || !std::isfinite(x)) return 1.0;
    const double p = std::pow(10.0, std::floor(std::log10(x)));
    for (double m : {1.0, 2.0, 5.0})
      if (x <= m * p * 1.0001) return m * p;
    return 10.0 * p;
  }
};

void applyAxis(QCPAxis* ax, const ui::Axis& a, const std::string& caption) {
  auto ticker = ax->ticker().dynamicCast<GainTicker>();
  if (!ticker) {
    ticker = QSharedPointer<GainTicker>::create();
    ticker->axis = ax;
    ticker->setTickStepStrategy(QCPAxisTicker::tssReadability);
    ax->setTicker(ticker);
  }
  ticker->gain = a.gain;
  QString cap = qs(caption);
  if (ax->label() != cap) ax->setLabel(cap);
  int prec = std::clamp(a.precision, 0, 10);
  ticker->precision = prec;
  if (ax->numberPrecision() != prec) {
    ax->setNumberFormat("f");
    ax->setNumberPrecision(prec);
  }
  if (!a.autoscale && a.max > a.min && (ax->range().lower != a.min || ax->range().upper != a.max))
    ax->setRange(a.min, a.max);
}

QCustomPlot* newPlot() {
  auto* p = new QCustomPlot;
  // Room for two tick labels and a curve: a graph shrinks no further.
  p->setMinimumSize(160, 70);
  p->setNoAntialiasingOnDrag(true);
  // Cursors move often; keeping them on a layer of their own spares the
  // plots a redraw.
  p->addLayer("cursors", p->layer("main"), QCustomPlot::limAbove);
  p->layer("cursors")->setMode(QCPLayer::lmBuffered);
  // Filled areas (range shading, bands, edge bars) lie under the curves.
  p->addLayer("areas", p->layer("main"), QCustomPlot::limBelow);
  return p;
}

class GraphAdapter : public ControlAdapter {
 public:
  GraphAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    plot_ = newPlot();
    setWidget(plot_);
    for (auto& line : cursorLines_) {
      line = new QCPItemStraightLine(plot_);
      line->setLayer("cursors");
      line->setVisible(false);
      line->setSelectable(false);
    }
    connect(plot_, &QCustomPlot::mousePress, this, [this](QMouseEvent* e) { press(e); });
    connect(plot_, &QCustomPlot::mouseMove, this, [this](QMouseEvent* e) { move(e); });
    connect(plot_, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* e) { release(e); });
    connect(plot_, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent* e) {
      if (e->button() != Qt::LeftButton) return;
      QPointF p = toPlot(e);
      fire(ui::EVENT_LEFT_DOUBLE_CLICK, static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y())));
    });
  }

 protected:
  bool genericLeftClick() const override { return false; }

  void apply(const ui::Control& c) override {
    const ui::GraphModel& g = c.graph;
    applyAxis(plot_->xAxis, g.x, g.x.caption);
    applyAxis(plot_->yAxis, g.y, g.y.caption);
    size_t nLine = 0, nRect = 0;
    for (const auto& p : g.plots) {
      if (p.type == ui::PlotType::Rect) {
        if (nRect == rects_.size()) {
          rects_.push_back(new QCPCurve(plot_->xAxis, plot_->yAxis));
          rects_.back()->setLayer("areas");
        }
        setRect(rects_[nRect++], p);
      } else {
        if (nLine == lines_.size()) lines_.push_back(plot_->addGraph());
        setLine(lines_[nLine++], p);
      }
    }
    for (size_t i = nLine; i < lines_.size(); ++i) lines_[i]->setVisible(false);
    for (size_t i = nRect; i < rects_.size(); ++i) rects_[i]->setVisible(false);
    if (g.x.autoscale) plot_->xAxis->rescale(true);
    if (g.y.autoscale) plot_->yAxis->rescale(true);
    for (size_t i = 0; i < cursorLines_.size(); ++i) {
      const ui::Cursor& cur = g.cursors[i];
      bool show = static_cast<int>(i) < g.cursorCount && cur.visible;
      QCPItemStraightLine* line = cursorLines_[i];
      line->setVisible(show);
      if (!show) continue;
      line->point1->setCoords(cur.x, 0);
      line->point2->setCoords(cur.x, 1);
      QPen pen(toQColor(cur.color));
      if (static_cast<int>(i) + 1 == g.activeCursor) pen.setWidth(2);
      line->setPen(pen);
    }
    plot_->replot(QCustomPlot::rpQueuedReplot);
  }

 private:
  void setLine(QCPGraph* gr, const ui::Plot& p) {
    size_t n = std::min(p.x.size(), p.y.size());
    QVector<double> xs(static_cast<qsizetype>(n)), ys(static_cast<qsizetype>(n));
    std::copy_n(p.x.begin(), n, xs.begin());
    std::copy_n(p.y.begin(), n, ys.begin());
    gr->setData(xs, ys);
    gr->setLineStyle(p.type == ui::PlotType::Steps ? QCPGraph::lsStepLeft : QCPGraph::lsLine);
    gr->setPen(plotPen(p));
    gr->setBrush(p.filled ? QBrush(toQColor(p.color, std::clamp(p.alpha, 0, 255))) : Qt::NoBrush);
    gr->setVisible(true);
  }

  void setRect(QCPCurve* cv, const ui::Plot& p) {
    if (p.x.size() < 2 || p.y.size() < 2) {
      cv->setVisible(false);
      return;
    }
    double x0 = p.x[0], x1 = p.x[1], y0 = p.y[0], y1 = p.y[1];
    cv->setData(QVector<double>{x0, x1, x1, x0, x0}, QVector<double>{y0, y0, y1, y1, y0});
    cv->setPen(plotPen(p));
    cv->setBrush(p.filled ? QBrush(toQColor(p.color, std::clamp(p.alpha, 0, 255))) : Qt::NoBrush);
    cv->setVisible(true);
  }

  QPointF toPlot(QMouseEvent* e) const {
    return {plot_->xAxis->pixelToCoord(e->position().x()), plot_->yAxis->pixelToCoord(e->position().y())};
  }

  // Cursor under the mouse (within a few pixels), -1 for none.
  int cursorAt(double px) const {
    const ui::GraphModel& g = model().graph;
    int best = -1;
    double bestDist = 6;
    for (int i = 0; i < g.cursorCount && i < static_cast<int>(g.cursors.size()); ++i) {
      const ui::Cursor& cur = g.cursors[static_cast<size_t>(i)];
      if (!cur.visible || !cur.selectable) continue;
      double d = std::abs(plot_->xAxis->coordToPixel(cur.x) - px);
      if (d <= bestDist) {
        bestDist = d;
        best = i;
      }
    }
    return best;
  }

  void press(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || updating_) return;
    QPointF p = toPlot(e);
    drag_ = model().dimmed ? -1 : cursorAt(e->position().x());
    if (drag_ >= 0) {
      model().graph.activeCursor = drag_ + 1;
      ui_.touch(ref_);
    }
    fire(ui::EVENT_LEFT_CLICK, static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y())));
  }

  void move(QMouseEvent* e) {
    if (drag_ < 0 || !(e->buttons() & Qt::LeftButton)) return;
    moveCursor(e);
    fire(ui::EVENT_VAL_CHANGED, drag_ + 1);
  }

  void release(QMouseEvent* e) {
    if (drag_ < 0 || e->button() != Qt::LeftButton) return;
    int which = drag_;
    moveCursor(e);
    drag_ = -1;
    fire(ui::EVENT_COMMIT, which + 1);
  }

  void moveCursor(QMouseEvent* e) {
    ui::GraphModel& g = model().graph;
    if (drag_ < 0 || drag_ >= static_cast<int>(g.cursors.size())) return;
    QPointF p = toPlot(e);
    const QCPRange xr = plot_->xAxis->range();
    ui::Cursor& cur = g.cursors[static_cast<size_t>(drag_)];
    cur.x = std::clamp(p.x(), xr.lower, xr.upper);
    cur.y = p.y();
    ui_.touch(ref_);
  }

  QCustomPlot* plot_;
  std::vector<QCPGraph*> lines_;
  std::vector<QCPCurve*> rects_;
  std::array<QCPItemStraightLine*, 5> cursorLines_{};
  int drag_ = -1;
};

QColor traceColor(const ui::StripModel& s, int t) {
  static const QColor kDefault[] = {Qt::red, Qt::blue, QColor(0, 128, 0), Qt::black, Qt::magenta, Qt::darkCyan};
  if (t < static_cast<int>(s.colors.size())) return toQColor(s.colors[static_cast<size_t>(t)]);
  return kDefault[t % 6];
}

class StripAdapter : public ControlAdapter {
 public:
  StripAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    plot_ = newPlot();
    setWidget(plot_);
  }

 protected:
  void apply(const ui::Control& c) override {
    const ui::StripModel& s = c.strip;
    applyAxis(plot_->yAxis, s.y, s.yCaption);
    const int traces = std::max(0, s.traces);
    const int points = std::max(0, s.points);
    while (plot_->graphCount() < traces) plot_->addGraph();
    for (int t = 0; t < plot_->graphCount(); ++t) plot_->graph(t)->setVisible(t < traces);
    const size_t have = s.data.size();
    for (int t = 0; t < traces; ++t) {
      QVector<double> xs, ys;
      xs.reserve(points);
      ys.reserve(points);
      for (int i = 0; i < points; ++i) {
        size_t k = static_cast<size_t>(i) * static_cast<size_t>(traces) + static_cast<size_t>(t);
        if (k >= have) break;
        xs.push_back(i);
        ys.push_back(s.data[k]);
      }
      QCPGraph* g = plot_->graph(t);
      g->setData(xs, ys, true);
      g->setPen(QPen(traceColor(s, t)));
    }
    if (plot_->xAxis->range().upper != std::max(1, points - 1)) plot_->xAxis->setRange(0, std::max(1, points - 1));
    if (s.y.autoscale) plot_->yAxis->rescale(true);
    plot_->replot(QCustomPlot::rpQueuedReplot);
  }

 private:
  QCustomPlot* plot_;
};

#else  // without QCustomPlot: a framed placeholder that names the control

class PlaceholderAdapter : public ControlAdapter {
 public:
  PlaceholderAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    auto* l = new QLabel(QString::fromStdString(ui.at(ref).name));
    l->setFrameShape(QFrame::Box);
    l->setAlignment(Qt::AlignCenter);
    setWidget(l);
  }

 protected:
  void apply(const ui::Control&) override {}
};
using GraphAdapter = PlaceholderAdapter;
using StripAdapter = PlaceholderAdapter;

#endif

}  // namespace

std::unique_ptr<ControlAdapter> makeGraphAdapter(ui::Ui& ui, ui::CtlRef ref) {
  return std::make_unique<GraphAdapter>(ui, ref);
}

std::unique_ptr<ControlAdapter> makeStripAdapter(ui::Ui& ui, ui::CtlRef ref) {
  return std::make_unique<StripAdapter>(ui, ref);
}

}  // namespace bx::gui
