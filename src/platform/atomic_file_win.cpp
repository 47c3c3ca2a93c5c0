// Whole-file replacement on Windows. The temporary file is a C run-time
// descriptor (so writers that write on their own get a descriptor as on
// Linux), flushed with _commit (FlushFileBuffers), then put in place with
// ReplaceFileW when the target exists (it keeps the target's attributes and
// security) or MoveFileExW(MOVEFILE_REPLACE_EXISTING |
// MOVEFILE_WRITE_THROUGH) when it does not or ReplaceFileW cannot.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/win_text.h"

namespace bx::platform {
namespace {

using win::widen;

std::string systemError(DWORD err) { return win::errorText(err); }

void setError(std::string* error, const std::string& what, const std::string& path, int err) {
  if (!error) return;
  *error = what + " \"" + path + "\"";
  if (err != 0) *error += std::string(": ") + std::strerror(err);
}

std::string directoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

std::string uniqueSuffix(unsigned long long seed) {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string s(6, 'x');
  for (char& c : s) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    c = kChars[(seed >> 33) % (sizeof kChars - 1)];
  }
  return s;
}

// What is at path: 0 nothing, 1 a regular file, or the reason it is not one.
// A device name ("NUL", "COM1") is refused as a device.
int inspect(const std::string& path, bool& readOnly, std::string& why, const std::string& verb) {
  readOnly = false;
  const std::wstring w = widen(path);
  const DWORD attr = GetFileAttributesW(w.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) {
    const DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) {
      // A device answers to its name in every folder without existing.
      HANDLE h = CreateFileW(w.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
      if (h == INVALID_HANDLE_VALUE) return 0;
      CloseHandle(h);
      why = verb + " \"" + path + "\": it is a device, not a regular file";
      return -1;
    }
    why = verb + " \"" + path + "\": " + systemError(err);
    return -1;
  }
  if (attr & FILE_ATTRIBUTE_DIRECTORY) {
    why = verb + " \"" + path + "\": it is a folder";
    return -1;
  }
  // A device name answers with attributes of its own on some systems: what
  // the opened name leads to says what it is.
  bool device = (attr & FILE_ATTRIBUTE_DEVICE) != 0;
  if (!device) {
    HANDLE h = CreateFileW(w.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      device = GetFileType(h) != FILE_TYPE_DISK;
      CloseHandle(h);
    }
  }
  if (device) {
    why = verb + " \"" + path + "\": it is a device, not a regular file";
    return -1;
  }
  readOnly = (attr & FILE_ATTRIBUTE_READONLY) != 0;
  return 1;
}

bool checkTarget(const std::string& path, bool& exists, std::string& error) {
  exists = false;
  if (path.empty()) {
    error = "no file name given";
    return false;
  }
  bool readOnly = false;
  const int kind = inspect(path, readOnly, error, "cannot replace");
  if (kind < 0) return false;
  exists = kind == 1;
  if (readOnly) {
    error = "file is read-only: \"" + path + "\"";
    return false;
  }
  return true;
}

int createTemp(const std::string& path, std::string& tempPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto now = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    const unsigned long long seed = now ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^
                                    (static_cast<unsigned long long>(attempt + 1) * 7919ull);
    tempPath = path + ".tmp" + uniqueSuffix(seed);
    const int fd = _wopen(widen(tempPath).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                          _S_IREAD | _S_IWRITE);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
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
  target_ = path;
  bool exists = false;
  if (!checkTarget(path, exists, error_)) return false;
  fd_ = createTemp(target_, tempPath_);
  if (fd_ < 0) {
    const int err = errno;
    tempPath_.clear();
    return fail("cannot create a file in", directoryOf(target_), err);
  }
  return true;
}

bool AtomicFile::write(std::string_view bytes) {
  if (fd_ < 0) return fail("cannot write", path_, EBADF);
  if (writeFailed_) return false;
  const size_t total = bytes.size();
  while (!bytes.empty()) {
    const unsigned chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<unsigned>(bytes.size());
    const int n = _write(fd_, bytes.data(), chunk);
    if (n <= 0) {
      const int err = n < 0 ? errno : ENOSPC;
      if (bytes.size() != total) {
        (void)_chsize_s(fd_, size_);
        (void)_lseeki64(fd_, size_, SEEK_SET);
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
  if (_commit(fd_) != 0) err = errno;
  if (_close(fd_) != 0 && err == 0) err = errno;
  fd_ = -1;
  if (err != 0) {
    discard();
    return fail("cannot write", path_, err);
  }
  // The target may have changed since it was opened: still only a regular
  // file (or nothing) is replaced.
  bool exists = false;
  std::string why;
  if (!checkTarget(path_, exists, why)) {
    discard();
    error_ = why;
    return false;
  }
  const std::wstring target = widen(target_);
  const std::wstring temp = widen(tempPath_);
  bool moved = exists && ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                      nullptr) != 0;
  DWORD winErr = 0;
  if (!moved) {
    moved = MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!moved) winErr = GetLastError();
  }
  if (!moved) {
    discard();
    error_ = "cannot replace \"" + path_ + "\": " + systemError(winErr);
    return false;
  }
  tempPath_.clear();
  return true;
}

// The open descriptor does not share deletion: nobody can remove or rename
// the file while it is open, so its name still leads to it.
bool AtomicFile::tempIntact() const {
  return fd_ >= 0 && GetFileAttributesW(widen(tempPath_).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void AtomicFile::discard() {
  if (fd_ >= 0) _close(fd_);
  fd_ = -1;
  if (!tempPath_.empty()) (void)DeleteFileW(widen(tempPath_).c_str());
  tempPath_.clear();
}

bool checkOutputTarget(const std::string& path, std::string* error) {
  bool exists = false;
  std::string why;
  if (checkTarget(path, exists, why)) return true;
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
  bool readOnly = false;
  std::string why;
  const int kind = inspect(path, readOnly, why, "cannot read");
  if (kind < 0) {
    if (error) *error = why;
    return -1;
  }
  const int fd = _wopen(widen(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) {
    setError(error, "cannot open", path, errno);
    return -1;
  }
  if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) != FILE_TYPE_DISK) {
    if (error) *error = "cannot read \"" + path + "\": it is a device, not a regular file";
    _close(fd);
    return -1;
  }
  return fd;
}

bool readWholeFile(const std::string& path, std::string& out, size_t maxBytes, std::string* error) {
  out.clear();
  const int fd = openRegularFile(path, error);
  if (fd < 0) return false;
  const long long size = _filelengthi64(fd);
  if (size < 0) {
    setError(error, "cannot read", path, errno);
    _close(fd);
    return false;
  }
  if (static_cast<unsigned long long>(size) > maxBytes) {
    setError(error, "file too large:", path, 0);
    _close(fd);
    return false;
  }
  out.reserve(static_cast<size_t>(size));
  char buf[8192];
  for (;;) {
    const int n = _read(fd, buf, sizeof buf);
    if (n < 0) {
      setError(error, "cannot read", path, errno);
      out.clear();
      _close(fd);
      return false;
    }
    if (n == 0) break;
    if (out.size() + static_cast<size_t>(n) > maxBytes) {
      setError(error, "file too large:", path, 0);
      out.clear();
      _close(fd);
      return false;
    }
    out.append(buf, static_cast<size_t>(n));
  }
  _close(fd);
  return true;
}

}  // namespace bx::platform
