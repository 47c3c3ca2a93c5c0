#pragma once
// The SCOPE page's callbacks, and the hooks by which RUN and the bring-up
// reach the scope.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include <cstddef>
#include <string>
#include <vector>

#include "ui/ui.h"

namespace bx {
struct Context;

int CC_PICBTNPrintScope(Context& ctx, const ui::EventArgs& ev);
int CC_EditScopeComment(Context& ctx, const ui::EventArgs& ev);
int CC_DROPtriggmode(Context& ctx, const ui::EventArgs& ev);
int CC_SLIDEpretrigger(Context& ctx, const ui::EventArgs& ev);
int CC_SLIDEtrigglevel(Context& ctx, const ui::EventArgs& ev);
int CC_PICrefresh(Context& ctx, const ui::EventArgs& ev);
int CC_NUMscanRate(Context& ctx, const ui::EventArgs& ev);
int CC_GRAPHScope(Context& ctx, const ui::EventArgs& ev);
int CC_DISPDeltaY(Context& ctx, const ui::EventArgs& ev);
int CC_DISPDeltaX(Context& ctx, const ui::EventArgs& ev);

const ui::CallbackEntry* ScopeCallbacks(size_t& count);

// Finds the page's controls, undims them, sets up axes and cursors and
// installs the hooks. False when the resource lacks the page or one of its
// controls (each one named in missing).
bool InstallScope(Context& ctx, std::vector<std::string>& missing);
// Whether the main tab shows the scope page.
bool ScopePageShowing(const Context& ctx);
// The main tab's change: entering the scope page stops a running loop and
// places the marker; leaving it stops a waiting scope.
void ScopeTabChanged(Context& ctx);

}  // namespace bx
