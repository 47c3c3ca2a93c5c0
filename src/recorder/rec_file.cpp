#include "recorder/rec_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/frame_format.h"

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

RecorderSample DecodeSample(const uint8_t* d) {
  RecorderSample s;
  s.edgeA = frame::get16(d);
  s.edgeB = frame::get16(d + 2);
  s.value = frame::get16(d + 4);
  s.edges = frame::get16(d + 6);
  s.valueUm = frame::gets32(d + 8);
  return s;
}

bool RecorderFile::fail(const char* what, int err) {
  error_ = std::string(what) + ": " + std::strerror(err);
  return false;
}

bool RecorderFile::open(const std::string& path) {
  close();
  error_.clear();
  path_ = path;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd_ < 0) return fail(path.c_str(), errno);
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    const int err = errno;
    close();
    return fail(path.c_str(), err);
  }
  dev_ = st.st_dev;
  ino_ = st.st_ino;
  size_ = st.st_size;
  return true;
}

bool RecorderFile::write(const char* data, size_t n) {
  if (fd_ < 0) return fail(path_.c_str(), EBADF);
  const size_t total = n;
  while (n > 0) {
    const ssize_t w = ::write(fd_, data, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      // A short write is followed by one that says why (disk full, size
      // limit). The part already written is cut off again, so the file
      // ends with the last complete row.
      const int err = w < 0 ? errno : ENOSPC;
      if (n != total) (void)::ftruncate(fd_, size_);
      return fail(path_.c_str(), err);
    }
    data += w;
    n -= static_cast<size_t>(w);
  }
  size_ += static_cast<off_t>(total);
  // Rows written into a file that was removed or replaced reach nobody.
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0) return fail(path_.c_str(), errno);
  if (st.st_dev != dev_ || st.st_ino != ino_) {
    error_ = path_ + ": the file was replaced while recording";
    return false;
  }
  return true;
}

void RecorderFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace bx::recorder
