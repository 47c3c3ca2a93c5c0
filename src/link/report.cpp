#include "link/report.h"

#include <cstdio>
#include <cstring>

#include "context/context.h"
#include "link/exchange.h"
#include "link/port_reason.h"

namespace bx {

// Texts go out in English to the page owner's hooks, which show them in the
// language in force and keep them in the message log.
void ShowStatus(Context& ctx) { ReportStatusText(ctx, ctx.status); }

void ShowStatusText(Context& ctx, std::string_view text) { ReportStatusText(ctx, text); }

void AppendMessageBox(Context& ctx, std::string_view text) { ReportMessageBox(ctx, text); }

void ReportStatus(Context& ctx) { ReportStatusText(ctx, ctx.status, true); }

const char* FailureText(Context& ctx, const char* rs232, const char* tcp) {
  // Until the next connect every operation fails because the adapter was
  // unplugged, and says so rather than blame the line.
  if (ctx.link.adapterRemoved) {
    std::snprintf(ctx.link.failureText, sizeof ctx.link.failureText, "%s",
                  AdapterRemovedText(ctx, ctx.link.removedDevice).c_str());
    return ctx.link.failureText;
  }
  if (!IsTcp(ctx)) return rs232;
  if (tcp != nullptr) return tcp;
  static constexpr const char* kLineForms[] = {"Timeout RS232-Line!", "Timeout-RS-232"};
  static constexpr const char* kTcpForm = "Timeout TCP-Server-error!";
  for (const char* line : kLineForms) {
    const char* at = std::strstr(rs232, line);
    if (at == nullptr) continue;
    const char* rest = at + std::strlen(line);
    // A trailing "..." said that more was to come on the serial line.
    if (std::strcmp(rest, "...") == 0) rest = "";
    auto& buf = ctx.link.failureText;
    std::snprintf(buf, sizeof buf, "%.*s%s%s", static_cast<int>(at - rs232), rs232, kTcpForm, rest);
    return buf;
  }
  return rs232;
}

std::string LinkFailureReason(const Context& ctx) {
  const LinkState& L = ctx.link;
  switch (L.failure) {
    case LinkFailure::None:
    case LinkFailure::Aborted:
    case LinkFailure::Stopped: return {};
    case LinkFailure::Refused:
      return Localized(ctx, "Order refused by the sensor (code %1)", {std::to_string(L.refusalParam)});
    case LinkFailure::BadHeader: return Localized(ctx, "CRC error in the reply header");
    case LinkFailure::BadData: return Localized(ctx, "CRC error in the reply data");
    case LinkFailure::TimedOut:
      switch (L.timeoutSeen) {
        case TimeoutSeen::Nothing: break;
        case TimeoutSeen::PartOfReply: return Localized(ctx, "Short reply: its end never came");
        case TimeoutSeen::WrongLength: return Localized(ctx, "Reply of the wrong length for its order");
        case TimeoutSeen::OtherReplies: return Localized(ctx, "Wrong order: the reply answered another request");
      }
      return Localized(ctx, "No reply: the sensor is silent");
    case LinkFailure::LineError: return Localized(ctx, "Line error: parity, framing or overrun");
    case LinkFailure::Closed:
      if (L.adapterRemoved) return AdapterRemovedText(ctx, L.removedDevice);
      return Localized(ctx, "Connection closed by the other end");
  }
  return {};
}

std::string Localized(const Context& ctx, std::string_view english) { return ctx.app.texts.message(english); }

std::string Localized(const Context& ctx, std::string_view english, std::initializer_list<std::string> args) {
  return ctx.app.texts.format(english, args);
}

}  // namespace bx
