#include "link/ownership.h"

#include "context/session_hooks.h"
#include "link/report.h"

namespace bx {

bool LinkIdle(const Context& ctx) { return ctx.run.state == RUN_IDLE && ctx.run.linkHeld == 0; }

bool LinkOwnedByLoop(const Context& ctx) { return ctx.run.state == RUN_LOOP; }

LinkHold::LinkHold(Context& ctx) : ctx_(ctx) { ++ctx_.run.linkHeld; }

LinkHold::~LinkHold() {
  if (--ctx_.run.linkHeld > 0) return;
  ctx_.run.linkHeld = 0;
  if (ctx_.run.disconnectPending) {
    ctx_.run.disconnectPending = false;
    CarryOutDisconnect(ctx_);
  }
}

void RefuseLinkBusy(Context& ctx) {
  ShowStatusText(ctx, "Sensor link busy - action refused, please wait and try again!");
}

bool LinkRefusesAction(Context& ctx) {
  if (LinkIdle(ctx) || LinkOwnedByLoop(ctx)) return false;
  RefuseLinkBusy(ctx);
  return true;
}

}  // namespace bx
