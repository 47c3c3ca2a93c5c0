#pragma once
// The parameter file: parameter set, teach table and (while the calibration
// controls are unlocked) the calibration record as one INI file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "files/ini_document.h"

namespace bx::files {

constexpr size_t kParamBytes = 96;
constexpr size_t kTeachBytes = 128;  // 4 rows of 32 bytes
constexpr size_t kTeachRowBytes = 32;
constexpr size_t kCalibBytes = 32;

// One item of the file: its tag, the other spelling read back when the tag
// is missing, the field's offset in its block and how it is written.
enum class ParaKind : uint8_t { U16, S16, U32, S32 };
struct ParaField {
  const char* tag;
  const char* altTag;
  uint8_t offset;
  ParaKind kind;
};
// The items of "PARAMETER" and of each "TEACH-ROWn", in the file's order.
std::span<const ParaField> ParamFileFields();
std::span<const ParaField> TeachRowFileFields();
constexpr const char* kParamSectionName = "PARAMETER";
// "TEACH-ROW0" .. "TEACH-ROW3".
const char* TeachSectionName(int row);

// Stores the "PARAMETER" items, then "TEACH-ROW0" to "TEACH-ROW3", then
// "CALIBDATA" only when calibUnlocked.
void PutIniParaTags(ini::Document& doc, const uint8_t* params96, const uint8_t* teach128, const uint8_t* calib32,
                    bool calibUnlocked);

// Stores every item that is present and a valid integer into its field; all
// other bytes are left as they are. 16-bit fields take the low 16 bits, 32-bit
// fields the low 32 bits; there are no range checks. "CALIBDATA" is read
// whether or not the calibration controls are unlocked. Returns how many
// fields were stored.
int GetIniParaTags(const ini::Document& doc, uint8_t* params96, uint8_t* teach128, uint8_t* calib32);

// 1 written, -1 failed (reason in *error; an existing file stays intact).
int WriteParaToIniFile(const uint8_t* params96, const uint8_t* teach128, const uint8_t* calib32, bool calibUnlocked,
                       const std::string& path, std::string* error);

// 1 read, -1 the file could not be read or holds no item that could be
// stored (reason in *error; nothing changed).
int ReadParaFromIniFile(uint8_t* params96, uint8_t* teach128, uint8_t* calib32, const std::string& path,
                        std::string* error);

}  // namespace bx::files
