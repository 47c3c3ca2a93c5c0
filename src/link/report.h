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
// The failure text of an operation for the transport in use: rs232 exactly
// as written on RS-232; on TCP the tcp text when given, else rs232 with the
// line it names replaced by the TCP server ("Timeout RS232-Line!" and
// "Timeout-RS-232" become "Timeout TCP-Server-error!"). After the serial
// adapter was unplugged: its removal, by name.
const char* FailureText(Context& ctx, const char* rs232, const char* tcp = nullptr);
// Picks the member of an English/German pair by the language in force.
const char* Lang(const Context& ctx, const char* en, const char* de);

}  // namespace bx
