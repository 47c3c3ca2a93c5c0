#pragma once
// Helpers for the simulator's engine tests: build requests, read the
// frames a Sensor hands back.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sim/frame_out.h"
#include "sim/sensor.h"
#include "wire/crc8.h"
#include "wire/frame_format.h"

namespace bx::sim::test {

struct Frame {
  bool headerOk = false;
  bool dataOk = false;
  uint8_t order = 0;
  uint16_t param = 0;
  uint16_t length = 0;
  std::vector<uint8_t> payload;
  int16_t sparam() const { return static_cast<int16_t>(param); }
};

inline std::vector<uint8_t> request(uint8_t order, uint16_t param, const std::vector<uint8_t>& payload = {}) {
  return encodeFrame(order, param, payload.data(), payload.size());
}

inline std::vector<uint8_t> joined(const std::vector<Output>& out) {
  std::vector<uint8_t> all;
  for (const auto& o : out) all.insert(all.end(), o.bytes.begin(), o.bytes.end());
  return all;
}

// Splits a byte stream into frames the way a careful receiver would.
inline std::vector<Frame> frames(const std::vector<uint8_t>& bytes) {
  std::vector<Frame> out;
  size_t i = 0;
  while (i + bx::frame::kHeaderSize <= bytes.size()) {
    Frame f;
    const uint8_t* h = &bytes[i];
    f.headerOk = bx::frame::headerValid(h);
    const auto hd = bx::frame::decodeHeader(h);
    f.order = hd.order;
    f.param = hd.param;
    f.length = hd.length;
    i += bx::frame::kHeaderSize;
    const size_t n = std::min<size_t>(hd.length, bytes.size() - i);
    f.payload.assign(bytes.begin() + static_cast<std::ptrdiff_t>(i), bytes.begin() + static_cast<std::ptrdiff_t>(i + n));
    f.dataOk = n == hd.length && bx::crc8(f.payload.data(), f.payload.size()) == hd.dataCrc;
    i += n;
    out.push_back(std::move(f));
  }
  return out;
}

// Sends one request and expects exactly one well-formed reply frame.
inline Frame exchange(Sensor& s, uint8_t order, uint16_t param, const std::vector<uint8_t>& payload = {},
                      int64_t nowMs = 1000) {
  const auto req = request(order, param, payload);
  const auto fs = frames(joined(s.feed(req.data(), req.size(), nowMs)));
  EXPECT_EQ(fs.size(), 1u) << "order " << int(order);
  if (fs.size() != 1) return Frame{};
  EXPECT_TRUE(fs[0].headerOk);
  EXPECT_TRUE(fs[0].dataOk);
  return fs[0];
}

// A sensor whose line holds still and has no noise: exact, repeatable edges.
inline Config quietConfig() {
  Config c;
  c.shadowTravel = 0;
  c.videoNoise = 0;
  c.edgeJitterPx = 0;
  c.regulationSwing = 0;
  return c;
}

inline uint16_t u16(const std::vector<uint8_t>& b, size_t off) { return bx::frame::get16(&b[off]); }
inline int16_t s16(const std::vector<uint8_t>& b, size_t off) { return bx::frame::gets16(&b[off]); }
inline int32_t s32(const std::vector<uint8_t>& b, size_t off) { return bx::frame::gets32(&b[off]); }

}  // namespace bx::sim::test
