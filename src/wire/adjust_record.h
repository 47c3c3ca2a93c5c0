#pragma once
// The sensor's adjustment record: sixteen little-endian 16-bit words holding
// the mode (bits 0-1 of word 0), a measured value (byte 4), and the
// individual settings of the digital potentiometers and current sources
// (byte 6 and the words at bytes 8 to 30). Byte 7 carries the store flags
// on the way out.
#include <array>
#include <cstdint>

namespace bx::adjrec {

constexpr int kAdjustSize = 32;
using AdjustRecord = std::array<uint8_t, kAdjustSize>;

constexpr int kMeasuredOffset = 4;
constexpr int kByte6Offset = 6;
constexpr int kStoreFlagsOffset = 7;
constexpr int kFirstWordSetting = 8;

// Store flags of byte 7.
constexpr uint8_t kStorePage1 = 0x01;
constexpr uint8_t kStorePage2A = 0x02;
constexpr uint8_t kStorePage2B = 0x04;

// Unit selectors of the measured value.
constexpr int kUnitScaled0 = 0;
constexpr int kUnitRaw = 1;
constexpr int kUnitScaled2 = 2;

uint16_t Word(const AdjustRecord& r, int offset);
void PutWord(AdjustRecord& r, int offset, uint16_t v);
int ModeOf(const AdjustRecord& r);  // bits 0-1 of word 0

// The raw measured value as shown with the unit selector, truncated toward
// zero to a 16-bit integer.
int ShowMeasured(int16_t raw, int selector);
// A shown value converted back to the raw scale for sending, truncated
// toward zero to 16 bits.
uint16_t MeasuredToRaw(double shown, int selector);

// What the operator set on the panel, as the outgoing record needs it.
struct AdjustSettings {
  double setValue = 0;  // page 1, in the unit of the selector
  int unit = kUnitRaw;
  int byte6 = 0;
  int page1[2] = {0, 0};  // each into words 8/12 and 10/14
  int page2[4] = {0, 0, 0, 0};  // into 16/20, 18/22, 24/28, 26/30
  uint8_t storeFlags = 0;
};

AdjustRecord AssembleRecord(const AdjustSettings& s);
// The outgoing record that changes only what the operator changed: each
// setting of `panel` that differs from `shown` (what the panel showed of
// the sensor's record) is taken, every other setting is the sensor's own
// from `sensor`; the set value, when untouched, is the value the sensor
// reports, so it stays where it is. Store flags from `panel`.
AdjustRecord AssembleChanges(const AdjustRecord& sensor, const AdjustSettings& panel, const AdjustSettings& shown);

}  // namespace bx::adjrec
