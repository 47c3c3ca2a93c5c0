// The recorder's sample reply (12 bytes) as a recording takes it: decoded,
// drawn into the bar and roll graphs and written as a file row. The next
// four bytes stand for the program and status columns; the rest is the
// parameter set, teach table and unit switch.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "panel_rig.h"
#include "recorder/rec_display.h"
#include "recorder/rec_file.h"
#include "wire/frame_format.h"
#include "wire/recorder_sample.h"

using bx::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bx::fuzz::PanelRig rig;
  // A shorter reply is never taken as a sample.
  if (size < static_cast<size_t>(bx::kRecorderSampleBytes)) return 0;
  rig.reset();
  auto& ctx = rig.ctx;

  bx::RecorderSample s = bx::recsample::decode(data);
  check(s.edgeA == bx::frame::get16(data) && s.edgeB == bx::frame::get16(data + 2) &&
        s.value == bx::frame::get16(data + 4) && s.edges == bx::frame::get16(data + 6) &&
        s.valueUm == bx::frame::gets32(data + 8) && s.program == 0 && s.status == 0);
  size_t used = bx::kRecorderSampleBytes;
  if (size >= used + 4) {
    s.program = bx::frame::get16(data + used);
    s.status = bx::frame::gets16(data + used + 2);
    used += 4;
  }
  rig.takeSets(data + used, size - used);
  ctx.recorder.sample = s;
  bx::PlotVIDEOBarGraphRecord(ctx);
  bx::PlotRECGraph(ctx);

  // The row is never cut: it ends with its line end and reads back as the
  // sample.
  char row[bx::recorder::kRowBufferSize];
  const size_t n = bx::recorder::FormatRow(row, "09.12.2026", "03:04:05", s);
  check(n >= 2 && n < sizeof row && row[n] == '\0' && row[n - 2] == '\r' && row[n - 1] == '\n');
  char date[16], time[16];
  int value, a, b, edges, um, program, status;
  check(std::sscanf(row, "%15s %15s %d %d %d %d %d %d %d", date, time, &value, &a, &b, &edges, &um, &program,
                    &status) == 9);
  check(std::strcmp(date, "09.12.2026") == 0 && std::strcmp(time, "03:04:05") == 0);
  check(value == s.value && a == s.edgeA && b == s.edgeB && edges == s.edges && um == s.valueUm &&
        program == s.program && status == s.status);
  return 0;
}
