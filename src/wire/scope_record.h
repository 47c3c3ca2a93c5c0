#pragma once
// The scope's two wire layouts: the 16 settings bytes of the arm request and
// the 512-byte record the sensor streams back, decoded by named fields.
#include <array>
#include <cstddef>
#include <cstdint>

namespace bx::scoperec {

constexpr int kSamples = 128;
constexpr size_t kRecordBytes = kSamples * 4;
constexpr size_t kSettingsBytes = 16;
constexpr int kDigitalLines = 5;

enum TriggerMode : int { TRIGGER_SINGLE = 0, TRIGGER_RISING = 1, TRIGGER_FALLING = 2, TRIGGER_EXTERNAL = 3 };

struct Settings {
  uint16_t triggerMode = TRIGGER_SINGLE;
  uint16_t triggerLevel = 50;  // percent of the measuring range
  uint16_t pretrigger = 0;     // scans before the trigger event
  uint16_t scanRate = 1;       // every N-th measuring cycle
};

// Little-endian words 0..3, words 4..7 zero.
std::array<uint8_t, kSettingsBytes> encodeSettings(const Settings& s);

// One sample: bits 0..23 the value in micrometres, bits 24..28 the digital
// lines (bit 24 first); bits 29..31 carry nothing the tool reads.
struct Sample {
  uint32_t valueUm = 0;
  std::array<bool, kDigitalLines> line{};
};

constexpr uint32_t kValueMask = 0x00FFFFFFu;
constexpr int kFirstLineBit = 24;

Sample decodeSample(uint32_t raw);
// The raw samples of a record; false (out untouched) when fewer than
// kRecordBytes bytes arrived, so no sample is taken from stale bytes.
bool decodeRecord(const uint8_t* data, size_t length, std::array<uint32_t, kSamples>& out);

}  // namespace bx::scoperec
