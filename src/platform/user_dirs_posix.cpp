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

UserDirs CurrentUserDirs() {
  UserDirs d;
  d.home = env("HOME");
  if (d.home.empty() || d.home.front() != '/') d.home = accountHome();
  d.configHome = env("XDG_CONFIG_HOME");
  // A relative value is invalid by the convention and is ignored.
  if (d.configHome.empty() || d.configHome.front() != '/')
    d.configHome = d.home + (d.home.back() == '/' ? ".config" : "/.config");
  d.dataHome = env("XDG_DATA_HOME");
  if (d.dataHome.empty() || d.dataHome.front() != '/')
    d.dataHome = d.home + (d.home.back() == '/' ? ".local/share" : "/.local/share");
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

std::string ProgramDir() {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  buf[n] = '\0';
  const std::string p(buf);
  const size_t slash = p.rfind('/');
  return slash == std::string::npos ? "." : p.substr(0, slash);
}

}  // namespace bx::platform
