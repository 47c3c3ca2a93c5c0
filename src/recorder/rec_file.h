#pragma once
// The recorder file: its header, its rows and the file itself. Rows go to
// the file as they are taken, each with one write, so a crash loses at most
// the row being written; a failed write or a file that is no longer where it
// was opened is reported, never passed over.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "recorder/state.h"

namespace bx::recorder {

struct FileHeader {
  const char* date = "";   // DateStr form
  const char* time = "";   // TimeStr form
  double incrementS = 0;   // 0 in triggered mode
  int samples = 0;
  int32_t offsetUm = 0;
  int32_t slopeX16384 = 0;
};

// The header exactly as it goes into the file: six lines and the column
// header, CR LF line ends, the micro sign as the single byte 0xB5.
std::string HeaderText(const FileHeader& h);

// Room for the longest row.
constexpr size_t kRowBufferSize = 128;
// One row for the sample into buf; returns its length.
size_t FormatRow(char (&buf)[kRowBufferSize], const char* date, const char* time, const RecorderSample& s);

// Decodes the 12 bytes of a sample reply (program and status stay 0).
RecorderSample DecodeSample(const uint8_t* data);

class RecorderFile {
 public:
  RecorderFile() = default;
  RecorderFile(const RecorderFile&) = delete;
  RecorderFile& operator=(const RecorderFile&) = delete;
  ~RecorderFile() { close(); }

  // Opens (creates) the file for appending. False with the reason in error().
  bool open(const std::string& path);
  // Writes all n bytes. False when the system refused them (disk full, I/O
  // error; a part written is cut off again) or the path no longer names
  // the file that was opened (removed, renamed, its folder replaced):
  // whatever is written after that is lost to the operator.
  bool write(const char* data, size_t n);
  void close();
  bool isOpen() const { return fd_ >= 0; }
  const std::string& error() const { return error_; }

 private:
  bool fail(const char* what, int err);
  int fd_ = -1;
  std::string path_;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
  off_t size_ = 0;  // bytes in the file after the last complete write
  std::string error_;
};

}  // namespace bx::recorder
