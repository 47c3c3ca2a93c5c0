#pragma once
// Drawing the video profile into the video graph.
namespace bx {
struct Context;

// Redraws the measurement video graph: the profile against the sample
// positions of the unit in force and the threshold curve.
void DrawVideoCurve(Context& ctx, int row);

// Hands the live displays to the operations below that trigger them.
void InstallLiveDisplays(Context& ctx);

}  // namespace bx
