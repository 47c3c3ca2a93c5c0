#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace bx {
namespace {

void setError(std::string* error, const std::string& what, const std::string& path, int err) {
  if (!error) return;
  *error = what + " \"" + path + "\"";
  if (err != 0) *error += std::string(": ") + std::strerror(err);
}

std::string directoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The file a save really replaces: a symbolic link is followed to its final
// target (which need not exist yet), so the link itself stays in place.
bool resolveLinks(const std::string& path, std::string& target) {
  target = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    char buf[4096];
    ssize_t n = ::readlink(target.c_str(), buf, sizeof buf);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buf) {
      if (n > 0) errno = ENAMETOOLONG;
      return false;
    }
    std::string next(buf, static_cast<size_t>(n));
    target = next.front() == '/' ? next : directoryOf(target) + "/" + next;
  }
  errno = ELOOP;
  return false;
}

// Creates a new, unique file beside path. Mode 0666 lets the umask decide,
// as for any file the tool creates.
int createTemp(const std::string& path, std::string& tempPath) {
  auto seed = static_cast<unsigned long>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = path + ".tmp" + std::to_string(static_cast<long>(getpid())) + "-" +
               std::to_string((seed + static_cast<unsigned long>(attempt) * 7919ul) % 1000000ul);
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

bool writeFileAtomic(const std::string& path, std::string_view bytes, std::string* error) {
  if (path.empty()) {
    setError(error, "no file name given", path, 0);
    return false;
  }
  std::string target;
  if (!resolveLinks(path, target)) {
    setError(error, "cannot follow the link", path, errno);
    return false;
  }
  // The rename would replace a file the user has made read-only, since it
  // only needs the folder to be writable: such a file is refused instead.
  // The mode bits count even where the process may write anything (root).
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  if (exists && ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) {
    setError(error, "file is read-only:", path, 0);
    return false;
  }

  std::string tempPath;
  int fd = createTemp(target, tempPath);
  if (fd < 0) {
    setError(error, "cannot create a file in", directoryOf(target), errno);
    return false;
  }

  // A replaced file keeps its permissions and, where allowed, its owner.
  if (exists) {
    ::fchmod(fd, old.st_mode & 07777);
    // Only a privileged process may give a file away; otherwise it stays ours.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) errno = 0;
  }

  bool ok = writeAll(fd, bytes);
  int err = errno;
  const char* what = "cannot write";
  if (ok && ::fsync(fd) != 0) {
    ok = false;
    err = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && ::rename(tempPath.c_str(), target.c_str()) != 0) {
    ok = false;
    err = errno;
    what = "cannot replace";
  }
  if (!ok) {
    ::unlink(tempPath.c_str());
    setError(error, what, path, err);
    return false;
  }

  // Make the rename itself durable; the new file is in place either way.
  int dirFd = ::open(directoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

bool readWholeFile(const std::string& path, std::string& out, size_t maxBytes, std::string* error) {
  out.clear();
  // O_NONBLOCK: a FIFO at path must not hang the tool; it is refused below.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    setError(error, "cannot open", path, errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    setError(error, "not a regular file:", path, 0);
    ::close(fd);
    return false;
  }
  if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
    setError(error, "file too large:", path, 0);
    ::close(fd);
    return false;
  }
  out.reserve(static_cast<size_t>(st.st_size));
  char buf[8192];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      setError(error, "cannot read", path, errno);
      out.clear();
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    // The file may grow while being read.
    if (out.size() + static_cast<size_t>(n) > maxBytes) {
      setError(error, "file too large:", path, 0);
      out.clear();
      ::close(fd);
      return false;
    }
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

}  // namespace bx
