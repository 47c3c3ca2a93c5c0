#pragma once
// What both link harnesses share: a context whose link is an in-memory port
// that gives up at once when the input is used up.
#include "context/context.h"
#include "platform/memory_port.h"

namespace bx::fuzz {

struct LinkRig {
  Context ctx;
  platform::MemoryPort port;
  LinkRig() {
    ctx.link.port = std::make_unique<platform::PortLoan>(port);
    ctx.link.replyTimeout = 0;
    ctx.link.tcpTimeoutMs = 0;
  }
};

}  // namespace bx::fuzz
