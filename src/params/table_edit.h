#pragma once
// The teach-table editor's context menu and its clear button.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include "ui/types.h"

namespace bx {
struct Context;

// Asks for a value and writes it into every selected cell. 1 written.
int GridSetSelectionTo(Context& ctx);
// Writes each selected cell's column default back into it.
int GridResetSelection(Context& ctx);
// Asks, then resets the whole teach table to its defaults. 1 reset.
int ClearTeachTable(Context& ctx);

int CC_GRIDSetSelectionTo(Context& ctx, const ui::EventArgs& ev);
int CC_GRIDResetSelection(Context& ctx, const ui::EventArgs& ev);
int CC_PICBTNclearTable(Context& ctx, const ui::EventArgs& ev);

}  // namespace bx
