#pragma once
// The calibration record (page 1 of the sensor's external flash) and what
// is derived from it.
#include <array>
#include <cstdint>

namespace bx {

struct CalibRecord {
  static constexpr int kSize = 32;
  std::array<uint8_t, kSize> bytes{};
};

struct CalibState {
  CalibRecord record;
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
};

}  // namespace bx
