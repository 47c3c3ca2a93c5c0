#pragma once
// The hardware info file: a service snapshot of the connected sensor (tool
// version, firmware text, the 512-byte hardware information block as a hex
// dump, and the sections of the parameter file). Written only, never read.
#include <cstddef>
#include <cstdint>
#include <string>

namespace bx::files {

constexpr size_t kHwInfoBlockBytes = 512;
constexpr const char* kHwInfoFileName = "HardwareInfoFile.ini";

// The 256 little-endian words of the block as 4 upper-case hex digits each,
// without separator: a block starting 0x34 0x12 gives "1234...".
std::string FormatHexDump(const uint8_t block[kHwInfoBlockBytes]);

// "Quellan-BX-Scope  Build: V5.5.0  02/Jun/2026".
std::string VersionText();

// 1 written, -1 failed (reason in *error; an existing file stays intact).
// "CALIBDATA" is included only while calibUnlocked.
int WriteHardwareInfoFile(const std::string& path, const std::string& firmwareText,
                          const uint8_t block512[kHwInfoBlockBytes], const uint8_t* params96,
                          const uint8_t* teach128, const uint8_t* calib32, bool calibUnlocked, std::string* error);

}  // namespace bx::files
