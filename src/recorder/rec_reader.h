#pragma once
// Reading a recorder file back: the header and every sample row, checked
// line by line. A file is taken whole or not at all: the first line that is
// not what a recorder writes is named, and nothing of the file is kept.
// Files of earlier tools of the family differ only in the header numbers'
// text (padded, other decimals, LF instead of CR LF), which is accepted.
#include <cstddef>
#include <string>
#include <string_view>

#include "recorder/state.h"

namespace bx {
struct Context;

namespace recorder {

// Why a file was refused. The reason is an English message template (a
// key of the language files) that takes arg as %1.
struct ReadFailure {
  int line = 0;  // 1-based; 0 when the file as a whole could not be read
  const char* reason = "";
  std::string arg;
};

// The largest file read: far more than the longest recording needs.
inline constexpr size_t kMaxRecorderFileBytes = size_t{16} << 20;

// Parses the text of a recorder file. False with the first fault in why;
// out is then left as it was.
bool ParseRecording(std::string_view text, Recording& out, ReadFailure& why);
// Reads and parses the file at path (only a regular file, at most
// kMaxRecorderFileBytes). False with the reason; out is then untouched.
bool ReadRecording(const std::string& path, Recording& out, ReadFailure& why);

// "PATH, line N: reason" in the language in force (without a line number
// when the file could not be read at all).
std::string ReadFailureText(const Context& ctx, const std::string& path, const ReadFailure& why);

// "MM-DD-YYYY" and "HH:MM:SS" of a row, as the file wrote them, and the
// same moment as ISO 8601 ("YYYY-MM-DDTHH:MM:SS", local time).
std::string RowDate(const RecordedRow& r);
std::string RowTime(const RecordedRow& r);
std::string RowIsoDateTime(const RecordedRow& r);

}  // namespace recorder
}  // namespace bx
