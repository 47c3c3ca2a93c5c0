#pragma once
// Field offsets of the 96-byte parameter set and the 32-byte teach row, and
// little-endian access to them.
#include <array>
#include <cstddef>
#include <cstdint>

#include "wire/frame_format.h"

namespace bx::param {

constexpr int kSetSize = 96;
constexpr int kTeachSize = 128;
constexpr int kRowSize = 32;
constexpr int kRowCount = kTeachSize / kRowSize;
using SetBytes = std::array<uint8_t, kSetSize>;
using TeachBytes = std::array<uint8_t, kTeachSize>;

enum Field : int {
  POWER = 0,
  INTEGRATION_TIME = 2,
  POWER_MODE = 4,
  SEARCH_DIRECTION = 6,
  EVAL_MODE = 8,
  BACKGROUND_MODE = 10,
  EVAL_PROGRAM = 12,
  EVAL_BEGIN = 14,
  EVAL_END = 16,
  TEACH_VALUE = 18,
  UPPER_TOLERANCE = 20,
  LOWER_TOLERANCE = 22,
  UM_BEGIN = 24,
  UM_END = 28,
  UM_TEACH = 32,
  UM_TOLUP = 36,
  UM_TOLLO = 40,
  AVERAGE = 44,
  POLARITY = 46,
  DIGITAL_OUT_MODE = 48,
  CCD_OPERATION_MODE = 50,
  HARDWARE_MODE = 52,
  ANALOG_OUT_MODE = 54,
  ANALOG_MODE = 56,
  ANALOG_ZOOM_MODE = 58,
  VIDEO_THRESHOLD_MODE = 60,
  VIDEO_THRESHOLD = 62,
  TRACK_THRESHOLD = 64,
  RS232_MODE = 66,
  RS232_BAUDRATE = 68,
  VIDEO_SMOOTH = 70,
  EXT_TRIGGER_MODE = 72,
  INT_TRIGGER_MODE = 74,
  TRIGGER_PIXEL = 76,
  TEACH_TARGET = 78,
  DIRT_DETECT_MODE = 80,
  DIRT_THRESHOLD = 82,
  RESERVED = 84,
};

enum RowField : int {
  ROW_EDGE_A = 0,
  ROW_EDGE_B = 2,
  ROW_EVAL_MODE = 4,
  ROW_TEACH_VALUE = 6,
  ROW_UPPER_TOL = 8,
  ROW_LOWER_TOL = 10,
  ROW_EDGE_COUNT = 12,
  ROW_PIXEL_POS_A = 14,
  ROW_PIXEL_POS_B = 16,
  ROW_NOT_USED = 18,
  ROW_UM_TEACH = 20,
  ROW_UM_TOLUP = 24,
  ROW_UM_TOLLO = 28,
};

inline uint16_t get(const SetBytes& s, int off) { return frame::get16(&s[static_cast<size_t>(off)]); }
inline int32_t get32(const SetBytes& s, int off) { return frame::gets32(&s[static_cast<size_t>(off)]); }
inline void set(SetBytes& s, int off, uint16_t v) { frame::put16(&s[static_cast<size_t>(off)], v); }
inline void set32(SetBytes& s, int off, int32_t v) { frame::put32(&s[static_cast<size_t>(off)], static_cast<uint32_t>(v)); }

// Row r of the teach table; an index outside 0..3 reads the nearest row.
inline uint8_t* row(TeachBytes& t, int r) {
  if (r < 0) r = 0;
  if (r > kRowCount - 1) r = kRowCount - 1;
  return &t[static_cast<size_t>(r * kRowSize)];
}
inline const uint8_t* row(const TeachBytes& t, int r) {
  if (r < 0) r = 0;
  if (r > kRowCount - 1) r = kRowCount - 1;
  return &t[static_cast<size_t>(r * kRowSize)];
}
inline uint16_t rowGet(const TeachBytes& t, int r, int off) { return frame::get16(row(t, r) + off); }
inline int16_t rowGetS(const TeachBytes& t, int r, int off) { return frame::gets16(row(t, r) + off); }
inline int32_t rowGet32(const TeachBytes& t, int r, int off) { return frame::gets32(row(t, r) + off); }
inline void rowSet(TeachBytes& t, int r, int off, uint16_t v) { frame::put16(row(t, r) + off, v); }
inline void rowSet32(TeachBytes& t, int r, int off, int32_t v) {
  frame::put32(row(t, r) + off, static_cast<uint32_t>(v));
}

}  // namespace bx::param
