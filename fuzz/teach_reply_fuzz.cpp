// The teach reply (order 6): the sensor's measured teach row and, in the
// frame's parameter, the teach result code, taken by a teach-in and shown
// on the pages. Byte 0 is the row asked for (signed), bytes 1-2 the result
// code, byte 3 the reply's length; then the reply, and the parameter set,
// teach table and unit switch the teach-in starts from.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "panel_rig.h"
#include "params/fields.h"
#include "params/teach.h"
#include "wire/frame_format.h"
#include "wire/orders.h"

using bx::fuzz::check;
namespace param = bx::param;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bx::fuzz::PanelRig rig;
  if (size < 4) return 0;
  rig.reset();
  auto& ctx = rig.ctx;
  const int asked = static_cast<int8_t>(data[0]);
  const int row = std::clamp(asked, 0, 3);
  const uint16_t code = bx::frame::get16(data + 1);
  const size_t length = std::min<size_t>(data[3], size - 4);
  const uint8_t* reply = data + 4;
  rig.takeSets(reply + length, size - 4 - length);

  rig.reply(bx::order::kTeachRow, code, reply, length);
  const auto before = ctx.params.teach;
  const int r = bx::PushTEACH(ctx, asked);

  // What was sent is the row as the teach-in started from it.
  const auto& sent = rig.port.written();
  check(sent.size() == bx::frame::kHeaderSize + 32u);
  std::array<uint8_t, 32> kept;
  std::memcpy(kept.data(), sent.data() + bx::frame::kHeaderSize, kept.size());
  const uint8_t* now = param::row(ctx.params, row);
  // The other rows stay as they were.
  for (int other = 0; other < 4; ++other)
    if (other != row)
      check(std::memcmp(param::row(ctx.params, other), before.data() + 32 * other, 32) == 0);

  if (length < 32) {
    check(r == -1 && std::memcmp(now, kept.data(), 32) == 0);
    return 0;
  }
  check(r == 0);
  const auto result = static_cast<int16_t>(code);
  const std::string state = ctx.ui.text(ctx.para.meas.stateText);
  if (result >= -3 && result <= -1) {
    // A failed teach keeps the row and names the reason.
    check(std::memcmp(now, kept.data(), 32) == 0);
    check(state == bx::TeachResultText(result));
  } else {
    check(std::memcmp(now, reply, 32) == 0);
    check(state == "TEACH OK");
  }
  check(param::get32(ctx.params, param::UM_TEACH) == param::rowGet32(ctx.params, row, param::ROW_UM_TEACH));
  return 0;
}
