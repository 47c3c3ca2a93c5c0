// The calibration data file's parser fed whole files, over a state that
// already holds a record and a lookup table; then the display range the
// command-line tool derives from a file's record before writing it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calib/calib_file.h"
#include "calib/xflash_record.h"
#include "context/context.h"
#include "wire/calib_record.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

bool contains(const std::string& s, std::string_view part) { return s.find(part) != std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bx::Context ctx;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  bx::CalibState& c = ctx.calib;
  c = bx::CalibState{};
  c.record.bytes.fill(0x5A);
  c.lookup.fill(0xA5);
  c.fileSlopeUm = 7.5;
  const bx::CalibState before = c;

  std::string why = "left over";
  const int r = bx::ParseCalibrationData(text, c, why);
  if (r != 1) {
    check(r == 0 && !why.empty() && why != "left over");
    // A refused file never leaves a half-filled lookup table behind.
    check(c.lookup == before.lookup);
    // A wrong first line or header value changes nothing at all.
    if (contains(why, "[HEADER]") || contains(why, "header value"))
      check(c.record.bytes == before.record.bytes && c.fileSlopeUm == before.fileSlopeUm &&
            c.pflashArea == before.pflashArea);
    return 0;
  }
  check(why.empty());
  // The table holds the announced number of bytes; the rest is zero.
  const unsigned want = bx::LookupBytesForXfSize(bx::calib::field16(c.record, bx::calib::OFF_XF_SIZE));
  check(want <= c.lookup.size());
  check(std::all_of(c.lookup.begin() + want, c.lookup.end(), [](uint8_t b) { return b == 0; }));
  // The record's slope field is the file's slope.
  check(bx::calib::slopeX16384(c.record) == bx::calib::slopeToFixed(c.fileSlopeUm));

  bx::ComputeCalibDisplayRange(ctx);
  check(c.rangeBeginUm == bx::calib::offsetUm(c.record));
  check(c.scaleStepUm >= 2000);
  return 0;
}
