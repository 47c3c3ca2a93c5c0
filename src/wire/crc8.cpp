#include "wire/crc8.h"

#include <array>

namespace bx {
namespace {

constexpr std::array<uint8_t, 256> makeTable() {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) {
    uint8_t v = static_cast<uint8_t>(i);
    for (int bit = 0; bit < 8; ++bit) v = (v & 1) ? static_cast<uint8_t>((v >> 1) ^ 0x8C) : static_cast<uint8_t>(v >> 1);
    t[static_cast<size_t>(i)] = v;
  }
  return t;
}

constexpr std::array<uint8_t, 256> kTable = makeTable();

}  // namespace

const uint8_t* crc8Table() { return kTable.data(); }

uint8_t crc8Update(const uint8_t* data, int start, int count, const uint8_t* table) {
  uint8_t crc = 0xAA;
  if (data == nullptr || count <= 0) return crc;
  for (int i = 0; i < count; ++i) crc = table[crc ^ data[start + i]];
  return crc;
}

}  // namespace bx
