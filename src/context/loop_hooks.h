#pragma once
// Steps that panels above the run loop add to it: the potentiometer
// adjustment prepares itself when a run starts and exchanges its record once
// per cycle after the video display. The panel installs them while it is
// shown and clears them when it closes; the loop calls whatever is set.
namespace bx {
struct Context;

struct LoopHooks {
  void (*runStarting)(Context& ctx) = nullptr;
  void (*cycleAfterVideo)(Context& ctx) = nullptr;
};

}  // namespace bx
