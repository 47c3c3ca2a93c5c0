#include "recorder/rec_csv.h"

#include "context/context.h"
#include "files/atomic_file.h"
#include "link/report.h"
#include "platform/file_info.h"

namespace bx::recorder {

std::string CsvField(std::string_view field) {
  const bool blanksAtEnds =
      !field.empty() && (field.front() == ' ' || field.front() == '\t' || field.back() == ' ' || field.back() == '\t');
  if (field.find_first_of(",\"\r\n") == std::string_view::npos && !blanksAtEnds) return std::string(field);
  std::string q;
  q.reserve(field.size() + 2);
  q += '"';
  for (char c : field) {
    if (c == '"') q += '"';
    q += c;
  }
  q += '"';
  return q;
}

std::string CsvText(const Recording& rec) {
  static constexpr std::string_view kHeader[] = {"SAMPLE", "DATE-TIME", "M-VALUE[pixel]", "M-VAL[um]", "EDG-A[pixel]",
                                                 "EDG-B[pixel]", "EDG-N", "PROG", "STATE"};
  std::string s;
  s.reserve(64 + rec.rows.size() * 64);
  for (size_t i = 0; i < std::size(kHeader); ++i) {
    if (i) s += ',';
    s += CsvField(kHeader[i]);
  }
  s += "\r\n";
  int n = 0;
  for (const RecordedRow& r : rec.rows) {
    const RecorderSample& v = r.sample;
    // Whole numbers only: no decimal point a locale could change.
    const std::string fields[] = {std::to_string(++n),      RowIsoDateTime(r),       std::to_string(v.value),
                                  std::to_string(v.valueUm), std::to_string(v.edgeA), std::to_string(v.edgeB),
                                  std::to_string(v.edges),   std::to_string(v.program), std::to_string(v.status)};
    for (size_t i = 0; i < std::size(fields); ++i) {
      if (i) s += ',';
      s += CsvField(fields[i]);
    }
    s += "\r\n";
  }
  return s;
}

bool WriteCsv(const Recording& rec, const std::string& out, std::string& error) {
  return writeFileAtomic(out, CsvText(rec), &error);
}

ConvertResult ConvertToCsv(const Context& ctx, const std::string& recorderFile, const std::string& out,
                           std::string& error, int* rows) {
  Recording rec;
  ReadFailure why;
  if (!ReadRecording(recorderFile, rec, why)) {
    error = ReadFailureText(ctx, recorderFile, why);
    return ConvertResult::SourceRefused;
  }
  // Writing the CSV over its own source would lose the recording.
  if (platform::SameExistingFile(recorderFile, out)) {
    error = Localized(ctx, "%1 is the recorder file itself: nothing written", {out});
    return ConvertResult::WriteFailed;
  }
  std::string why2;
  if (!WriteCsv(rec, out, why2)) {
    error = Localized(ctx, "The CSV file cannot be written: %1", {why2});
    return ConvertResult::WriteFailed;
  }
  if (rows) *rows = static_cast<int>(rec.rows.size());
  return ConvertResult::Written;
}

}  // namespace bx::recorder
