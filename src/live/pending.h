#pragma once
// The run loop's step between two cycles: the operator requests that were
// left pending while the loop owned the link.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
namespace bx {
struct Context;

// Performs each pending request once and clears it, in this order: SEND,
// GET, teach, reset, test, edge refresh, refresh data, write calibration
// data, save calibration, stop calibration, lookup-table write. A stop
// calibration and a lookup-table write leave the run state idle. Then the
// abort flag: when raised, the run state becomes idle and the result is
// true, telling the loop to stop at once.
bool ServePendingRequests(Context& ctx);

}  // namespace bx
