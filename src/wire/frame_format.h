#pragma once
// Wire format of one frame: 8-byte header, then the payload. Shared by the
// tool and the simulator.
#include <cstdint>

namespace bx::frame {

constexpr uint8_t kSync = 0x55;
constexpr int kHeaderSize = 8;
constexpr int kRxBufferSize = 4096;
constexpr int kMaxReplyPayload = kRxBufferSize - kHeaderSize;  // 4088
constexpr uint8_t kEmptyDataCrc = 0xAA;

struct Header {
  uint8_t sync = kSync;
  uint8_t order = 0;
  uint16_t param = 0;
  uint16_t length = 0;
  uint8_t dataCrc = kEmptyDataCrc;
  uint8_t headerCrc = 0;
};

// Writes the 8 header bytes for order/param and a payload (dataCrc computed
// from payload; 0xAA when length is 0). Returns the header CRC.
uint8_t encodeHeader(uint8_t out[kHeaderSize], uint8_t order, uint16_t param, const uint8_t* payload,
                     uint16_t length);

// Residue test: CRC over all 8 bytes is 0 and byte 0 is the sync byte.
bool headerValid(const uint8_t in[kHeaderSize]);

Header decodeHeader(const uint8_t in[kHeaderSize]);

inline uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline int16_t gets16(const uint8_t* p) { return static_cast<int16_t>(get16(p)); }
inline uint32_t get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t gets32(const uint8_t* p) { return static_cast<int32_t>(get32(p)); }
inline void put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace bx::frame
