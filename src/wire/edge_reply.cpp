#include "wire/edge_reply.h"

#include <algorithm>
#include <cstring>

#include "wire/frame_format.h"

namespace bx::edgereply {
namespace {

void decodeList(const uint8_t* src, EdgeList& list) {
  list.count = frame::get16(src + COUNT);
  for (size_t i = 0; i < list.pos.size(); ++i) list.pos[i] = frame::gets16(src + POSITIONS + 2 * i);
}

}  // namespace

void decode(const uint8_t* data, size_t length, EdgeList& positive, EdgeList& negative) {
  uint8_t b[kSize] = {};
  if (data) std::memcpy(b, data, std::min(kSize, length));
  decodeList(b + POSITIVE_LIST, positive);
  decodeList(b + NEGATIVE_LIST, negative);
}

}  // namespace bx::edgereply
