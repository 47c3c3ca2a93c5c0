#include "wire/orders.h"

namespace bx::order {
namespace {

constexpr int16_t V = kVariable;
constexpr Sizes none{0, 0, 0};
constexpr Sizes any{V, V, V};
constexpr Sizes fixed(int16_t n) { return Sizes{n, n, n}; }
// Parameter set (parameter 0) or teach table (parameter 1).
constexpr Sizes kSetOrTable{96, 128, V};

constexpr Info kTable[] = {
    {kWriteRam, "write parameters to RAM", kSetOrTable, none},
    {kReadRam, "read parameters from RAM", none, kSetOrTable},
    {kWriteEeprom, "write parameters to EEPROM", kSetOrTable, none},
    {kReadEeprom, "read parameters from EEPROM", none, kSetOrTable},
    {kEcho, "echo", none, none},
    // The sensor sends the taught row back; its caller checks the length.
    {kTeachRow, "teach one row", fixed(32), any},
    {kFirmwareInfo, "firmware information", none, any},
    {kLiveData, "live data", none, fixed(64)},
    {kVideoData, "video data", none, fixed(512)},
    {kHardwareInfo, "hardware information", none, fixed(32)},
    {kResetOutputs, "reset outputs", none, none},
    // Stop, start, and save with 8 bytes (parameter 2).
    {kCalibCommand, "calibration command", Sizes{0, 0, 8}, none},
    {kVideoThresholdRam, "store video threshold in RAM", none, none},
    {kVideoThresholdEeprom, "store video threshold in EEPROM", none, none},
    {kRecorderSample, "recorder sample", none, fixed(12)},
    {kEdgeQuery, "edge query", none, fixed(68)},
    {kLaserPower, "laser power", none, none},
    {kWriteCalibRecord, "write calibration record", fixed(32), none},
    {kReadCalibRecord, "read calibration record", none, any},
    // Start carries the 16 settings bytes; the record frames that follow
    // arrive unrequested.
    {kScope, "scope start/stop", Sizes{0, 16, V}, any},
    {kPotentiometer, "potentiometer values", any, fixed(32)},
    {kXFlashErase, "erase external flash", any, any},
    {kXFlashWrite, "write external flash", any, any},
    {kXFlashRead, "read external flash", fixed(2), any},
    {kChangeBaudRate, "change baud rate", none, none},
    {kWritePFlash, "write program flash", any, none},
    {kHardwareInfoFile, "hardware-information file", none, any},
};

}  // namespace

const Info* Find(uint8_t code) {
  for (const auto& e : kTable)
    if (e.code == code) return &e;
  return nullptr;
}

int RequestSize(uint8_t code, unsigned param) {
  const Info* e = Find(code);
  return e ? e->request.of(param) : kVariable;
}

int ReplySize(uint8_t code, unsigned param) {
  const Info* e = Find(code);
  return e ? e->reply.of(param) : kVariable;
}

const char* Name(uint8_t code) {
  const Info* e = Find(code);
  return e ? e->name : "?";
}

const Info* Table(int& count) {
  count = static_cast<int>(sizeof kTable / sizeof kTable[0]);
  return kTable;
}

}  // namespace bx::order
