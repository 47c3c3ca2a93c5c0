#include "connection/link_area.h"

#include <cstdio>

#include "context/context.h"
#include "link/report.h"
#include "link/transport.h"
#include "platform/clock.h"
#include "platform/com_ports.h"
#include "platform/date_text.h"
#include "platform/serial_port.h"

namespace bx {

namespace {

std::string carrierText(const Context& ctx) {
  const LinkState& L = ctx.link;
  if (L.transport == TRANSPORT_TCP) return "TCP " + L.ipAddress + ":" + std::to_string(L.tcpPort);
  std::string t = "COM" + std::to_string(L.comPort);
  const std::string device = platform::comDevice(L.comPort);
  if (!device.empty()) t += " (" + device + ")";
  t += " " + std::to_string(platform::baudOfIndex(L.baudIndex)) + " Bd";
  return t;
}

}  // namespace

std::string LinkAreaText(const Context& ctx) {
  const LinkState& L = ctx.link;
  const bool open = SerialOpen(L) || TcpOpen(L);
  std::string state;
  if (!open || !L.shownConnected)
    state = Localized(ctx, "disconnected");
  else if (L.silent)
    state = Localized(ctx, "no reply");
  else
    state = Localized(ctx, "connected");
  std::string t = carrierText(ctx) + " - " + state;
  // The rate means something only while a loop exchanges without pause.
  if (open && !L.silent && ctx.run.state == RUN_LOOP && L.exchangesPerSecond > 0) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", L.exchangesPerSecond);
    t += " - " + Localized(ctx, "%1 exchanges/s", {buf});
  }
  return t;
}

void ShowLinkArea(Context& ctx) {
  const ui::CtlRef area = ctx.refs.status.link;
  if (ctx.ui.valid(area)) {
    const std::string t = LinkAreaText(ctx);
    if (ctx.ui.text(area) != t) ctx.ui.setText(area, t);
  }
  const ui::CtlRef fail = ctx.refs.status.lastFailure;
  if (ctx.ui.valid(fail)) {
    const LinkState& L = ctx.link;
    const std::string t = L.lastFailure.empty() ? std::string() : L.lastFailureTime + "  " + L.lastFailure;
    if (ctx.ui.text(fail) != t) ctx.ui.setText(fail, t);
  }
}

void NoteExchangeInLinkArea(Context& ctx) {
  LinkState& L = ctx.link;
  const LinkFailure why = L.failure;
  if (why == LinkFailure::Aborted || why == LinkFailure::Stopped) return;
  if (why == LinkFailure::None) {
    const double now = platform::Timer();
    if (L.rateCount == 0) L.rateWindowStart = now;
    ++L.rateCount;
    const double span = now - L.rateWindowStart;
    // A fresh window each second; a stale figure from an earlier loop goes
    // as soon as the new window has a second's worth.
    if (span >= 1.0) {
      L.exchangesPerSecond = (L.rateCount - 1) / span;
      L.rateCount = 0;
    }
    // Only the rate can have changed after a success: redraw when it did.
    if (span < 1.0 && L.rateCount != 1) return;
  } else {
    L.rateCount = 0;
    L.exchangesPerSecond = 0;
    L.lastFailure = LinkFailureReason(ctx);
    L.lastFailureTime = platform::TimeStr();
  }
  ShowLinkArea(ctx);
}

}  // namespace bx
