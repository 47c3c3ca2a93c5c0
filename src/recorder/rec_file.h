#pragma once
// The recorder file: its header, its rows and the file itself. Rows go to
// a new file beside the chosen one as they are taken, each with one checked
// write, so a crash loses at most the row being written; at the end the
// file is synced and replaces the chosen one. A failed write or a file that
// is no longer where it was made is reported, never passed over.

#include <cstddef>
#include <cstdint>
#include <string>

#include "files/atomic_file.h"
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

class RecorderFile {
 public:
  RecorderFile() = default;
  RecorderFile(const RecorderFile&) = delete;
  RecorderFile& operator=(const RecorderFile&) = delete;
  ~RecorderFile() { (void)close(); }

  // Starts a new file for path (only a regular file or a new name is
  // replaced; see AtomicFile). False with the reason in error().
  bool open(const std::string& path);
  // Writes all n bytes. False when the system refused them (disk full, I/O
  // error; a part written is cut off again) or the new file was removed or
  // replaced meanwhile: whatever is written after that is lost to the
  // operator.
  bool write(const char* data, size_t n);
  // Syncs the rows written and puts the file in place of the chosen one;
  // after a failed write the complete rows before it are kept. False with
  // the reason when the file could not be put in place (the old one stays)
  // or was removed meanwhile.
  bool close();
  bool isOpen() const { return file_.isOpen(); }
  // Where the rows are until close() puts them in place.
  const std::string& tempPath() const { return file_.tempPath(); }
  const std::string& error() const { return replaced_.empty() ? file_.error() : replaced_; }

 private:
  AtomicFile file_;
  std::string replaced_;  // why the file being written is no longer ours
};

}  // namespace bx::recorder
