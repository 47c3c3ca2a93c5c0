#pragma once
// Event processing inside waits: TCP delivery, the front-end's events, and
// a short sleep on the link's descriptors when nothing is pending.
namespace bx {
struct Context;

// mayWait false: do not sleep even when nothing is pending (the caller
// already has what it waits for).
void ProcessSystemEvents(Context& ctx, bool mayWait = true);
// Delivers TCP events only; for front-ends whose own loop runs between waits.
// socketReadable: the caller's wait saw the socket readable, so an event is
// known to be there and needs no look-ahead.
void PollLinkEvents(Context& ctx, bool socketReadable = false);
// Waits the given time while processing events.
void DelayWithEventProcessing(Context& ctx, double seconds);

}  // namespace bx
