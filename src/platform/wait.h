#pragma once
// Sleeping until a descriptor becomes readable, so waits do not burn a core.
namespace bx::platform {

// Waits at most timeoutSeconds for any of the given descriptors (negative
// ones are skipped; at most 4) to become readable. Returns a mask with bit i
// set when fds[i] is readable (also on hang-up or error), 0 on time-out.
unsigned waitReadable(const int* fds, int count, double timeoutSeconds);

}  // namespace bx::platform
