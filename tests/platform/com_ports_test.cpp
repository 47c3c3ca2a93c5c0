// COM numbers, device paths and the port list read from a sysfs tree.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/com_ports.h"
#include "platform/serial_port.h"

namespace bx::platform {
namespace {

TEST(ComPorts, NumbersAndDevicesMapBothWays) {
  EXPECT_EQ(comDevice(1), "/dev/ttyS0");
  EXPECT_EQ(comDevice(32), "/dev/ttyS31");
  EXPECT_EQ(comDevice(33), "/dev/ttyUSB0");
  EXPECT_EQ(comDevice(65), "/dev/ttyACM0");
  EXPECT_EQ(comDevice(97), "/dev/pts/0");
  EXPECT_EQ(comDevice(255), "/dev/pts/158");
  EXPECT_EQ(comDevice(0), "");
  EXPECT_EQ(comDevice(256), "");
  for (int com = 1; com <= 255; ++com) EXPECT_EQ(comNumber(comDevice(com)), com);
  EXPECT_EQ(comNumber("/dev/pts/159"), -1);
  EXPECT_EQ(comNumber("/dev/ttyUSBx"), -1);
  EXPECT_EQ(comNumber("/dev/null"), -1);
}

TEST(ComPorts, BaudTableAndOutOfRangeIndex) {
  EXPECT_EQ(baudOfIndex(0), 9600);
  EXPECT_EQ(baudOfIndex(4), 115200);
  EXPECT_EQ(baudOfIndex(7), 921600);
  EXPECT_EQ(baudOfIndex(9), 115200);
  EXPECT_EQ(baudOfIndex(-1), 115200);
}

void writeFile(const std::string& p, const std::string& text) {
  std::ofstream f(p);
  f << text << "\n";
}

TEST(ComPorts, ListsUsbAdaptersWithTheirDescriptionFromSysfs) {
  char tmpl[] = "/tmp/bx-sysfs-XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  std::string root = tmpl;
  // A USB adapter: tty -> device -> interface -> usb device with names.
  std::string usb = root + "/devices/usb1/1-1";
  std::string intf = usb + "/1-1:1.0";
  std::string ttyDev = intf + "/ttyUSB0";
  ::system(("mkdir -p " + ttyDev + " " + root + "/class/tty/ttyUSB0 " + root + "/class/tty/ttyS3").c_str());
  writeFile(usb + "/product", "USB Serial Converter");
  writeFile(usb + "/manufacturer", "Acme Devices");
  ASSERT_EQ(::symlink(ttyDev.c_str(), (root + "/class/tty/ttyUSB0/device").c_str()), 0);
  // ttyS3 has no device behind it: not a port.
  std::string devRoot = root + "/dev";
  ::mkdir(devRoot.c_str(), 0755);
  auto ports = listPorts(root + "/class/tty", devRoot);
  ASSERT_EQ(ports.size(), 1u);
  EXPECT_EQ(ports[0].com, 33);
  EXPECT_EQ(ports[0].device, "/dev/ttyUSB0");
  EXPECT_EQ(ports[0].description, "Acme Devices USB Serial Converter");
  ::system(("rm -rf " + root).c_str());
}

}  // namespace
}  // namespace bx::platform
