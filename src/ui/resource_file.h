#pragma once
// Reading the files of the resource folder (panel resource, its pages, the
// language files): bounded in size and confined to that folder.
#include <cstddef>
#include <string>

namespace bx::ui {

// The path of the file an "include NAME" line names: NAME must be a plain
// file name, and where it really lies (links followed) must be inside the
// real folder. False, with the reason, otherwise.
bool resolveInclude(const std::string& folder, const std::string& name, std::string& path, std::string& error);

// Reads a regular file of at most maxBytes bytes. False (out cleared, the
// reason in error) for anything else: missing, a folder, a device or FIFO
// (never opened, so it cannot hang), or too large.
bool readResourceFile(const std::string& path, size_t maxBytes, std::string& out, std::string& error);

}  // namespace bx::ui
