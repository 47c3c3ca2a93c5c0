// Graph and strip-chart adapters, drawn with QCustomPlot.
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QRubberBand>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>
#include <array>
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

// Caption, ticks and, unless the operator's own view holds it, the range.
void applyAxis(QCPAxis* ax, const ui::Axis& a, const std::string& caption, bool keepRange = false) {
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
  if (!keepRange && !a.autoscale && a.max > a.min && (ax->range().lower != a.min || ax->range().upper != a.max))
    ax->setRange(a.min, a.max);
}

// What a shown value is counted in: the axis's unit, else the bracketed
// part of its caption ("MEASUREMENT-VALUE [mm]" counts in mm).
QString axisUnit(const ui::Axis& a, const std::string& caption) {
  if (!a.unit.empty()) return qs(a.unit);
  const size_t open = caption.rfind('['), close = caption.rfind(']');
  if (open == std::string::npos || close == std::string::npos || close < open + 2) return {};
  return qs(caption.substr(open + 1, close - open - 1));
}

// A value read off an axis at a screen position: with as many decimals as
// one screen pixel there can tell apart, never fewer than the axis shows.
QString readout(QCPAxis* ax, double pixel, const ui::Axis& a, const QString& unit) {
  const double gain = a.gain != 0 && std::isfinite(a.gain) ? a.gain : 1.0;
  const double v = ax->pixelToCoord(pixel) * gain;
  const double step = std::abs(ax->pixelToCoord(pixel + 1) - ax->pixelToCoord(pixel)) * std::abs(gain);
  int decimals = std::clamp(a.precision, 0, 10);
  if (step > 0 && std::isfinite(step)) decimals = std::max(decimals, static_cast<int>(std::ceil(-std::log10(step))));
  decimals = std::clamp(decimals, 0, 6);
  // No "-0.00" for a value that rounds to nothing.
  const QString text = QString::number(std::abs(v) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : v, 'f', decimals);
  return unit.isEmpty() ? text : text + ' ' + unit;
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
  // The crosshair follows the mouse: a layer of its own, redrawn alone.
  p->addLayer("crosshair", p->layer("cursors"), QCustomPlot::limAbove);
  p->layer("crosshair")->setMode(QCPLayer::lmBuffered);
  return p;
}

// A plot the operator may zoom, pan and read, when its control allows:
// the wheel zooms about the mouse, Shift and a drag draw the rectangle to
// zoom into, a drag elsewhere pans, and a double click or the corner
// button shows the whole graph again. A crosshair with the position and
// value in the axes' units follows the mouse. The model's axes are the
// whole graph; while the operator's view is zoomed, redrawing keeps it,
// until the model changes what the whole graph is (another unit, say).
class PlotAdapter : public ControlAdapter {
 public:
  PlotAdapter(ui::Ui& ui, ui::CtlRef ref) : ControlAdapter(ui, ref) {
    plot_ = newPlot();
    setWidget(plot_);
    if (!model().zoomable) return;
    plot_->setMouseTracking(true);
    // A filter of its own: the adapter's filter serves the right button,
    // help and the generic clicks and stays as it is.
    watcher_ = new Watcher(this);
    plot_->installEventFilter(watcher_);
    vLine_ = new QCPItemStraightLine(plot_);
    hLine_ = new QCPItemStraightLine(plot_);
    for (QCPItemStraightLine* l : {vLine_, hLine_}) {
      l->setLayer("crosshair");
      l->setSelectable(false);
      l->setPen(QPen(QColor(90, 90, 90), 1, Qt::DotLine));
      l->setVisible(false);
    }
    readout_ = new QCPItemText(plot_);
    readout_->setObjectName("crosshairReadout");
    readout_->setLayer("crosshair");
    readout_->setSelectable(false);
    readout_->position->setType(QCPItemPosition::ptAxisRectRatio);
    readout_->position->setCoords(0, 0);
    readout_->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    readout_->setPadding(QMargins(3, 1, 3, 1));
    readout_->setBrush(QColor(255, 255, 255, 220));
    readout_->setPen(QPen(QColor(160, 160, 160)));
    readout_->setVisible(false);
    whole_ = new QToolButton(plot_);
    whole_->setObjectName("wholeGraph");
    whole_->setFocusPolicy(Qt::NoFocus);
    whole_->setVisible(false);
    connect(whole_, &QToolButton::clicked, this, [this] { showWhole(); });
    connect(plot_, &QCustomPlot::afterLayout, this, [this] { placeWholeButton(); });
  }

  bool zoomed() const { return zoomed_; }

