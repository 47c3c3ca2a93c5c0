// The adjustment record: unit conversions and the outgoing layout.
#include <gtest/gtest.h>

#include "wire/adjust_record.h"

namespace bx {
namespace {

using namespace adjrec;

TEST(AdjustUnits, MeasuredValuesTruncateTowardZero) {
  EXPECT_EQ(ShowMeasured(199, kUnitScaled0), 0);
  EXPECT_EQ(ShowMeasured(1000, kUnitScaled0), 1000);  // 1000.00000025
  EXPECT_EQ(ShowMeasured(348, kUnitScaled2), 0);
  EXPECT_EQ(ShowMeasured(1000, kUnitScaled2), 999);  // 999.9999998
  EXPECT_EQ(ShowMeasured(198, kUnitScaled0), -1);  // -1.248 toward zero
  EXPECT_EQ(ShowMeasured(-5, kUnitRaw), -5);
  EXPECT_EQ(ShowMeasured(1000, 7), 1000);
  // Beyond the 16-bit field the limit shows, not a wrapped negative value.
  EXPECT_EQ(ShowMeasured(32767, kUnitScaled2), 32767);
  EXPECT_EQ(ShowMeasured(-32768, kUnitScaled0), -32768);
}

TEST(AdjustUnits, SetValueBackToRawScale) {
  EXPECT_EQ(MeasuredToRaw(0, kUnitScaled0), 199);
  EXPECT_EQ(MeasuredToRaw(0, kUnitScaled2), 348);
  EXPECT_EQ(MeasuredToRaw(1000, kUnitScaled0), 999);  // 999.9999998
  EXPECT_EQ(MeasuredToRaw(123.9, kUnitRaw), 123);
  EXPECT_EQ(MeasuredToRaw(-1, kUnitRaw), 0xFFFF);
  EXPECT_EQ(MeasuredToRaw(1e6, kUnitScaled0), 0x7FFF);
}

TEST(AdjustRecordLayout, PairsAndStoreFlags) {
  AdjustSettings s;
  s.setValue = 500;
  s.byte6 = 0x1AB;  // only its low byte fits
  s.page1[0] = 0x1111;
  s.page1[1] = 0x2222;
  s.page2[0] = 0x3333;
  s.page2[1] = 0x4444;
  s.page2[2] = 0x5555;
  s.page2[3] = 0x6666;
  s.storeFlags = kStorePage1 | kStorePage2B;
  const AdjustRecord r = AssembleRecord(s);
  EXPECT_EQ(Word(r, 0), 0);
  EXPECT_EQ(Word(r, 2), 0);
  EXPECT_EQ(Word(r, 4), 500);
  EXPECT_EQ(r[6], 0xAB);
  EXPECT_EQ(r[7], 0x05);
  const int expect[][3] = {{8, 12, 0x1111}, {10, 14, 0x2222}, {16, 20, 0x3333},
                           {18, 22, 0x4444}, {24, 28, 0x5555}, {26, 30, 0x6666}};
  for (const auto& e : expect) {
    EXPECT_EQ(Word(r, e[0]), e[2]) << e[0];
    EXPECT_EQ(Word(r, e[1]), e[2]) << e[1];
  }
  s.storeFlags = 0;
  EXPECT_EQ(AssembleRecord(s)[7], 0);
}

}  // namespace
}  // namespace bx
