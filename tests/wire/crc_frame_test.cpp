// CRC-8 and the frame header.
#include <gtest/gtest.h>

#include <cstring>

#include "wire/crc8.h"
#include "wire/frame_format.h"

namespace bx {
namespace {

TEST(Crc8, TableAndCheckValue) {
  const uint8_t* t = crc8Table();
  EXPECT_EQ(t[0], 0x00);
  EXPECT_EQ(t[1], 0x5E);
  EXPECT_EQ(t[2], 0xBC);
  EXPECT_EQ(t[128], 0x8C);
  EXPECT_EQ(t[255], 0x35);
  const char* check = "123456789";
  EXPECT_EQ(crc8Update(reinterpret_cast<const uint8_t*>(check), 0, 9, t), 0x6D);
  // The usual published value of the same table starting from zero.
  uint8_t crc = 0;
  for (int i = 0; i < 9; ++i) crc = t[crc ^ static_cast<uint8_t>(check[i])];
  EXPECT_EQ(crc, 0xA1);
}

TEST(Crc8, WorkedHeadersHaveZeroResidue) {
  const uint8_t echo[8] = {0x55, 0x05, 0, 0, 0, 0, 0xAA, 0x3C};
  const uint8_t fw[8] = {0x55, 0x07, 0, 0, 0, 0, 0xAA, 0x52};
  const uint8_t hw[8] = {0x55, 0x0A, 0, 0, 0, 0, 0xAA, 0x18};
  for (const uint8_t* h : {echo, fw, hw}) {
    EXPECT_TRUE(frame::headerValid(h));
    uint8_t built[8];
    frame::encodeHeader(built, h[1], 0, nullptr, 0);
    EXPECT_EQ(0, std::memcmp(built, h, 8));
  }
  uint8_t bad[8];
  std::memcpy(bad, echo, 8);
  bad[3] ^= 0x01;
  EXPECT_FALSE(frame::headerValid(bad));
  std::memcpy(bad, echo, 8);
  bad[0] = 0x54;
  EXPECT_FALSE(frame::headerValid(bad));
}

}  // namespace
}  // namespace bx
