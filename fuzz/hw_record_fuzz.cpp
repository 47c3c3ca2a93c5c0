// The identification of a sensor: the firmware text and the hardware record
// (32 bytes), then the calibration record (32 bytes), as the bring-up reads
// them; the parameter read that follows finds the line closed. Byte 0 is the
// firmware text's length, bytes 1-2 its frame parameter; then the text, the
// hardware record and the calibration record.
// The hardware record is also decoded directly at any length.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "panel_rig.h"
#include "connection/bringup.h"
#include "connection/identify.h"
#include "wire/frame_format.h"
#include "wire/hw_record.h"
#include "wire/orders.h"

using bx::fuzz::check;
namespace hw = bx::hwrec;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bx::fuzz::PanelRig rig;
  if (size < 3) return 0;
  rig.reset();
  auto& ctx = rig.ctx;
  const size_t textLength = std::min<size_t>(data[0], size - 3);
  const uint8_t* text = data + 3;
  const uint8_t* record = text + textLength;
  const size_t recordLength = std::min(size - 3 - textLength, hw::kSize);
  const uint8_t* calib = record + recordLength;
  const size_t calibLength = size - 3 - textLength - recordLength;

  // Decoded at any length: what is missing reads as zeros.
  bx::HardwareRecord direct;
  hw::decode(record, recordLength, direct);
  for (size_t i = 0; i < hw::kSize; ++i) check(direct.raw[i] == (i < recordLength ? record[i] : 0));
  check(direct.subPixel >= 256 && direct.pixelCount == bx::frame::gets16(direct.raw.data() + hw::PIXEL_COUNT));

  // The bring-up's steps after the echo (whose settling pause would cost
  // 50 ms an input). The sensor hangs up after the calibration record.
  rig.reply(bx::order::kFirmwareInfo, bx::frame::get16(data + 1), text, textLength);
  rig.reply(bx::order::kHardwareInfo, 0, record, recordLength);
  rig.reply(bx::order::kReadCalibRecord, 0, calib, calibLength);
  rig.port.hangUp();
  const int identified = bx::ReadFirmwareInfo(ctx) > 0 ? bx::IdentifySensor(ctx) : 0;

  // The firmware text ends within its buffer, however long the reply.
  const auto& L = ctx.link;
  const size_t fw = strnlen(L.fwInfo, sizeof L.fwInfo);
  check(fw < sizeof L.fwInfo && fw <= textLength);
  check(std::memcmp(L.fwInfo, text, fw) == 0);
  // Whatever the sensor sent, the model it leaves is usable.
  const auto& m = ctx.ident.model;
  check(std::isfinite(m.workingRangeMm) && std::isfinite(m.mmPerPixel) && std::isfinite(m.umPerPixel));
  check(ctx.ident.hw.subPixel >= 256 || identified == 0);
  if (identified == 1) check(recordLength == hw::kSize && calibLength >= 32);
  return 0;
}
