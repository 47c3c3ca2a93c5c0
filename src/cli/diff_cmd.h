#pragma once
// quellan-bx-cli diff: two parameter sets compared field by field.
#include <string>

namespace bx::cli {

bool IsDiffCommand(const std::string& command);
// argv[1] is "diff". Prints the header line, one line per differing field
// and "status: N differences"; 0 equal, 3 different, 1 a connection or file
// failure, 2 a usage error. resourceDir as RunParamCommand.
int RunDiffCommand(int argc, char** argv, const std::string& resourceDir = "");
const char* DiffCommandUsage();

}  // namespace bx::cli
