#pragma once
// The folders of the account running the tool, as the desktop's own
// conventions name them, and whether it may write into a folder.
#include <string>

namespace bx::platform {

// On Windows: the profile folder, the roaming application data folder
// (%APPDATA%, so the settings of an installed tool are in
// %APPDATA%\quellan-bx-scope\) and the Documents folder.
struct UserDirs {
  std::string home;        // $HOME, else the account's home from the user database
  std::string configHome;  // $XDG_CONFIG_HOME when absolute, else home/.config
  std::string documents;   // the desktop's documents folder where it exists and is writable, else home
  std::string dataHome;    // $XDG_DATA_HOME when absolute, else home/.local/share (Windows: local application data)
};

// The folders of the running account, read from the environment and from
// configHome/user-dirs.dirs (the line XDG_DOCUMENTS_DIR="$HOME/...").
UserDirs CurrentUserDirs();

// The documents folder named by a user-dirs.dirs text: "" when the text
// names none, names home itself (the convention for "not set") or a
// relative path.
std::string DocumentsDirFromUserDirs(const std::string& text, const std::string& home);

// The folder of the running program's executable; "." when the system
// does not say.
std::string ProgramDir();

// True when the running account may create files in dir (a folder that
// exists, with write and search permission, on a file system mounted for
// writing).
bool DirectoryWritable(const std::string& dir);

}  // namespace bx::platform
