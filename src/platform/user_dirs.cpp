#include "platform/user_dirs.h"

#include <sstream>

namespace bx::platform {

std::string DocumentsDirFromUserDirs(const std::string& text, const std::string& home) {
  std::istringstream in(text);
  std::string line;
  std::string found;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, 18, "XDG_DOCUMENTS_DIR=") != 0) continue;
    std::string value = line.substr(start + 18);
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
    value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/'))
      value = home + value.substr(5);
    else if (value.empty() || value.front() != '/')
      continue;
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    std::string h = home;
    while (h.size() > 1 && h.back() == '/') h.pop_back();
    // The last line wins, as with any shell assignment.
    found = value == h ? std::string() : value;
  }
  return found;
}

}  // namespace bx::platform
