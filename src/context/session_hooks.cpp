#include "context/session_hooks.h"

#include "context/context.h"

namespace bx {

void NotifyLinkDown(Context& ctx) {
  if (ctx.session.linkDown) ctx.session.linkDown(ctx);
}

void NotifyAnswering(Context& ctx) {
  if (ctx.session.answering) ctx.session.answering(ctx);
}

void NotifyExchangeEnded(Context& ctx) {
  if (ctx.session.exchangeEnded) ctx.session.exchangeEnded(ctx);
}

void CarryOutDisconnect(Context& ctx) {
  if (ctx.session.disconnect) {
    ctx.session.disconnect(ctx);
    return;
  }
  if (ctx.link.port != nullptr) ctx.link.port->close();
  ctx.link.port.reset();
  ctx.link.abort = 0;
}

}  // namespace bx
