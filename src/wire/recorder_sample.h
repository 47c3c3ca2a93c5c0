#pragma once
// The 12-byte recorder sample, the reply data of order 0x12 (little-endian).
#include <cstddef>
#include <cstdint>

namespace bx {

// One sample: the 12 bytes of the sample reply, and the program and status
// that the file's last two columns carry (0 while nothing provides them).
struct RecorderSample {
  uint16_t edgeA = 0;
  uint16_t edgeB = 0;
  uint16_t value = 0;
  uint16_t edges = 0;
  int32_t valueUm = 0;
  uint16_t program = 0;
  int16_t status = 0;
};

}  // namespace bx

namespace bx::recsample {

inline constexpr size_t kSize = 12;

enum Offset : int {
  EDGE_A = 0,    // unsigned 16-bit
  EDGE_B = 2,    // unsigned 16-bit
  VALUE = 4,     // unsigned 16-bit, measurement value in pixels
  EDGES = 6,     // unsigned 16-bit, edges found
  VALUE_UM = 8,  // signed 32-bit
};

// Decodes the kSize bytes at data (program and status stay 0).
RecorderSample decode(const uint8_t* data);

}  // namespace bx::recsample
