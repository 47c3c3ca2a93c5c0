// The live record (64 bytes) as the run loop takes it: sanitised and
// decoded, its texts, and the live displays drawn from it. Byte 64 picks
// the language (bit 0); the rest is the parameter set, teach table and unit
// switch the displays are drawn against.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "live/live_view.h"
#include "live/state_text.h"
#include "panel_rig.h"
#include "wire/live_record.h"

using bx::fuzz::check;
namespace rec = bx::liverec;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bx::fuzz::PanelRig rig;
  if (size < rec::kSize) return 0;  // the reply's length is fixed
  rig.reset();
  auto& ctx = rig.ctx;

  rec::Bytes raw;
  std::memcpy(raw.data(), data, rec::kSize);
  rec::Bytes clean = raw;
  rec::sanitise(clean);
  const rec::LiveValues v = rec::decode(clean);
  // Only the state code and the program are touched, and only into range.
  check(v.stateCode >= rec::kStateCodeMin && v.stateCode <= rec::kStateCodeMax);
  check(v.program <= rec::kProgramMax);
  for (size_t i = 0; i < rec::kSize; ++i) {
    const bool field = (i >= rec::STATE_CODE && i < rec::STATE_CODE + 2u) || (i >= rec::PROGRAM && i < rec::PROGRAM + 2u);
    if (!field) check(clean[i] == raw[i]);
  }
  rec::Bytes again = clean;
  rec::sanitise(again);
  check(again == clean);
  const rec::LiveValues unclean = rec::decode(raw);
  check(std::strcmp(bx::StateCodeText(unclean.stateCode), bx::StateCodeText(v.stateCode)) == 0);
  check(bx::ScanRateText(v.cycleUs).size() < 16);

  size_t used = rec::kSize;
  ctx.app.language = size > used ? data[used++] & 1 : 0;
  rig.takeSets(data + used, size - used);
  const int code = bx::ShownStateCode(ctx, unclean);
  check(code >= rec::kStateCodeMin && code <= rec::kStateCodeMax);
  const int program = bx::LiveProgram(ctx, unclean);
  check(program >= 0 && program <= static_cast<int>(rec::kProgramMax));

  // Each display sanitises its own copy: it is given the record unsanitised.
  std::copy(raw.begin(), raw.end(), ctx.live.record.begin());
  bx::PlotVIDEOBarGraph(ctx);
  bx::PlotVIDEOBarGraphTrigger(ctx);
  bx::PlotRAWGraph(ctx);
  bx::PlotLiveVideo(ctx, 0, false);
  return 0;
}
