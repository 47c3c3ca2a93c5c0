#pragma once
// A recording as CSV for spreadsheets: comma-separated, a header row, one
// row per sample with its moment in ISO 8601 and its values in pixels and
// micrometres, '.' as the decimal point whatever the locale, UTF-8, CR LF
// line ends, fields quoted where they must be (RFC 4180).
#include <string>
#include <string_view>

#include "recorder/rec_reader.h"

namespace bx {
struct Context;

namespace recorder {

// The field as CSV: quoted, with its quotes doubled, when it holds a comma,
// a quote, a line break or blanks at either end; else as it is.
std::string CsvField(std::string_view field);
// The whole CSV text of a recording.
std::string CsvText(const Recording& rec);

// The recording's CSV written to out (a new file beside it that replaces
// out only when complete). False with the reason in error.
bool WriteCsv(const Recording& rec, const std::string& out, std::string& error);

enum class ConvertResult { Written, SourceRefused, WriteFailed };
// Reads the recorder file and writes its CSV. A file that is not a
// recorder file, or is damaged, writes nothing: the reason in error, in
// the language in force. The output may not name the recorder file itself.
ConvertResult ConvertToCsv(const Context& ctx, const std::string& recorderFile, const std::string& out,
                           std::string& error, int* rows = nullptr);

}  // namespace recorder
}  // namespace bx
