#pragma once
// Event processing inside waits: TCP delivery, the front-end's events, and
// a short sleep on the link's descriptors when nothing is pending.
namespace bx {
struct Context;

void ProcessSystemEvents(Context& ctx);
// Delivers TCP events only; for front-ends whose own loop runs between waits.
void PollLinkEvents(Context& ctx);
// Waits the given time while processing events.
void DelayWithEventProcessing(Context& ctx, double seconds);

}  // namespace bx
