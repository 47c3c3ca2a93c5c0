#pragma once
// Seconds timer and plain delays.
namespace bx::platform {

// Monotonic seconds with sub-millisecond resolution.
double Timer();
// Sleeps without processing events.
void Delay(double seconds);

}  // namespace bx::platform
