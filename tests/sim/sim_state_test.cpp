// Stored state of the simulated sensor: parameter memories, model,
// calibration record and flash.
#include <gtest/gtest.h>

#include "sim/records.h"
#include "sim_frames.h"

namespace bx::sim::test {
namespace {

using bx::frame::get16;
using bx::frame::get32;

TEST(SimState, StartsWithTheDefaultParameterSetInBothMemories) {
  Sensor s;
  const Frame ram = exchange(s, 0x02, 0);
  const Frame eep = exchange(s, 0x04, 0);
  ASSERT_EQ(ram.payload.size(), 96u);
  EXPECT_EQ(ram.payload, eep.payload);
  EXPECT_EQ(u16(ram.payload, param::kPower), 500);
  EXPECT_EQ(u16(ram.payload, param::kIntegrationTime), 1000);
  EXPECT_EQ(u16(ram.payload, param::kVideoThreshold), 25);
  EXPECT_EQ(u16(ram.payload, param::kRs232Baudrate), 4);
  // The evaluation range covers this model's whole line.
  EXPECT_EQ(u16(ram.payload, param::kEvalEnd), 16384);
  EXPECT_EQ(s32(ram.payload, param::kUmEnd), 28672);

  Config plain;
  plain.modelDefaults = false;
  Sensor generic(plain);
  const Frame g = exchange(generic, 0x02, 0);
  EXPECT_EQ(u16(g.payload, param::kEvalEnd), 2048);
  EXPECT_EQ(u16(g.payload, param::kTeachValue), 1024);
  EXPECT_EQ(s32(g.payload, param::kUmEnd), 10000);

  const Frame table = exchange(s, 0x02, 1);
  ASSERT_EQ(table.payload.size(), 128u);
  EXPECT_EQ(table.order, 0x02);
  EXPECT_EQ(table.param, 1);
}

TEST(SimState, RamAndEepromAreSeparate) {
  Sensor s;
  std::vector<uint8_t> params(s.ramParams().begin(), s.ramParams().end());
  bx::frame::put16(&params[param::kPower], 321);
  params[90] = 0x5A;  // reserved bytes are kept as sent
  EXPECT_EQ(exchange(s, 0x01, 0, params).order, 0x01);
  EXPECT_EQ(exchange(s, 0x02, 0).payload, params);
  EXPECT_EQ(u16(exchange(s, 0x04, 0).payload, param::kPower), 500);

  std::vector<uint8_t> table(128);
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(exchange(s, 0x03, 1, table).order, 0x03);
  EXPECT_EQ(exchange(s, 0x04, 1).payload, table);
  EXPECT_NE(exchange(s, 0x02, 1).payload, table);
  EXPECT_EQ(std::vector<uint8_t>(s.eepromTeach().begin(), s.eepromTeach().end()), table);
}

TEST(SimState, HardwareRecordAndTextsFollowTheModel) {
  Config c;
  c.boardCode = 402142;
  c.hardwareType = 803509;
  c.serial = 77;
  c.firmwareVersion = 540;
  c.firmwareText = "Tarnis-T2 V5.40";
  c.subPixelCount = 18432;
  c.videoRange = 256;
  c.pixelCount = 18432;
  Sensor s(c);
  const Frame hw = exchange(s, 0x0A, 0);
  ASSERT_EQ(hw.payload.size(), 32u);
  EXPECT_EQ(get32(&hw.payload[0]), 402142u);
  EXPECT_EQ(get32(&hw.payload[4]), 803509u);
  EXPECT_EQ(s16(hw.payload, 8), 77);
  EXPECT_EQ(s16(hw.payload, 10), 540);
  EXPECT_EQ(s16(hw.payload, 14), 18432);
  EXPECT_EQ(s16(hw.payload, 20), 256);
  EXPECT_EQ(s16(hw.payload, 26), 18432);
  EXPECT_EQ(exchange(s, 0x05, 0).param, 77);
  const Frame fw = exchange(s, 0x07, 0);
  EXPECT_EQ(std::string(fw.payload.begin(), fw.payload.end()), "Tarnis-T2 V5.40");

  // The service block is a fixed function of the model.
  const Frame a = exchange(s, 0xC2, 0x5C3E);
  ASSERT_EQ(a.payload.size(), 512u);
  Sensor same(c);
  EXPECT_EQ(exchange(same, 0xC2, 0x5C3E).payload, a.payload);
  Sensor other;
  EXPECT_NE(exchange(other, 0xC2, 0x5C3E).payload, a.payload);
}

TEST(SimState, CalibrationRecordLivesInFlashPage1) {
  Sensor s;
  const Frame rd = exchange(s, 0x18, 0x8400);
  ASSERT_EQ(rd.payload.size(), 32u);
  const CalibRecord c = decodeCalib(rd.payload.data());
  EXPECT_EQ(c.hardwareType, 802776u);
  EXPECT_EQ(c.serial, 1234);
  EXPECT_EQ(c.xfSize, 8192);
  EXPECT_EQ(c.slopeX16384, 28672);
  EXPECT_EQ(c.rangeUm, 28672);
  EXPECT_EQ(c.lastPixel, 16384);

  // The same bytes through the generic flash read (16 words).
  const Frame raw = exchange(s, 0xB8, 0x8400, {16, 0});
  EXPECT_EQ(raw.payload, rd.payload);

  // Write a new record, then let a calibration save change slope and offset.
  CalibRecord n = c;
  n.serial = 999;
  n.offsetUm = -50;
  const auto bytes = encodeCalib(n);
  EXPECT_EQ(exchange(s, 0x17, 0x8400, {bytes.begin(), bytes.end()}).order, 0x17);
  std::vector<uint8_t> save(8);
  bx::frame::put32(&save[0], 65536);
  bx::frame::put32(&save[4], 1000);
  EXPECT_EQ(exchange(s, 0x0C, 2, save).order, 0x0C);
  const CalibRecord after = decodeCalib(exchange(s, 0x18, 0x8400).payload.data());
  EXPECT_EQ(after.serial, 999);
  EXPECT_EQ(after.slopeX16384, 65536);
  EXPECT_EQ(after.offsetUm, 1000);
  EXPECT_EQ(exchange(s, 0x0C, 2).param, kRefuseArgument);  // save without data

  // Erasing page 1 wipes the record.
  EXPECT_EQ(exchange(s, 0xB4, 0x8400).order, 0xB4);
  const auto wiped = s.calibRecord();
  EXPECT_TRUE(std::all_of(wiped.begin(), wiped.end(), [](uint8_t b) { return b == 0xFF; }));
  EXPECT_EQ(exchange(s, 0xB4, 0x8401).param, kRefuseArgument);
}

TEST(SimState, FlashWritesStayInsideTheirAreas) {
  Sensor s;
  std::vector<uint8_t> block(512);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7);
  EXPECT_EQ(exchange(s, 0xC1, 0xBF00, block).order, 0xC1);
  EXPECT_EQ(s.pflash(0xBF00, 512), block);
  EXPECT_EQ(exchange(s, 0xC1, 0xAFFF, block).param, kRefuseArgument);
  EXPECT_EQ(exchange(s, 0xC1, 0xD000, block).param, kRefuseArgument);
  EXPECT_EQ(exchange(s, 0xC1, 0xCF01, block).param, kRefuseArgument);  // would run past the end
  block.push_back(0);
  EXPECT_EQ(exchange(s, 0xC1, 0xB000, block).param, kRefuseArgument);  // more than 512 bytes

