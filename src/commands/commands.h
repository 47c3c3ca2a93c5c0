#pragma once
// Single-request operations of the order table: live data, video data,
// edges, output reset, line test, video threshold, laser power, video
// refresh, calibration command.
//
// Results: the Get... and PushRefreshDATA return 1 on success and -1 on
// failure, the others 0 and -1, CalibrationCommand true and false; on
// failure the reason is in the status line (ctx.status) and
// ctx.link.failure. None of them switches a page or colours a field: the
// caller that owns the page shows a failure.
#include <cstdint>

namespace bx {
struct Context;

int GetLiveData(Context& ctx, int trigger);
int GetDATA(Context& ctx, int kind);
// The video profile again, shown in the measurement curve (display hook).
// A failure inside a loop sets the run state to RUN_TIMEOUT.
int PushRefreshDATA(Context& ctx, int row);
int PushRESET(Context& ctx);
// The line test: on success the sensor's answer (its serial number for the
// echo) is in ctx.link.hdr.param.
int PushTEST(Context& ctx, int order);
int WriteVideoDataToEE(Context& ctx, int value);
int WriteVideoDataToRAM(Context& ctx, int value);
int SetLaserPower(Context& ctx, int power);
int GetEDGE(Context& ctx, int kind);
bool CalibrationCommand(Context& ctx, unsigned mode, int32_t slopeX16384 = 0, int32_t offsetUm = 0);

// The merge rule of the edge lists, for tests.
struct EdgeList;
void MergeEdges(const EdgeList& p, const EdgeList& n, int16_t out[32]);

}  // namespace bx
