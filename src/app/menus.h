#pragma once
// The menu bar and the language flag.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include <string>

#include "ui/types.h"

namespace bx {
struct Context;

// Text of the About box.
std::string AboutText(const Context& ctx);
// Path of the quick-start manual for the sensor and language in force.
std::string ManualPath(const Context& ctx);
// Opens that manual with the desktop's open action. A missing file or no
// program to show it is said in the status line and a message; false then.
bool OpenManual(Context& ctx);

int CC_MENUapplication(Context& ctx, const ui::EventArgs& ev);
int CC_MENUsettings(Context& ctx, const ui::EventArgs& ev);
int CC_MENUhelp(Context& ctx, const ui::EventArgs& ev);
int CC_PIClanguage(Context& ctx, const ui::EventArgs& ev);

}  // namespace bx
