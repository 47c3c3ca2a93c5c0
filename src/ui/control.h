#pragma once
// One control of the panel model: its value, look and kind-specific content.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/types.h"

namespace bx::ui {

struct Item {
  std::string label;
  double value = 0;
};

struct Cell {
  double num = 0;
  std::string text;
  bool readOnly = false;
  bool edited = false;   // shown with the front-end's edited mark
};

struct TableModel {
  int rows = 0;
  int cols = 0;
  std::vector<Cell> cells;              // rows * cols
  std::vector<std::string> colLabels;
  std::vector<int> colKind;             // 0 numeric, 1 ring (uses ringItems)
  std::vector<int> colPrecision;
  std::vector<double> colDefault;
  std::vector<Item> ringItems;          // items of ring cells
  std::vector<uint8_t> rowMarked;       // selected/marked rows
  std::vector<uint8_t> rowReadOnly;
  int activeRow = 0, activeCol = 0;     // 0-based
  int selTop = -1, selLeft = -1, selBottom = -1, selRight = -1;  // selection, -1 none
  Cell& at(int r, int c) { return cells[static_cast<size_t>(r * cols + c)]; }
  const Cell& at(int r, int c) const { return cells[static_cast<size_t>(r * cols + c)]; }
  void resize(int r, int c);
};

enum class PlotType : uint8_t { Line, Rect, Steps };

struct Plot {
  PlotType type = PlotType::Line;
  std::vector<double> x, y;   // Line/Steps points; Rect uses x[0..1], y[0..1]
  Color color;
  int width = 1;
  bool dashed = false;
  bool filled = false;
  int alpha = 255;
};

struct Cursor {
  double x = 0, y = 0;
  bool visible = false;
  bool selectable = true;
  Color color = kBlack;
};

struct Axis {
  double min = 0, max = 1;
  bool autoscale = false;
  int precision = 0;
  std::string caption;
  double gain = 1.0;  // shown value = index * gain
  // What a shown value is counted in ("mm", "pixel"), for readouts; empty:
  // the bracketed part of the caption, if any.
  std::string unit;
};

struct GraphModel {
  Axis x, y;
  std::vector<Plot> plots;
  std::array<Cursor, 5> cursors{};
  int cursorCount = 0;
  int activeCursor = 1;  // 1-based
  void clearPlots() { plots.clear(); }
  // The i-th plot reset for redrawing in place: its point storage is kept,
  // so redrawing the same shapes every cycle allocates nothing.
  Plot& plotAt(size_t i) {
    if (i >= plots.size()) plots.resize(i + 1);
    Plot& p = plots[i];
    p.type = PlotType::Line;
    p.color = Color{};
    p.width = 1;
    p.dashed = p.filled = false;
    p.alpha = 255;
    return p;
  }
  // Drops the plots from index n on.
  void keepPlots(size_t n) {
    if (plots.size() > n) plots.resize(n);
  }
};

struct StripModel {
  int traces = 1;
  int points = 100;
  std::vector<double> data;     // traces * points, oldest first, trace-major per point
  std::vector<Color> colors;
  Axis y;
  std::string yCaption;
};

// An entry of a control's right-click menu. The help entry asks for the
// control's help (as a right click does); the others run their callback
// with a commit on the control.
struct ContextEntry {
  std::string label;
  Callback callback = nullptr;
  bool help = false;
};

struct Control {
  std::string name;
  Kind kind = Kind::Text;
  std::string label;
  std::string callbackName;
  Callback callback = nullptr;
  bool callbackBound = false;   // the named callback exists in this build

  double value = 0;             // numeric value, ring value, toggle state, tab page
  std::string text;             // string/text content, picture file
  std::vector<Item> items;      // ring/radio items; combo list entries (labels)
  double min = -1e300, max = 1e300, step = 1;
  int precision = 0;
  std::string unit;             // slider: shown after the value beside it
  std::string tooltip;          // shown when the pointer rests on the control
  bool edited = false;          // shown with the front-end's edited mark

  bool dimmed = false;
  // Shows a value older than the last good reading: drawn greyed, never in
  // the colours of a good one, whatever colours the model holds.
  bool stale = false;
  bool visible = true;
  bool readOnly = false;        // indicator: shown but not operable
  Color textColor = kBlack;
  Color bgColor = kWhite;
  bool hasTextColor = false, hasBgColor = false;
  Color onColor = kGreen;       // LED

  // Layout within the panel's grid.
  int row = 0, col = 0, rowSpan = 1, colSpan = 1;

  TableModel table;
  GraphModel graph;
  StripModel strip;
  std::vector<int> pages;       // Tab: panel handles of the pages
  // Right-click menu; empty: a right click asks for help at once.
  std::vector<ContextEntry> contextMenu;
  // Graphs and strip charts: the operator may zoom and pan the view and
  // read values with a crosshair; the model's axes are the whole view.
  bool zoomable = false;

  uint64_t revision = 1;        // bumped on every change, for repaint
};

}  // namespace bx::ui
