#pragma once
// The sensor's hardware record and the model configuration derived from it.
#include <array>
#include <cstdint>
#include <string>

#include "wire/hw_record.h"

namespace bx {

struct ModelConfig {
  int group = 7;
  std::string designation = "UNKNOWN";
  std::array<std::string, 4> infoLines;
  double workingRangeMm = 100.0;
  double umPerPixel = 1.0;           // working scale, replaced by the calibration record
  double umPerPixelCalibrated = 1.0;
  double mmPerPixel = 100.0 / 1255;
  int displayPrecision = 2;
  int axisDecimals = 0;
  int outputConfig = 1;
  bool hasMinIntegration = false;
  std::array<double, 3> minIntegrationMs{0, 0, 0};  // NORMAL, FAST, FASTEST; <= 0 none
  double maxIntegrationMs = 5.0;
  double mmStep = 0.1;
  bool hasRangeOrigin = false;
  double rangeOriginMm = 0.0;
  int videoFullScale = 1024;
  int subPixelFactor = 5;
  std::array<double, 256> samplePixels{};
  std::array<double, 256> sampleMm{};
};

struct IdentState {
  HardwareRecord hw;
  ModelConfig model;
  bool distanceCalibPageVisible = true;
};

}  // namespace bx
