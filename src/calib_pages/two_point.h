#pragma once
// The two-point calibration: start a step, accept an object's measured
// pixel coverage, fit the line, discard it or store it in the sensor.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
#include <cstdint>

namespace bx {
struct Context;

constexpr int kEvalModeDistance = 2;

// False, with the pop-up, unless the parameter set evaluates DISTANCE.
bool TwoPointModeAllowed(Context& ctx);
// The sensor's calibration mode on or off: sent now while the link is idle,
// left to the run loop while it runs. START and STOP cancel each other's
// pending request, so the loop sends only the operator's latest. Start:
// true when START was sent now and answered.
bool TwoPointStartCalibration(Context& ctx);
void TwoPointStopCalibration(Context& ctx);
// Step n (1 or 2) ticked: refused with a pop-up, nothing sent, unless the
// parameter set evaluates DISTANCE; otherwise calibration mode is started
// (now or by the run loop). True when the step may go on.
bool TwoPointStartStep(Context& ctx);
// Point n takes the measured pixel value of the last live record and the
// given diameter; the sensor's calibration mode is stopped (now, or by the
// run loop).
void TwoPointAccept(Context& ctx, int n, uint32_t diameterUm);
// Remembers what DISCARD restores.
void TwoPointCapturePrevious(Context& ctx, double slope, int32_t offset);
// Fits through both points, or through the origin and the one accepted.
// False, with a status text and the previous fit kept, when the two points
// have the same pixel value.
bool TwoPointCalc(Context& ctx);
// Stops calibration mode and forgets the points' flags.
void TwoPointDiscard(Context& ctx);
// Slope and offset into the record and to the sensor (save command), now
// or from the run loop's next pass.
void TwoPointWrite(Context& ctx, double slope, int32_t offset);

}  // namespace bx