 protected:
  // The model's range of each axis and its unit: what "whole" means now.
  struct Home {
    double min = 0, max = 0;
    bool autoscale = false;
    QString unit;
    // Another unit, another scaling or a range of another size is another
    // whole graph; a range that moved by a rounding (1 or 0 as the first
    // pixel) is the same.
    bool same(const Home& o) const {
      const double slack = 0.01 * std::max(std::abs(max - min), std::abs(o.max - o.min));
      return autoscale == o.autoscale && unit == o.unit && std::abs(min - o.min) <= slack && std::abs(max - o.max) <= slack;
    }
  };

  // Called by apply() with the model's axes and captions before it draws:
  // ends the operator's view when the whole graph changed. True while the
  // operator's view holds.
  bool keepView(const ui::Axis& x, const ui::Axis& y, const std::string& xCaption, const std::string& yCaption) {
    const std::array<Home, 2> home{Home{x.min, x.max, x.autoscale, axisUnit(x, xCaption)},
                                   Home{y.min, y.max, y.autoscale, axisUnit(y, yCaption)}};
    if (zoomed_ && !(home[0].same(home_[0]) && home[1].same(home_[1]))) setZoomed(false);
    home_ = home;
    axes_ = {x, y};
    captions_ = {xCaption, yCaption};
    return zoomed_;
  }

  // A press that this kind takes for itself (a cursor to drag).
  virtual bool takesPress(const QPointF& at) const {
    (void)at;
    return false;
  }

  QCustomPlot* plot_;

 private:
  enum class Drag { None, Pending, Pan, Rect };

  void setZoomed(bool on) {
    zoomed_ = on;
    if (!whole_) return;
    if (on) {
      const QString text = qs(ui_.front.wholeGraph);
      if (whole_->text() != text) {
        whole_->setText(text);
        whole_->setToolTip(text);
        whole_->adjustSize();
      }
      placeWholeButton();
    }
    whole_->setVisible(on);
  }

  void placeWholeButton() {
    if (!whole_) return;
    const QRect r = plot_->axisRect()->rect();
    whole_->move(std::max(0, r.right() - whole_->width() - 2), r.top() + 2);
  }

  void showWhole() {
    setZoomed(false);
    sync(true);
    plot_->replot();
  }

  void zoomedTo(const QCPRange& x, const QCPRange& y) {
    // Far enough in to tell samples apart, never into nothing.
    auto sane = [](const QCPRange& r) { return std::isfinite(r.lower) && std::isfinite(r.upper) && r.size() > 1e-9; };
    if (!sane(x) || !sane(y)) return;
    plot_->xAxis->setRange(x);
    plot_->yAxis->setRange(y);
    setZoomed(true);
    plot_->replot();
  }

  void wheel(QWheelEvent* e) {
    const double steps = e->angleDelta().y() / 120.0;
    if (steps == 0) return;
    const double factor = std::pow(0.8, steps);
    const QPointF at = e->position();
    QCPRange x = plot_->xAxis->range(), y = plot_->yAxis->range();
    const double cx = plot_->xAxis->pixelToCoord(at.x()), cy = plot_->yAxis->pixelToCoord(at.y());
    x = QCPRange(cx + (x.lower - cx) * factor, cx + (x.upper - cx) * factor);
    y = QCPRange(cy + (y.lower - cy) * factor, cy + (y.upper - cy) * factor);
    zoomedTo(x, y);
  }

