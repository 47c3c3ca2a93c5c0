#include "wire/hw_record.h"

#include <algorithm>
#include <cstring>

#include "wire/frame_format.h"

namespace bx::hwrec {

void decode(const uint8_t* data, size_t length, HardwareRecord& hw) {
  hw.raw.fill(0);
  if (data) std::memcpy(hw.raw.data(), data, std::min(kSize, length));
  const uint8_t* p = hw.raw.data();
  hw.boardCode = frame::gets32(p + BOARD_CODE);
  hw.hwType = frame::gets32(p + HW_TYPE);
  hw.serial = frame::gets16(p + SERIAL);
  hw.fwVersion = frame::gets16(p + FW_VERSION);
  hw.subPixel = frame::gets16(p + SUB_PIXEL);
  hw.lowestPixel = frame::gets16(p + LOWEST_PIXEL);
  hw.highestPixel = frame::gets16(p + HIGHEST_PIXEL);
  hw.videoRange = frame::gets16(p + VIDEO_RANGE);
  hw.pixelCount = frame::gets16(p + PIXEL_COUNT);
  if (hw.subPixel < 256) hw.subPixel = 256;
}

}  // namespace bx::hwrec
