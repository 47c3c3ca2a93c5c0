#pragma once
// Bringing the application context up: panels from the resource, callbacks,
// control references and start values.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
#include <string>

namespace bx {
struct Context;

// Loads the panel resource into ctx.ui, binds the callbacks and resolves
// the control references. False with a reason when the resource is missing,
// broken, or lacks a control the core needs.
bool LoadPanels(Context& ctx, const std::string& resourcePath, std::string& error);
// Start values of every program-wide record.
void InitVars(Context& ctx);
// Directory of the running executable (the project directory).
std::string ExecutableDir();
// The panel resource's file name.
inline constexpr const char* kResourceFile = "Quellan-BX-ScopeV55.uir";

}  // namespace bx
