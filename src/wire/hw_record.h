#pragma once
// The 32-byte hardware record, the reply data of order 0x0A (little-endian).
#include <array>
#include <cstddef>
#include <cstdint>

namespace bx {

// The decoded fields start as the tool's stand-in until a sensor answers.
struct HardwareRecord {
  int32_t boardCode = 402059;
  int32_t hwType = 802776;
  int16_t serial = 0;
  int16_t fwVersion = 0;
  int16_t subPixel = 1280;
  int16_t lowestPixel = 1;
  int16_t highestPixel = 4096;
  int16_t videoRange = 1024;
  int16_t pixelCount = 1255;
  std::array<uint8_t, 32> raw{};
};

}  // namespace bx

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
