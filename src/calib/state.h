#pragma once
// The calibration record (page 1 of the sensor's external flash) and what
// is derived from it.
#include <array>
#include <cstdint>
#include <string>

#include "wire/calib_record.h"

namespace bx {
struct LanguageData;

// The reason a value was refused: the value, the limit and whose limit it
// is. Kept in parts so the words follow the language while the numbers do
// not; empty() when nothing was refused.
struct CalibRefusal {
  enum class Kind { None, NotANumber, Below, Above };
  Kind kind = Kind::None;
  std::string name;    // the field, as its English label names it
  std::string value;   // the refused value and the limit, as text
  std::string limit;
  std::string unit;    // " µm", " µm/pixel" or ""
  std::string whose;   // English, with %1 and %2 for reasonArgs
  std::string reasonArgs[2];

  bool empty() const { return kind == Kind::None; }
  // "SLOPE 1e+300 µm/pixel is above the limit of ... that ... holds" in the
  // language of texts (English for an empty LanguageData).
  std::string text(const LanguageData& texts) const;
  // "Refused: <reason> - nothing written!"
  std::string refused(const LanguageData& texts) const;
  // "Calibration file rejected: <reason>!"
  std::string rejected(const LanguageData& texts) const;
};


struct CalibState {
  CalibRecord record;
  // The record as the sensor holds it: last read from it or written to it.
  // What a write is compared with before the operator confirms it.
  CalibRecord sensorRecord;
  bool sensorRecordKnown = false;
  int32_t locked = 1;
  // Derived display range.
  int32_t rangeBeginUm = 0;
  int32_t rangeEndUm = 0;
  double rangeBeginMm = 0;
  double rangeEndMm = 0;
  int32_t scaleStepUm = 2000;
  int32_t scaleStepMm = 2;
  int32_t rangeTenth = 0;      // integer part of range x 0.1
  int32_t pixelTenth = 0;      // integer part of pixel count x 0.1
  double rangeGraphMaxMm = 0;

  // Loaded from the calibration data file, written to the program flash.
  static constexpr int kLookupSize = 8192;
  std::array<uint8_t, kLookupSize> lookup{};
  int32_t fileLoaded = 0;
  uint16_t pflashArea = 0;   // 1: lookup area at 0xB000, otherwise 0xC000
  std::string filePath;
  uint32_t fileHwType = 0;  // the hardware type the file's header names
  // A record write of the settings page failed: the table of the same
  // request is not written after it.
  bool recordWriteFailed = false;
  // The header values of the file that the record does not carry.
  uint16_t fileUnused16[3]{};
  double fileUnusedReal = 0;
  double fileSlopeUm = 0;
  // The last refusal of a file that named a value out of range, for the
  // language in force (empty when the file was refused for another reason).
  CalibRefusal fileRefusal;
  // Settling waits of the lookup write: after stopping the run, after each
  // block. Seconds.
  double lookupStopWait = 1.5;
  double lookupBlockWait = 0.5;

  // Before every write of the record or the table the sensor's record is
  // saved here (empty: nowhere, the write goes ahead unsaved). Due from the
  // request until the first write of the sequence took its backup.
  std::string backupDir;
  bool backupDue = false;

  // Two-point calibration: pixel coverage X and diameter Y of the accepted
  // objects, and the fitted line.
  double pointX[2]{};
  double pointY[2]{};
  bool accepted[2]{};
  double fitSlope = 0;
  int32_t fitOffset = 0;
  // What DISCARD puts back.
  double prevSlope = 0;
  int32_t prevOffset = 0;

  // What each step of the calibration pages allows, apart from the lock:
  // the step and position boxes, the Accept buttons and the buttons shared
  // by both pages. The lookup-table controls and the service fields of the
  // settings page are shown only on the service user's request.
  struct PageState {
    bool stepBox[2]{true, true};
    bool accept[2]{};
    bool distBox[2]{true, true};
    bool distAccept = false;
    bool calc = false;
    bool discard = false;
    bool write = false;
    bool lookupShown = false;
    bool serviceShown = false;
  } page;
};

}  // namespace bx
