#pragma once
// The data recorder's records: the last sample taken and the bookkeeping of
// the recording in progress.
#include <cstdint>
#include <string>

namespace bx {

// RS-232 modes of the sensor (its RS-232-Mode parameter) as the recorder
// sees them.
enum RecorderMode : int { REC_STATIC = 0, REC_TRIGGERED = 1, REC_SIX_BYTE = 2, REC_CONTINUOUS = 3 };

constexpr int kRecorderSampleBytes = 12;
constexpr int kRecorderMaxSamples = 32000;

// One sample: the 12 bytes of the sample reply, and the program and status
// that the file's last two columns carry (0 while nothing provides them).
struct RecorderSample {
  uint16_t edgeA = 0;
  uint16_t edgeB = 0;
  uint16_t value = 0;
  uint16_t edges = 0;
  int32_t valueUm = 0;
  uint16_t program = 0;
  int16_t status = 0;
};

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
