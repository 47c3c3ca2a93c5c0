#pragma once
// Event processing inside waits: TCP delivery, the front-end's events, and
// a short sleep on the link's descriptors when nothing is pending.
namespace bx {
struct Context;

// mayWait false: do not sleep even when nothing is pending (the caller
// already has what it waits for).
void ProcessSystemEvents(Context& ctx, bool mayWait = true);
// Takes in what the open transport has received and notices the other end
// closing; for front-ends whose own loop runs between waits. socketReadable
// is no longer needed and ignored.
void PollLinkEvents(Context& ctx, bool socketReadable = false);
// Seconds until the reply now awaited is expected to be complete, judged by
// how long this order's replies took before; below 0 when no reply is
// awaited or none of this order has come yet. A front-end draws in that
// time, so the line does not fall idle while the screen is drawn.
double ReplyTimeLeft(const Context& ctx);
// Waits the given time while processing events.
void DelayWithEventProcessing(Context& ctx, double seconds);

}  // namespace bx
