#include "sim/evaluation.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "sim/records.h"

namespace bx::sim {
namespace {

std::optional<int> numbered(const EdgeLists& e, int n) {
  const auto& list = n > 0 ? e.pos : e.neg;
  const size_t idx = static_cast<size_t>(std::min(std::abs(n), 16)) - 1;
  if (idx >= list.size()) return std::nullopt;
  return list[idx];
}

// The first and last edges over both lists, for the default edge (number 0).
struct Extremes {
  int firstMin, firstMax, lastMin, lastMax;
};

Extremes extremes(const EdgeLists& e) {
  std::vector<int> firsts, lasts;
  if (!e.pos.empty()) {
    firsts.push_back(e.pos.front());
    lasts.push_back(e.pos.back());
  }
  if (!e.neg.empty()) {
    firsts.push_back(e.neg.front());
    lasts.push_back(e.neg.back());
  }
  return {*std::min_element(firsts.begin(), firsts.end()), *std::max_element(firsts.begin(), firsts.end()),
          *std::min_element(lasts.begin(), lasts.end()), *std::max_element(lasts.begin(), lasts.end())};
}

// Which edge kinds a row needs, as the result codes report them.
int missingCode(const EdgeLists& e, const RowSelection& r, bool twoEdges) {
  auto check = [&](int n) {
    if (n > 0 && static_cast<int>(e.pos.size()) < std::min(n, 16)) return state::kLoPosEdges;
    if (n < 0 && static_cast<int>(e.neg.size()) < std::min(-n, 16)) return state::kLoNegEdges;
    return 0;
  };
  if (int c = check(r.edgeA)) return c;
  if (!twoEdges) return 0;
  if (int c = check(r.edgeB)) return c;
  // A default edge in a two-edge mode spans the shadow: it takes one edge of
  // each kind.
  if (r.edgeA == 0 || r.edgeB == 0) {
    if (e.pos.empty()) return state::kLoPosEdges;
    if (e.neg.empty()) return state::kLoNegEdges;
  }
  return 0;
}

}  // namespace

Measurement evaluate(const EdgeLists& e, const RowSelection& r, const CalibRecord& calib) {
  Measurement m;
  m.edgeCount = e.total();
  const int mode = (r.mode >= kPosition && r.mode <= kDistance) ? r.mode : kPosition;
  const bool twoEdges = mode != kPosition;
  if (m.edgeCount == 0) {
    m.code = state::kNoEdges;
    return m;
  }
  m.code = missingCode(e, r, twoEdges);
  if (m.code != 0) return m;

  const Extremes x = extremes(e);
  const bool forward = r.searchDirection == 0;
  if (!twoEdges) {
    m.posA = r.edgeA != 0 ? *numbered(e, r.edgeA) : (forward ? x.firstMin : x.firstMax);
    m.posB = m.posA;
    m.valuePx = m.posA;
  } else {
    if (r.edgeA != 0 && r.edgeB != 0) {
      m.posA = *numbered(e, r.edgeA);
      m.posB = *numbered(e, r.edgeB);
    } else if (r.edgeA == 0 && r.edgeB == 0) {
      m.posA = forward ? x.firstMin : x.lastMin;
      m.posB = forward ? x.lastMax : x.firstMax;
    } else if (r.edgeA == 0) {
      m.posA = forward ? x.firstMin : *numbered(e, r.edgeB);
      m.posB = forward ? *numbered(e, r.edgeB) : x.firstMax;
    } else {
      m.posA = *numbered(e, r.edgeA);
      m.posB = forward ? x.lastMax : x.firstMax;
    }
    m.valuePx = mode == kCenter ? (m.posA + m.posB + 1) / 2 : std::abs(m.posB - m.posA);
  }
  // A width has no origin; a position sits on the calibrated scale.
  m.valueUm = pixelsToUm(m.valuePx, calib.slopeX16384) + (mode == kDistance ? 0 : calib.offsetUm);
  return m;
}

}  // namespace bx::sim
