#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/file_info.h"

namespace bx::platform {

PathFacts FactsOf(const std::string& path) {
  PathFacts f;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return f;
  f.exists = true;
  f.folder = S_ISDIR(st.st_mode);
  f.regular = S_ISREG(st.st_mode);
  f.size = f.regular ? static_cast<int64_t>(st.st_size) : 0;
  return f;
}

bool EntryExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool IsSymbolicLink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool SameExistingFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string CanonicalFolder(const std::string& dir) {
  char* real = ::realpath(dir.c_str(), nullptr);
  std::string out = real ? std::string(real) : dir;
  std::free(real);
  return out;
}

bool RemoveFile(const std::string& path, std::string& why) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  why = std::strerror(errno);
  return false;
}

}  // namespace bx::platform
