#include "link/events.h"

#include "context/context.h"
#include "link/transport.h"
#include "platform/clock.h"
#include "platform/wait.h"

namespace bx {

void PollLinkEvents(Context& ctx) {
  if (ctx.link.tcpConnected > 0 && ctx.tcp.connected()) {
    int ev = ctx.tcp.pollEvent();
    if (ev != platform::TCP_EVENT_NONE) CC_ClientTCP(ctx, ctx.tcp.handle(), ev, 0);
  }
}

void ProcessSystemEvents(Context& ctx, bool mayWait) {
  bool inputPending = ctx.ui.frontend != nullptr && ctx.ui.frontend->inputPending();
  if (mayWait && !inputPending) {
    // Sleep until the sensor sends something, at most 1 ms, so a wait loop
    // neither burns a core nor delays a reply.
    int fds[2] = {ctx.link.tcpConnected > 0 ? ctx.tcp.fd() : -1, ctx.link.portOpen > 0 ? ctx.serial.fd() : -1};
    platform::waitReadable(fds, 2, 0.001);
  }
  // Bytes the port received stay queued (the wait loops count them); pulling
  // them out of the driver keeps the descriptor from waking every pass.
  if (ctx.link.portOpen > 0) (void)ctx.serial.inQLen();
  PollLinkEvents(ctx);
  ctx.ui.processEvents();
}

void DelayWithEventProcessing(Context& ctx, double seconds) {
  double end = platform::Timer() + seconds;
  do {
    ProcessSystemEvents(ctx);
  } while (platform::Timer() < end);
}

}  // namespace bx
