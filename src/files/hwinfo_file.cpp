#include "files/hwinfo_file.h"

#include "files/ini_document.h"
#include "files/para_file.h"

namespace bx::files {
namespace {

constexpr const char* kTitle = "Quellan-BX-Scope ";
constexpr const char* kBuild = "Build: V5.5.0  02/Jun/2026";

}  // namespace

std::string FormatHexDump(const uint8_t block[kHwInfoBlockBytes]) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(kHwInfoBlockBytes * 2);
  for (size_t i = 0; i < kHwInfoBlockBytes; i += 2) {
    unsigned word = static_cast<unsigned>(block[i]) | (static_cast<unsigned>(block[i + 1]) << 8);
    for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(word >> shift) & 0xF];
  }
  return out;
}

std::string VersionText() { return std::string(kTitle) + " " + kBuild; }

int WriteHardwareInfoFile(const std::string& path, const std::string& firmwareText,
                          const uint8_t block512[kHwInfoBlockBytes], const uint8_t* params96,
                          const uint8_t* teach128, const uint8_t* calib32, bool calibUnlocked, std::string* error) {
  ini::Document doc;
  doc.setString("GENERAL INFO", "FILE TYPE:    ", "Hardware Initial File");
  doc.setString("GENERAL INFO", "SCOPE VERSION:", VersionText());
  doc.setString("GENERAL INFO", "FIRMWARE VERSION:", firmwareText);
  doc.setString("HARDWARE INFO", "DATA", FormatHexDump(block512));
  PutIniParaTags(doc, params96, teach128, calib32, calibUnlocked);
  return ini::writeFile(path, doc, error) ? 1 : -1;
}

}  // namespace bx::files
