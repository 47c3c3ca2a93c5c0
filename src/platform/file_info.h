#pragma once
// Facts about paths that the tool checks before it writes or reads: what is
// there, whether two names reach one file, and removing a file.
#include <cstdint>
#include <string>

namespace bx::platform {

// What a path reaches, links followed.
struct PathFacts {
  bool exists = false;
  bool folder = false;
  bool regular = false;  // a plain file (not a folder, device, FIFO, socket)
  int64_t size = 0;      // of a regular file
};
PathFacts FactsOf(const std::string& path);

// Whether anything has this name, a link to nothing included.
bool EntryExists(const std::string& path);
// Whether the name itself is a symbolic link (a reparse point on Windows).
bool IsSymbolicLink(const std::string& path);

// Both names exist and reach the same file.
bool SameExistingFile(const std::string& a, const std::string& b);
// The folder's absolute path with links resolved; dir itself when it
// cannot be resolved.
std::string CanonicalFolder(const std::string& dir);

// Removes a file; true when it is gone (also when it was never there),
// false with the system's reason.
bool RemoveFile(const std::string& path, std::string& why);

}  // namespace bx::platform
