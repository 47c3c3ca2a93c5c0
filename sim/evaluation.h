#pragma once
// What the sensor makes of its edges for one teach row: which two edges it
// uses, the value in the row's evaluation mode, and whether enough edges of
// the needed kind were there.
#include <cstdint>
#include <vector>

#include "sim/config.h"

namespace bx::sim {

struct EdgeLists {
  std::vector<int> pos;  // edge list P: dark-to-light, pixel positions
  std::vector<int> neg;  // edge list N: light-to-dark
  int total() const { return static_cast<int>(pos.size() + neg.size()); }
};

struct RowSelection {
  int edgeA = 0;  // n > 0: n-th edge of P, n < 0: (-n)-th edge of N, 0: default
  int edgeB = 0;
  int mode = 0;   // 0 POSITION, 1 CENTER, 2 DISTANCE (others count as POSITION)
  int searchDirection = 0;
};

struct Measurement {
  int code = 0;  // 0 ok, -1 too few positive edges, -2 too few negative, -3 none
  int posA = 0;  // pixels
  int posB = 0;
  int valuePx = 0;
  int32_t valueUm = 0;
  int edgeCount = 0;
};

Measurement evaluate(const EdgeLists& edges, const RowSelection& row, const CalibRecord& calib);

}  // namespace bx::sim
