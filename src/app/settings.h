#pragma once
// The application settings file applied to and taken from the panels.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
#include <string>

namespace bx {
struct Context;

// Reads the settings file and applies it: connection values (into the link
// and the connection page), the IP address list, the main panel's
// placement, the mm/pixel and MAX/MIN states and the language (language
// file, flag, menu ticks). A missing or unreadable file leaves the start
// values. The language file is loaded in every case, as the help texts
// come from it.
void ReadIniFile(Context& ctx, const std::string& path);

// Takes the connection values from the connection page and writes the
// settings file, replacing the old one atomically. Returns 0, or -1 when
// it could not be written: the status line then says so and the old file
// stays as it was.
int WriteIniFile(Context& ctx, const std::string& path);

}  // namespace bx
