#pragma once
// Right-click help: the help panel shows a control's help text of the
// language in force next to the control.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include <string>

#include "ui/frontend.h"
#include "ui/types.h"

namespace bx {
struct Context;
struct LanguageData;

// Shows the help text of the control named by ev (panel and control) in the
// help panel beside it. False when the control has no help text. Any
// callback may call it on EVENT_RIGHT_CLICK; calling it twice is harmless.
bool ShowHelp(Context& ctx, const ui::EventArgs& ev);
void HideHelp(Context& ctx);

// The tooltip of a help text: its heading line (without the colon) and
// the hint that F1 shows the whole text, both in the language of texts.
// Empty for an empty help text.
std::string HelpTooltip(const LanguageData& texts, const std::string& help);
// Every control with a help text gets its tooltip in the language in
// force; the others none.
void ApplyHelpTooltips(Context& ctx);

// Where a w x h panel goes beside a control: right of it, else left, else
// below, else above, always fully inside the screen area.
ui::Rect PlaceBeside(const ui::Rect& control, int w, int h, const ui::Rect& screen);

// Puts the help wrapper in front of every control's callback, so that every
// right click shows help whatever the control's own callback does. The
// wrapped callback still receives every event.
void WrapHelpCallbacks(Context& ctx);

// The wrapper: help on a right click, then the control's own callback.
int CC_Help(Context& ctx, const ui::EventArgs& ev);
// Help panel events: a click, focus loss or close (Escape, a click
// elsewhere) hides it.
int CC_PANELpopup(Context& ctx, const ui::EventArgs& ev);

}  // namespace bx
