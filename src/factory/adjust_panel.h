#pragma once
// The potentiometer adjustment panel: loaded with the application, shown
// from Help - Trimm; while shown, the run loop exchanges one adjustment
// record per cycle through the loop hooks the panel installs.
//
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include <cstddef>

#include "ui/ui.h"

namespace bx {
struct Context;

// Finds the adjustment panel, its three pages and its print panel in the
// loaded resource, resolves their controls and binds their callbacks. 0, or
// -1 (nothing kept): without the panels, or when a page lacks a control
// (each one named in missing).
int i2cadjust_init(Context& ctx, std::vector<std::string>& missing);
inline int i2cadjust_init(Context& ctx) {
  std::vector<std::string> missing;
  return i2cadjust_init(ctx, missing);
}
// on: shows the panel, sets the active flag and installs the loop hooks;
// off: hides both panels, clears the flag and the hooks. -1 if not loaded.
int i2cadjust_activate(Context& ctx, bool on);
// Forgets both panels (they go with the resource).
void i2cadjust_cleanup(Context& ctx);
// Reads the record without sending, keeps its mode word and shows it all.
// 0, or -1 with the panel unchanged.
int i2cadjust_preload(Context& ctx);
// One exchange of the run loop. 0, or -1 with the panel unchanged.
int i2cadjust_single_iter(Context& ctx);

int CC_I2CADJPNL(Context& ctx, const ui::EventArgs& ev);
int CC_I2CADJPRNT(Context& ctx, const ui::EventArgs& ev);
int CC_TOGB_MODE_SEL(Context& ctx, const ui::EventArgs& ev);
int CC_MENUTrimm(Context& ctx, const ui::EventArgs& ev);

const ui::CallbackEntry* FactoryCallbacks(size_t& count);

}  // namespace bx
