#pragma once
// One binding per field of the parameter set and per column of the teach
// table: the control that shows it, its unit conversion and its limits.
// Showing and collecting both walk these tables, so what a page shows and
// what it sends back cannot drift apart.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ui/types.h"

namespace bx {
struct Context;
struct ParamState;

namespace param {

enum class Conv : uint8_t {
  Word,       // the field as it is; collected as a whole number within lo..hi
  Millis,     // microseconds shown as milliseconds, collected to 10 µs within lo..hi
  Threshold,  // the tracked or the fixed video threshold, as the threshold mode chooses
  Position,   // a pixel position (and its micrometre twin), in the unit in force
};

struct FieldBinding {
  const char* control;                 // "PANEL.CONTROL", to name it
  ui::CtlRef (*ref)(const Context&);   // resolved at start-up
  Conv conv;
  int off;        // the field collected into (Position: the pixel field)
  int umOff;      // Position: its micrometre field; -1 when it has none
  int rowOff;     // Position: shown from the active teach row's field; -1: from off
  int rowUmOff;   // Position: the row's micrometre field; -1 none
  double lo, hi;  // Word, Millis: what the collected field may hold
};

// Every field of the parameter set the pages edit, in collecting order
// (the threshold mode before the threshold it chooses).
std::span<const FieldBinding> ParamBindings();

// What a field's control shows for the records in p (Position: of the
// given teach row, in the unit in force).
double ShownFieldValue(const Context& ctx, const ParamState& p, const FieldBinding& b, int row);

// One field to its control (Position: of the active row, in the unit in
// force) and back. A control the resource lacks leaves its field as it is.
void ShowField(Context& ctx, const FieldBinding& b);
void CollectField(Context& ctx, const FieldBinding& b);
// A position field from a given teach row.
void ShowPositionFromRow(Context& ctx, const FieldBinding& b, int row);

// The teach table's shape: its columns in order, and how each cell holds
// its row's field.
enum TeachCol : int {
  TC_EDGE_A,
  TC_EDGE_B,
  TC_MODE,
  TC_TEACH,
  TC_TOLUP,
  TC_TOLLO,
  TC_EDGES,
  TC_POS_A,
  TC_POS_B,
  TC_COUNT
};
inline constexpr int kTeachRows = 4;

enum class CellConv : uint8_t {
  Signed,    // a signed 16-bit edge number
  Mode,      // the evaluation mode, 0..2 (anything else shows as 0)
  Position,  // a pixel position and its micrometre twin, in the unit in force
  Word,      // a 16-bit count or pixel
};

struct ColumnBinding {
  TeachCol col;
  int kind;        // the table's column kind: 0 numeric, 1 ring
  CellConv conv;
  int rowOff;      // the row's field (Position: the pixel field)
  int rowUmOff;    // Position: the row's micrometre field
};

std::span<const ColumnBinding> TeachColumns();
// What a teach-table cell shows for the records in p, in the unit in force.
double ShownCellValue(const Context& ctx, const ParamState& p, const ColumnBinding& c, int row);

// A resource whose teach table has other columns is refused at start-up:
// the reason is added to missing.
void CheckTeachTableShape(const Context& ctx, std::vector<std::string>& missing);

}  // namespace param
}  // namespace bx
