#include "context/scope_hooks.h"

#include "context/context.h"

namespace bx {

void RefreshScopeCycle(Context& ctx) {
  if (ctx.scopeHooks.refreshCycle) ctx.scopeHooks.refreshCycle(ctx);
}

void RedrawScope(Context& ctx) {
  if (ctx.scopeHooks.redraw) ctx.scopeHooks.redraw(ctx);
}

}  // namespace bx
