#include "sim/frame_out.h"

#include <algorithm>
#include <cstring>

#include "wire/crc8.h"
#include "wire/frame_format.h"

namespace bx::sim {

using bx::frame::kHeaderSize;

std::vector<uint8_t> encodeFrame(uint8_t order, uint16_t param, const uint8_t* payload, size_t length) {
  const size_t len = std::min<size_t>(length, bx::frame::kMaxReplyPayload);
  std::vector<uint8_t> f(kHeaderSize + len);
  bx::frame::encodeHeader(f.data(), order, param, payload, static_cast<uint16_t>(len));
  if (len > 0) std::memcpy(f.data() + kHeaderSize, payload, len);
  return f;
}

namespace {

void resealHeader(std::vector<uint8_t>& f) { f[7] = bx::crc8(f.data(), 7); }

std::vector<size_t> fragmentCuts(size_t size) {
  // Header split 3 + 5, then the payload in two halves.
  std::vector<size_t> cuts;
  if (size > 3) cuts.push_back(3);
  if (size > static_cast<size_t>(kHeaderSize)) {
    cuts.push_back(kHeaderSize);
    const size_t payload = size - kHeaderSize;
    if (payload > 1) cuts.push_back(kHeaderSize + payload / 2);
  }
  return cuts;
}

}  // namespace

std::vector<Output> shapeFrame(int channel, std::vector<uint8_t> frame, const ActiveFaults& fx, int64_t nowMs,
                               Rng& rng) {
  std::vector<Output> out;
  if (fx.has(Fault::NoReply)) return out;
  const int64_t start = nowMs + (fx.has(Fault::LateReply) ? std::max(0, fx.argOf(Fault::LateReply)) : 0);
  if (fx.has(Fault::CloseConnection)) {
    Output o;
    o.channel = channel;
    o.atMs = start;
    o.close = true;
    out.push_back(std::move(o));
    return out;
  }
  if (fx.has(Fault::Garbage)) {
    const int n = std::clamp(fx.argOf(Fault::Garbage), 1, 65536);
    frame.assign(static_cast<size_t>(n), 0);
    for (auto& b : frame) b = static_cast<uint8_t>(rng.next() >> 56);
    // Never let garbage pass for a frame start.
    if (frame[0] == bx::frame::kSync) frame[0] = 0xA5;
  } else if (frame.size() >= static_cast<size_t>(kHeaderSize)) {
    if (fx.has(Fault::OversizedLength)) {
      bx::frame::put16(&frame[4], static_cast<uint16_t>(std::clamp(fx.argOf(Fault::OversizedLength), 0, 0xFFFF)));
      resealHeader(frame);
    }
    if (fx.has(Fault::WrongSync)) {
      frame[0] = 0x56;  // the CRC stays right: only the sync test can catch it
      resealHeader(frame);
    }
    if (fx.has(Fault::BadDataCrc)) {
      frame[6] ^= 0x5A;
      resealHeader(frame);
    }
    if (fx.has(Fault::WrongOrder) || fx.has(Fault::WrongParam)) {
      if (fx.has(Fault::WrongOrder)) frame[1] = static_cast<uint8_t>(fx.argOf(Fault::WrongOrder));
      if (fx.has(Fault::WrongParam)) bx::frame::put16(&frame[2], static_cast<uint16_t>(fx.argOf(Fault::WrongParam)));
      resealHeader(frame);
    }
    if (fx.has(Fault::BadHeaderCrc)) frame[7] ^= 0xFF;
  }

  if (fx.has(Fault::Noise)) {
    // Line noise ahead of the frame; it never holds a sync byte, so a
    // receiver that hunts for frames finds the real start.
    std::vector<uint8_t> noise(static_cast<size_t>(std::clamp(fx.argOf(Fault::Noise), 1, 4096)));
    for (auto& b : noise) {
      b = static_cast<uint8_t>(rng.next() >> 56);
      if (b == bx::frame::kSync) b = 0xA5;
    }
    frame.insert(frame.begin(), noise.begin(), noise.end());
  }

  // A reply cut in two whose rest comes after the receiver gave up.
  std::vector<uint8_t> rest;
  if (fx.has(Fault::LateRest) && frame.size() > 3) {
    const size_t cut = frame.size() > static_cast<size_t>(kHeaderSize) + 1
                           ? kHeaderSize + (frame.size() - kHeaderSize) / 2
                           : 3;
    rest.assign(frame.begin() + static_cast<std::ptrdiff_t>(cut), frame.end());
    frame.resize(cut);
  }

  std::vector<size_t> cuts;
  const int gap = fx.has(Fault::Fragment) ? std::max(0, fx.argOf(Fault::Fragment)) : 0;
  if (fx.has(Fault::Fragment)) cuts = fragmentCuts(frame.size());
  cuts.push_back(frame.size());
  size_t from = 0;
  int64_t at = start;
  for (size_t cut : cuts) {
    if (cut <= from) continue;
    Output o;
    o.channel = channel;
    o.atMs = at;
    o.bytes.assign(frame.begin() + static_cast<std::ptrdiff_t>(from), frame.begin() + static_cast<std::ptrdiff_t>(cut));
    out.push_back(std::move(o));
    from = cut;
    at += gap;
  }
  if (fx.has(Fault::Duplicate)) {
    // The same frame once more, right after the first.
    Output o;
    o.channel = channel;
    o.atMs = at;
    o.bytes = frame;
    out.push_back(std::move(o));
  }
  if (!rest.empty()) {
    Output o;
    o.channel = channel;
    o.atMs = at + std::max(0, fx.argOf(Fault::LateRest));
    o.bytes = std::move(rest);
    o.held = fx.argOf(Fault::LateRest) <= 0;
    out.push_back(std::move(o));
  }
  return out;
}

}  // namespace bx::sim
