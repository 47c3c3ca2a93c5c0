#include "link/ownership.h"

#include "context/connection_hooks.h"
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

LoopOwnership::LoopOwnership(Context& ctx, PendingServer serve, LoopClaim claim) : ctx_(ctx), serve_(serve) {
  const bool taken = ctx.run.linkHeld > 0 || (claim == LoopClaim::Idle && ctx.run.state != RUN_IDLE);
  if (taken) {
    RefuseLinkBusy(ctx);
    return;
  }
  hold_.emplace(ctx);
}

LoopOwnership::~LoopOwnership() {
  if (!owns()) return;
  ctx_.run.state = RUN_IDLE;
  // Then the hold ends, carrying out a Disconnect pressed meanwhile.
  hold_.reset();
}

void LoopOwnership::markRunning() { ctx_.run.state = RUN_LOOP; }

bool LoopOwnership::serveBetweenCycles() { return serve_ != nullptr && serve_(ctx_); }

void LoopOwnership::end(bool serveLeft) {
  if (serveLeft && serve_ != nullptr) {
    ctx_.run.state = RUN_LOOP;
    (void)serve_(ctx_);
  }
  ctx_.run.state = RUN_IDLE;
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
