#pragma once
// The simulator's serial port: the master side of a pseudo-terminal. The
// tool opens the slave path as if it were a COM port.
#include <string>

namespace bx::sim {

// Opens a raw, non-blocking pseudo-terminal master. Returns its descriptor
// and the slave's path, or -1 and an empty path.
int openPtyMaster(std::string& slavePath);

}  // namespace bx::sim
