// The recorder file's reader fed whole files: a file is taken whole or not
// at all, a refusal names a line inside the file, and what is taken turns
// into CSV with one row per sample and reads back the same when written
// again by the recorder's own row writer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "context/context.h"
#include "recorder/rec_csv.h"
#include "recorder/rec_file.h"
#include "recorder/rec_reader.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  bx::recorder::Recording rec;
  rec.samples = -7;
  bx::recorder::ReadFailure why;
  if (!bx::recorder::ParseRecording(text, rec, why)) {
    check(rec.samples == -7 && rec.rows.empty());
    check(why.line >= 1 && why.reason != nullptr && *why.reason != '\0');
    size_t lines = 1;
    for (char c : text) lines += c == '\n';
    check(static_cast<size_t>(why.line) <= lines + 1);
    return 0;
  }
  check(rec.samples >= static_cast<int>(rec.rows.size()) && rec.samples <= bx::kRecorderMaxSamples);
  const std::string csv = bx::recorder::CsvText(rec);
  size_t rows = 0;
  for (char c : csv) rows += c == '\n';
  check(rows == rec.rows.size() + 1);

  // Written again by the recorder, the rows read back as they were.
  bx::recorder::FileHeader h;
  h.date = rec.date.c_str();
  h.time = rec.time.c_str();
  h.incrementS = rec.incrementS;
  h.samples = rec.samples;
  h.offsetUm = rec.offsetUm;
  std::string again = bx::recorder::HeaderText(h);
  char buf[bx::recorder::kRowBufferSize];
  for (const auto& r : rec.rows)
    again.append(buf, bx::recorder::FormatRow(buf, bx::recorder::RowDate(r).c_str(), bx::recorder::RowTime(r).c_str(), r.sample));
  bx::recorder::Recording back;
  check(bx::recorder::ParseRecording(again, back, why));
  check(back.rows.size() == rec.rows.size());
  for (size_t i = 0; i < rec.rows.size(); ++i) {
    const auto& a = rec.rows[i].sample;
    const auto& b = back.rows[i].sample;
    check(a.value == b.value && a.edgeA == b.edgeA && a.edgeB == b.edgeB && a.edges == b.edges &&
          a.valueUm == b.valueUm && a.program == b.program && a.status == b.status);
    check(bx::recorder::RowIsoDateTime(rec.rows[i]) == bx::recorder::RowIsoDateTime(back.rows[i]));
  }
  return 0;
}
