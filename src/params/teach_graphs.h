#pragma once
// What the parameter and teach functions draw: the teach bar of a row in
// the teach video graph and the range bar. Only the model of the graphs is
// filled (plots and cursors); the front-end draws it.
namespace bx {
struct Context;
namespace liverec {
struct LiveValues;
}

// Teach bar of a teach row (0..3) with its edge cursors, plus the stored
// video frame and threshold curve.
void PlotTeachRowGraph(Context& ctx, int row);
// Range bar: evaluation range, set value and tolerance band of a row, in
// the unit in force (begin and end as shown). While the run loop runs the
// band sits on the set value the sensor reports: from `live` (the cycle's
// values) when given, else from the live record.
void RefreshRangeGraph(Context& ctx, double begin, double end, int row,
                       const liverec::LiveValues* live = nullptr);
// Narrowest measuring range in the display unit.
double MinRangeWidth(const Context& ctx);
// Limits a measuring range to the line in the display unit.
void ClampRange(const Context& ctx, double& begin, double& end);
// Vertical trigger line of the teach graph at a pixel position; hidden
// when pixel < 0.
void PlotTeachTriggerLine(Context& ctx, int pixel);

}  // namespace bx
