#pragma once
// The status bar's link area: the transport and its port, the state of the
// conversation (connected, no reply, disconnected), the exchanges per second
// while a loop runs, and the reason of the last failure with its time.
#include <string>

namespace bx {
struct Context;

// The link area's text for the state shown now.
std::string LinkAreaText(const Context& ctx);
// Redraws the link area (only what changed is touched).
void ShowLinkArea(Context& ctx);
// An exchange ended (ctx.link.failure says how): counts it towards the rate
// and keeps a failure's reason, then redraws.
void NoteExchangeInLinkArea(Context& ctx);

}  // namespace bx
