#pragma once
// The 64-byte live record, the reply data of order 8 (little-endian).
#include <array>
#include <cstddef>
#include <cstdint>

namespace bx::liverec {

inline constexpr size_t kSize = 64;
using Bytes = std::array<uint8_t, kSize>;

enum Offset : int {
  EDGE_A = 0,          // unsigned 16-bit, pixel position of edge A
  EDGE_B = 2,          // unsigned 16-bit, pixel position of edge B
  VALUE_PX = 4,        // unsigned 16-bit, measurement value in pixels
  EDGE_COUNT = 6,      // unsigned 16-bit, edges found
  VALUE_UM = 8,        // signed 32-bit
  MAX_UM = 12,         // signed 32-bit
  MIN_UM = 16,         // signed 32-bit
  SET_POINT_UM = 20,   // signed 32-bit, set-point in use by the sensor
  MAX_PX = 32,         // unsigned 16-bit
  MIN_PX = 34,         // unsigned 16-bit
  SET_POINT_PX = 36,   // signed 16-bit
  INPUTS = 38,         // unsigned 16-bit, bits 0 and 1: the input lamps
  VIDEO_PEAK = 40,     // unsigned 16-bit
  LASER_POWER = 42,    // unsigned 16-bit, as regulated by the sensor
  EXPOSURE = 44,       // unsigned 16-bit, units of 10 us
  TRIGGER_LEVEL = 46,  // unsigned 16-bit, pixels seen by the internal trigger
  STATE_CODE = 48,     // signed 16-bit, -6..15
  PROGRAM = 50,        // unsigned 16-bit, 0..3
  DIRT_FIRST = 52,     // unsigned 16-bit, mean video level of the first 8 pixels
  DIRT_LAST = 54,      // unsigned 16-bit, mean video level of the last 8 pixels
  CYCLE_US = 56,       // signed 32-bit
  TRIGGER_COUNT = 60,  // signed 32-bit
};

inline constexpr int kStateCodeMin = -6;
inline constexpr int kStateCodeMax = 15;
// The codes an armed edge trigger reports when its edge came.
inline constexpr int kStatePositiveTriggerEdge = 9;
inline constexpr int kStateNegativeTriggerEdge = 10;
inline constexpr unsigned kProgramMax = 3;

struct LiveValues {
  uint16_t edgeA = 0, edgeB = 0, valuePx = 0, edgeCount = 0;
  int32_t valueUm = 0, maxUm = 0, minUm = 0, setPointUm = 0;
  uint16_t maxPx = 0, minPx = 0;
  int16_t setPointPx = 0;
  uint16_t inputs = 0, videoPeak = 0, laserPower = 0, exposure10us = 0, triggerLevel = 0;
  int16_t stateCode = 0;
  uint16_t program = 0, dirtFirst = 0, dirtLast = 0;
  int32_t cycleUs = 0, triggerCount = 0;
};

// Before use: a state code outside -6..15 becomes 0 and a program number
// above 3 becomes 3, in the record itself, so every display reads the same.
void sanitise(Bytes& record);
LiveValues decode(const Bytes& record);

}  // namespace bx::liverec
