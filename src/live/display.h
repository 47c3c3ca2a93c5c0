#pragma once
// Drawing the video profile into the video graph.
namespace bx {
struct Context;

// Redraws the measurement video graph: the profile against the sample
// positions of the unit in force and the threshold curve.
void PlotVIDEOCurve(Context& ctx, int row);

}  // namespace bx
