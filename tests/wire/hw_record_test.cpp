// The hardware record decoded from reply bytes laid out as the simulated
// sensor lays them out.
#include <gtest/gtest.h>

#include <vector>

#include "wire/frame_format.h"
#include "wire/hw_record.h"

namespace bx {
namespace {

std::vector<uint8_t> sampleRecord() {
  std::vector<uint8_t> b(32, 0);
  frame::put32(&b[0], 402142);
  frame::put32(&b[4], 803509);
  frame::put16(&b[8], static_cast<uint16_t>(-1234));
  frame::put16(&b[10], 540);
  frame::put16(&b[12], 0x7777);  // not used
  frame::put16(&b[14], 1280);
  frame::put16(&b[16], 3);
  frame::put16(&b[18], 4093);
  frame::put16(&b[20], 256);
  frame::put16(&b[26], 2048);
  return b;
}

TEST(HardwareRecord, NamedFieldsFromTheirOffsets) {
  auto b = sampleRecord();
  b.resize(40, 0xEE);  // bytes past the record are not kept
  HardwareRecord hw;
  hwrec::decode(b.data(), b.size(), hw);
  EXPECT_EQ(hw.boardCode, 402142);
  EXPECT_EQ(hw.hwType, 803509);
  EXPECT_EQ(hw.serial, -1234);
  EXPECT_EQ(hw.fwVersion, 540);
  EXPECT_EQ(hw.subPixel, 1280);
  EXPECT_EQ(hw.lowestPixel, 3);
  EXPECT_EQ(hw.highestPixel, 4093);
  EXPECT_EQ(hw.videoRange, 256);
  EXPECT_EQ(hw.pixelCount, 2048);
  EXPECT_TRUE(std::equal(hw.raw.begin(), hw.raw.end(), b.begin()));
}

TEST(HardwareRecord, ShortReplyLeavesNothingOfThePreviousRecord) {
  HardwareRecord hw;
  auto full = sampleRecord();
  hwrec::decode(full.data(), full.size(), hw);
  // Only board code and hardware type arrive; a sub-pixel count of 100
  // would be as low as the missing one, both are raised to 256.
  hwrec::decode(full.data(), 8, hw);
  EXPECT_EQ(hw.hwType, 803509);
  EXPECT_EQ(hw.fwVersion, 0);
  EXPECT_EQ(hw.pixelCount, 0);
  EXPECT_EQ(hw.subPixel, 256);
  EXPECT_EQ(hw.raw[26], 0);
  frame::put16(&full[14], 100);
  hwrec::decode(full.data(), full.size(), hw);
  EXPECT_EQ(hw.subPixel, 256);
}

}  // namespace
}  // namespace bx
