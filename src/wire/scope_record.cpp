#include "wire/scope_record.h"

#include "wire/frame_format.h"

namespace bx::scoperec {

std::array<uint8_t, kSettingsBytes> encodeSettings(const Settings& s) {
  std::array<uint8_t, kSettingsBytes> out{};
  frame::put16(&out[0], s.triggerMode);
  frame::put16(&out[2], s.triggerLevel);
  frame::put16(&out[4], s.pretrigger);
  frame::put16(&out[6], s.scanRate);
  return out;
}

Sample decodeSample(uint32_t raw) {
  Sample s;
  s.valueUm = raw & kValueMask;
  for (int k = 0; k < kDigitalLines; ++k) s.line[static_cast<size_t>(k)] = ((raw >> (kFirstLineBit + k)) & 1u) != 0;
  return s;
}

bool decodeRecord(const uint8_t* data, size_t length, std::array<uint32_t, kSamples>& out) {
  if (data == nullptr || length < kRecordBytes) return false;
  for (size_t i = 0; i < static_cast<size_t>(kSamples); ++i) out[i] = frame::get32(data + 4 * i);
  return true;
}

}  // namespace bx::scoperec
