#pragma once
// COM numbers and serial devices, and the list of ports present.
// On Windows COM n is simply \\.\COMn (n 1 to 255). On Linux:
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

// Serial ports present, by COM number. Linux: from sysfs (ttyS only where
// a driver backs them) and the pseudo-terminals that are open; sysRoot
// allows tests to point at a fake tree. Windows: the ports class of
// SetupAPI (friendly name, USB vendor and product) merged with the
// registry's HARDWARE\DEVICEMAP\SERIALCOMM; the two roots are unused.
std::vector<PortInfo> listPorts(const std::string& sysRoot = "/sys/class/tty", const std::string& devRoot = "/dev");

}  // namespace bx::platform
