// COM numbers and the ports present, on Windows.
#include <windows.h>
// After windows.h:
#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>

#include "platform/com_ports.h"
#include "platform/win_text.h"

namespace bx::platform {
namespace {

using win::narrow;
using win::widen;

constexpr int kMaxCom = 255;


// The COM number of a port name such as "COM7", -1 for any other name.
int comOfName(const std::wstring& name) {
  if (name.size() < 4 || name.size() > 6 || std::towupper(name[0]) != L'C' || std::towupper(name[1]) != L'O' ||
      std::towupper(name[2]) != L'M')
    return -1;
  int n = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    if (name[i] < L'0' || name[i] > L'9') return -1;
    n = n * 10 + (name[i] - L'0');
  }
  return n >= 1 && n <= kMaxCom ? n : -1;
}

std::wstring registryText(HKEY key, const wchar_t* value) {
  wchar_t buf[256];
  DWORD type = 0;
  DWORD size = sizeof buf - sizeof(wchar_t);
  if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return {};
  buf[size / sizeof(wchar_t)] = L'\0';
  return buf;
}

std::wstring deviceProperty(HDEVINFO set, SP_DEVINFO_DATA& dev, DWORD property) {
  wchar_t buf[512];
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(set, &dev, property, &type, reinterpret_cast<BYTE*>(buf),
                                         sizeof buf - sizeof(wchar_t), nullptr))
    return {};
  buf[511] = L'\0';
  return buf;  // REG_MULTI_SZ: the first string
}

// "USB 0403:6001" from a hardware id "USB\VID_0403&PID_6001...", "" else.
std::string usbIds(const std::wstring& hardwareId) {
  const size_t v = hardwareId.find(L"VID_");
  const size_t p = hardwareId.find(L"PID_");
  if (v == std::wstring::npos || p == std::wstring::npos) return {};
  return "USB " + narrow(hardwareId.substr(v + 4, 4)) + ":" + narrow(hardwareId.substr(p + 4, 4));
}

void add(std::vector<PortInfo>& out, int com, const std::string& description) {
  for (auto& p : out)
    if (p.com == com) {
      if (p.description.empty()) p.description = description;
      return;
    }
  out.push_back({com, comDevice(com), description});
}

// The ports class: devices present now, with their friendly names.
void fromSetupApi(std::vector<PortInfo>& out) {
  HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA dev{};
  dev.cbSize = sizeof dev;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &dev); ++i) {
    HKEY key = SetupDiOpenDevRegKey(set, &dev, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) continue;
    const int com = comOfName(registryText(key, L"PortName"));
    RegCloseKey(key);
    if (com < 0) continue;  // a printer port of the same class
    std::string description = narrow(deviceProperty(set, dev, SPDRP_FRIENDLYNAME));
    if (description.empty()) description = narrow(deviceProperty(set, dev, SPDRP_DEVICEDESC));
    const std::string maker = narrow(deviceProperty(set, dev, SPDRP_MFG));
    if (!maker.empty() && description.find(maker) == std::string::npos) description = maker + " " + description;
    const std::string ids = usbIds(deviceProperty(set, dev, SPDRP_HARDWAREID));
    if (!ids.empty()) description += (description.empty() ? "" : " ") + ("[" + ids + "]");
    add(out, com, description);
  }
  SetupDiDestroyDeviceInfoList(set);
}

// Every serial port a driver has announced, also virtual ones that are no
// device of the ports class.
void fromSerialComm(std::vector<PortInfo>& out) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLen = 255;
    wchar_t data[64];
    DWORD dataSize = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    const LONG rc = RegEnumValueW(key, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
    data[dataSize / sizeof(wchar_t)] = L'\0';
    const int com = comOfName(data);
    if (com > 0) add(out, com, {});
  }
  RegCloseKey(key);
}

}  // namespace

std::string comDevice(int com) {
  if (com < 1 || com > kMaxCom) return {};
  return "\\\\.\\COM" + std::to_string(com);
}

int comNumber(const std::string& device) {
  std::string name = device;
  if (name.rfind("\\\\.\\", 0) == 0) name = name.substr(4);
  return comOfName(std::wstring(name.begin(), name.end()));
}

std::vector<PortInfo> listPorts(const std::string&, const std::string&) {
  std::vector<PortInfo> out;
  fromSetupApi(out);
  fromSerialComm(out);
  std::sort(out.begin(), out.end(), [](const PortInfo& a, const PortInfo& b) { return a.com < b.com; });
  return out;
}

}  // namespace bx::platform
