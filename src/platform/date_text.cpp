#include "platform/date_text.h"

#include <cstdio>

namespace bx::platform {
namespace {

std::tm localOf(std::time_t t) {
  std::tm tm{};
#if defined(_WIN32)
  ::localtime_s(&tm, &t);
#else
  ::localtime_r(&t, &tm);
#endif
  return tm;
}

unsigned u(int v) { return v < 0 ? 0u : static_cast<unsigned>(v); }

}  // namespace

void DateStr(std::time_t t, char (&out)[kDateStrSize]) {
  const std::tm tm = localOf(t);
  // The year stays four digits for the field width; the bounds keep the
  // compiler's truncation check quiet.
  std::snprintf(out, sizeof out, "%02u-%02u-%04u", u(tm.tm_mon + 1) % 100u, u(tm.tm_mday) % 100u, u(tm.tm_year + 1900) % 10000u);
}

void TimeStr(std::time_t t, char (&out)[kTimeStrSize]) {
  const std::tm tm = localOf(t);
  std::snprintf(out, sizeof out, "%02u:%02u:%02u", u(tm.tm_hour) % 100u, u(tm.tm_min) % 100u, u(tm.tm_sec) % 100u);
}

void DateStr(char (&out)[kDateStrSize]) { DateStr(std::time(nullptr), out); }
void TimeStr(char (&out)[kTimeStrSize]) { TimeStr(std::time(nullptr), out); }

std::string DateStr(std::time_t t) {
  char out[kDateStrSize];
  DateStr(t, out);
  return out;
}

std::string TimeStr(std::time_t t) {
  char out[kTimeStrSize];
  TimeStr(t, out);
  return out;
}

std::string DateStr() { return DateStr(std::time(nullptr)); }
std::string TimeStr() { return TimeStr(std::time(nullptr)); }

}  // namespace bx::platform
