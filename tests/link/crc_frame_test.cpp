// CRC-8 and request building.
#include <gtest/gtest.h>

#include <cstring>

#include "link/crc8.h"
#include "link/exchange.h"
#include "link/frame_format.h"
#include "tests/link/link_fixture.h"

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

using FillTxBufTest = test::LinkTest;

TEST_F(FillTxBufTest, BuildsRequestsAndExchangeHeader) {
  FillTxBuf(*ctx, 0x105, 0x12345, nullptr, 0);  // only the low 8/16 bits count
  const auto& tx = ctx->link.tx;
  EXPECT_EQ(tx[1], 0x05);
  EXPECT_EQ(frame::get16(&tx[2]), 0x2345);
  EXPECT_EQ(tx[6], 0xAA);
  EXPECT_TRUE(frame::headerValid(tx.data()));
  EXPECT_EQ(ctx->link.hdr.order, 0x05);
  EXPECT_EQ(ctx->link.hdr.param, 0x2345);

  // The external-flash read carries a 16-bit word count: 256 words must
  // not become 0.
  const uint8_t src[4] = {0x00, 0x01, 0x44, 0x55};
  FillTxBuf(*ctx, 0xB8, 0x8000, src, 2);
  EXPECT_EQ(tx[8], 0x00);
  EXPECT_EQ(tx[9], 0x01);
  EXPECT_EQ(tx[6], crc8(&tx[8], 2));

  uint8_t big[2000];
  std::memset(big, 0x11, sizeof big);
  FillTxBuf(*ctx, 0xC1, 0xB000, big, sizeof big);
  // Never past the transmit buffer: the length is cut to what it holds.
  EXPECT_LE(frame::get16(&tx[4]), LinkState::kTxPayloadMax);
}

}  // namespace
}  // namespace bx
