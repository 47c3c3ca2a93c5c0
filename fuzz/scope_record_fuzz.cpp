// The scope's record as the sensor streams it (512 bytes of samples), then
// drawn into the scope graphs; the rest of the input is the parameter set,
// teach table and unit switch the graphs are drawn against.
#include <cstddef>
#include <cstdint>

#include "panel_rig.h"
#include "scope/view.h"
#include "wire/frame_format.h"
#include "wire/scope_record.h"

using bx::fuzz::check;
namespace rec = bx::scoperec;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bx::fuzz::PanelRig rig;
  rig.reset();
  auto& ctx = rig.ctx;

  // A short record leaves the samples as they were.
  std::array<uint32_t, rec::kSamples> samples;
  samples.fill(0xDEADBEEF);
  if (!rec::decodeRecord(data, size, samples)) {
    check(size < rec::kRecordBytes);
    for (uint32_t s : samples) check(s == 0xDEADBEEF);
    return 0;
  }
  for (size_t i = 0; i < samples.size(); ++i) {
    check(samples[i] == bx::frame::get32(data + 4 * i));
    const rec::Sample s = rec::decodeSample(samples[i]);
    check(s.valueUm <= rec::kValueMask);
    for (int k = 0; k < rec::kDigitalLines; ++k)
      check(s.line[static_cast<size_t>(k)] == (((samples[i] >> (rec::kFirstLineBit + k)) & 1u) != 0));
  }
  rig.takeSets(data + rec::kRecordBytes, size - rec::kRecordBytes);
  ctx.scope.samples = samples;
  ctx.scope.hasRecord = true;
  bx::PlotScopeRecord(ctx);
  return 0;
}
