#include <windows.h>

#include "platform/file_info.h"
#include "platform/win_text.h"

namespace bx::platform {
namespace {

// Opens a path for its facts only (folders too), links followed.
HANDLE openForFacts(const std::string& path) {
  return CreateFileW(win::widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

PathFacts FactsOf(const std::string& path) {
  PathFacts f;
  HANDLE h = openForFacts(path);
  if (h == INVALID_HANDLE_VALUE) return f;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(h, &info)) {
    f.exists = true;
    f.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    f.regular = !f.folder && GetFileType(h) == FILE_TYPE_DISK && (info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
    f.size = f.regular ? static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow) : 0;
  } else {
    f.exists = true;  // a device: there, but nothing else to tell
  }
  CloseHandle(h);
  return f;
}

bool EntryExists(const std::string& path) {
  return GetFileAttributesW(win::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsSymbolicLink(const std::string& path) {
  const DWORD attr = GetFileAttributesW(win::widen(path).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool SameExistingFile(const std::string& a, const std::string& b) {
  HANDLE ha = openForFacts(a);
  if (ha == INVALID_HANDLE_VALUE) return false;
  HANDLE hb = openForFacts(b);
  bool same = false;
  if (hb != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    same = GetFileInformationByHandle(ha, &ia) && GetFileInformationByHandle(hb, &ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
    CloseHandle(hb);
  }
  CloseHandle(ha);
  return same;
}

std::string CanonicalFolder(const std::string& dir) {
  const std::wstring w = win::widen(dir);
  const DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n == 0) return dir;
  std::wstring full(n, L'\0');
  const DWORD got = GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n) return dir;
  full.resize(got);
  return win::narrow(full);
}

bool RemoveFile(const std::string& path, std::string& why) {
  if (DeleteFileW(win::widen(path).c_str())) return true;
  const DWORD err = GetLastError();
  if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return true;
  why = win::errorText(err);
  return false;
}

}  // namespace bx::platform
