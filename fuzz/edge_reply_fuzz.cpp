// The edge query's reply (68 bytes): decoded directly at any length, and
// taken by the edge query over the link; then everything drawn or picked
// from the two edge lists. Byte 0 selects the query kind (bit 0), the edge
// numbers of the teach row (bytes 1-4) and the internal trigger mode (byte
// 5, modes 0-4), byte 6 the pick position; then the reply (68 bytes or
// what there is) and the parameter set, teach table and unit switch.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "commands/commands.h"
#include "live/edge_markers.h"
#include "live/live_callbacks.h"
#include "panel_rig.h"
#include "params/fields.h"
#include "wire/edge_reply.h"
#include "wire/frame_format.h"
#include "wire/orders.h"

using bx::fuzz::check;
namespace er = bx::edgereply;

namespace {

bool same(const bx::EdgeList& a, const bx::EdgeList& b) { return a.count == b.count && a.pos == b.pos; }

// An edge value drawn or picked is one of the list slots (or 0 for none).
bool isSlot(int v, const bx::EdgeList& p, const bx::EdgeList& n) {
  if (v == 0) return true;
  return std::find(p.pos.begin(), p.pos.end(), v) != p.pos.end() ||
         std::find(n.pos.begin(), n.pos.end(), v) != n.pos.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bx::fuzz::PanelRig rig;
  constexpr size_t kHead = 7;
  if (size < kHead) return 0;
  rig.reset();
  auto& ctx = rig.ctx;
  const int kind = data[0] & 1;
  const int rowA = bx::frame::gets16(data + 1), rowB = bx::frame::gets16(data + 3);
  const int trig = data[5] % 5;
  const double pickX = data[6] * 16.0;
  const uint8_t* reply = data + kHead;
  const size_t length = std::min(size - kHead, er::kSize);

  // A short reply reads as the reply padded with zeros.
  bx::EdgeList p, n, pPadded, nPadded;
  er::decode(reply, length, p, n);
  uint8_t padded[er::kSize] = {};
  std::memcpy(padded, reply, std::min(length, er::kSize));
  er::decode(padded, er::kSize, pPadded, nPadded);
  check(same(p, pPadded) && same(n, nPadded));

  // Over the link a short reply is never taken.
  rig.reply(bx::order::kEdgeQuery, static_cast<uint16_t>(kind), reply, length);
  const int total = bx::GetEDGE(ctx, kind);
  if (length != er::kSize) {
    check(total == -1);
    return 0;
  }
  auto& live = ctx.live;
  check(same(live.edgeP, p) && same(live.edgeN, n));
  check(total == static_cast<uint16_t>(p.count + n.count));

  const bx::EdgeNumbers nums = bx::DeriveEdgeNumbers(trig, rowA, rowB, p, n);
  for (int twoEdges = 0; twoEdges < 2; ++twoEdges)
    for (int dir = 0; dir < 2; ++dir) {
      const bx::EdgeMarkers m = bx::SelectEdgeMarkers(nums.a, nums.b, twoEdges != 0, dir, p, n);
      check(isSlot(m.first, p, n) && isSlot(m.second, p, n));
    }
  int number = 0, value = 0;
  if (bx::PickEdge(live, pickX, number, value)) {
    check(number != 0 && number >= -16 && number <= 16);
    const bx::EdgeList& from = number < 0 ? n : p;
    check(std::abs(number) <= std::min<int>(from.count, 16) && value == from.pos[static_cast<size_t>(std::abs(number) - 1)]);
  } else {
    check(p.count == 0 && n.count == 0);
  }

  rig.takeSets(data + kHead + er::kSize, size - kHead - er::kSize);
  bx::param::set(ctx.params, bx::param::INT_TRIGGER_MODE, static_cast<uint16_t>(trig));
  for (int program = 0; program < 4; ++program) {
    bx::PlotEdgeGraph(ctx, program, 0, 1);
    bx::PlotEdgeGraph(ctx, program, 3, 1);
  }
  return 0;
}
