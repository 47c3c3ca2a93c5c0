#pragma once
// The family and firmware-version gate: which firmware versions this tool
// serves, and what it tells the operator about the others.
#include <string>

namespace bx {

// The family/version decision, free of the user interface.
struct GateDecision {
  bool refuse = false;
  bool showDistancePage = true;
  std::string message;  // empty: no message
  std::string status;
};
GateDecision FirmwareGate(bool tarnis, int version);

}  // namespace bx
