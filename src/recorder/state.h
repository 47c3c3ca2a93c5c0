#pragma once
// The data recorder's records: the last sample taken and the bookkeeping of
// the recording in progress.
#include <cstdint>
#include <string>

#include "wire/recorder_sample.h"

namespace bx {

// RS-232 modes of the sensor (its RS-232-Mode parameter) as the recorder
// sees them.
enum RecorderMode : int { REC_STATIC = 0, REC_TRIGGERED = 1, REC_SIX_BYTE = 2, REC_CONTINUOUS = 3 };

constexpr int kRecorderSampleBytes = static_cast<int>(recsample::kSize);
constexpr int kRecorderMaxSamples = 32000;

struct RecorderState {
  RecorderSample sample;
  int32_t counter = 0;       // rows written in this recording
  bool running = false;
  bool chartPaused = false;  // the roll graph stands still; recording goes on
  bool chartPrepared = false;  // START's press cleared the roll graph
  double lampOffAt = 0;      // when the input lamp's sample flash ends
  std::string fileError;     // why the last recording failed on its file, naming it
};

}  // namespace bx
