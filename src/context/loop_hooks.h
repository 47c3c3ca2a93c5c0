#pragma once
// Steps that panels above the run loop add to it: the potentiometer
// adjustment prepares itself when a run starts and exchanges its record once
// per cycle after the video display. The panel installs them while it is
// shown and clears them when it closes; the loop calls whatever is set,
// with the cycle's frame like every other display of the cycle.
namespace bx {
struct Context;
struct LiveFrame;

struct LoopHooks {
  void (*runStarting)(Context& ctx) = nullptr;
  void (*cycleAfterVideo)(Context& ctx, const LiveFrame& frame) = nullptr;
};

}  // namespace bx