  const std::vector<uint8_t> small = {1, 2, 3, 4};
  EXPECT_EQ(exchange(s, 0xB6, 0xBFFE, small).order, 0xB6);
  EXPECT_EQ(exchange(s, 0xB8, 0xBFFE, {2, 0}).payload, small);
  EXPECT_EQ(exchange(s, 0xB6, 0x7FFF, small).param, kRefuseArgument);
  // A read asks for at most 256 words.
  EXPECT_EQ(exchange(s, 0xB8, 0x8000, {0x2C, 0x01}).payload.size(), 512u);
}

TEST(SimState, RemembersBaudChangeLaserPowerAndPotentiometers) {
  Sensor s;
  EXPECT_EQ(s.lastBaudIndex(), -1);
  EXPECT_EQ(exchange(s, 0xBE, 6).order, 0xBE);
  EXPECT_EQ(s.lastBaudIndex(), 6);
  EXPECT_EQ(exchange(s, 0x16, 0).order, 0x16);
  EXPECT_EQ(s.laserPower(), 0);

  std::vector<uint8_t> pot(32, 0);
  bx::frame::put16(&pot[8], 300);
  pot[7] = 0x01;  // store flag
  const Frame set = exchange(s, 0x82, 0, pot);
  ASSERT_EQ(set.payload.size(), 32u);
  EXPECT_EQ(u16(set.payload, 8), 300);
  EXPECT_EQ(set.payload[7], 0);                  // store done
  EXPECT_EQ(u16(set.payload, 0) & 3, 1);         // the sensor keeps its mode
  EXPECT_EQ(u16(set.payload, 4), 199 - 199 / 2);  // half the way to the set value 0
  EXPECT_EQ(exchange(s, 0x82, 0).payload, set.payload);
}

}  // namespace
}  // namespace bx::sim::test
