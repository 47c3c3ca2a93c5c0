#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace bx::platform {
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

// What a path that is not a regular file is, for the reason given.
const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

std::string notRegular(const std::string& verb, const std::string& path, mode_t mode) {
  std::string why = verb + " \"" + path + "\": it is " + kindOf(mode);
  if (!S_ISDIR(mode)) why += ", not a regular file";
  return why;
}

// Six characters from a seed that differs per process, call and attempt.
std::string uniqueSuffix(unsigned long long seed) {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string s(6, 'x');
  for (char& c : s) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    c = kChars[(seed >> 33) % (sizeof kChars - 1)];
  }
  return s;
}

// Creates a new file beside path that did not exist before (O_EXCL: a name
// planted there, a link or someone's file, is never opened). Mode 0666 lets
// the umask decide, as for any file the tool creates.
int createTemp(const std::string& path, std::string& tempPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    // A name taken (by anyone) only costs another attempt with another seed.
    const auto now = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    const unsigned long long seed = now ^ (static_cast<unsigned long long>(::getpid()) << 32) ^
                                    (static_cast<unsigned long long>(attempt + 1) * 7919ull);
    // A name at the length limit leaves no room for the suffix: then a
    // short hidden name in the same folder.
    tempPath = path + ".tmp" + uniqueSuffix(seed);
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == ENAMETOOLONG) {
      tempPath = directoryOf(path) + "/.bx-tmp" + uniqueSuffix(seed);
      fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    }
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// The target checks shared by opening, committing and the callers' early
// check: links resolved; missing or a regular file that may be written.
bool checkTarget(const std::string& path, std::string& target, struct stat& old, bool& exists, std::string& error) {
  exists = false;
  if (path.empty()) {
    error = "no file name given";
    return false;
  }
  if (!resolveLinks(path, target)) {
    error = "cannot follow the link \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  if (::stat(target.c_str(), &old) != 0) {
    if (errno == ENOENT) return true;
    error = "cannot replace \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(old.st_mode)) {
    error = notRegular("cannot replace", path, old.st_mode);
    return false;
  }
  exists = true;
  // The rename would replace a file the user has made read-only, since it
  // only needs the folder to be writable: such a file is refused instead.
  // The mode bits count even where the process may write anything (root).
  if ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
    error = "file is read-only: \"" + path + "\"";
    return false;
  }
  return true;
}

}  // namespace

bool AtomicFile::fail(const std::string& what, const std::string& where, int err) {
  error_ = what + " \"" + where + "\"";
  if (err != 0) error_ += std::string(": ") + std::strerror(err);
  return false;
}

bool AtomicFile::open(const std::string& path) {
  discard();
  error_.clear();
  writeFailed_ = false;
  size_ = 0;
  path_ = path;
  struct stat old {};
  bool exists = false;
  if (!checkTarget(path, target_, old, exists, error_)) return false;
  fd_ = createTemp(target_, tempPath_);
  if (fd_ < 0) {
    const int err = errno;
    tempPath_.clear();
    return fail("cannot create a file in", directoryOf(target_), err);
  }
  // A replaced file keeps its permissions and, where allowed, its owner.
  if (exists) {
    ::fchmod(fd_, old.st_mode & 07777);
    // Only a privileged process may give a file away; otherwise it stays ours.
    if (::fchown(fd_, old.st_uid, old.st_gid) != 0) errno = 0;
  }
  return true;
}

bool AtomicFile::write(std::string_view bytes) {
  if (fd_ < 0) return fail("cannot write", path_, EBADF);
  if (writeFailed_) return false;
  const size_t total = bytes.size();
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A short write is followed by one that says why (disk full, size
      // limit); a write that took nothing and gave no reason counts as a
      // full disk. The part written is cut off again.
      const int err = n < 0 ? errno : ENOSPC;
      if (bytes.size() != total) {
        (void)::ftruncate(fd_, static_cast<off_t>(size_));
        (void)::lseek(fd_, static_cast<off_t>(size_), SEEK_SET);
      }
      writeFailed_ = true;
      return fail("cannot write", path_, err);
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  size_ += static_cast<int64_t>(total);
  return true;
}

bool AtomicFile::commit(bool keepAfterFailedWrite) {
  if (fd_ < 0) return fail("cannot write", path_, EBADF);
  if (writeFailed_ && !keepAfterFailedWrite) {
    const std::string why = error_;
    discard();
    error_ = why;
    return false;
  }
  int err = 0;
  const char* what = "cannot write";
  if (::fsync(fd_) != 0) err = errno;
  if (::close(fd_) != 0 && err == 0) err = errno;
  fd_ = -1;
  // The target may have changed since it was opened: still only a regular
  // file (or nothing) is replaced.
  struct stat old {};
  bool exists = false;
  std::string target, why;
  if (err == 0 && !checkTarget(path_, target, old, exists, why)) {
    discard();
    error_ = why;
    return false;
  }
  if (err == 0 && ::rename(tempPath_.c_str(), target_.c_str()) != 0) {
    err = errno;
    what = "cannot replace";
  }
  if (err != 0) {
    discard();
    return fail(what, path_, err);
  }
  tempPath_.clear();
  // Make the rename itself durable; the new file is in place either way.
  int dirFd = ::open(directoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

bool AtomicFile::tempIntact() const {
  struct stat made {}, named {};
  return fd_ >= 0 && ::fstat(fd_, &made) == 0 && ::stat(tempPath_.c_str(), &named) == 0 && made.st_dev == named.st_dev &&
         made.st_ino == named.st_ino;
}

void AtomicFile::discard() {
  bool ours = true;
  if (fd_ >= 0) {
    // A name that no longer leads to the file made here (moved away and
    // taken by someone else) is not removed.
    struct stat made {}, named {};
    ours = ::fstat(fd_, &made) == 0 && ::lstat(tempPath_.c_str(), &named) == 0 && made.st_dev == named.st_dev &&
           made.st_ino == named.st_ino;
    ::close(fd_);
  }
  fd_ = -1;
  if (ours && !tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
}

bool checkOutputTarget(const std::string& path, std::string* error) {
  std::string target, why;
  struct stat old {};
  bool exists = false;
  if (checkTarget(path, target, old, exists, why)) return true;
  if (error) *error = why;
  return false;
}

bool writeFileAtomic(const std::string& path, std::string_view bytes, std::string* error) {
  AtomicFile f;
  const bool ok = f.open(path) && f.write(bytes) && f.commit();
  if (!ok && error) *error = f.error();
  return ok;
}

int openRegularFile(const std::string& path, std::string* error) {
  // O_NONBLOCK: opening a FIFO with no writer, or some devices, would wait
  // for ever; such files are refused below before anything is read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    setError(error, "cannot open", path, errno);
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    setError(error, "cannot open", path, errno);
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    if (error) *error = notRegular("cannot read", path, st.st_mode);
    ::close(fd);
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    setError(error, "cannot open", path, errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

bool readWholeFile(const std::string& path, std::string& out, size_t maxBytes, std::string* error) {
  out.clear();
  const int fd = openRegularFile(path, error);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    setError(error, "cannot read", path, errno);
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

}  // namespace bx::platform
