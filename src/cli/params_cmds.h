#pragma once
// The parameter commands of quellan-bx-cli: get, send, hwinfo.
#include <string>

namespace bx::cli {

// True for the command words this file serves.
bool IsParamCommand(const std::string& command);

// argv[1] is the command word. Prints the connection lines, pop-ups and a
// final "status: TEXT" line like identify. Returns 0 on success, 1 on
// failure, 2 on a usage error. resourceDir holds the panel resource; empty
// means where the executable finds it (FindResourceDir).
int RunParamCommand(int argc, char** argv, const std::string& resourceDir = "");

// Usage lines of the three commands, for the tool's --help.
const char* ParamCommandsUsage();

}  // namespace bx::cli
