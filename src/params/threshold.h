#pragma once
// The video-threshold profile that the sensor tracks in TRACK mode.
namespace bx {
struct Context;

// Order 9 with frame parameter 1: the 256 values become the threshold
// profile. 1 on success, -1 on a failed exchange (status line set).
int FetchThresholdProfile(Context& ctx);

}  // namespace bx
