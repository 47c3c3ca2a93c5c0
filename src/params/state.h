#pragma once
// The parameter set and teach table exactly as they travel on the wire,
// plus the working values the displays and the run loop use.
#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "wire/param_fields.h"

namespace bx {

enum MemorySelector : int { MEM_RAM = 0, MEM_EEPROM = 1, MEM_FILE = 2 };

namespace param {

// One side of a comparison of parameter sets: the records and which of
// their 16-bit words it holds (a parameter file need not hold every field).
struct CompareSide {
  SetBytes set{};
  TeachBytes teach{};
  std::bitset<kSetSize / 2> setHeld;
  std::bitset<kTeachSize / 2> teachHeld;
  void holdAll() {
    setHeld.set();
    teachHeld.set();
  }
};

}  // namespace param

// The compare window: the two sides last compared and which comparison
// item each table row shows.
struct CompareWindowState {
  param::CompareSide left, right;
  bool compared = false;
  std::vector<int> rowItem;
};

struct ParamState {
  static constexpr int kParamSize = param::kSetSize;
  static constexpr int kTeachSize = param::kTeachSize;
  static constexpr int kRowSize = param::kRowSize;
  param::SetBytes set{};
  param::TeachBytes teach{};
  int memory = MEM_RAM;
  int unitMm = 0;                  // 1 millimetres, 0 pixels

  // Working values of the active teach row.
  int activeRow = 0;
  uint16_t pixelPosA = 0, pixelPosB = 0;
  int evalMode = 0;
  uint16_t teachValue = 0, upperTol = 0, lowerTol = 0, edgeCount = 0;
  int32_t umTeach = 0, umTolUp = 0, umTolLo = 0;
  std::string edgeTextA, edgeTextB;
  int dirtLevel = 0;                // dirt-alert level in video units
  bool analogExtrasShown = false;   // max/min fields once an analog mode was chosen
  std::array<uint16_t, 256> thresholdLine{};
  std::array<uint16_t, 256> dirtLine{};
  std::string paraFilePath;
  bool pendingGetFromFile = false;  // the pending GET shows a file already read

  // Whether the records in memory came from the sensor or a parameter file.
  // Until then they hold start values, which must never reach a sensor: a
  // new link forgets them, a complete GET or a file read sets them.
  bool setRead = false;
  bool teachRead = false;
  bool recordsRead() const { return setRead && teachRead; }
  // The records as last read (from the sensor or a parameter file) or sent:
  // what the editing controls are compared with to mark the fields edited
  // since. Nothing is marked before the first read.
  param::SetBytes baseSet{};
  param::TeachBytes baseTeach{};
  bool baseKnown = false;
  int editedCount = 0;   // controls and teach cells marked now

  // `RS-232-Mode` as the sensor's RAM holds it: last sent there or read
  // from there; -1 while unknown.
  int sensorRs232Mode = -1;
  CompareWindowState compare;
};

}  // namespace bx
