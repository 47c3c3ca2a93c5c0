#include "ui/resource_file.h"

#include <filesystem>

#include "files/atomic_file.h"

namespace bx::ui {

namespace fs = std::filesystem;

bool resolveInclude(const std::string& folder, const std::string& name, std::string& path, std::string& error) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
      name.find('\\') != std::string::npos || name.find('\0') != std::string::npos) {
    error = "bad include name \"" + name + "\"";
    return false;
  }
  std::error_code ec;
  const fs::path base = fs::canonical(folder.empty() ? "." : folder, ec);
  if (ec) {
    error = "cannot find the folder " + folder;
    return false;
  }
  const fs::path real = fs::canonical(base / name, ec);
  if (ec) {
    error = "cannot find " + name;
    return false;
  }
  // canonical() leaves no "..", so a prefix of whole components is enough.
  auto b = base.begin();
  auto r = real.begin();
  for (; b != base.end(); ++b, ++r)
    if (r == real.end() || *r != *b) break;
  if (b != base.end() || r == real.end()) {
    error = name + " lies outside the resource folder";
    return false;
  }
  path = real.string();
  return true;
}

bool readResourceFile(const std::string& path, size_t maxBytes, std::string& out, std::string& error) {
  // Opened without blocking and refused unless a regular file: a FIFO or a
  // device among the resources must not hang the start-up.
  return readWholeFile(path, out, maxBytes, &error);
}

}  // namespace bx::ui
