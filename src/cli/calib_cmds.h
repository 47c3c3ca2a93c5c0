#pragma once
// The calibration commands of quellan-bx-cli: calib read|fit|save|write-lookup.
#include <string>

namespace bx::cli {

bool IsCalibCommand(const std::string& command);

// argv[1] is "calib", argv[2] the sub-command. Prints NAME<TAB>VALUE lines
// and a final "status: TEXT" line. 0 on success, 1 on failure, 2 on a usage
// error.
int RunCalibCommand(int argc, char** argv, const std::string& resourceDir = "");

const char* CalibCommandsUsage();

}  // namespace bx::cli
