#include "recorder/rec_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace bx::recorder {
namespace {

// Decimal text of a header number: no trailing zeros, no exponent for the
// values a recorder header holds.
std::string numberText(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

}  // namespace

std::string HeaderText(const FileHeader& h) {
  std::string s;
  s.reserve(256);
  s += "Date:\t";
  s += h.date;
  s += "\r\n";
  s += "Time:\t";
  s += h.time;
  s += "\r\n";
  s += "Time-Increment[s]:\t" + numberText(h.incrementS) + "\r\n";
  s += "Number of Samples:\t" + std::to_string(h.samples) + "\r\n";
  s += "Offset-Value [\xB5m]:\t" + std::to_string(h.offsetUm) + "\r\n";
  s += "Slope-Value [\xB5m/pixel]:\t" + numberText(h.slopeX16384 / 16384.0) + "\r\n";
  s += "DATE\t\tTIME\t\tM-VALUE\tEDG-A\tEDG-B\tEDG-N\tM-VAL[um]\tPROG\tSTATE\r\n";
  return s;
}

size_t FormatRow(char (&buf)[kRowBufferSize], const char* date, const char* time, const RecorderSample& s) {
  const int n = std::snprintf(buf, sizeof buf, "%.10s\t%.8s\t%i\t%i\t%i\t%i\t%i\t\t%i\t%i\r\n", date, time,
                              static_cast<int>(s.value), static_cast<int>(s.edgeA), static_cast<int>(s.edgeB),
                              static_cast<int>(s.edges), static_cast<int>(s.valueUm), static_cast<int>(s.program),
                              static_cast<int>(s.status));
  return n < 0 ? 0 : std::min(static_cast<size_t>(n), sizeof buf - 1);
}

bool RecorderFile::open(const std::string& path) {
  (void)close();
  replaced_.clear();
  return file_.open(path);
}

bool RecorderFile::write(const char* data, size_t n) {
  if (!file_.write(std::string_view(data, n))) return false;
  // Rows written into a file that was removed or replaced meanwhile reach
  // nobody: the recording file must still be where it was made.
  if (!file_.tempIntact()) {
    replaced_ = file_.path() + ": the file was removed or replaced while recording";
    return false;
  }
  return true;
}

bool RecorderFile::close() {
  if (!file_.isOpen()) return true;
  if (!replaced_.empty()) {
    file_.discard();
    return false;
  }
  // The rows taken before a failed write stay: they replace the old file.
  return file_.commit(true);
}

}  // namespace bx::recorder
