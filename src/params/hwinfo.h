#pragma once
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
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
