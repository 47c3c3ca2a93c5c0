#pragma once
// The application settings file "BX-SCOPE.ini": how to reach the sensor, the
// recently used IP addresses, the main panel's placement, two display choices
// and the language.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bx::files {

constexpr const char* kSettingsFileName = "BX-SCOPE.ini";
constexpr size_t kMaxIpListItems = 10;
constexpr size_t kMaxIpAddressChars = 260;
constexpr size_t kMaxIpListEntryChars = 1024;

struct AppSettings {
  uint16_t linkType = 0;   // 0 RS-232, 1 TCP
  uint16_t comPort = 1;    // 1..255
  uint16_t baudIndex = 4;  // 0..7
  std::string ipAddress;
  std::string tcpPort = "5000";
  std::vector<std::string> ipList;

  // Main panel placement. After reading: hasMax when "Panel max" was
  // present; the position and size pairs are set only when the panel is not
  // to be maximized and both values of the pair were present, so the caller
  // applies whatever is flagged. When writing, flagged values are written.
  bool hasMax = false;
  int panelMax = 0;
  bool hasPosX = false;
  int posX = 0;
  bool hasPosY = false;
  int posY = 0;
  bool hasWidth = false;
  int width = 0;
  bool hasHeight = false;
  int height = 0;

  bool hasMmButton = false;
  int mmButtonState = 0;
  int maxMinState = 0;  // 0 or 1
  bool hasLanguage = false;
  int language = 0;  // 1 German, anything else English
};

// Reads the file item by item, keeping the default of every item that is
// missing or out of range. False when the file cannot be read; settings then
// hold the defaults.
bool ReadSettingsFile(const std::string& path, AppSettings& settings);

// Writes the file (at most kMaxIpListItems addresses), replacing an existing
// one atomically. False with the reason in *error.
bool WriteSettingsFile(const std::string& path, const AppSettings& settings, std::string* error);

}  // namespace bx::files
