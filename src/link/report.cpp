#include "link/report.h"

#include <cstdio>
#include <cstring>

#include "context/context.h"
#include "link/exchange.h"
#include "link/port_reason.h"

namespace bx {

// Messages are written in English; the language file in force gives them
// in its language.
void ShowStatus(Context& ctx) { ctx.ui.setText(ctx.refs.main.status, ctx.app.texts.message(ctx.status)); }

void ShowStatusText(Context& ctx, std::string_view text) {
  ctx.ui.setText(ctx.refs.main.status, ctx.app.texts.message(text));
}

void AppendMessageBox(Context& ctx, std::string_view text) {
  ctx.ui.appendText(ctx.refs.conn.msgBox, ctx.app.texts.message(text));
}

void ReportStatus(Context& ctx) {
  ShowStatus(ctx);
  std::string line = ctx.status;
  line += '\n';
  AppendMessageBox(ctx, line);
}

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

const char* Lang(const Context& ctx, const char* en, const char* de) { return ctx.app.language == 1 ? de : en; }

}  // namespace bx
