#pragma once
// The 32-byte calibration record (page 1 of the sensor's external flash)
// and access to its fields (little-endian).
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>

#include "wire/frame_format.h"

namespace bx {

struct CalibRecord {
  static constexpr int kSize = 32;
  std::array<uint8_t, kSize> bytes{};
};

}  // namespace bx

namespace bx::calib {

enum Offset : int {
  OFF_HWTYPE = 0,
  OFF_SERIAL = 4,
  OFF_XF_DIVISOR = 6,
  OFF_XF_SIZE = 8,
  OFF_IF_TYPE = 10,
  OFF_SLOPE = 12,
  OFF_OFFSET = 16,
  OFF_RANGE = 20,
  OFF_LOOKUP = 24,
  OFF_PIXEL_START = 26,
  OFF_PIXEL_END = 28,
};

inline uint32_t hwType(const CalibRecord& r) { return frame::get32(&r.bytes[OFF_HWTYPE]); }
inline uint16_t serial(const CalibRecord& r) { return frame::get16(&r.bytes[OFF_SERIAL]); }
inline int32_t slopeX16384(const CalibRecord& r) { return frame::gets32(&r.bytes[OFF_SLOPE]); }
inline int32_t offsetUm(const CalibRecord& r) { return frame::gets32(&r.bytes[OFF_OFFSET]); }
inline int32_t rangeUm(const CalibRecord& r) { return frame::gets32(&r.bytes[OFF_RANGE]); }
inline uint16_t field16(const CalibRecord& r, int off) { return frame::get16(&r.bytes[static_cast<size_t>(off)]); }

inline void setField16(CalibRecord& r, int off, uint16_t v) { frame::put16(&r.bytes[static_cast<size_t>(off)], v); }
inline void setField32(CalibRecord& r, int off, uint32_t v) { frame::put32(&r.bytes[static_cast<size_t>(off)], v); }

// Slope in micrometres per pixel travels as slope x 16384, truncated toward zero.
// Callers check the value first (calib/limits.h); one beyond the field still
// saturates instead of converting out of range.
inline int32_t slopeToFixed(double umPerPixel) {
  const double f = std::trunc(umPerPixel * 16384.0);
  if (!(f > -2147483648.0)) return f < 0 ? INT32_MIN : 0;  // NaN gives 0
  if (f > 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(f);
}
// Shown (and used for conversions) rounded to 5 decimals.
inline double slopeFromFixed(int32_t fixed) { return std::round(fixed * 100000.0 / 16384.0) / 100000.0; }

}  // namespace bx::calib
