#pragma once
// CRC-8 of the sensor frames: reflected polynomial 0x8C (x^8+x^5+x^4+1),
// register preset to 0xAA, no final XOR. Table-driven.
#include <cstddef>
#include <cstdint>

namespace bx {

// The 256-entry reflected table of the polynomial.
const uint8_t* crc8Table();

// CRC over count bytes from data[start], always starting from 0xAA.
uint8_t crc8Update(const uint8_t* data, int start, int count, const uint8_t* table);

// Convenience form with the built-in table.
inline uint8_t crc8(const uint8_t* data, size_t count) {
  return crc8Update(data, 0, static_cast<int>(count), crc8Table());
}

}  // namespace bx
