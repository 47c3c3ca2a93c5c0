#pragma once
// Teach-in: the sensor measures the present object and adopts the result as
// the set-point of one teach row; plus the fields and the editor that feed it.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include "ui/types.h"

namespace bx {
struct Context;

// Teaches one row (0..3; larger values teach row 3). 0 when the exchange
// succeeded, whatever the result code; -1 on a failed exchange.
int PushTEACH(Context& ctx, int row);
// The video refresh after a teach or edge refresh (PushRefreshDATA), and on
// failure the connection page brought forward with the status line and the
// message field in red. 1 or -1, as PushRefreshDATA.
int RefreshTeachVideo(Context& ctx, int row);
// Text of a failed teach's result code, "" for success.
const char* TeachResultText(int code);

int CC_ButtonTeachMain(Context& ctx, const ui::EventArgs& ev);
int CC_ButtonTeach(Context& ctx, const ui::EventArgs& ev);
int CC_BTNRefreshEdgeBuf(Context& ctx, const ui::EventArgs& ev);
int CC_TableTeach1(Context& ctx, const ui::EventArgs& ev);
int CC_NEDITTeach(Context& ctx, const ui::EventArgs& ev);
int CC_NEDITToleranceUP(Context& ctx, const ui::EventArgs& ev);
int CC_NEDITToleranceLO(Context& ctx, const ui::EventArgs& ev);
int CC_NEDITRangeBeg(Context& ctx, const ui::EventArgs& ev);
int CC_NEDITRangeEnd(Context& ctx, const ui::EventArgs& ev);
int CC_DROPTrigMode(Context& ctx, const ui::EventArgs& ev);

}  // namespace bx
