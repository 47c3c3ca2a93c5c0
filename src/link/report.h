#pragma once
// Reporting the status line: in the main panel's status field, and for the
// connection steps also as a line of the connection page's message box.
// The texts go through the context's report hooks (context/report_hooks.h);
// nothing here touches a control.
#include <initializer_list>
#include <string>
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
// Why the last exchange failed, for the service line, in the language in
// force: a damaged reply (CRC), a wrong order, a short reply, silence, a
// line error, a closed connection or a removed adapter, a refusal; "" when
// it succeeded.
std::string LinkFailureReason(const Context& ctx);

// A text the operator sees, in the language in force. Texts are written in
// English; the language file's [MESSAGES] section gives them in its
// language (line by line), and a text it lacks stays English.
std::string Localized(const Context& ctx, std::string_view english);
// The same for a template: %1 ... %9 take the arguments after translation.
std::string Localized(const Context& ctx, std::string_view english, std::initializer_list<std::string> args);

}  // namespace bx
