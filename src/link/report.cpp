#include "link/report.h"

#include "context/context.h"

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

const char* Lang(const Context& ctx, const char* en, const char* de) { return ctx.app.language == 1 ? de : en; }

}  // namespace bx
