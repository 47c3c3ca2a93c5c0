#pragma once
// What the link must trigger in the session above it: the connection
// indicator when the TCP server drops the conversation, and a Disconnect that
// was pressed while an exchange held the link. The session installs them when
// the panels are loaded, so link/ includes nothing above itself.
namespace bx {
struct Context;

struct ConnectionHooks {
  void (*linkDown)(Context& ctx) = nullptr;
  void (*disconnect)(Context& ctx) = nullptr;
  void (*answering)(Context& ctx) = nullptr;
  void (*exchangeEnded)(Context& ctx) = nullptr;
};

// Shows the link as down (indicator, dimmed sensor controls); nothing while
// no session is installed.
void NotifyLinkDown(Context& ctx);
// The sensor began or stopped answering (ctx.link.silent says which): the
// indicator follows; nothing while no session is installed.
void NotifyAnswering(Context& ctx);
// A request and its reply ended, well or not (ctx.link.failure says how):
// the service line follows; nothing while no session is installed.
void NotifyExchangeEnded(Context& ctx);
// Carries out a Disconnect; without a session it closes the transports.
void CarryOutDisconnect(Context& ctx);

}  // namespace bx
