#pragma once
// Application-wide settings: language, directories, version texts.
#include <string>

namespace bx {

struct AppState {
  int language = 0;                 // 0 English, 1 German
  std::string projectDir;           // directory of the executable
  std::string settingsPath;
  std::string recorderPath;
  std::string versionShort = "V5.5";
  std::string buildText = "Build: V5.5.0  02/Jun/2026";
  std::string appTitle = "Quellan-BX-Scope ";
  std::string hwInfoVersionText;    // composed by the hardware info file
  int maxMinState = 0;
  bool quitRequested = false;
};

}  // namespace bx
