#pragma once
// quellan-bx-cli adjust: reads the sensor's adjustment record once and
// prints it field by field as the adjustment panel shows it.
#include <string>

namespace bx::cli {

bool IsAdjustCommand(const std::string& command);
// argv[1] is "adjust". 0 on success, 1 on failure, 2 on a usage error.
int RunAdjustCommand(int argc, char** argv, const std::string& resourceDir = "");
const char* AdjustCommandUsage();

}  // namespace bx::cli
