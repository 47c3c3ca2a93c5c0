#pragma once
// The simulator's few operating-system calls, so that the server loop is
// the same on Linux and Windows: descriptors (sockets, the pseudo-terminal
// master and the wake-up pair) are ints, waits are one poll over them, and
// reads and writes say "moved n", "would block", "end" or "failed".
// Windows has no pseudo-terminal: there the simulator serves TCP only.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace bx::sim::sys {

// Results of receive() and transmit() besides a positive count.
constexpr long kEnd = 0;          // end of stream (receive only)
constexpr long kWouldBlock = -1;  // nothing now; poll again
constexpr long kFailed = -2;      // the peer is gone

// Starts what the calls below need (Winsock); true when ready.
bool start();

// A pair of connected descriptors whose read end a poll wakes on.
bool openWakePair(int& readEnd, int& writeEnd);
void closeFd(int fd);
// Non-blocking; socket: fd is a socket (else a pipe or a terminal).
long receive(int fd, uint8_t* buf, size_t n, bool socket);
long transmit(int fd, const uint8_t* buf, size_t n, bool socket);

struct PollEntry {
  int fd = -1;
  bool wantWrite = false;
  bool readable = false;  // also on hang-up or error: a read tells which
  bool writable = false;
};
// Waits until an entry is ready or timeoutNs passes (negative: no limit);
// the count of ready entries, 0 on time-out, -1 on failure.
int pollEntries(std::vector<PollEntry>& entries, int64_t timeoutNs);

// Lets the calling thread's timers fire on time (Linux: timer slack).
void preciseTimers();

// Whether this build can open a pseudo-terminal.
bool havePty();

// The program's end: makes Ctrl-C (and SIGTERM) a request that
// waitForStop() returns on. Call before any thread starts.
void catchStop();
void waitForStop();

}  // namespace bx::sim::sys
