#pragma once
// The 68-byte reply of the edge query (order 20), little-endian: the list
// of positive edges, then the list of negative edges, each a count and 16
// signed pixel positions.
#include <array>
#include <cstddef>
#include <cstdint>

namespace bx {

// One list of the reply: how many edges the sensor found and the first 16
// of their positions.
struct EdgeList {
  uint16_t count = 0;
  std::array<int16_t, 16> pos{};
};

}  // namespace bx

namespace bx::edgereply {

inline constexpr size_t kSize = 68;

enum Offset : int {
  POSITIVE_LIST = 0,
  NEGATIVE_LIST = 34,
};
enum ListOffset : int {
  COUNT = 0,      // unsigned 16-bit
  POSITIONS = 2,  // 16 x signed 16-bit
};

// Both lists from a reply; where the reply is shorter, zeros.
void decode(const uint8_t* data, size_t length, EdgeList& positive, EdgeList& negative);

}  // namespace bx::edgereply
