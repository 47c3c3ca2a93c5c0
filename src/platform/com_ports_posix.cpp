#include "platform/com_ports.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace bx::platform {
namespace {

struct Range {
  int firstCom;
  int count;
  const char* prefix;
};
constexpr Range kRanges[] = {
    {1, 32, "/dev/ttyS"},
    {33, 32, "/dev/ttyUSB"},
    {65, 32, "/dev/ttyACM"},
    {97, 159, "/dev/pts/"},
};

std::string readLine(const std::string& path) {
  std::ifstream f(path);
  std::string s;
  if (f) std::getline(f, s);
  return s;
}

bool exists(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0;
}

// USB maker and product of a tty, read from the USB device above it.
std::string usbDescription(const std::string& sysRoot, const std::string& name) {
  std::string dev = sysRoot + "/" + name + "/device";
  char buf[4096];
  char* real = ::realpath(dev.c_str(), buf);
  if (!real) return {};
  std::string p = real;
  for (int up = 0; up < 4 && p.size() > 1; ++up) {
    std::string product = readLine(p + "/product");
    if (!product.empty()) {
      std::string maker = readLine(p + "/manufacturer");
      return maker.empty() ? product : maker + " " + product;
    }
    p = p.substr(0, p.rfind('/'));
  }
  return {};
}

}  // namespace

std::string comDevice(int com) {
  for (const auto& r : kRanges)
    if (com >= r.firstCom && com < r.firstCom + r.count) return r.prefix + std::to_string(com - r.firstCom);
  return {};
}

int comNumber(const std::string& device) {
  for (const auto& r : kRanges) {
    std::string prefix = r.prefix;
    if (device.compare(0, prefix.size(), prefix) != 0) continue;
    std::string rest = device.substr(prefix.size());
    if (rest.empty() || rest.find_first_not_of("0123456789") != std::string::npos) return -1;
    int n = std::atoi(rest.c_str());
    return n < r.count ? r.firstCom + n : -1;
  }
  return -1;
}

std::vector<PortInfo> listPorts(const std::string& sysRoot, const std::string& devRoot) {
  std::vector<PortInfo> out;
  if (DIR* d = ::opendir(sysRoot.c_str())) {
    while (dirent* e = ::readdir(d)) {
      std::string name = e->d_name;
      int com = comNumber("/dev/" + name);
      if (com < 0 || name.compare(0, 4, "pts") == 0) continue;
      // Legacy ttyS entries exist for every possible UART; only those with a
      // real device behind them (a driver other than the placeholder) count.
      std::string base = sysRoot + "/" + name;
      if (!exists(base + "/device")) continue;
      if (name.compare(0, 4, "ttyS") == 0) {
        char buf[4096];
        std::string drv = base + "/device/driver";
        char* real = ::realpath(drv.c_str(), buf);
        if (real && std::string(real).find("serial8250") != std::string::npos) {
          std::string type = readLine(base + "/type");
          if (type.empty() || type == "0") continue;
        }
      }
      out.push_back({com, "/dev/" + name, usbDescription(sysRoot, name)});
    }
    ::closedir(d);
  }
  std::string ptsDir = devRoot + "/pts";
  if (DIR* d = ::opendir(ptsDir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      std::string name = e->d_name;
      if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
      int com = comNumber("/dev/pts/" + name);
      if (com < 0) continue;
      out.push_back({com, "/dev/pts/" + name, "pseudo-terminal"});
    }
    ::closedir(d);
  }
  std::sort(out.begin(), out.end(), [](const PortInfo& a, const PortInfo& b) { return a.com < b.com; });
  return out;
}

}  // namespace bx::platform
