#include "link/events.h"

#include "context/context.h"
#include "link/transport.h"
#include "platform/clock.h"
#include "platform/wait.h"

namespace bx {

void PollLinkEvents(Context& ctx, bool socketReadable) {
  if (ctx.link.tcpConnected > 0 && ctx.tcp.connected()) {
    // A readable socket holds data or the peer's close; the callback's read
    // tells which, so no separate look-ahead is needed.
    int ev = socketReadable ? platform::TCP_EVENT_DATAREADY : ctx.tcp.pollEvent();
    if (ev != platform::TCP_EVENT_NONE) CC_ClientTCP(ctx, ctx.tcp.handle(), ev, 0);
  }
}

void ProcessSystemEvents(Context& ctx, bool mayWait) {
  bool inputPending = ctx.ui.frontend != nullptr && ctx.ui.frontend->inputPending();
  // A caller that already has what it waits for (mayWait false) needs no
  // look at the link in this pass.
  bool lookAtLink = mayWait;
  bool socketReadable = false;
  if (mayWait && !inputPending && ctx.link.tcpConnected > 0 && ctx.tcp.connected() && ctx.link.portOpen <= 0) {
    // The socket is all there is to wait for: wait in the read itself.
    ReceiveTcp(ctx, true);
    ctx.ui.processEvents();
    return;
  }
  if (mayWait && !inputPending) {
    // Sleep until the sensor sends something, at most 1 ms, so a wait loop
    // neither burns a core nor delays a reply.
    int fds[2] = {ctx.link.tcpConnected > 0 ? ctx.tcp.fd() : -1, ctx.link.portOpen > 0 ? ctx.serial.fd() : -1};
    unsigned ready = platform::waitReadable(fds, 2, 0.001);
    lookAtLink = ready != 0;
    socketReadable = (ready & 1u) != 0;
  }
  if (lookAtLink) {
    // Bytes the port received stay queued (the wait loops count them);
    // pulling them out of the driver keeps its descriptor from waking every
    // pass.
    if (ctx.link.portOpen > 0) (void)ctx.serial.inQLen();
    PollLinkEvents(ctx, socketReadable);
  }
  ctx.ui.processEvents();
}

void DelayWithEventProcessing(Context& ctx, double seconds) {
  double end = platform::Timer() + seconds;
  do {
    ProcessSystemEvents(ctx);
  } while (platform::Timer() < end);
}

}  // namespace bx
