#pragma once
// A link port over bytes in memory: what the "sensor" sends is preloaded,
// what the tool writes is kept. For tests and fuzzing; nothing sleeps.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/link_port.h"

namespace bx::platform {

class MemoryPort final : public LinkPort {
 public:
  // Replaces the bytes still to be received.
  void load(const uint8_t* data, size_t n) {
    in_.assign(data, data + n);
    pos_ = 0;
  }
  void append(const uint8_t* data, size_t n) { in_.insert(in_.end(), data, data + n); }
  const std::vector<uint8_t>& written() const { return out_; }
  void clearWritten() { out_.clear(); }
  void setClosed(bool c) { closed_ = c; }
  void setErrorBits(int bits) { errors_ = bits; }
  // Bytes handed out per take(), to model a stream arriving in pieces; 0 = all.
  void setChunk(int n) { chunk_ = n; }
  // flush() drops pending input, as the real ports do; off models bytes that
  // arrive after the flush.
  void setFlushDrops(bool on) { flushDrops_ = on; }

  bool isOpen() const override { return open_; }
  void close() override { open_ = false; }
  int write(const uint8_t* data, int n) override {
    if (n > 0) out_.insert(out_.end(), data, data + n);
    return n;
  }
  int available() override { return static_cast<int>(in_.size() - pos_); }
  int take(uint8_t* out, int n) override {
    int k = std::min(n, available());
    if (chunk_ > 0) k = std::min(k, chunk_);
    if (k <= 0) return 0;
    std::memcpy(out, in_.data() + pos_, static_cast<size_t>(k));
    pos_ += static_cast<size_t>(k);
    return k;
  }
  int waitReadable(double, const int32_t*) override { return available(); }
  void flush() override {
    if (flushDrops_) pos_ = in_.size();
  }
  int inQueueLength() override { return available(); }
  int outQueueLength() override { return 0; }
  int errorState() override {
    int e = errors_;
    errors_ = 0;
    return e;
  }
  bool peerClosed() const override { return closed_; }
  int fd() const override { return -1; }
  const char* name() const override { return "TCP"; }
  double headerWait(double replyTimeout, unsigned) const override { return replyTimeout; }
  double payloadWait(double replyTimeout, unsigned) const override { return replyTimeout; }

 private:
  std::vector<uint8_t> in_;
  size_t pos_ = 0;
  std::vector<uint8_t> out_;
  bool open_ = true;
  bool closed_ = false;
  int errors_ = 0;
  int chunk_ = 0;
  bool flushDrops_ = false;
};

// Lends a port that its owner keeps (a test's or a fuzz rig's) to the
// link's port slot, which owns what it holds: every call goes to the lent
// port, so closing the loan closes it, and emptying the slot leaves it to
// its owner.
class PortLoan final : public LinkPort {
 public:
  explicit PortLoan(LinkPort& port) : port_(port) {}
  bool isOpen() const override { return port_.isOpen(); }
  void close() override { port_.close(); }
  int write(const uint8_t* data, int n) override { return port_.write(data, n); }
  int available() override { return port_.available(); }
  int take(uint8_t* out, int n) override { return port_.take(out, n); }
  int waitReadable(double s, const int32_t* abort) override { return port_.waitReadable(s, abort); }
  void flush() override { port_.flush(); }
  int inQueueLength() override { return port_.inQueueLength(); }
  int outQueueLength() override { return port_.outQueueLength(); }
  int errorState() override { return port_.errorState(); }
  bool peerClosed() const override { return port_.peerClosed(); }
  int fd() const override { return port_.fd(); }
  const char* name() const override { return port_.name(); }
  double headerWait(double r, unsigned ms) const override { return port_.headerWait(r, ms); }
  double payloadWait(double r, unsigned ms) const override { return port_.payloadWait(r, ms); }

 private:
  LinkPort& port_;
};

}  // namespace bx::platform
