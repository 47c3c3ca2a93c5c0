#pragma once
// Field offsets of the 96-byte parameter set and the 32-byte teach row, and
// little-endian access to them.
#include <cstdint>

#include "link/frame_format.h"
#include "params/state.h"

namespace bx::param {

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

inline uint16_t get(const ParamState& p, int off) { return frame::get16(&p.set[static_cast<size_t>(off)]); }
inline int32_t get32(const ParamState& p, int off) { return frame::gets32(&p.set[static_cast<size_t>(off)]); }
inline void set(ParamState& p, int off, uint16_t v) { frame::put16(&p.set[static_cast<size_t>(off)], v); }
inline void set32(ParamState& p, int off, int32_t v) {
  frame::put32(&p.set[static_cast<size_t>(off)], static_cast<uint32_t>(v));
}

inline uint8_t* row(ParamState& p, int r) {
  if (r < 0) r = 0;
  if (r > 3) r = 3;
  return &p.teach[static_cast<size_t>(r * ParamState::kRowSize)];
}
inline const uint8_t* row(const ParamState& p, int r) {
  if (r < 0) r = 0;
  if (r > 3) r = 3;
  return &p.teach[static_cast<size_t>(r * ParamState::kRowSize)];
}
inline uint16_t rowGet(const ParamState& p, int r, int off) { return frame::get16(row(p, r) + off); }
inline int16_t rowGetS(const ParamState& p, int r, int off) { return frame::gets16(row(p, r) + off); }
inline int32_t rowGet32(const ParamState& p, int r, int off) { return frame::gets32(row(p, r) + off); }
inline void rowSet(ParamState& p, int r, int off, uint16_t v) { frame::put16(row(p, r) + off, v); }
inline void rowSet32(ParamState& p, int r, int off, int32_t v) {
  frame::put32(row(p, r) + off, static_cast<uint32_t>(v));
}

}  // namespace bx::param
