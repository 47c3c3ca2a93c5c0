#pragma once
// Sleeping until a descriptor becomes readable, so waits do not burn a core.
namespace bx::platform {

// Waits at most timeoutSeconds for any of the given descriptors (negative
// ones are skipped) to become readable. Returns true when one is.
bool waitReadable(const int* fds, int count, double timeoutSeconds);

}  // namespace bx::platform
