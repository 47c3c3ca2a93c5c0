#pragma once
// What the run loop and the bring-up below it must trigger in the scope:
// RUN starts the scope while its page shows, and a finished bring-up
// refreshes its cycle display. The scope installs them when the panels are
// loaded, so no lower folder includes scope/.
namespace bx {
struct Context;

struct ScopeHooks {
  // Runs the scope instead of the run loop; false when the scope page is
  // not showing (the run loop starts as usual).
  bool (*runInstead)(Context& ctx) = nullptr;
  void (*refreshCycle)(Context& ctx) = nullptr;
  // Axes, captions and the record on show in the unit and language in force.
  void (*redraw)(Context& ctx) = nullptr;
};

// The scope's cycle display after a bring-up; nothing without a scope.
void RefreshScopeCycle(Context& ctx);
// The scope's graphs after a unit or language switch; nothing without a scope.
void RedrawScope(Context& ctx);

}  // namespace bx
