#pragma once
// Callbacks of the two-point and distance calibration pages. Both pages
// work on the same points, slope and offset: a position accepted on the
// distance page is point 1, CALC, DISCARD and WRITE act on the data of
// both, and slope and offset are shown on both pages alike.
//
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include <cstdint>

#include "ui/ui.h"

namespace bx {

enum class CalibPage : uint8_t { TwoPoint, Distance };

int CC_CheckStep1(Context& ctx, const ui::EventArgs& ev);
int CC_CheckStep2(Context& ctx, const ui::EventArgs& ev);
int CC_ButtonAcceptObject1(Context& ctx, const ui::EventArgs& ev);
int CC_ButtonAcceptObject2(Context& ctx, const ui::EventArgs& ev);
int CC_ButtonCALC(Context& ctx, const ui::EventArgs& ev);
int CC_ButtonDISCARD(Context& ctx, const ui::EventArgs& ev);
int CC_WriteXFCALIB(Context& ctx, const ui::EventArgs& ev);
int CC_CheckDistance1(Context& ctx, const ui::EventArgs& ev);
int CC_CheckDistance2(Context& ctx, const ui::EventArgs& ev);
// Slope and offset fields: their help is all they answer.
int CC_NUMslope(Context& ctx, const ui::EventArgs& ev);
int CC_NUMoffset(Context& ctx, const ui::EventArgs& ev);

// Shows guide text (and on the distance page picture) of a step: 0 the
// general one, 1 or 2 that of the first or second box.
void ShowCalibStep(Context& ctx, CalibPage page, int step);

}  // namespace bx
