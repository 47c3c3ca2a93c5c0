// The serial port over the simulator's pseudo-terminal: what an open does to
// the device, how a close gives it back, and why an open fails.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/serial_port.h"
#include "sim/server.h"
#include "tests/support/port_holder.h"

namespace bx::platform {
namespace {

using testsupport::freePtyPath;
using testsupport::Holder;
using testsupport::openSlave;

constexpr uid_t kNobody = 65534;

// Whether an account without privileges can open the device: run in a
// child that gives up root first. -1 when this process cannot switch users.
int ordinaryUserCanOpen(const std::string& path) {
  if (::geteuid() != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(3);
    const int fd = openSlave(path);
    ::_exit(fd >= 0 ? 0 : (errno == EBUSY ? 1 : 2));
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status) == 0 ? 1 : 0;
}

TEST(SerialPort, CloseGivesThePortBackAsItWasFound) {
  sim::Server sim;
  const std::string path = sim.startPty();
  ASSERT_FALSE(path.empty());
  // Readable and writable for everybody, so only exclusive mode can keep
  // another user out.
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);

  // Settings another program left on the port: 9600 baud, a terminal line.
  int fd = openSlave(path);
  ASSERT_GE(fd, 0) << std::strerror(errno);
  termios before{};
  ASSERT_EQ(::tcgetattr(fd, &before), 0);
  before.c_lflag |= ICANON | ECHO;
  before.c_iflag |= ICRNL;
  ::cfsetispeed(&before, B9600);
  ::cfsetospeed(&before, B9600);
  ASSERT_EQ(::tcsetattr(fd, TCSANOW, &before), 0);
  ASSERT_EQ(::tcgetattr(fd, &before), 0);
  ::close(fd);

  SerialPort port;
  ASSERT_EQ(port.openDevice(path, 115200), 1);
  EXPECT_EQ(port.baud(), 115200);
  EXPECT_NE(ordinaryUserCanOpen(path), 1) << "exclusive while open";
  port.close();
  EXPECT_EQ(port.baud(), 0);

  fd = openSlave(path);
  ASSERT_GE(fd, 0) << std::strerror(errno);
  int exclusive = -1;
  ASSERT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  termios after{};
  ASSERT_EQ(::tcgetattr(fd, &after), 0);
  ::close(fd);
  EXPECT_EQ(::cfgetospeed(&after), static_cast<speed_t>(B9600));
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);

  const int other = ordinaryUserCanOpen(path);
  if (other < 0) GTEST_SKIP() << "not root: another user cannot be tried";
  EXPECT_EQ(other, 1) << "another user still cannot open the port";
}

bool names(const PortDiagnosis& d, pid_t pid) {
  for (const auto& h : d.holders)
    if (h.pid == pid && !h.program.empty()) return true;
  return false;
}

TEST(SerialPort, OpenFailuresSayWhy) {
  sim::Server sim;
  const std::string path = sim.startPty();
  ASSERT_FALSE(path.empty());
  const std::string lockDir = ::testing::TempDir() + "bx-locks-" + std::to_string(::getpid());
  ASSERT_EQ(::mkdir(lockDir.c_str(), 0755), 0);
  SerialPort port;
  port.setLockDir(lockDir);

  // Not present: the ports present now are listed, the simulator's among them.
  const std::string missing = freePtyPath();
  EXPECT_EQ(port.openDevice(missing, 115200), SER_CANNOT_OPEN_PORT);
  EXPECT_EQ(port.diagnosis().problem, PortProblem::NotPresent);
  EXPECT_EQ(port.diagnosis().device, missing);
  bool listed = false;
  for (const auto& p : port.diagnosis().present) listed = listed || p.device == path;
  EXPECT_TRUE(listed);

  // Not a serial device: a regular file has no terminal settings.
  const std::string file = lockDir + "/not-a-port";
  ::close(::open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
  EXPECT_EQ(port.openDevice(file, 115200), SER_CANNOT_OPEN_PORT);
  EXPECT_EQ(port.diagnosis().problem, PortProblem::NotSerial);

  // In use, three ways; each names the other program.
  {
    Holder other(path, true, false);
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(port.openDevice(path, 115200), SER_CANNOT_OPEN_PORT);
    EXPECT_EQ(port.diagnosis().problem, PortProblem::InUse);
    EXPECT_EQ(port.diagnosis().hold, PortHold::Exclusive);
    EXPECT_TRUE(names(port.diagnosis(), other.pid()));
  }
  {
    Holder other(path, false, true);
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(port.openDevice(path, 115200), SER_CANNOT_OPEN_PORT);
    EXPECT_EQ(port.diagnosis().problem, PortProblem::InUse);
    EXPECT_EQ(port.diagnosis().hold, PortHold::Flock);
    EXPECT_TRUE(names(port.diagnosis(), other.pid()));
  }
  const std::string lockFile = lockDir + "/LCK.." + path.substr(5, 3) + "_" + path.substr(9);
  {
    Holder other(path, false, false);
    ASSERT_TRUE(other.ok());
    std::string text = std::to_string(other.pid());
    text = std::string(10 - text.size(), ' ') + text + "\n";
    const int fd = ::open(lockFile.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fd);
    EXPECT_EQ(port.openDevice(path, 115200), SER_CANNOT_OPEN_PORT);
    EXPECT_EQ(port.diagnosis().problem, PortProblem::InUse);
    EXPECT_EQ(port.diagnosis().hold, PortHold::LockFile);
    EXPECT_EQ(port.diagnosis().lockFile, lockFile);
    ASSERT_FALSE(port.diagnosis().holders.empty());
    EXPECT_EQ(port.diagnosis().holders[0].pid, other.pid());
  }
  // The lock of a program that has ended is stale, and the refusals above
  // left nothing behind that keeps the port closed.
  ASSERT_EQ(port.openDevice(path, 115200), 1);
  EXPECT_EQ(port.diagnosis().problem, PortProblem::None);
  port.close();
  ::unlink(lockFile.c_str());
  ::unlink(file.c_str());
  ::rmdir(lockDir.c_str());
}

}  // namespace
}  // namespace bx::platform
