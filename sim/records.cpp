#include "sim/records.h"

#include <algorithm>
#include <cstring>

#include "wire/crc8.h"
#include "wire/frame_format.h"

namespace bx::sim {

using bx::frame::put16;
using bx::frame::put32;
using bx::frame::get16;
using bx::frame::get32;

int32_t pixelsToUm(int64_t pixels, int32_t slopeX16384) {
  const int64_t scaled = pixels * static_cast<int64_t>(slopeX16384);
  // Round half away from zero so negative positions mirror positive ones.
  const int64_t um = scaled >= 0 ? (scaled + 8192) / 16384 : -((-scaled + 8192) / 16384);
  return static_cast<int32_t>(std::clamp<int64_t>(um, INT32_MIN, INT32_MAX));
}

CalibBytes encodeCalib(const CalibRecord& c) {
  CalibBytes b{};
  put32(&b[calib::OFF_HWTYPE], c.hardwareType);
  put16(&b[calib::OFF_SERIAL], c.serial);
  put16(&b[calib::OFF_XF_DIVISOR], c.xfDivisor);
  put16(&b[calib::OFF_XF_SIZE], c.xfSize);
  put16(&b[calib::OFF_IF_TYPE], c.interfaceType);
  put32(&b[calib::OFF_SLOPE], static_cast<uint32_t>(c.slopeX16384));
  put32(&b[calib::OFF_OFFSET], static_cast<uint32_t>(c.offsetUm));
  put32(&b[calib::OFF_RANGE], static_cast<uint32_t>(c.rangeUm));
  put16(&b[calib::OFF_LOOKUP], c.lookupFlag);
  put16(&b[calib::OFF_PIXEL_START], c.firstPixel);
  put16(&b[calib::OFF_PIXEL_END], c.lastPixel);
  return b;
}

CalibRecord decodeCalib(const uint8_t* b) {
  CalibRecord c;
  c.hardwareType = get32(b + calib::OFF_HWTYPE);
  c.serial = get16(b + calib::OFF_SERIAL);
  c.xfDivisor = get16(b + calib::OFF_XF_DIVISOR);
  c.xfSize = get16(b + calib::OFF_XF_SIZE);
  c.interfaceType = get16(b + calib::OFF_IF_TYPE);
  c.slopeX16384 = static_cast<int32_t>(get32(b + calib::OFF_SLOPE));
  c.offsetUm = static_cast<int32_t>(get32(b + calib::OFF_OFFSET));
  c.rangeUm = static_cast<int32_t>(get32(b + calib::OFF_RANGE));
  c.lookupFlag = get16(b + calib::OFF_LOOKUP);
  c.firstPixel = get16(b + calib::OFF_PIXEL_START);
  c.lastPixel = get16(b + calib::OFF_PIXEL_END);
  return c;
}

std::array<uint8_t, kHardwareSize> encodeHardwareRecord(const Config& c) {
  std::array<uint8_t, kHardwareSize> b{};
  put32(&b[hwrec::BOARD_CODE], c.boardCode);
  put32(&b[hwrec::HW_TYPE], c.hardwareType);
  put16(&b[hwrec::SERIAL], static_cast<uint16_t>(c.serial));
  put16(&b[hwrec::FW_VERSION], static_cast<uint16_t>(c.firmwareVersion));
  put16(&b[hwrec::SUB_PIXEL], static_cast<uint16_t>(c.subPixelCount));
  put16(&b[hwrec::LOWEST_PIXEL], static_cast<uint16_t>(c.lowestPixel));
  put16(&b[hwrec::HIGHEST_PIXEL], static_cast<uint16_t>(c.highestPixel));
  put16(&b[hwrec::VIDEO_RANGE], static_cast<uint16_t>(c.videoRange));
  put16(&b[hwrec::PIXEL_COUNT], static_cast<uint16_t>(c.pixelCount));
  return b;
}

std::array<uint8_t, kHwInfoBlockSize> hardwareInfoBlock(const Config& c) {
  std::array<uint8_t, kHwInfoBlockSize> b{};
  // Identity first, readable in a hex dump: hardware record, calibration
  // record, firmware text (zero padded).
  const auto hw = encodeHardwareRecord(c);
  std::copy(hw.begin(), hw.end(), b.begin());
  const auto cal = encodeCalib(c.calib);
  std::copy(cal.begin(), cal.end(), b.begin() + 32);
  const size_t textLen = std::min<size_t>(c.firmwareText.size(), 64);
  std::memcpy(&b[64], c.firmwareText.data(), textLen);
  // The rest stands for the board's service data: a CRC chain seeded with
  // the identity, so it differs between models but never between runs.
  uint8_t chain = bx::crc8(b.data(), 128);
  for (int i = 128; i < kHwInfoBlockSize - 2; ++i) {
    const uint8_t in[2] = {chain, static_cast<uint8_t>(i)};
    chain = bx::crc8(in, 2);
    b[static_cast<size_t>(i)] = chain;
  }
  b[kHwInfoBlockSize - 2] = bx::crc8(b.data(), kHwInfoBlockSize - 2);
  return b;
}

ParamSet defaultParams(const Config& c) {
  ParamSet p{};
  auto set16 = [&p](int off, uint16_t v) { put16(&p[static_cast<size_t>(off)], v); };
  auto set32 = [&p](int off, int32_t v) { put32(&p[static_cast<size_t>(off)], static_cast<uint32_t>(v)); };
  set16(param::kPower, 500);
  set16(param::kIntegrationTime, 1000);
  set16(param::kPowerMode, 1);
  set16(param::kEvalMode, kDistance);
  set16(param::kEvalBegin, 1);
  set16(param::kEvalEnd, 2048);
  set16(param::kTeachValue, 1024);
  set16(param::kUpperTolerance, 100);
  set16(param::kLowerTolerance, 100);
  set32(param::kUmEnd, 10000);
  set32(param::kUmTeach, 5000);
  set32(param::kUmTolUp, 1000);
  set32(param::kUmTolLo, 1000);
  set16(param::kAverage, 2);
  set16(param::kPolarity, 1);
  set16(param::kVideoThreshold, 25);
  set16(param::kRs232Baudrate, 4);
  set16(param::kTriggerPixel, 1024);
  if (c.modelDefaults && c.pixelCount > 1) {
    const int32_t n = c.pixelCount;
    const int32_t slope = c.calib.slopeX16384 > 0 ? c.calib.slopeX16384 : 16384;
    // Tolerances of 1 mm, expressed in pixels of this model.
    const int32_t tolPx = std::max<int32_t>(1, static_cast<int32_t>((1000LL * 16384 + slope / 2) / slope));
    set16(param::kEvalEnd, static_cast<uint16_t>(n));
    set16(param::kTeachValue, static_cast<uint16_t>(n / 2));
    set16(param::kUpperTolerance, static_cast<uint16_t>(tolPx));
    set16(param::kLowerTolerance, static_cast<uint16_t>(tolPx));
    set16(param::kTriggerPixel, static_cast<uint16_t>(n / 2));
    set32(param::kUmEnd, pixelsToUm(n, slope));
    set32(param::kUmTeach, pixelsToUm(n / 2, slope));
  }
  return p;
}

TeachTable defaultTeachTable(const Config&, const ParamSet& p) {
  TeachTable t{};
  for (int r = 0; r < kRowCount; ++r) {
    uint8_t* row = &t[static_cast<size_t>(r * kRowSize)];
    // Left shadow edge (first falling) to right shadow edge (first rising).
    put16(row + row::kEdgeA, static_cast<uint16_t>(-1));
    put16(row + row::kEdgeB, 1);
    put16(row + row::kEvalMode, kDistance);
    put16(row + row::kTeachValue, get16(&p[param::kTeachValue]));
    put16(row + row::kUpperTolerance, get16(&p[param::kUpperTolerance]));
    put16(row + row::kLowerTolerance, get16(&p[param::kLowerTolerance]));
    put16(row + row::kEdgeCount, 2);
    put32(row + row::kUmTeach, get32(&p[param::kUmTeach]));
    put32(row + row::kUmTolUp, get32(&p[param::kUmTolUp]));
    put32(row + row::kUmTolLo, get32(&p[param::kUmTolLo]));
  }
  return t;
}

}  // namespace bx::sim
