#pragma once
// quellan-bx-cli convert: a recorder file as CSV, no sensor needed.
namespace bx::cli {

bool IsConvertCommand(const char* name);
const char* ConvertCommandUsage();
int RunConvertCommand(int argc, char** argv);

}  // namespace bx::cli
