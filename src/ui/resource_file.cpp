#include "ui/resource_file.h"

#include <filesystem>
#include <fstream>

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
  out.clear();
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    error = "cannot open " + path;
    return false;
  }
  const auto size = fs::file_size(path, ec);
  if (ec || size > maxBytes) {
    error = ec ? "cannot read " + path : path + " is too large";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  out.reserve(static_cast<size_t>(size));
  char chunk[8192];
  // The file may grow while it is read: the cap holds for what is read.
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    out.append(chunk, static_cast<size_t>(in.gcount()));
    if (out.size() > maxBytes) {
      out.clear();
      error = path + " is too large";
      return false;
    }
  }
  if (in.bad()) {
    out.clear();
    error = "cannot read " + path;
    return false;
  }
  return true;
}

}  // namespace bx::ui
