#pragma once
// The compare window: two parameter sets side by side, field by field, and
// the chosen side's values taken into the pages (sent only by SEND).
#include "ui/types.h"

namespace bx {
struct Context;

// Application - Compare ...: shows the window.
void OpenCompareWindow(Context& ctx);
// Fills the table again from the sides last compared, in the unit in force.
void RefreshCompareWindow(Context& ctx);
// Compares the two sides chosen in the window. 1 compared, -1 a side could
// not be read (the reason in the window and the status line).
int CompareChosenSides(Context& ctx);
// Takes the chosen side's values of the selected table rows into the page
// fields; left: the left side. How many fields were taken.
int TakeCompareRows(Context& ctx, bool left);

int CC_PANELcompare(Context& ctx, const ui::EventArgs& ev);
int CC_RINGcompareSource(Context& ctx, const ui::EventArgs& ev);
int CC_BTNcompareFile(Context& ctx, const ui::EventArgs& ev);
int CC_BTNcompare(Context& ctx, const ui::EventArgs& ev);
int CC_BINSWcompareOnlyDiff(Context& ctx, const ui::EventArgs& ev);
int CC_BTNcompareTake(Context& ctx, const ui::EventArgs& ev);
int CC_TableCompare(Context& ctx, const ui::EventArgs& ev);

}  // namespace bx
