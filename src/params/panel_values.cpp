#include "params/panel_values.h"

#include "context/context.h"

namespace bx {

// Interim: the editing pages arrive with the parameter work.
void SetPanelValues(Context& ctx) { (void)ctx; }
void GetPanelValues(Context& ctx) { (void)ctx; }

void ShowVideoView(Context& ctx) {
  ctx.ui.setActivePage(ctx.refs.main.tab, 0);
  ctx.live.graphSwitch = 1;
}

}  // namespace bx
