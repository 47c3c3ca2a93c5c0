#pragma once
// Which edges the video graphs mark for a teach row, and which edge a click
// in the teach video graph picks. Pure functions over the edge lists, so the
// selection rules can be checked without a panel.
#include <cstddef>
#include <cstdint>

#include "live/state.h"

namespace bx {
struct Context;

// Index into merged (count entries) of the edge nearest to x (pixels): the
// distance of an edge is |edge - x / 8|; the first wins a tie. -1 when
// count is 0.
int FindMinDistIdx(const int16_t* merged, int count, double x);

struct EdgeNumbers {
  int a = 0, b = 0;
  int shownB = 0;  // what the edge-B number field shows
};
// The edge numbers the markers use: the row's own, or in internal trigger
// modes 3 and 4 the ones derived from the sixteenth slots of the lists.
EdgeNumbers DeriveEdgeNumbers(int intTriggerMode, int rowA, int rowB, const EdgeList& p, const EdgeList& n);

struct EdgeMarkers {
  int first = 0, second = 0;  // edge values (positions / 8 / 2^r)
};
// The markers for edge numbers a, b in two-edge or one-edge mode.
EdgeMarkers SelectEdgeMarkers(int a, int b, bool twoEdges, int searchDirection, const EdgeList& p,
                              const EdgeList& n);

// Draws the edge A/B markers of a program into the video graph (page 0) or
// the teach video graph (page 3) and shows the derived edge numbers. The
// bar becomes plot number slot; later plots are dropped.
void PlotEdgeGraph(Context& ctx, int program, int page, size_t slot);

}  // namespace bx
