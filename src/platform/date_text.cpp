#include "platform/date_text.h"

#include <cstdio>
#include <ctime>

namespace bx::platform {
namespace {

std::tm now() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&t, &tm);
  return tm;
}

unsigned u(int v) { return v < 0 ? 0u : static_cast<unsigned>(v); }

}  // namespace

void DateStr(char (&out)[kDateStrSize]) {
  const std::tm tm = now();
  // The year stays four digits for the field width; the bounds keep the
  // compiler's truncation check quiet.
  std::snprintf(out, sizeof out, "%02u-%02u-%04u", u(tm.tm_mon + 1) % 100u, u(tm.tm_mday) % 100u, u(tm.tm_year + 1900) % 10000u);
}

void TimeStr(char (&out)[kTimeStrSize]) {
  const std::tm tm = now();
  std::snprintf(out, sizeof out, "%02u:%02u:%02u", u(tm.tm_hour) % 100u, u(tm.tm_min) % 100u, u(tm.tm_sec) % 100u);
}

}  // namespace bx::platform
