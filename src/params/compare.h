#pragma once
// Two parameter sets with their teach tables compared field by field: the
// sensor's RAM or EEPROM, a parameter file, or the connected model's factory
// defaults. One comparison serves the desktop window and the command line.
#include <string>
#include <vector>

#include "params/state.h"

namespace bx {
struct Context;
}

namespace bx::param {

// What a field's number is, so each front-end shows it in its own unit.
enum class ValueKind : uint8_t {
  Number,    // a code, count or setting as it is
  Signed,    // a signed 16-bit edge number
  Micros,    // microseconds (the pages show milliseconds)
  Percent,   // percent
  Pixel,     // a pixel position with no micrometre twin, shown in the unit in force
  RawPixel,  // a pixel position the pages always show in pixels
  Position,  // a pixel position and its micrometre twin
};

struct CompareValue {
  bool held = false;
  long long value = 0;  // Position: the pixel field
  long long um = 0;     // Position: the micrometre field
};

struct CompareItem {
  std::string field;            // the file's tag; teach cells "TEACH[row].tag"
  std::string umField;          // Position: the twin's tag
  const char* control = nullptr;  // "PANEL.CONTROL" that shows it, or none
  int row = -1;                 // teach row, -1 for the parameter set
  int column = -1;              // the teach table editor's column, -1 none
  int off = 0;                  // offset in the parameter set or the row
  int umOff = -1;               // Position: the twin's offset
  ValueKind kind = ValueKind::Number;
  CompareValue left, right;
  bool pixelDiffers = false;    // both held and the (pixel) values differ
  bool umDiffers = false;       // Position: both held and the twins differ
  bool differs() const { return pixelDiffers || umDiffers; }
  bool heldByBoth() const { return left.held && right.held; }
};

// Every field of the parameter set (but the reserved bytes) and every cell
// of the four teach rows, in the parameter file's order. Only fields both
// sides hold can differ; a field one side lacks is listed as not held.
std::vector<CompareItem> CompareParamSets(const CompareSide& left, const CompareSide& right);

// Stored fields that differ: a position counts its pixel field and its
// micrometre twin apart.
int CountDifferences(const std::vector<CompareItem>& items);

// A value and its unit as stored (the command line: pixels, micrometres,
// microseconds; a position's twin on its own line) ...
std::string StoredText(const CompareItem& it, const CompareValue& v, bool twin);
const char* StoredUnit(const CompareItem& it, bool twin);
// ... and as the pages show it: positions in millimetres (decimals places)
// or pixels as the unit switch says, the exposure time in milliseconds.
std::string PageText(const CompareItem& it, const CompareValue& v, bool unitMm, double umPerPixel, int decimals);
const char* PageUnit(const CompareItem& it, bool unitMm);

enum class FileVerdict { Read, Unreadable, Damaged, NotAParameterFile };

// Reads a parameter file for a comparison: the fields it holds, nothing
// assumed for the others. Refused (reason in why, in English with the path)
// when it cannot be read, when an item of the parameter or teach sections
// is not a whole number or does not fit its field, or when it holds no
// field of this sensor family's parameter set or teach table.
FileVerdict ReadCompareFile(const std::string& path, CompareSide& out, std::string& why);

// The connected model's factory defaults, every field held.
CompareSide DefaultsSide(uint32_t hwType, int pixelCount, uint32_t calibHwType);

// What a side of a comparison is.
enum CompareSource : int { SRC_RAM = 0, SRC_EEPROM = 1, SRC_FILE = 2, SRC_DEFAULTS = 3 };
inline bool NeedsSensor(int source) { return source != SRC_FILE; }

enum class SideResult { Read, LinkFailed, FileRefused };

// One side from the connected sensor (RAM or EEPROM, read without touching
// the tool's own records, so unsent edits stay), its model's defaults, or a
// parameter file. On failure ctx.status holds the reason in English: the
// link's failure text, or the file named damaged, not of this family or
// unreadable; shown, when asked for, the same in the language in force.
SideResult LoadCompareSide(Context& ctx, int source, const std::string& path, CompareSide& out,
                           std::string* shown = nullptr);

}  // namespace bx::param
