#pragma once
// Who may use the link now. There is never more than one request
// outstanding: an operation that talks to the sensor holds the link for its
// whole length, and an operator action that arrives meanwhile (its callback
// runs from the events processed inside a wait) never starts an exchange of
// its own. While a loop owns the link such an action is left pending for the
// loop to serve between two cycles; otherwise it is refused with a status
// text.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
#include <optional>
#include <utility>

#include "context/context.h"

namespace bx {

// Idle: no loop runs and no operation holds the link.
bool LinkIdle(const Context& ctx);
// A loop owns the link; operator actions are left pending for it.
bool LinkOwnedByLoop(const Context& ctx);

// Holds the link for the lifetime of the object. When the outermost hold
// ends, a Disconnect that was pressed meanwhile is carried out.
class LinkHold {
 public:
  explicit LinkHold(Context& ctx);
  ~LinkHold();
  LinkHold(const LinkHold&) = delete;
  LinkHold& operator=(const LinkHold&) = delete;

 private:
  Context& ctx_;
};

// What a loop that owns the link does between its cycles: performs the
// operator's requests left pending for it. True when the loop must stop at
// once (the abort flag was raised).
using PendingServer = bool (*)(Context& ctx);

// Whom a loop's claim on the link gives way to.
enum class LoopClaim {
  // Only an operation that holds the link: the loop's own button may have
  // set the run state already (RUN, the scope's arming).
  Unheld,
  // Also a run state already set: the loop starts from idle only.
  Idle,
};

// One loop's ownership of the link: the run loop's, the recorder's or the
// scope's. The constructor refuses (the busy text shown, owns() false) when
// the claim cannot be met, else holds the link until destruction. While
// owned, the loop marks itself running, serves pending requests between
// cycles and, once done, serves what was left and returns the run state to
// idle; destruction leaves it idle in any case.
class LoopOwnership {
 public:
  LoopOwnership(Context& ctx, PendingServer serve, LoopClaim claim = LoopClaim::Unheld);
  ~LoopOwnership();
  LoopOwnership(const LoopOwnership&) = delete;
  LoopOwnership& operator=(const LoopOwnership&) = delete;

  bool owns() const { return hold_.has_value(); }
  // The run state becomes RUN_LOOP: operator actions are left pending for
  // the loop from now on.
  void markRunning();
  // Between two cycles: serves the pending requests. True when the loop
  // must stop at once.
  bool serveBetweenCycles();
  // The loop is over: when serveLeft, the requests still pending are served
  // as by the loop; then the run state is idle.
  void end(bool serveLeft);

 private:
  Context& ctx_;
  PendingServer serve_;
  std::optional<LinkHold> hold_;
};

// The status text of an action refused because the link is in use.
void RefuseLinkBusy(Context& ctx);
// True (and the refusal shown) when an action that needs the link can
// neither run now nor wait for a loop.
bool LinkRefusesAction(Context& ctx);

enum class LinkAction { Performed, LeftPending, Refused };

// Performs `now` while holding the link when it is idle and clears the
// request; leaves the request pending while a loop owns the link; refuses
// otherwise (and clears a request that a button press may have set).
template <class F>
LinkAction PerformOrLeavePending(Context& ctx, PendingRequest request, F&& now) {
  if (LinkIdle(ctx)) {
    ctx.run.pending.set(request, false);
    LinkHold hold(ctx);
    std::forward<F>(now)();
    return LinkAction::Performed;
  }
  if (LinkOwnedByLoop(ctx)) {
    ctx.run.pending.set(request);
    return LinkAction::LeftPending;
  }
  ctx.run.pending.set(request, false);
  RefuseLinkBusy(ctx);
  return LinkAction::Refused;
}

// For actions that cannot wait for a loop (connect, baud-rate change,
// hardware-information file): performs `now` while holding the link when it
// is idle, else refuses. True when performed.
template <class F>
bool PerformIfIdle(Context& ctx, F&& now) {
  if (!LinkIdle(ctx)) {
    RefuseLinkBusy(ctx);
    return false;
  }
  LinkHold hold(ctx);
  std::forward<F>(now)();
  return true;
}

}  // namespace bx
