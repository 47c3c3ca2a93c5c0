#include "sim/request_parser.h"

#include <cstring>

#include "wire/crc8.h"

namespace bx::sim {

using bx::frame::kHeaderSize;
using bx::frame::kSync;

void RequestParser::reset() {
  state_ = State::Hunt;
  headerCount_ = 0;
  payload_.clear();
}

void RequestParser::feed(const uint8_t* data, size_t n, int64_t nowMs, std::vector<ParsedRequest>& out) {
  if (data == nullptr || n == 0) return;
  if (state_ != State::Hunt && nowMs - lastByteMs_ > kStalePartialMs) reset();
  lastByteMs_ = nowMs;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t b = data[i];
    switch (state_) {
      case State::Hunt:
        if (b == kSync) {
          header_[0] = b;
          headerCount_ = 1;
          state_ = State::Header;
        }
        break;
      case State::Header:
        header_[headerCount_++] = b;
        if (headerCount_ == kHeaderSize) headerComplete(out);
        break;
      case State::Payload:
        payload_.push_back(b);
        if (payload_.size() == current_.length) {
          ParsedRequest r;
          r.order = current_.order;
          r.param = current_.param;
          r.corrupt = bx::crc8(payload_.data(), payload_.size()) != current_.dataCrc;
          r.payload.swap(payload_);
          out.push_back(std::move(r));
          reset();
        }
        break;
    }
  }
}

void RequestParser::headerComplete(std::vector<ParsedRequest>& out) {
  if (!bx::frame::headerValid(header_)) {
    resyncFromHeader(out);
    return;
  }
  current_ = bx::frame::decodeHeader(header_);
  if (current_.length > kMaxRequestPayload) {
    resyncFromHeader(out);
    return;
  }
  if (current_.length == 0) {
    ParsedRequest r;
    r.order = current_.order;
    r.param = current_.param;
    // A request without payload must say so with the empty-data CRC.
    r.corrupt = current_.dataCrc != bx::frame::kEmptyDataCrc;
    out.push_back(std::move(r));
    reset();
    return;
  }
  payload_.clear();
  payload_.reserve(current_.length);
  state_ = State::Payload;
}

void RequestParser::resyncFromHeader(std::vector<ParsedRequest>& out) {
  ParsedRequest r;
  r.corrupt = true;
  out.push_back(std::move(r));
  uint8_t rest[kHeaderSize - 1];
  std::memcpy(rest, header_ + 1, sizeof rest);
  reset();
  int start = 0;
  while (start < kHeaderSize - 1 && rest[start] != kSync) ++start;
  if (start == kHeaderSize - 1) return;
  // Whatever follows the sync byte becomes the start of the next header; it
  // can never complete a header here (fewer than 8 bytes remain).
  for (int k = start; k < kHeaderSize - 1; ++k) header_[headerCount_++] = rest[k];
  state_ = State::Header;
}

}  // namespace bx::sim
