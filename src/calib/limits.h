#pragma once
// What may go into the calibration record: the values its fields can hold
// and, when the sensor's model is known, what that model can measure. One
// check for every way a calibration reaches the sensor (the pages, the
// calibration data file, the command-line tool), made before anything is
// sent; a refusal names the value and the limit.
#include <cstdint>
#include <string>

#include "calib/state.h"

namespace bx {
struct Context;
struct CalibRecord;

// Values about to be stored, as the operator or a file gave them (not yet
// converted to the record's fields).
struct CalibValues {
  double slopeUm = 0;   // micrometres per pixel
  double offsetUm = 0;
  double rangeUm = 0;
  bool hasIdentity = false;  // serial and hardware type given too
  double serial = 0;
  double hwType = 0;
};

// The sensor's model as far as the tool knows it: the width it measures
// over its pixel count. Unknown models are checked against the fields only.
struct ModelReach {
  bool known = false;
  double workingRangeUm = 0;
  int pixelCount = 0;
  // Micrometres per pixel that spread the pixel count over the working range.
  double nominalSlope() const { return workingRangeUm / pixelCount; }
};

namespace calib {
// The slope the record can hold: slope x 16384 truncated must be at least 1
// and fit a signed 32-bit field.
constexpr double kMinSlope = 1.0 / 16384.0;
constexpr double kMaxSlope = 2147483647.0 / 16384.0;
constexpr double kSlopeBeyond = 2147483648.0 / 16384.0;  // the first slope too large
// How far a calibration may move the model's scale: slope within a factor
// of 4 of the model's nominal micrometres per pixel; the offset within one
// working range either way; the range at most twice the working range.
constexpr double kSlopeFactor = 4.0;
constexpr double kRangeFactor = 2.0;
}  // namespace calib

// True when every value fits its field; otherwise false and the reason.
bool CheckCalibFields(const CalibValues& v, CalibRefusal& why);
// True when the values also lie within what the model can measure (always
// true for an unknown model); call after CheckCalibFields.
bool CheckCalibReach(const CalibValues& v, const ModelReach& model, CalibRefusal& why);
// Both checks.
bool CheckCalibValues(const CalibValues& v, const ModelReach& model, CalibRefusal& why);

// The model of the connected sensor; unknown before a bring-up identified it.
ModelReach ModelReachOf(const Context& ctx);
// The values a record holds (slope as stored).
CalibValues CalibValuesOf(const CalibRecord& r);

// The slope as stored, printed exactly (at least 5 decimals, as many more
// as the fixed-point value needs), so that reading it back stores the same.
std::string ExactSlopeText(int32_t fixed);

}  // namespace bx
