#pragma once
// What the harnesses of sensor records share: one context with the
// product's panels and the headless front-end, as the command-line tool
// runs, whose link is an in-memory port that gives up at once when its bytes
// are used up. Loaded once; each input queues the sensor's reply frames with
// reply() and starts from the state reset() leaves.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/startup.h"
#include "context/context.h"
#include "platform/link_port.h"
#include "platform/memory_port.h"
#include "ui/headless.h"
#include "wire/frame_format.h"

namespace bx::fuzz {

inline void check(bool ok) {
  if (!ok) __builtin_trap();
}

// The in-memory port of the tests, with one difference: with hangUp() the
// sensor closes the connection after its last byte, as a TCP peer does, so
// a reply that never comes ends the wait at once instead of after the
// line's settling time (which runs on the real clock).
class RigPort final : public platform::LinkPort {
 public:
  void reopen() {
    port_.emplace();
    hangUp_ = false;
  }
  void hangUp() { hangUp_ = true; }
  void append(const uint8_t* data, size_t n) { port_->append(data, n); }
  const std::vector<uint8_t>& written() const { return port_->written(); }

  bool isOpen() const override { return port_->isOpen(); }
  void close() override { port_->close(); }
  int write(const uint8_t* data, int n) override { return port_->write(data, n); }
  int available() override { return port_->available(); }
  int take(uint8_t* out, int n) override { return port_->take(out, n); }
  int waitReadable(double s, const int32_t* abort) override { return port_->waitReadable(s, abort); }
  void flush() override { port_->flush(); }
  int inQueueLength() override { return port_->inQueueLength(); }
  int outQueueLength() override { return port_->outQueueLength(); }
  int errorState() override { return port_->errorState(); }
  bool peerClosed() const override { return hangUp_ && port_->available() == 0; }
  int fd() const override { return port_->fd(); }
  const char* name() const override { return port_->name(); }
  double headerWait(double r, unsigned ms) const override { return port_->headerWait(r, ms); }
  double payloadWait(double r, unsigned ms) const override { return port_->payloadWait(r, ms); }

 private:
  mutable std::optional<platform::MemoryPort> port_;  // available() takes in, as real ports do
  bool hangUp_ = false;
};

struct PanelRig {
  Context ctx;
  ui::HeadlessFrontend fe;
  RigPort port;

  PanelRig() {
    ctx.ui.frontend = &fe;
    std::string error;
    if (!LoadPanels(ctx, std::string(BX_RESOURCE_DIR) + "/Quellan-BX-ScopeV55.uir", error)) std::abort();
    reset();
  }

  // The start values of a fresh session, an empty line and no pop-ups.
  void reset() {
    ctx.ident = IdentState{};
    ctx.calib = CalibState{};
    ctx.live = LiveState{};
    InitVars(ctx);
    // No record has come from the sensor yet (takeSets says otherwise).
    ctx.params.setRead = ctx.params.teachRead = false;
    ctx.link.port = std::make_unique<platform::PortLoan>(port);
    ctx.link.replyTimeout = 0;
    ctx.link.tcpTimeoutMs = 0;
    ctx.link.drainFirst = false;
    ctx.link.abort = 0;
    ctx.link.failure = LinkFailure::None;
    ctx.run.state = RUN_IDLE;
    ctx.status.clear();
    port.reopen();
    fe.clearPopups();
  }

  // Whatever of the input follows a harness's record: the parameter set
  // and teach table as the sensor sent them, then the unit switch (bit 0).
  // Missing bytes keep the start values.
  void takeSets(const uint8_t* data, size_t size) {
    auto& p = ctx.params;
    const size_t s = std::min(size, p.set.size());
    std::memcpy(p.set.data(), data, s);
    data += s;
    size -= s;
    const size_t t = std::min(size, p.teach.size());
    std::memcpy(p.teach.data(), data, t);
    data += t;
    size -= t;
    p.unitMm = size > 0 ? data[0] & 1 : 0;
    // As a GET leaves them: records that came from the sensor may be sent.
    p.setRead = p.teachRead = true;
  }

  // Queues one reply frame of the sensor: a valid header for order/param
  // and the payload as given.
  void reply(uint8_t order, uint16_t param, const uint8_t* payload, size_t length) {
    uint8_t header[frame::kHeaderSize];
    frame::encodeHeader(header, order, param, payload, static_cast<uint16_t>(length));
    port.append(header, sizeof header);
    if (length > 0) port.append(payload, length);
  }
};

}  // namespace bx::fuzz
