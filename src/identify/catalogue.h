#pragma once
// The model catalogue: what each board code and hardware type means.
// Pure data and lookups; applying it to the panels is model_config.cpp.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace bx::catalogue {

struct SpeedChoice {
  int value;
  const char* label;  // English; the language file gives it in the language in force
};

struct ModelEntry {
  int group = 7;
  bool known = false;                 // hardware type listed in its group
  std::string designation = "UNKNOWN";
  // Sub-pixel, working range, resolution, in English; linesLocalized: the
  // language file gives them in the language in force (one group's lines
  // stay English in every language).
  std::array<std::string, 3> lines;
  bool linesLocalized = true;
  double workingRangeMm = 100.0;
  bool rangeFromCalibration = false;  // 804671, 800000, 803047 of group 2
  bool hasMinIntegration = false;
  std::array<double, 3> minIntegrationMs{0, 0, 0};  // 0 = none for that speed
  int displayPrecision = 2;
  int axisDecimals = 0;
  int outputConfig = 1;
  double mmStep = 0.1;
  bool hasMmStep = true;
  double umPerPixel = 0;              // 0 = not set by the catalogue
  bool rangeOrigin = false;
  int speedSet = 2;                   // 1: three speeds, 2: two speeds, 4: CCD gain
};

// Group of a board code: 1..6, 7 for any other.
int groupOfBoard(int32_t boardCode);
ModelEntry lookup(int32_t boardCode, int32_t hwType);

// Sub-pixel factor k of a sub-pixel count; counts not in the table give 4
// and the count is replaced by 1024.
int subPixelFactor(int subPixel, int& countOut);

// Video full scale for a group and the hardware record's amplitude range.
int videoFullScale(int group, int videoRange);

std::vector<SpeedChoice> speedChoices(int group);

struct ModelDefaults {
  bool known = false;
  std::string banner;
  double umPerPixel = 0;
  int32_t rangeUm = 0;
  int xfSize = 0;
  int serviceWord = 0;
  int evalBegin = 0, evalEnd = 0;
  int teachValue = 0, upperTol = 0, lowerTol = 0;
  int32_t umEnd = 0, umTeach = 0, umTolUp = 0, umTolLo = 0;
  std::array<int, 3> resolution{2, 2, 2};  // NORMAL, FAST, FASTEST (µm)
};

// Defaults applied when a hardware type is chosen; Tarnis twins map to
// their Quellan rows.
ModelDefaults defaultsFor(uint32_t hwType);

}  // namespace bx::catalogue
