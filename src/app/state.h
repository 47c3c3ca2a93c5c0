#pragma once
// Application-wide settings: language, directories, version texts, and the
// shell's own bookkeeping (help panel, active page, wrapped callbacks).
#include <cstdint>
#include <string>
#include <vector>

#include "app/language_data.h"
#include "ui/types.h"

namespace bx {

struct AppState {
  int language = 0;                 // 0 English, 1 German
  std::string projectDir;           // directory of the executable
  std::string resourceDir;          // panel resource, language files, pictures, manuals
  std::string userFilesDir;         // where the file dialogs start
  uint64_t logPaneShown = 0;        // log lines the message log's pane holds (MessageLog::added)
  std::string settingsPath;
  std::string recorderPath;
  std::string versionShort = "V5.5";
  std::string buildText = "Build: V5.5.0  02/Jun/2026";
  std::string appTitle = "Quellan-BX-Scope ";
  std::string hwInfoVersionText;    // composed by the hardware info file
  int maxMinState = 0;
  bool quitRequested = false;

  LanguageData texts;               // texts of the language in force
  int activePage = 0;               // main tab page last made active
  int activeSubPage = 0;            // page of the calibration tab
  ui::CtlRef helpShownFor;          // control whose help the help panel shows
  // The screen the main panel is centred on; the front-end may set the real
  // one.
  int screenLeft = 0;
  int screenTop = 0;
  int screenWidth = 1920;
  int screenHeight = 1080;
  // Callbacks of the resource, per panel and control, behind the help
  // wrapper that answers every right click.
  std::vector<std::vector<ui::Callback>> wrappedCallbacks;
};

}  // namespace bx
