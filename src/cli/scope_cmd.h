#pragma once
// quellan-bx-cli scope: arms the sensor's scope as the SCOPE page does and
// writes its record as a TAB-separated file (and the print-out as a PDF).
#include <string>

namespace bx {
struct Context;
}

namespace bx::cli {

bool IsScopeCommand(const char* name);
const char* ScopeCommandUsage();
int RunScopeCommand(int argc, char** argv);
// The record on show: a header line and one row per sample.
std::string ScopeRecordTsv(const Context& ctx);

}  // namespace bx::cli
