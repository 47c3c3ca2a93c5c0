#pragma once
// The teach-table editor's context menu and its clear button.
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
