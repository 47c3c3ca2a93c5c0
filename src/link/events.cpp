#include "link/events.h"

#include "context/context.h"
#include "link/exchange.h"
#include "link/transport.h"
#include "platform/clock.h"
#include "platform/link_port.h"
#include "platform/wait.h"

namespace bx {

void PollLinkEvents(Context& ctx, bool socketReadable) {
  (void)socketReadable;
  platform::LinkPort* port = OpenPort(ctx);
  if (port == nullptr) return;
  // Taking in what has arrived also tells whether the other end has gone.
  (void)port->available();
  if (port->peerClosed()) LinkPortClosed(ctx);
}

void ProcessSystemEvents(Context& ctx, bool mayWait) {
  const bool inputPending = ctx.ui.frontend != nullptr && ctx.ui.frontend->inputPending();
  platform::LinkPort* port = OpenPort(ctx);
  if (mayWait && !inputPending) {
    // Sleep until the sensor sends something, at most 1 ms, so a wait loop
    // neither burns a core nor delays a reply; what arrives is queued.
    if (port != nullptr)
      (void)port->waitReadable(0.001, &ctx.link.abort);
    else
      (void)platform::waitReadable(nullptr, 0, 0.001);
  } else if (port != nullptr) {
    (void)port->available();
  }
  if (port != nullptr && port->peerClosed()) LinkPortClosed(ctx);
  if (ctx.progress.active) TickProgress(ctx);
  ctx.ui.processEvents();
}

double ReplyTimeLeft(const Context& ctx) {
  if (ctx.link.replyDueAt <= 0) return -1;
  return ctx.link.replyDueAt - platform::Timer();
}

void DelayWithEventProcessing(Context& ctx, double seconds) {
  double end = platform::Timer() + seconds;
  do {
    ProcessSystemEvents(ctx);
  } while (platform::Timer() < end);
}

}  // namespace bx
