#pragma once
// Live mode: the loop that polls the sensor while RUN is on, and the RUN and
// STOP buttons.
//
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include <cstddef>

#include "ui/ui.h"

namespace bx {
struct Context;

// What a front-end without a panel wants to know of each cycle: the cycle's
// data once it is fetched and shown (triggered: a triggered frame was
// fetched), and the failure text of an exchange that ends the loop, before
// the stop text replaces it in the status line, or of a triggered fetch that
// failed (its record is lost; the loop ends as a stop).
struct RunObserver {
  void* user = nullptr;
  void (*cycleDone)(Context& ctx, void* user, bool triggered) = nullptr;
  void (*failed)(Context& ctx, void* user, const char* text) = nullptr;
};

// Runs the loop until it ends (STOP, a stop request, the abort flag or the
// first failed exchange); returns after PushSTOP. Does nothing while another
// operation holds the link.
void PushRUN(Context& ctx, const RunObserver* observer = nullptr);
// Ends live mode and restores the controls and the status line.
void PushSTOP(Context& ctx);

int CC_BTNRun(Context& ctx, const ui::EventArgs& ev);
int CC_BTNStop(Context& ctx, const ui::EventArgs& ev);

// The callbacks of the live mode's controls.
const ui::CallbackEntry* RunLoopCallbacks(size_t& count);

}  // namespace bx
