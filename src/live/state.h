#pragma once
// Buffers filled by the live, video and edge requests, and the run state
// shared by the loops that can own the link.
#include <array>
#include <cstdint>

namespace bx {

enum RunStateValue : int { RUN_LOOP = 0, RUN_IDLE = 1, RUN_TIMEOUT = -1, RUN_RECORDER_DONE = 2 };

struct EdgeList {
  uint16_t count = 0;
  std::array<int16_t, 16> pos{};
};

struct LiveState {
  std::array<uint8_t, 64> record{};
  std::array<uint16_t, 256> video{};
  std::array<uint16_t, 256> thresholdProfile{};
  std::array<uint16_t, 256> triggeredVideo{};
  EdgeList edgeP, edgeN;
  uint16_t edgeTotal = 0;
  uint16_t edgeParam = 0;
  std::array<int16_t, 32> edgesMerged{};
  int armedTrigger = 0;           // 0, +1, -1
  int graphSwitch = 1;            // 1 video view, 0 roll view
};

struct RunState {
  int state = RUN_IDLE;
  bool pendingSend = false;
  bool pendingGet = false;
  bool pendingTeach = false;
  bool pendingReset = false;
  bool pendingTest = false;
  bool pendingEdgeRefresh = false;
  bool pendingRefreshData = false;
  bool pendingWriteCalib = false;
  bool pendingSaveCalib = false;
  bool pendingStopCalib = false;
};

}  // namespace bx
