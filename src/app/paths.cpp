#include "app/paths.h"

#include <filesystem>
#include <system_error>

#include "app/startup.h"
#include "files/settings_file.h"

namespace bx {

namespace fs = std::filesystem;

namespace {

bool isFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::string normal(const std::string& path) { return fs::path(path).lexically_normal().string(); }

}  // namespace

std::string FindResourceDir(const std::string& exeDir) {
  if (isFile(exeDir + "/" + kResourceFile)) return exeDir;
  const std::string installed = normal(exeDir + "/" + kInstalledDataDir);
  if (isFile(installed + "/" + kResourceFile)) return installed;
  return exeDir;
}

AppPaths LocateAppPaths(const std::string& exeDir, const platform::UserDirs& user) {
  AppPaths p;
  p.resourceDir = FindResourceDir(exeDir);
  // An installed copy keeps nothing beside its executable, also where the
  // account could write there (root running it from /usr/bin).
  p.portable = p.resourceDir == exeDir && platform::DirectoryWritable(exeDir);
  const std::string besideExe = exeDir + "/" + files::kSettingsFileName;
  if (p.portable) {
    p.settingsPath = besideExe;
    p.userFilesDir = exeDir;
    p.calibBackupDir = exeDir + "/" + kCalibBackupFolder;
    return p;
  }
  p.settingsPath = user.configHome + "/" + kConfigFolderName + "/" + files::kSettingsFileName;
  p.userFilesDir = user.documents;
  const std::string data = user.dataHome.empty() ? user.home + "/.local/share" : user.dataHome;
  p.calibBackupDir = data + "/" + kConfigFolderName + "/" + kCalibBackupFolder;
  for (const std::string& seed : {besideExe, p.resourceDir + "/" + files::kSettingsFileName}) {
    if (isFile(seed)) {
      p.settingsSeed = seed;
      break;
    }
  }
  return p;
}

bool PrepareSettingsFile(const AppPaths& paths, std::string& error) {
  if (paths.portable) return true;
  std::error_code ec;
  const fs::path file(paths.settingsPath);
  fs::create_directories(file.parent_path(), ec);
  if (ec) {
    error = file.parent_path().string() + ": " + ec.message();
    return false;
  }
  if (paths.settingsSeed.empty() || fs::exists(fs::symlink_status(file, ec))) return true;
  if (!fs::copy_file(paths.settingsSeed, file, ec)) {
    error = paths.settingsSeed + " -> " + file.string() + ": " + ec.message();
    return false;
  }
  // A seed from a read-only folder is often read-only itself; the copy is
  // the user's own and must take the next write.
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
  return true;
}

}  // namespace bx
