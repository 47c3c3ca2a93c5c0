// Why a COM port cannot be opened, on Windows: the system's error code is
// all there is to go on; Windows does not say which program holds a port.
#include <windows.h>

#include "platform/port_diagnosis.h"

namespace bx::platform {

std::string programOf(long) { return {}; }

std::vector<PortHolder> portHolders(const std::string&) { return {}; }

bool heldLockFile(const std::string&, const std::string&, std::string&, PortHolder&) { return false; }

PortDiagnosis diagnoseNotPresent(const std::string& device) {
  PortDiagnosis d;
  d.problem = PortProblem::NotPresent;
  d.device = device;
  d.present = listPorts();
  return d;
}

PortDiagnosis diagnoseNotPermitted(const std::string& device) {
  PortDiagnosis d;
  d.problem = PortProblem::NotPermitted;
  d.device = device;
  return d;
}

PortDiagnosis diagnoseInUse(const std::string& device, PortHold how) {
  PortDiagnosis d;
  d.problem = PortProblem::InUse;
  d.device = device;
  d.hold = how;
  return d;
}

PortDiagnosis diagnoseNotSerial(const std::string& device) {
  PortDiagnosis d;
  d.problem = PortProblem::NotSerial;
  d.device = device;
  return d;
}

PortDiagnosis diagnoseOpenError(const std::string& device, int err) {
  switch (static_cast<DWORD>(err)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED: return diagnoseNotPresent(device);
    // A COM port is opened exclusively: "access denied" is another program
    // that has it open.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY: return diagnoseInUse(device, PortHold::Exclusive);
    default: break;
  }
  PortDiagnosis d;
  d.device = device;
  return d;
}

}  // namespace bx::platform
