#include "context/connection_hooks.h"

#include "context/context.h"

namespace bx {

void NotifyLinkDown(Context& ctx) {
  if (ctx.connection.linkDown) ctx.connection.linkDown(ctx);
}

void NotifyAnswering(Context& ctx) {
  if (ctx.connection.answering) ctx.connection.answering(ctx);
}

void NotifyExchangeEnded(Context& ctx) {
  if (ctx.connection.exchangeEnded) ctx.connection.exchangeEnded(ctx);
}

void CarryOutDisconnect(Context& ctx) {
  if (ctx.connection.disconnect) {
    ctx.connection.disconnect(ctx);
    return;
  }
  if (ctx.link.port != nullptr) ctx.link.port->close();
  ctx.link.port.reset();
  ctx.link.abort = 0;
}

}  // namespace bx
