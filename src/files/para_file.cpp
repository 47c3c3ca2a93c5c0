#include "files/para_file.h"

#include <iterator>

namespace bx::files {
namespace {

// altTag: the other spelling accepted on reading when tag is missing or
// unusable: earlier releases wrote these three items under one spelling and
// looked them up under another, so files of both kinds are in circulation.
using Kind = ParaKind;
using Field = ParaField;

// Written in this order; the order is part of the file's look.
constexpr Field kParamFields[] = {
    {"Power", nullptr, 0, Kind::U16},
    {"Integration-Time", nullptr, 2, Kind::U16},
    {"Power-Mode", nullptr, 4, Kind::U16},
    {"Video-Threshold", nullptr, 62, Kind::U16},
    {"Search-Direction", nullptr, 6, Kind::U16},
    {"Eval-Mode", nullptr, 8, Kind::U16},
    {"Background-Mode", nullptr, 10, Kind::U16},
    {"Eval-Program", nullptr, 12, Kind::U16},
    {"Eval-Begin", nullptr, 14, Kind::U16},
    {"Eval-End", nullptr, 16, Kind::U16},
    {"Teach-Value", nullptr, 18, Kind::U16},
    {"Upper-Tolerance", nullptr, 20, Kind::U16},
    {"Lower-Tolerance", nullptr, 22, Kind::U16},
    {"UM-BEGIN", nullptr, 24, Kind::S32},
    {"UM-END", nullptr, 28, Kind::S32},
    {"UM-TEACH", nullptr, 32, Kind::S32},
    {"UM-TOLUP", nullptr, 36, Kind::S32},
    {"UM-TOLLO", nullptr, 40, Kind::S32},
    {"Average", nullptr, 44, Kind::U16},
    {"Polarity", nullptr, 46, Kind::U16},
    {"Digital-Out-Mode", nullptr, 48, Kind::U16},
    {"CCD-Operation-Mode", "CCD-OP-Mode", 50, Kind::U16},
    {"Analog-Out-Mode", nullptr, 54, Kind::U16},
    {"Analog-Mode", nullptr, 56, Kind::U16},
    {"Analog-Zoom-Mode", nullptr, 58, Kind::U16},
    {"RS-232-Mode", nullptr, 66, Kind::U16},
    {"RS-232-Baudrate", nullptr, 68, Kind::U16},
    {"Video-Smooth", nullptr, 70, Kind::U16},
    {"Ext.Trigger-Mode", nullptr, 72, Kind::U16},
    {"Int.Trigger-Mode", nullptr, 74, Kind::U16},
    {"Trigger-Pixel", nullptr, 76, Kind::U16},
    {"Teach-Target", nullptr, 78, Kind::U16},
    {"Hardware-Mode", nullptr, 52, Kind::U16},
    {"Dirt-Detect-Mode", nullptr, 80, Kind::U16},
};

constexpr Field kTeachRowFields[] = {
    {"edge-idxA", nullptr, 0, Kind::S16},
    {"edge-idxB", nullptr, 2, Kind::S16},
    {"Eval-Mode", nullptr, 4, Kind::U16},
    {"Teach-Value", nullptr, 6, Kind::U16},
    {"Upper-Tolerance", nullptr, 8, Kind::U16},
    {"Lower-Tolerance", nullptr, 10, Kind::U16},
    {"Edge-Cont", nullptr, 12, Kind::U16},
    {"Pixel-PosA", nullptr, 14, Kind::U16},
    {"Pixel-PosB", nullptr, 16, Kind::U16},
    {"Not-used", nullptr, 18, Kind::U16},
    {"UM-TEACH", nullptr, 20, Kind::S32},
    {"UM-TOLUP", nullptr, 24, Kind::S32},
    {"UM-TOLLO", nullptr, 28, Kind::S32},
};

constexpr Field kCalibFields[] = {
    {"HW-TYPE:", nullptr, 0, Kind::U32},
    {"SER-NO:", nullptr, 4, Kind::U16},
    {"XF-DIVISOR:", nullptr, 6, Kind::U16},
    {"XF-SIZE:", nullptr, 8, Kind::U16},
    {"UM-OFFSET:", "UMOFFSET:", 16, Kind::S32},
    {"UMSLOPE_x16384:", nullptr, 12, Kind::S32},
    {"UM-RANGE:", "UMRANGE:", 20, Kind::S32},
    {"XF-LOOKUP:", nullptr, 24, Kind::U16},
    {"PIXEL-START:", nullptr, 26, Kind::U16},
    {"PIXEL-END:", nullptr, 28, Kind::U16},
};

constexpr const char* kParamSection = "PARAMETER";
constexpr const char* kCalibSection = "CALIBDATA";
constexpr const char* kTeachSections[] = {"TEACH-ROW0", "TEACH-ROW1", "TEACH-ROW2", "TEACH-ROW3"};

uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
void put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

long long fieldValue(const uint8_t* block, const Field& f) {
  const uint8_t* p = block + f.offset;
  switch (f.kind) {
    case Kind::U16: return get16(p);
    case Kind::S16: return static_cast<int16_t>(get16(p));
    case Kind::U32: return static_cast<long long>(get32(p));
    case Kind::S32: return static_cast<int32_t>(get32(p));
  }
  return 0;
}

template <size_t N>
void putFields(ini::Document& doc, const char* section, const uint8_t* block, const Field (&fields)[N]) {
  for (const Field& f : fields) doc.setInt(section, f.tag, fieldValue(block, f));
}

template <size_t N>
int getFields(const ini::Document& doc, const char* section, uint8_t* block, const Field (&fields)[N]) {
  int stored = 0;
  for (const Field& f : fields) {
    long long value = 0;
    if (!doc.getInt(section, f.tag, value) && !(f.altTag && doc.getInt(section, f.altTag, value))) continue;
    // Modular conversion: only the low bits of what was read are kept.
    auto bits = static_cast<unsigned long long>(value);
    if (f.kind == Kind::U16 || f.kind == Kind::S16)
      put16(block + f.offset, static_cast<uint16_t>(bits));
    else
      put32(block + f.offset, static_cast<uint32_t>(bits));
    ++stored;
  }
  return stored;
}

}  // namespace

std::span<const ParaField> ParamFileFields() { return kParamFields; }
std::span<const ParaField> TeachRowFileFields() { return kTeachRowFields; }
const char* TeachSectionName(int row) {
  if (row < 0) row = 0;
  if (row > 3) row = 3;
  return kTeachSections[row];
}

void PutIniParaTags(ini::Document& doc, const uint8_t* params96, const uint8_t* teach128, const uint8_t* calib32,
                    bool calibUnlocked) {
  if (params96) putFields(doc, kParamSection, params96, kParamFields);
  if (teach128)
    for (size_t row = 0; row < std::size(kTeachSections); ++row)
      putFields(doc, kTeachSections[row], teach128 + row * kTeachRowBytes, kTeachRowFields);
  if (calibUnlocked && calib32) putFields(doc, kCalibSection, calib32, kCalibFields);
}

int GetIniParaTags(const ini::Document& doc, uint8_t* params96, uint8_t* teach128, uint8_t* calib32) {
  int stored = 0;
  if (params96) stored += getFields(doc, kParamSection, params96, kParamFields);
  if (teach128)
    for (size_t row = 0; row < std::size(kTeachSections); ++row)
      stored += getFields(doc, kTeachSections[row], teach128 + row * kTeachRowBytes, kTeachRowFields);
  if (calib32) stored += getFields(doc, kCalibSection, calib32, kCalibFields);
  return stored;
}

int WriteParaToIniFile(const uint8_t* params96, const uint8_t* teach128, const uint8_t* calib32, bool calibUnlocked,
                       const std::string& path, std::string* error) {
  ini::Document doc;
  PutIniParaTags(doc, params96, teach128, calib32, calibUnlocked);
  return ini::writeFile(path, doc, error) ? 1 : -1;
}

int ReadParaFromIniFile(uint8_t* params96, uint8_t* teach128, uint8_t* calib32, const std::string& path,
                        std::string* error) {
  ini::Document doc;
  if (!ini::readFile(path, doc, error)) return -1;
  // A file that yields no item (empty, binary, another INI file) has not
  // been read, although it could be opened; nothing was stored.
  if (GetIniParaTags(doc, params96, teach128, calib32) == 0) {
    if (error) *error = "no parameter, teach-table or calibration item in \"" + path + "\"";
    return -1;
  }
  return 1;
}

}  // namespace bx::files
