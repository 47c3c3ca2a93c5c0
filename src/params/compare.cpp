#include "params/compare.h"

#include <cstdint>
#include <cstdio>
#include <limits>

#include "files/ini_document.h"
#include "files/para_file.h"
#include "params/bindings.h"
#include "params/defaults.h"
#include "params/fields.h"

namespace bx::param {
namespace {

struct SetEntry {
  int off;
  ValueKind kind;
  int umOff;  // Position: the micrometre twin
};

// The parameter set in the file's order, each position with its twin; the
// fields the file does not hold stand beside their kin.
constexpr SetEntry kSetEntries[] = {
    {POWER, ValueKind::Number, -1},
    {INTEGRATION_TIME, ValueKind::Micros, -1},
    {POWER_MODE, ValueKind::Number, -1},
    {VIDEO_THRESHOLD_MODE, ValueKind::Number, -1},
    {VIDEO_THRESHOLD, ValueKind::Percent, -1},
    {TRACK_THRESHOLD, ValueKind::Percent, -1},
    {SEARCH_DIRECTION, ValueKind::Number, -1},
    {EVAL_MODE, ValueKind::Number, -1},
    {BACKGROUND_MODE, ValueKind::Number, -1},
    {EVAL_PROGRAM, ValueKind::Number, -1},
    {EVAL_BEGIN, ValueKind::Position, UM_BEGIN},
    {EVAL_END, ValueKind::Position, UM_END},
    {TEACH_VALUE, ValueKind::Position, UM_TEACH},
    {UPPER_TOLERANCE, ValueKind::Position, UM_TOLUP},
    {LOWER_TOLERANCE, ValueKind::Position, UM_TOLLO},
    {AVERAGE, ValueKind::Number, -1},
    {POLARITY, ValueKind::Number, -1},
    {DIGITAL_OUT_MODE, ValueKind::Number, -1},
    {CCD_OPERATION_MODE, ValueKind::Number, -1},
    {ANALOG_OUT_MODE, ValueKind::Number, -1},
    {ANALOG_MODE, ValueKind::Number, -1},
    {ANALOG_ZOOM_MODE, ValueKind::Number, -1},
    {RS232_MODE, ValueKind::Number, -1},
    {RS232_BAUDRATE, ValueKind::Number, -1},
    {VIDEO_SMOOTH, ValueKind::Number, -1},
    {EXT_TRIGGER_MODE, ValueKind::Number, -1},
    {INT_TRIGGER_MODE, ValueKind::Number, -1},
    {TRIGGER_PIXEL, ValueKind::Pixel, -1},
    {TEACH_TARGET, ValueKind::Number, -1},
    {HARDWARE_MODE, ValueKind::Number, -1},
    {DIRT_DETECT_MODE, ValueKind::Number, -1},
    {DIRT_THRESHOLD, ValueKind::Percent, -1},
};

struct RowEntry {
  int off;
  ValueKind kind;
  int umOff;
  int column;  // the teach table editor's column, -1 none
};

constexpr RowEntry kRowEntries[] = {
    {ROW_EDGE_A, ValueKind::Signed, -1, TC_EDGE_A},
    {ROW_EDGE_B, ValueKind::Signed, -1, TC_EDGE_B},
    {ROW_EVAL_MODE, ValueKind::Number, -1, TC_MODE},
    {ROW_TEACH_VALUE, ValueKind::Position, ROW_UM_TEACH, TC_TEACH},
    {ROW_UPPER_TOL, ValueKind::Position, ROW_UM_TOLUP, TC_TOLUP},
    {ROW_LOWER_TOL, ValueKind::Position, ROW_UM_TOLLO, TC_TOLLO},
    {ROW_EDGE_COUNT, ValueKind::Number, -1, TC_EDGES},
    {ROW_PIXEL_POS_A, ValueKind::RawPixel, -1, TC_POS_A},
    {ROW_PIXEL_POS_B, ValueKind::RawPixel, -1, TC_POS_B},
    {ROW_NOT_USED, ValueKind::Number, -1, -1},
};

// Names of the fields the parameter file does not hold.
const char* unfiledName(int off) {
  switch (off) {
    case VIDEO_THRESHOLD_MODE: return "Video-Threshold-Mode";
    case TRACK_THRESHOLD: return "Track-Threshold";
    case DIRT_THRESHOLD: return "Dirt-Threshold";
    default: return "?";
  }
}

std::string tagOf(std::span<const files::ParaField> fields, int off) {
  for (const auto& f : fields)
    if (f.offset == off) return f.tag;
  return unfiledName(off);
}

bool isWide(std::span<const files::ParaField> fields, int off) {
  for (const auto& f : fields)
    if (f.offset == off) return f.kind == files::ParaKind::U32 || f.kind == files::ParaKind::S32;
  return false;
}

// The page control that shows a parameter-set field; the tracked threshold
// shares the one threshold slider.
const char* controlOf(int off) {
  if (off == TRACK_THRESHOLD) off = VIDEO_THRESHOLD;
  for (const FieldBinding& b : ParamBindings())
    if (b.off == off) return b.control;
  return nullptr;
}

long long valueOf(const uint8_t* block, int off, ValueKind kind, bool wide) {
  if (wide) return frame::gets32(block + off);
  if (kind == ValueKind::Signed) return frame::gets16(block + off);
  return frame::get16(block + off);
}

CompareValue sideValue(const uint8_t* block, const auto& held, int baseWord, int off, ValueKind kind, bool wide,
                       int umOff) {
  CompareValue v;
  const size_t w = static_cast<size_t>(baseWord + off / 2);
  v.held = held[w] && (!wide || held[w + 1]);
  if (umOff >= 0) {
    const size_t u = static_cast<size_t>(baseWord + umOff / 2);
    v.held = v.held && held[u] && held[u + 1];
  }
  if (!v.held) return v;
  v.value = valueOf(block, off, kind, wide);
  if (umOff >= 0) v.um = frame::gets32(block + umOff);
  return v;
}

void settle(CompareItem& it) {
  if (!it.heldByBoth()) return;
  it.pixelDiffers = it.left.value != it.right.value;
  it.umDiffers = it.kind == ValueKind::Position && it.left.um != it.right.um;
}

}  // namespace

std::vector<CompareItem> CompareParamSets(const CompareSide& left, const CompareSide& right) {
  const auto setFields = files::ParamFileFields();
  const auto rowFields = files::TeachRowFileFields();
  std::vector<CompareItem> items;
  for (const SetEntry& e : kSetEntries) {
    CompareItem it;
    it.field = tagOf(setFields, e.off);
    if (e.umOff >= 0) it.umField = tagOf(setFields, e.umOff);
    it.control = controlOf(e.off);
    it.off = e.off;
    it.umOff = e.umOff;
    it.kind = e.kind;
    const bool wide = isWide(setFields, e.off);
    it.left = sideValue(left.set.data(), left.setHeld, 0, e.off, e.kind, wide, e.umOff);
    it.right = sideValue(right.set.data(), right.setHeld, 0, e.off, e.kind, wide, e.umOff);
    settle(it);
    items.push_back(std::move(it));
  }
  for (int r = 0; r < kRowCount; ++r) {
    const std::string prefix = "TEACH[" + std::to_string(r) + "].";
    const int base = r * kRowSize / 2;
    for (const RowEntry& e : kRowEntries) {
      CompareItem it;
      it.field = prefix + tagOf(rowFields, e.off);
      if (e.umOff >= 0) it.umField = prefix + tagOf(rowFields, e.umOff);
      it.control = "TEACH.TABLE";
      it.row = r;
      it.column = e.column;
      it.off = e.off;
      it.umOff = e.umOff;
      it.kind = e.kind;
      const bool wide = isWide(rowFields, e.off);
      it.left = sideValue(left.teach.data() + r * kRowSize, left.teachHeld, base, e.off, e.kind, wide, e.umOff);
      it.right = sideValue(right.teach.data() + r * kRowSize, right.teachHeld, base, e.off, e.kind, wide, e.umOff);
      settle(it);
      items.push_back(std::move(it));
    }
  }
  return items;
}

int CountDifferences(const std::vector<CompareItem>& items) {
  int n = 0;
  for (const auto& it : items) n += (it.pixelDiffers ? 1 : 0) + (it.umDiffers ? 1 : 0);
  return n;
}

std::string StoredText(const CompareItem&, const CompareValue& v, bool twin) {
  return std::to_string(twin ? v.um : v.value);
}

const char* StoredUnit(const CompareItem& it, bool twin) {
  switch (it.kind) {
    case ValueKind::Micros: return "µs";
    case ValueKind::Percent: return "%";
    case ValueKind::Pixel:
    case ValueKind::RawPixel: return "pixel";
    case ValueKind::Position: return twin ? "µm" : "pixel";
    default: return "-";
  }
}

std::string PageText(const CompareItem& it, const CompareValue& v, bool unitMm, double umPerPixel, int decimals) {
  char buf[48];
  const int d = decimals < 0 ? 0 : decimals > 6 ? 6 : decimals;
  switch (it.kind) {
    case ValueKind::Micros:
      std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(v.value) / 1000.0);
      return buf;
    case ValueKind::Pixel:
      if (!unitMm) break;
      std::snprintf(buf, sizeof buf, "%.*f", d, static_cast<double>(v.value) * umPerPixel / 1000.0);
      return buf;
    case ValueKind::Position:
      if (!unitMm) break;
      std::snprintf(buf, sizeof buf, "%.*f", d, static_cast<double>(v.um) / 1000.0);
      return buf;
    default:
      break;
  }
  return std::to_string(v.value);
}

