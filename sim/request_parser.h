#pragma once
// Turns the byte stream of one connection into request frames. Keeps its
// state across calls, so a request may arrive in any number of pieces.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "wire/frame_format.h"

namespace bx::sim {

// Largest request payload accepted; a header announcing more is treated as
// corrupt (nothing the tool sends comes near it).
constexpr int kMaxRequestPayload = bx::frame::kRxBufferSize;

// A piece of a request that was started but not finished is dropped when
// the next byte comes this much later: the sender has given up on it.
constexpr int64_t kStalePartialMs = 500;

struct ParsedRequest {
  bool corrupt = false;  // bad header CRC, bad data CRC or oversized
  uint8_t order = 0;
  uint16_t param = 0;
  std::vector<uint8_t> payload;
};

class RequestParser {
 public:
  // Appends received bytes; complete requests (and corrupt ones) go to out.
  void feed(const uint8_t* data, size_t n, int64_t nowMs, std::vector<ParsedRequest>& out);
  void reset();
  bool idle() const { return state_ == State::Hunt; }

 private:
  enum class State { Hunt, Header, Payload };
  void headerComplete(std::vector<ParsedRequest>& out);
  // After a corrupt header, look for the next sync byte among the header
  // bytes after the first one.
  void resyncFromHeader(std::vector<ParsedRequest>& out);

  State state_ = State::Hunt;
  uint8_t header_[bx::frame::kHeaderSize] = {};
  int headerCount_ = 0;
  bx::frame::Header current_;
  std::vector<uint8_t> payload_;
  int64_t lastByteMs_ = 0;
};

}  // namespace bx::sim
