#pragma once
// The 32-byte hardware record, the reply data of order 0x0A (little-endian).
#include <cstddef>
#include <cstdint>

#include "identify/state.h"

namespace bx::hwrec {

inline constexpr size_t kSize = 32;

enum Offset : int {
  BOARD_CODE = 0,     // signed 32-bit, selects the model group
  HW_TYPE = 4,        // signed 32-bit, selects the model designation
  SERIAL = 8,         // signed 16-bit
  FW_VERSION = 10,    // signed 16-bit, hundredths
  SUB_PIXEL = 14,     // signed 16-bit, raised to 256 when below
  LOWEST_PIXEL = 16,  // signed 16-bit
  HIGHEST_PIXEL = 18, // signed 16-bit
  VIDEO_RANGE = 20,   // signed 16-bit, 256 or 1024
  PIXEL_COUNT = 26,   // signed 16-bit
};

// Keeps the first kSize bytes of a reply (zeros where it is shorter) as the
// record's raw image and decodes its fields from that image.
void decode(const uint8_t* data, size_t length, HardwareRecord& hw);

}  // namespace bx::hwrec
