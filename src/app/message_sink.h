#pragma once
// The owner of the main panel's status texts: shows what the operations
// below report (status field, message box, pop-ups, progress) and keeps
// each text in the message log, and the log's pane with its View menu item.
#include <string>

#include "ui/types.h"

namespace bx {
struct Context;

// Installs the report hooks and the pop-up observer; called once the
// panels are loaded.
void InstallReportHooks(Context& ctx);
// The progress field's text for ctx.progress; "" when nothing runs.
std::string ProgressText(const Context& ctx, double now);
// Shows or hides the message log's pane (the View menu's tick follows).
void ShowLogPane(Context& ctx, bool show);
// Writes the log as text to path, replacing the file whole or not at all;
// false with the reason in error.
bool SaveMessageLog(const Context& ctx, const std::string& path, std::string& error);

int CC_MENUview(Context& ctx, const ui::EventArgs& ev);
int CC_PANELlog(Context& ctx, const ui::EventArgs& ev);
int CC_BTNLogCopy(Context& ctx, const ui::EventArgs& ev);
int CC_BTNLogSave(Context& ctx, const ui::EventArgs& ev);
int CC_BTNLogClose(Context& ctx, const ui::EventArgs& ev);
int CC_BTNCancelProgress(Context& ctx, const ui::EventArgs& ev);

}  // namespace bx