  void press(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || takesPress(e->position())) return;
    from_ = e->position().toPoint();
    fromX_ = plot_->xAxis->range();
    fromY_ = plot_->yAxis->range();
    drag_ = (e->modifiers() & Qt::ShiftModifier) ? Drag::Rect : Drag::Pending;
  }

  void move(QMouseEvent* e) {
    const QPoint at = e->position().toPoint();
    follow(e->position());
    if (drag_ == Drag::Pending && (at - from_).manhattanLength() >= QApplication::startDragDistance()) drag_ = Drag::Pan;
    if (drag_ == Drag::Pan) {
      // The point under the mouse stays under it.
      const double dx = plot_->xAxis->pixelToCoord(from_.x()) - plot_->xAxis->pixelToCoord(at.x());
      const double dy = plot_->yAxis->pixelToCoord(from_.y()) - plot_->yAxis->pixelToCoord(at.y());
      plot_->xAxis->setRange(fromX_);
      plot_->yAxis->setRange(fromY_);
      zoomedTo(QCPRange(fromX_.lower + dx, fromX_.upper + dx), QCPRange(fromY_.lower + dy, fromY_.upper + dy));
    } else if (drag_ == Drag::Rect) {
      if (!band_) band_ = new QRubberBand(QRubberBand::Rectangle, plot_);
      band_->setGeometry(QRect(from_, at).normalized());
      band_->show();
    }
  }

  void release(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const Drag was = drag_;
    drag_ = Drag::None;
    if (band_) band_->hide();
    if (was != Drag::Rect) return;
    const QRect r = QRect(from_, e->position().toPoint()).normalized();
    // A click with Shift is no rectangle.
    if (r.width() < 4 || r.height() < 4) return;
    zoomedTo(QCPRange(plot_->xAxis->pixelToCoord(r.left()), plot_->xAxis->pixelToCoord(r.right())),
             QCPRange(plot_->yAxis->pixelToCoord(r.bottom()), plot_->yAxis->pixelToCoord(r.top())));
  }

  // The crosshair and its readout at a mouse position (hidden outside the
  // plotting area).
  void follow(const QPointF& at) {
    if (!readout_) return;
    const bool inside = plot_->axisRect()->rect().contains(at.toPoint());
    if (inside) {
      const double x = plot_->xAxis->pixelToCoord(at.x()), y = plot_->yAxis->pixelToCoord(at.y());
      vLine_->point1->setCoords(x, 0);
      vLine_->point2->setCoords(x, 1);
      hLine_->point1->setCoords(0, y);
      hLine_->point2->setCoords(1, y);
      readout_->setText(QString("x = %1   y = %2")
                            .arg(readout(plot_->xAxis, at.x(), axes_[0], axisUnit(axes_[0], captions_[0])),
                                 readout(plot_->yAxis, at.y(), axes_[1], axisUnit(axes_[1], captions_[1]))));
    }
    if (!inside && !readout_->visible()) return;
    for (QCPAbstractItem* item : {static_cast<QCPAbstractItem*>(vLine_), static_cast<QCPAbstractItem*>(hLine_),
                                  static_cast<QCPAbstractItem*>(readout_)})
      item->setVisible(inside);
    plot_->layer("crosshair")->replot();
  }

  struct Watcher : QObject {
    explicit Watcher(PlotAdapter* a) : QObject(a), adapter(a) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
      return watched == adapter->plot_ && adapter->navigate(event);
    }
    PlotAdapter* adapter;
  };

  // The operator's navigation; true when the event is used up.
  bool navigate(QEvent* event) {
    switch (event->type()) {
      case QEvent::Wheel:
        wheel(static_cast<QWheelEvent*>(event));
        return true;  // the page around the graph does not scroll as well
      case QEvent::MouseButtonPress:
        press(static_cast<QMouseEvent*>(event));
        return false;
      case QEvent::MouseMove:
        move(static_cast<QMouseEvent*>(event));
        return false;
      case QEvent::MouseButtonRelease:
        release(static_cast<QMouseEvent*>(event));
        return false;
      case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
          drag_ = Drag::None;
          if (zoomed_) showWhole();
        }
        return false;
      case QEvent::Leave:
        follow(QPointF(-1, -1));
        return false;
      default:
        return false;
    }
  }

  Watcher* watcher_ = nullptr;
  bool zoomed_ = false;
  std::array<Home, 2> home_{};
  std::array<ui::Axis, 2> axes_{};
  std::array<std::string, 2> captions_{};
  Drag drag_ = Drag::None;
  QPoint from_;
  QCPRange fromX_, fromY_;
  QCPItemStraightLine* vLine_ = nullptr;
  QCPItemStraightLine* hLine_ = nullptr;
  QCPItemText* readout_ = nullptr;
  QToolButton* whole_ = nullptr;
  QRubberBand* band_ = nullptr;
};

class GraphAdapter : public PlotAdapter {
 public:
  GraphAdapter(ui::Ui& ui, ui::CtlRef ref) : PlotAdapter(ui, ref) {
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

  bool takesPress(const QPointF& at) const override { return !model().dimmed && cursorAt(at.x()) >= 0; }

  void apply(const ui::Control& c) override {
    const ui::GraphModel& g = c.graph;
    const bool keep = keepView(g.x, g.y, g.x.caption, g.y.caption);
    applyAxis(plot_->xAxis, g.x, g.x.caption, keep);
    applyAxis(plot_->yAxis, g.y, g.y.caption, keep);
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
    if (g.x.autoscale && !keep) plot_->xAxis->rescale(true);
    if (g.y.autoscale && !keep) plot_->yAxis->rescale(true);
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

class StripAdapter : public PlotAdapter {
 public:
  StripAdapter(ui::Ui& ui, ui::CtlRef ref) : PlotAdapter(ui, ref) {}

 protected:
  void apply(const ui::Control& c) override {
    const ui::StripModel& s = c.strip;
    const int traces = std::max(0, s.traces);
    const int points = std::max(0, s.points);
    // The time axis counts whole points.
    ui::Axis x;
    x.min = 0;
    x.max = std::max(1, points - 1);
    const bool keep = keepView(x, s.y, {}, s.yCaption);
    applyAxis(plot_->xAxis, x, {}, keep);
    applyAxis(plot_->yAxis, s.y, s.yCaption, keep);
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
    if (s.y.autoscale && !keep) plot_->yAxis->rescale(true);
    plot_->replot(QCustomPlot::rpQueuedReplot);
  }
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
