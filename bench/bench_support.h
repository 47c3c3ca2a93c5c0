#pragma once
// What every benchmark program measures besides time: heap allocations
// (every operator new of the process is counted) and CPU seconds.
// Include it from exactly one file of a benchmark program.
#include <sys/resource.h>

#include <atomic>
#include <cstdlib>
#include <new>

static std::atomic<long> gAllocs{0};
void* operator new(size_t n) {
  gAllocs.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

// User and system CPU time of this process, in seconds.
inline double cpuSeconds() {
  rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec + ru.ru_stime.tv_usec / 1e6;
}
