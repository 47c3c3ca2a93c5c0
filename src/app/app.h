#pragma once
// Bringing the whole tool up and down: panels, start values, settings,
// language, the stored link, control set-up; at the end the link closed.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
#include <string>

#include "app/paths.h"
#include "app/settings.h"
#include "app/startup.h"

namespace bx {
struct Context;

struct StartOptions {
  // Open and bring up the link named by the settings. Off only where no
  // device may be touched (tests without a sensor).
  bool openLink = true;
  // The account's folders; null: those of the running process.
  const platform::UserDirs* userDirs = nullptr;
};

// Start-up in the product's order. projectDir is the executable's folder:
// the panel resource and the language files are found there or in the
// installed data folder beside it, and the settings file is kept there or
// in the user's configuration folder (LocateAppPaths). ctx.ui.frontend should be set
// before, so start-up messages reach the operator. Returns 0, or -1 with the
// reason in error when the panel resource is missing or broken (nothing has
// been shown then).
int AppStartup(Context& ctx, std::string& error, const std::string& projectDir = ExecutableDir(),
               const StartOptions& options = {});

// Control set-up after the link: connection form, menu availability, unit.
void InitGUI(Context& ctx);

// The teach table's right-click menu: help, "Set selection to ...",
// "Reset selection", labelled in the language in force.
void SetTeachTableMenu(Context& ctx);

// After the user-interface loop: closes the link. The panel model stays
// with the context, which releases it, so a front-end may still read it.
void AppShutdown(Context& ctx);

}  // namespace bx
