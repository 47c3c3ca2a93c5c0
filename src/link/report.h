#pragma once
// Showing the status line: in the main panel's status field, and for the
// connection steps also as a line of the connection page's message box.
#include <string_view>

namespace bx {
struct Context;

void ShowStatus(Context& ctx);
void ShowStatusText(Context& ctx, std::string_view text);
// Status field plus "status line + LF" appended to the message box.
void ReportStatus(Context& ctx);
void AppendMessageBox(Context& ctx, std::string_view text);
// Picks the member of an English/German pair by the language in force.
const char* Lang(const Context& ctx, const char* en, const char* de);

}  // namespace bx
