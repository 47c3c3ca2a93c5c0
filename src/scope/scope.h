#pragma once
// Arming the sensor's scope and taking its record, and the cycle time the
// time axis is built from.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
namespace bx {
struct Context;

// Arms the sensor with the page's settings, waits (the panels stay live)
// for the streamed record and shows it. Ends on the record, on STOP or a
// tab change (the sensor is disarmed), on the abort flag, or after
// ctx.scope.recordTimeout seconds (disarmed as on STOP). How it ended is in
// ctx.scope.outcome.
void PushSCOPE(Context& ctx);
// Reads the settings, fetches one live record for the cycle time and
// refreshes sample rate, sample period, time axis and cursors. 0 with the
// transport's message in the status line when the live record failed.
int RefreshCYCLE(Context& ctx);
// A waiting scope ends (the wait disarms the sensor) at its next pass.
void StopScope(Context& ctx);

}  // namespace bx