const char* PageUnit(const CompareItem& it, bool unitMm) {
  switch (it.kind) {
    case ValueKind::Micros: return "ms";
    case ValueKind::Percent: return "%";
    case ValueKind::RawPixel: return "pixel";
    case ValueKind::Pixel:
    case ValueKind::Position: return unitMm ? "mm" : "pixel";
    default: return "";
  }
}

namespace {

bool fits(long long v, files::ParaKind kind) {
  switch (kind) {
    case files::ParaKind::U16: return v >= 0 && v <= 0xFFFF;
    // Edge numbers are written signed; their unsigned spelling reads the same.
    case files::ParaKind::S16: return v >= std::numeric_limits<int16_t>::min() && v <= 0xFFFF;
    case files::ParaKind::U32: return v >= 0 && v <= 0xFFFFFFFFLL;
    case files::ParaKind::S32:
      return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
  }
  return false;
}

// One section's items into block; false with the reason on an item that is
// there but unusable. An item that is missing is simply not held.
bool readSection(const ini::Document& doc, const char* section, std::span<const files::ParaField> fields,
                 uint8_t* block, auto& held, int baseWord, const std::string& path, std::string& why) {
  for (const auto& f : fields) {
    const char* tag = doc.has(section, f.tag) ? f.tag : (f.altTag && doc.has(section, f.altTag)) ? f.altTag : nullptr;
    if (!tag) continue;
    long long v = 0;
    if (!doc.getInt(section, tag, v) || !fits(v, f.kind)) {
      why = "\"" + path + "\" [" + section + "] " + tag;
      return false;
    }
    const bool wide = f.kind == files::ParaKind::U32 || f.kind == files::ParaKind::S32;
    if (wide)
      frame::put32(block + f.offset, static_cast<uint32_t>(v));
    else
      frame::put16(block + f.offset, static_cast<uint16_t>(v));
    const size_t w = static_cast<size_t>(baseWord + f.offset / 2);
    held[w] = true;
    if (wide) held[w + 1] = true;
  }
  return true;
}

}  // namespace

