#pragma once
// The orders of the sensor: code, name and the data sizes of request and
// reply. The tool and the simulator both use this one table, so a size
// changes in one place.
#include <cstdint>

namespace bx::order {

constexpr uint8_t kRefusal = 0x00;  // a reply only: the sensor refused the request
constexpr uint8_t kWriteRam = 0x01;
constexpr uint8_t kReadRam = 0x02;
constexpr uint8_t kWriteEeprom = 0x03;
constexpr uint8_t kReadEeprom = 0x04;
constexpr uint8_t kEcho = 0x05;
constexpr uint8_t kTeachRow = 0x06;
constexpr uint8_t kFirmwareInfo = 0x07;
constexpr uint8_t kLiveData = 0x08;
constexpr uint8_t kVideoData = 0x09;
constexpr uint8_t kHardwareInfo = 0x0A;
constexpr uint8_t kResetOutputs = 0x0B;
constexpr uint8_t kCalibCommand = 0x0C;
constexpr uint8_t kVideoThresholdRam = 0x0D;
constexpr uint8_t kVideoThresholdEeprom = 0x0E;
constexpr uint8_t kRecorderSample = 0x12;
constexpr uint8_t kEdgeQuery = 0x14;
constexpr uint8_t kLaserPower = 0x16;
constexpr uint8_t kWriteCalibRecord = 0x17;
constexpr uint8_t kReadCalibRecord = 0x18;
constexpr uint8_t kScope = 0x6E;
constexpr uint8_t kPotentiometer = 0x82;
constexpr uint8_t kXFlashErase = 0xB4;
constexpr uint8_t kXFlashWrite = 0xB6;
constexpr uint8_t kXFlashRead = 0xB8;
constexpr uint8_t kChangeBaudRate = 0xBE;
constexpr uint8_t kWritePFlash = 0xC1;
constexpr uint8_t kHardwareInfoFile = 0xC2;

// Fixed frame parameters of some orders.
constexpr uint16_t kParamSet = 0;       // orders 1 to 4: the 96-byte parameter set
constexpr uint16_t kTeachTable = 1;     // orders 1 to 4: the 128-byte teach table
constexpr uint16_t kCalibRecordAddress = 0x8400;
constexpr uint16_t kHardwareInfoFileKey = 0x5C3E;

// A size the table does not fix (text, flash blocks, records the caller
// limits itself).
constexpr int kVariable = -1;

// Data sizes for frame parameter 0, 1 and any other.
struct Sizes {
  int16_t param0 = 0;
  int16_t param1 = 0;
  int16_t other = 0;
  int of(unsigned param) const { return param == 0 ? param0 : param == 1 ? param1 : other; }
};

struct Info {
  uint8_t code;
  const char* name;
  Sizes request;
  Sizes reply;
};

// The entry of an order, or nullptr for a code the sensor does not know.
const Info* Find(uint8_t code);
// Data sizes of a request and of its reply; kVariable where not fixed (and
// for unknown orders).
int RequestSize(uint8_t code, unsigned param);
int ReplySize(uint8_t code, unsigned param);
// The order's name, "?" for an unknown code.
const char* Name(uint8_t code);
// Every entry, in code order.
const Info* Table(int& count);

}  // namespace bx::order
