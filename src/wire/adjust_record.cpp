#include "wire/adjust_record.h"

#include <cmath>

namespace bx::adjrec {
namespace {

constexpr double kScale0 = 1.248439451;
constexpr int kZero0 = 199;
constexpr double kScale2 = 1.533742331;
constexpr int kZero2 = 348;

// Truncation toward zero into the signed 16-bit field. Beyond its range the
// field shows its limit: wrapping would show a large value as a negative one.
int16_t To16(double v) {
  if (std::isnan(v)) return 0;
  const double t = std::trunc(v);
  if (t >= 32767.0) return 32767;
  if (t <= -32768.0) return -32768;
  return static_cast<int16_t>(t);
}

}  // namespace

uint16_t Word(const AdjustRecord& r, int offset) {
  return static_cast<uint16_t>(r[static_cast<size_t>(offset)] | (r[static_cast<size_t>(offset) + 1] << 8));
}

void PutWord(AdjustRecord& r, int offset, uint16_t v) {
  r[static_cast<size_t>(offset)] = static_cast<uint8_t>(v & 0xFF);
  r[static_cast<size_t>(offset) + 1] = static_cast<uint8_t>(v >> 8);
}

int ModeOf(const AdjustRecord& r) { return Word(r, 0) & 0x3; }

int ShowMeasured(int16_t raw, int selector) {
  if (selector == kUnitScaled0) return To16((raw - kZero0) * kScale0);
  if (selector == kUnitScaled2) return To16((raw - kZero2) * kScale2);
  return raw;
}

uint16_t MeasuredToRaw(double shown, int selector) {
  if (selector == kUnitScaled0) return static_cast<uint16_t>(To16(shown / kScale0 + kZero0));
  if (selector == kUnitScaled2) return static_cast<uint16_t>(To16(shown / kScale2 + kZero2));
  return static_cast<uint16_t>(To16(shown));
}

AdjustRecord AssembleRecord(const AdjustSettings& s) {
  AdjustRecord r{};
  PutWord(r, kMeasuredOffset, MeasuredToRaw(s.setValue, s.unit));
  r[kByte6Offset] = static_cast<uint8_t>(s.byte6 & 0xFF);
  r[kStoreFlagsOffset] = s.storeFlags;
  for (int i = 0; i < 2; ++i) {
    const auto v = static_cast<uint16_t>(s.page1[i]);
    PutWord(r, 8 + 2 * i, v);
    PutWord(r, 12 + 2 * i, v);
  }
  static constexpr int kPairs[4][2] = {{16, 20}, {18, 22}, {24, 28}, {26, 30}};
  for (int i = 0; i < 4; ++i) {
    const auto v = static_cast<uint16_t>(s.page2[i]);
    PutWord(r, kPairs[i][0], v);
    PutWord(r, kPairs[i][1], v);
  }
  return r;
}

AdjustRecord AssembleChanges(const AdjustRecord& sensor, const AdjustSettings& panel, const AdjustSettings& shown) {
  AdjustRecord r{};
  // The mode word and bytes 2-3 stay 0 as always; the settings start as
  // the sensor holds them.
  for (int i = kByte6Offset; i < kAdjustSize; ++i) r[static_cast<size_t>(i)] = sensor[static_cast<size_t>(i)];
  const bool setValueChanged = panel.setValue != shown.setValue || panel.unit != shown.unit;
  PutWord(r, kMeasuredOffset,
          setValueChanged ? MeasuredToRaw(panel.setValue, panel.unit) : Word(sensor, kMeasuredOffset));
  if (panel.byte6 != shown.byte6) r[kByte6Offset] = static_cast<uint8_t>(panel.byte6 & 0xFF);
  r[kStoreFlagsOffset] = panel.storeFlags;
  for (int i = 0; i < 2; ++i) {
    if (panel.page1[i] == shown.page1[i]) continue;
    const auto v = static_cast<uint16_t>(panel.page1[i]);
    PutWord(r, 8 + 2 * i, v);
    PutWord(r, 12 + 2 * i, v);
  }
  static constexpr int kPairs[4][2] = {{16, 20}, {18, 22}, {24, 28}, {26, 30}};
  for (int i = 0; i < 4; ++i) {
    if (panel.page2[i] == shown.page2[i]) continue;
    const auto v = static_cast<uint16_t>(panel.page2[i]);
    PutWord(r, kPairs[i][0], v);
    PutWord(r, kPairs[i][1], v);
  }
  return r;
}

}  // namespace bx::adjrec
