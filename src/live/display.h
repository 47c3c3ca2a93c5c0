#pragma once
// Drawing the video profile into the video graph.
#include <array>
#include <cstddef>
#include <cstdint>

namespace bx {
struct Context;

// Redraws the measurement video graph: the profile against the sample
// positions of the unit in force and the threshold curve.
void DrawVideoCurve(Context& ctx, int row);
// One frame into the video graph (page 0, display unit) or the teach video
// graph (page 3, pixels): profile, threshold curve of the mode in force,
// shading outside the measuring range, dirt curve and trigger line.
// videoPeak: the live record's peak, which the automatic threshold follows.
// Returns the number of plots it drew; the plots after them are left for the
// edge markers that follow.
size_t DrawVideoFrame(Context& ctx, int page, const std::array<uint16_t, 256>& samples, int videoPeak);

// Hands the live displays to the operations below that trigger them.
void InstallLiveDisplays(Context& ctx);

}  // namespace bx
