#include "platform/date_time.h"

#include <cstdio>

namespace bx::platform {
namespace {

std::tm localOf(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

}  // namespace

std::string DateStr(std::time_t t) {
  const std::tm tm = localOf(t);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900);
  return buf;
}

std::string TimeStr(std::time_t t) {
  const std::tm tm = localOf(t);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

std::string DateStr() { return DateStr(std::time(nullptr)); }
std::string TimeStr() { return TimeStr(std::time(nullptr)); }

}  // namespace bx::platform
