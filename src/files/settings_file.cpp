#include "files/settings_file.h"

#include <algorithm>
#include <climits>

#include "files/ini_document.h"

namespace bx::files {
namespace {

constexpr const char* kConnection = "CONNECTION";
constexpr const char* kIpAddresses = "IP ADDRESSES";
constexpr const char* kApplication = "APPLICATION";
constexpr const char* kLanguage = "LANGUAGE";

constexpr const char* kComType = "COM TYPE";
constexpr const char* kRs232Port = "RS232 PORT";
constexpr const char* kRs232Baud = "RS232 BAUDRATE";
constexpr const char* kIpAddress = "IP ADDRESS";
constexpr const char* kPortNumber = "PORT NUMBER";
constexpr const char* kListItems = "LIST ITEMS";
constexpr const char* kIpAddrPrefix = "IP ADDR ";
constexpr const char* kPanelMax = "Panel max";
constexpr const char* kPanelPosX = "Panel pos. x";
constexpr const char* kPanelPosY = "Panel pos. y";
constexpr const char* kPanelWidth = "Panel width ";  // the trailing blank is part of the written tag
constexpr const char* kPanelHeight = "Panel height";
constexpr const char* kMmButton = "GUI mmButtonState";
constexpr const char* kMaxMin = "MAX/MIN State";
constexpr const char* kLanguageTag = "Language";

constexpr const char* kDefaultTcpPort = "5000";

std::string ipAddrTag(size_t k) { return kIpAddrPrefix + std::to_string(k); }

bool getInRange(const ini::Document& doc, const char* section, const char* tag, long long lo, long long hi, long long& out) {
  long long v = 0;
  if (!doc.getInt(section, tag, v) || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool getIntValue(const ini::Document& doc, const char* section, const char* tag, int& out) {
  long long v = 0;
  if (!getInRange(doc, section, tag, INT_MIN, INT_MAX, v)) return false;
  out = static_cast<int>(v);
  return true;
}

void applyDocument(const ini::Document& doc, AppSettings& s) {
  long long v = 0;
  if (getInRange(doc, kConnection, kComType, 0, 1, v)) s.linkType = static_cast<uint16_t>(v);
  if (getInRange(doc, kConnection, kRs232Port, 1, 255, v)) s.comPort = static_cast<uint16_t>(v);
  if (getInRange(doc, kConnection, kRs232Baud, 0, 7, v)) s.baudIndex = static_cast<uint16_t>(v);

  if (doc.getInt(kIpAddresses, kListItems, v)) {
    long long n = std::clamp(v, 0LL, static_cast<long long>(kMaxIpListItems));
    for (long long k = 1; k <= n; ++k) {
      std::string entry;
      if (doc.getString(kIpAddresses, ipAddrTag(static_cast<size_t>(k)), entry, kMaxIpListEntryChars))
        s.ipList.push_back(std::move(entry));
    }
  }

  if (!doc.getString(kConnection, kIpAddress, s.ipAddress, kMaxIpAddressChars)) s.ipAddress.clear();
  if (!doc.getString(kConnection, kPortNumber, s.tcpPort, kMaxIpAddressChars) || s.tcpPort.empty())
    s.tcpPort = kDefaultTcpPort;

  int panelMax = 0;
  if (getIntValue(doc, kApplication, kPanelMax, panelMax)) {
    s.hasMax = true;
    s.panelMax = panelMax;
    if (panelMax != 1) {
      int x = 0, y = 0, w = 0, h = 0;
      if (getIntValue(doc, kApplication, kPanelPosX, x) && getIntValue(doc, kApplication, kPanelPosY, y)) {
        s.hasPosX = s.hasPosY = true;
        s.posX = x;
        s.posY = y;
      }
      if (getIntValue(doc, kApplication, kPanelWidth, w) && getIntValue(doc, kApplication, kPanelHeight, h)) {
        s.hasWidth = s.hasHeight = true;
        s.width = w;
        s.height = h;
      }
    }
  }

  if (getIntValue(doc, kApplication, kMmButton, s.mmButtonState)) s.hasMmButton = true;
  int maxMin = 0;
  s.maxMinState = (getIntValue(doc, kApplication, kMaxMin, maxMin) && maxMin == 1) ? 1 : 0;
  if (getIntValue(doc, kLanguage, kLanguageTag, s.language)) s.hasLanguage = true;
}

}  // namespace

bool ReadSettingsFile(const std::string& path, AppSettings& settings) {
  settings = AppSettings{};
  ini::Document doc;
  if (!ini::readFile(path, doc, nullptr)) return false;
  applyDocument(doc, settings);
  return true;
}

bool WriteSettingsFile(const std::string& path, const AppSettings& s, std::string* error) {
  ini::Document doc;
  doc.setInt(kConnection, kComType, s.linkType);
  doc.setInt(kConnection, kRs232Port, s.comPort);
  doc.setInt(kConnection, kRs232Baud, s.baudIndex);
  doc.setString(kConnection, kIpAddress, s.ipAddress);
  doc.setString(kConnection, kPortNumber, s.tcpPort);

  size_t n = std::min(s.ipList.size(), kMaxIpListItems);
  doc.setInt(kIpAddresses, kListItems, static_cast<long long>(n));
  for (size_t k = 1; k <= n; ++k) doc.setString(kIpAddresses, ipAddrTag(k), s.ipList[k - 1]);

  if (s.hasMax) doc.setInt(kApplication, kPanelMax, s.panelMax == 1 ? 1 : 0);
  if (s.hasPosX) doc.setInt(kApplication, kPanelPosX, s.posX);
  if (s.hasPosY) doc.setInt(kApplication, kPanelPosY, s.posY);
  if (s.hasWidth) doc.setInt(kApplication, kPanelWidth, s.width);
  if (s.hasHeight) doc.setInt(kApplication, kPanelHeight, s.height);
  if (s.hasMmButton) doc.setInt(kApplication, kMmButton, s.mmButtonState);
  doc.setInt(kApplication, kMaxMin, s.maxMinState);
  doc.setInt(kLanguage, kLanguageTag, s.language);
  return ini::writeFile(path, doc, error);
}

}  // namespace bx::files
