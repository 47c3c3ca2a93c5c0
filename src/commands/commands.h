#pragma once
// Single-request operations of the order table: live data, video data,
// edges, output reset, line test, video threshold, laser power, video
// refresh, calibration command.
#include <cstdint>

namespace bx {
struct Context;

int GetLiveData(Context& ctx, int trigger);
int GetDATA(Context& ctx, int kind);
int PushRefreshDATA(Context& ctx, int row);
int PushRESET(Context& ctx);
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
