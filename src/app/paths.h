#pragma once
// Where the tool finds its own files and keeps the user's: the one place
// that knows a portable folder (or build tree) from an installed copy.
//
//   portable:  <dir>/quellan-bx-scope, the resource, BX-SCOPE.ini, RECORD.DAT
//   installed: <prefix>/bin/quellan-bx-scope
//              <prefix>/share/quellan-bx-scope/  the resource, languages, ...
//              $XDG_CONFIG_HOME/quellan-bx-scope/BX-SCOPE.ini
#include <string>

#include "platform/user_dirs.h"

namespace bx {

// The installed data folder, relative to the executable's folder.
inline constexpr const char* kInstalledDataDir = "../share/quellan-bx-scope";
// The settings file's folder under the user's configuration folder.
inline constexpr const char* kConfigFolderName = "quellan-bx-scope";
// The calibration backups' folder, below the portable folder or the
// user's data folder.
inline constexpr const char* kCalibBackupFolder = "calib-backups";

// The folder of the panel resource, the language files, pictures and
// manuals: beside the executable when the resource is there, else the
// installed data folder when it is there, else exeDir itself (so that a
// missing resource is reported where it was looked for first).
std::string FindResourceDir(const std::string& exeDir);

struct AppPaths {
  std::string resourceDir;
  // True when the tool runs from a folder of its own that the account may
  // write: the settings and the operator's files stay beside it.
  bool portable = false;
  std::string settingsPath;
  // The file that fills settingsPath the first time (empty: none).
  std::string settingsSeed;
  // Default folder of the file dialogs and of the recorder file.
  std::string userFilesDir;
  // Where the sensor's calibration is saved before every write: beside the
  // executable when portable, else in the user's data folder.
  std::string calibBackupDir;
};

// Chooses the paths for an executable in exeDir run by the account whose
// folders are user. The settings file stays beside the executable where
// the tool runs portable; otherwise it lives in the user's configuration
// folder, seeded from the one beside the executable (or in the data folder)
// if there is one, and the file dialogs start in the documents folder.
AppPaths LocateAppPaths(const std::string& exeDir, const platform::UserDirs& user);

// Makes the settings file's folder and, when the file does not exist yet,
// copies the seed there, writable for its owner. Nothing that exists is
// replaced. False with the reason when the folder or the copy cannot be
// made (the tool then runs on its start values and says so on writing).
bool PrepareSettingsFile(const AppPaths& paths, std::string& error);

}  // namespace bx
