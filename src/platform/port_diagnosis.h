#pragma once
// Why a serial port cannot be opened, in facts the operator can act on: the
// device is missing, the account may not use it, another program holds it,
// or it is no serial device at all. Texts are made from these above.
#include <string>
#include <vector>

#include "platform/com_ports.h"

namespace bx::platform {

enum class PortProblem { None, NotPresent, NotPermitted, InUse, NotSerial };

// How another program holds a port.
enum class PortHold { Exclusive, Flock, LockFile };

struct PortHolder {
  long pid = 0;
  std::string program;  // its name from /proc; "" where /proc does not say
};

struct PortDiagnosis {
  PortProblem problem = PortProblem::None;
  std::string device;

  // NotPresent: the serial ports present now.
  std::vector<PortInfo> present;

  // NotPermitted: the device's owning group and mode, the account, and
  // whether the account is in the group in the user database ("on paper")
  // and in this login session.
  std::string group;
  unsigned gid = 0;
  unsigned mode = 0;
  std::string user;
  bool memberOnPaper = false;
  bool memberInSession = false;

  // InUse: how, by whom, and the lock file where one is the reason.
  PortHold hold = PortHold::Exclusive;
  std::vector<PortHolder> holders;
  std::string lockFile;

  // Whether the group may read and write the device at all: when not, no
  // group membership helps.
  bool groupMayUse() const { return (mode & 060) == 060; }
};

// The problem an open of device failed with: errno err on POSIX, the
// system error code (GetLastError) on Windows.
PortDiagnosis diagnoseOpenError(const std::string& device, int err);
// The facts of each problem; each leaves problem set.
PortDiagnosis diagnoseNotPresent(const std::string& device);
PortDiagnosis diagnoseNotPermitted(const std::string& device);
PortDiagnosis diagnoseInUse(const std::string& device, PortHold how);
PortDiagnosis diagnoseNotSerial(const std::string& device);

// Other processes that have the device open, as /proc shows them (only
// those this account may look into); Windows does not say, so none there.
std::vector<PortHolder> portHolders(const std::string& device);

// A lock file of the serial-lock convention in lockDir (LCK..NAME, holding
// the locker's process id in text or binary form) that a live process
// other than this one holds: its path and that process, else false.
bool heldLockFile(const std::string& device, const std::string& lockDir, std::string& path, PortHolder& holder);

// The name of a running process, "" when /proc does not show it.
std::string programOf(long pid);

}  // namespace bx::platform