FileVerdict ReadCompareFile(const std::string& path, CompareSide& out, std::string& why) {
  out = CompareSide{};
  ini::Document doc;
  std::string error;
  if (!ini::readFile(path, doc, &error)) {
    why = "\"" + path + "\": " + error;
    return FileVerdict::Unreadable;
  }
  CompareSide side;
  if (!readSection(doc, files::kParamSectionName, files::ParamFileFields(), side.set.data(), side.setHeld, 0, path,
                   why))
    return FileVerdict::Damaged;
  for (int r = 0; r < kRowCount; ++r)
    if (!readSection(doc, files::TeachSectionName(r), files::TeachRowFileFields(), side.teach.data() + r * kRowSize,
                     side.teachHeld, r * kRowSize / 2, path, why))
      return FileVerdict::Damaged;
  if (side.setHeld.none() && side.teachHeld.none()) {
    why = "\"" + path + "\"";
    return FileVerdict::NotAParameterFile;
  }
  out = side;
  return FileVerdict::Read;
}

CompareSide DefaultsSide(uint32_t hwType, int pixelCount, uint32_t calibHwType) {
  CompareSide s;
  FactoryDefaults(s.set, s.teach, hwType, pixelCount, calibHwType);
  s.holdAll();
  return s;
}

}  // namespace bx::param
