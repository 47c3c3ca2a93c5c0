#pragma once
#include <string>
// The hardware info file: a service snapshot of the connected sensor.
#include "ui/types.h"

namespace bx {
struct Context;

// Fetches the 512-byte hardware information block, asks for the file and
// writes it. 1 written, 0 cancelled, -1 transfer or write failed.
// fileError, when given, receives why the file could not be written.
int GenerateHardwareInfoFile(Context& ctx, std::string* fileError = nullptr);
int CC_CBTNGenerateHWInfoFile(Context& ctx, const ui::EventArgs& ev);

}  // namespace bx
