#pragma once
// What the SCOPE page shows: the record as values with limits and five
// digital traces, the time axis from the sample period, the cursors'
// differences and the trigger-level marker. Draws into the panel model only.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
#include <string>
#include <vector>
#include "wire/scope_record.h"

namespace bx {
struct Context;

// Finds the SCOPE page's controls once; false when the resource lacks any
// (each one named in missing).
bool ResolveScopeRefs(Context& ctx, std::vector<std::string>& missing);
// The four settings as the page holds them.
scoperec::Settings ReadScopeSettings(Context& ctx);

// Time axis of both graphs for the sample period T [ms]: milliseconds below
// 8 ms, seconds from 8 ms on.
void SetScopeTimeAxis(Context& ctx, double periodMs);
// Value axis for the unit in force.
void PrepareScopeAxes(Context& ctx);
// The trigger-level marker (value graph cursor 3) for the level in percent.
void PlaceTriggerMarker(Context& ctx, int levelPercent);
// Cursor differences, the digital graph's cursors and the marker.
void calcScopDeltaXY(Context& ctx);
// The record in ctx.scope.samples into both graphs.
void PlotScopeRecord(Context& ctx);

// The program whose limits the record is drawn against.
int ScopeProgram(const Context& ctx, uint32_t firstSample);
// Where the marker stands for a level, in the unit in force.
double TriggerMarkerPosition(const Context& ctx, int levelPercent);

// Height of digital line k in the digital graph: the five lines stacked
// one above the other, 2k when clear and 2k + 1 when set.
inline double digitalTraceY(int k, bool set) { return 2.0 * k + (set ? 1.0 : 0.0); }

}  // namespace bx
