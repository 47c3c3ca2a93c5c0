#include "sim/pty.h"

namespace bx::sim {

// Windows has no pseudo-terminal: the simulator serves TCP only there.
int openPtyMaster(std::string& slavePath) {
  slavePath.clear();
  return -1;
}

}  // namespace bx::sim
