#include "platform/user_dirs.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace bx::platform {

namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

bool isDirectory(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string accountHome() {
  if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

}  // namespace

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

UserDirs CurrentUserDirs() {
  UserDirs d;
  d.home = env("HOME");
  if (d.home.empty() || d.home.front() != '/') d.home = accountHome();
  d.configHome = env("XDG_CONFIG_HOME");
  // A relative value is invalid by the convention and is ignored.
  if (d.configHome.empty() || d.configHome.front() != '/')
    d.configHome = d.home + (d.home.back() == '/' ? ".config" : "/.config");
  d.documents = d.home;
  std::ifstream in(d.configHome + "/user-dirs.dirs");
  if (in) {
    std::ostringstream text;
    text << in.rdbuf();
    const std::string docs = DocumentsDirFromUserDirs(text.str(), d.home);
    if (DirectoryWritable(docs)) d.documents = docs;
  }
  return d;
}

bool DirectoryWritable(const std::string& dir) {
  return isDirectory(dir) && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

}  // namespace bx::platform
