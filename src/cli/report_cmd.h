#pragma once
// quellan-bx-cli report: the service report of the connected sensor as a
// PDF file, through the same core as the desktop tool's "Service report ...".
#include <string>

namespace bx::cli {

bool IsReportCommand(const char* name);
const char* ReportCommandUsage();
int RunReportCommand(int argc, char** argv);
// The language index a report follows: the first of LC_ALL, LC_MESSAGES
// and LANG that is set and not empty; German for "de..." , else English.
int ReportLanguage(const char* lcAll, const char* lcMessages, const char* lang);

}  // namespace bx::cli
