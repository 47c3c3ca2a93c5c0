#pragma once
// The main panel: close and layout events, tab changes, the test button,
// the logo and title texts, accepting the connection settings, and leaving
// the tool.
//
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include "ui/types.h"

namespace bx {
struct Context;

// Stops what runs, writes the settings file, lets pending events pass,
// empties the serial queues and ends the user-interface loop. A second
// call while leaving does nothing.
void ExitApplication(Context& ctx);
// Before the tool is left or another parameter file replaces the records:
// a running recording (stop it, or stay) and unsent changes (save, send,
// discard, or stay) are asked about. True when the caller may go on.
bool AskBeforeLeaving(Context& ctx);
// Logo picture and the title and version texts.
void ShowLogo(Context& ctx);
// Main panel back to 680 x 1000, centred on the screen.
void ResetMainPanelPlacement(Context& ctx);

int CC_PANEL(Context& ctx, const ui::EventArgs& ev);
int CC_TABmain(Context& ctx, const ui::EventArgs& ev);
int CC_TABGselect(Context& ctx, const ui::EventArgs& ev);
int CC_ButtonTest(Context& ctx, const ui::EventArgs& ev);
int CC_BINSWtest(Context& ctx, const ui::EventArgs& ev);
// RESET of the maximum/minimum display.
int CC_ButtonReset(Context& ctx, const ui::EventArgs& ev);
int CC_CBTNAcceptComSetting(Context& ctx, const ui::EventArgs& ev);

}  // namespace bx
