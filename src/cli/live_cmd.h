#pragma once
// quellan-bx-cli live: the run loop headless, one line per cycle.
namespace bx::cli {

bool IsLiveCommand(const char* name);
const char* LiveCommandUsage();
int RunLiveCommand(int argc, char** argv);

}  // namespace bx::cli
