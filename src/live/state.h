#pragma once
// Buffers filled by the live, video and edge requests.
#include <array>
#include <cstdint>
#include <string>

#include "wire/edge_reply.h"

namespace bx {

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
  uint16_t lastTriggerCount = 0;  // low 16 bits of the counter at the last handled trigger
  double toolCycleHz = 0;         // the run loop's own cycles per second, measured
  // The state text as last translated: the loop translates again only when
  // the code or the language changes, so a cycle allocates nothing.
  struct StateTextMemo {
    int code = 0;
    int language = -1;
    std::string text;
  } stateTextMemo;
  // The live displays are marked older than the last good cycle (after a
  // failure or STOP) until a live record refreshes them.
  bool displaysStale = false;
};

}  // namespace bx
