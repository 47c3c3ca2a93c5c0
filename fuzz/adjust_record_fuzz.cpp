// The sensor's adjustment record (order 130): read when the adjustment
// panel starts, then exchanged once per loop cycle, each shown on the panel.
// Byte 0 picks the unit of the measured value (0-2); then the reply to the
// read and the reply to the exchange, 32 bytes each or what there is.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "factory/adjust_panel.h"
#include "factory/adjust_record.h"
#include "panel_rig.h"
#include "wire/orders.h"

using bx::fuzz::check;
namespace fa = bx::factory;

namespace {

// Shown and sent back, a measured value comes back to itself within the
// truncation of each way, unless the shown value stood at its limit.
void checkMeasuredRoundTrip(int16_t raw) {
  for (int unit : {fa::kUnitScaled0, fa::kUnitRaw, fa::kUnitScaled2}) {
    const int shown = fa::ShowMeasured(raw, unit);
    check(shown >= -32768 && shown <= 32767);
    if (shown <= -32768 || shown >= 32767) continue;
    const int back = static_cast<int16_t>(fa::MeasuredToRaw(shown, unit));
    check(std::abs(back - raw) <= 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bx::fuzz::PanelRig rig;
  if (size < 1) return 0;
  rig.reset();
  auto& ctx = rig.ctx;
  check(ctx.factory.panel >= 0);
  ctx.factory.lastMode = -1;
  ctx.factory.storesTaken = 0;
  const auto page = [&](int p) { return ctx.ui.panel(ctx.factory.pages[p]).name; };
  const bx::ui::CtlRef unitField = ctx.ui.find(page(0), "UNIT");
  const bx::ui::CtlRef measured = ctx.ui.find(page(0), "MEASURED");
  const int unit = data[0] % 3;
  ctx.ui.setValue(unitField, unit);
  ctx.ui.setValue(measured, 12345);
  const uint8_t* first = data + 1;
  const size_t firstLength = std::min<size_t>(size - 1, fa::kAdjustSize);
  const uint8_t* second = first + firstLength;
  const size_t secondLength = std::min<size_t>(size - 1 - firstLength, fa::kAdjustSize);

  rig.reply(bx::order::kPotentiometer, 0, first, firstLength);
  const int read = bx::i2cadjust_preload(ctx);
  // Only a whole record is shown; a failed read leaves the panel as it was.
  if (firstLength < static_cast<size_t>(fa::kAdjustSize)) {
    check(read == -1 && ctx.ui.value(measured) == 12345);
    return 0;
  }
  check(read == 0);
  const auto raw = static_cast<int16_t>(bx::frame::get16(first + fa::kMeasuredOffset));
  check(ctx.ui.intValue(measured) == fa::ShowMeasured(raw, unit));
  checkMeasuredRoundTrip(raw);

  rig.reply(bx::order::kPotentiometer, 0, second, secondLength);
  const double shownBefore = ctx.ui.value(measured);
  const int exchanged = bx::i2cadjust_single_iter(ctx);
  if (secondLength < static_cast<size_t>(fa::kAdjustSize)) {
    check(exchanged == -1 && ctx.ui.value(measured) == shownBefore);
    return 0;
  }
  check(exchanged == 0);
  const auto raw2 = static_cast<int16_t>(bx::frame::get16(second + fa::kMeasuredOffset));
  check(ctx.ui.intValue(measured) == fa::ShowMeasured(raw2, unit));
  checkMeasuredRoundTrip(raw2);
  return 0;
}
