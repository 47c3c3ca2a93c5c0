// The account's folders on Windows, from the shell's known folders.
#include <windows.h>
// After windows.h:
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdlib>

#include "platform/user_dirs.h"
#include "platform/win_text.h"

namespace bx::platform {
namespace {

std::string knownFolder(REFKNOWNFOLDERID id, const char* fallbackEnv) {
  PWSTR path = nullptr;
  std::string out;
  if (SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path) == S_OK && path != nullptr) out = win::narrow(path);
  CoTaskMemFree(path);
  if (out.empty()) {
    if (const wchar_t* v = _wgetenv(win::widen(fallbackEnv).c_str())) out = win::narrow(v);
  }
  return out;
}

}  // namespace

UserDirs CurrentUserDirs() {
  UserDirs d;
  d.home = knownFolder(FOLDERID_Profile, "USERPROFILE");
  if (d.home.empty()) d.home = "C:\\";
  d.configHome = knownFolder(FOLDERID_RoamingAppData, "APPDATA");
  if (d.configHome.empty()) d.configHome = d.home;
  d.dataHome = knownFolder(FOLDERID_LocalAppData, "LOCALAPPDATA");
  if (d.dataHome.empty()) d.dataHome = d.configHome;
  const std::string docs = knownFolder(FOLDERID_Documents, "USERPROFILE");
  d.documents = DirectoryWritable(docs) ? docs : d.home;
  return d;
}

bool DirectoryWritable(const std::string& dir) {
  if (dir.empty()) return false;
  const std::wstring w = win::widen(dir);
  const DWORD attr = GetFileAttributesW(w.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  // The read-only attribute of a folder says nothing on Windows, and access
  // rights are many: creating a file is the one sure answer.
  for (unsigned i = 0; i < 16; ++i) {
    const std::wstring probe = w + L"\\.bx-write-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(i);
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

std::string ProgramDir() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return ".";
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  const std::string p = win::narrow(buf);
  const size_t slash = p.find_last_of("\\/");
  return slash == std::string::npos ? "." : p.substr(0, slash);
}

}  // namespace bx::platform
