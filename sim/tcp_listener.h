#pragma once
// Loopback TCP plumbing of the simulator's network interface.

namespace bx::sim {

// Listens on 127.0.0.1:port (0 = any free port). Returns the descriptor and
// the port actually bound, or -1.
int openTcpListener(int port, int& boundPort);

// Accepts one pending client as a non-blocking socket without Nagle delay
// (so that reply fragments leave as separate segments). -1 if none.
int acceptTcpClient(int listenFd);

}  // namespace bx::sim
