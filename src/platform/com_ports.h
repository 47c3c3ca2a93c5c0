#pragma once
// COM numbers and serial devices on Linux, and the list of ports present.
//   COM1-32   /dev/ttyS0-31
//   COM33-64  /dev/ttyUSB0-31
//   COM65-96  /dev/ttyACM0-31
//   COM97-255 /dev/pts/0-158  (virtual ports: bridges and the simulator)
#include <string>
#include <vector>

namespace bx::platform {

// Device path of a COM number, "" when the number has none.
std::string comDevice(int com);
// COM number of a device path, -1 when it has none.
int comNumber(const std::string& device);

struct PortInfo {
  int com = -1;
  std::string device;
  std::string description;  // USB maker and product where known
};

// Serial ports present, from sysfs (ttyS only where a driver backs them) and
// the pseudo-terminals that are open. sysRoot allows tests to point at a
// fake tree.
std::vector<PortInfo> listPorts(const std::string& sysRoot = "/sys/class/tty", const std::string& devRoot = "/dev");

}  // namespace bx::platform
