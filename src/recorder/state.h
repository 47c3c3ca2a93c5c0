#pragma once
// The data recorder's records: the last sample taken and the bookkeeping of
// the recording in progress.
#include <cstdint>
#include <string>
#include <vector>

#include "wire/recorder_sample.h"

namespace bx {

// RS-232 modes of the sensor (its RS-232-Mode parameter) as the recorder
// sees them.
enum RecorderMode : int { REC_STATIC = 0, REC_TRIGGERED = 1, REC_SIX_BYTE = 2, REC_CONTINUOUS = 3 };

constexpr int kRecorderSampleBytes = static_cast<int>(recsample::kSize);
constexpr int kRecorderMaxSamples = 32000;

namespace recorder {

// One row of a recorder file read back: the sample and the moment it was
// written.
struct RecordedRow {
  RecorderSample sample;
  uint16_t year = 0;
  uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// A recorder file read back: its header and rows.
struct Recording {
  std::string date, time;     // the header's, as written (MM-DD-YYYY, HH:MM:SS)
  double incrementS = 0;      // 0: triggered by the sensor's input
  int samples = 0;            // asked for; a stopped recording holds fewer rows
  int32_t offsetUm = 0;
  double slopeUmPerPixel = 0;
  std::vector<RecordedRow> rows;
  bool triggered() const { return incrementS == 0; }
};

}  // namespace recorder

struct RecorderState {
  RecorderSample sample;
  int32_t counter = 0;       // rows written in this recording
  bool running = false;
  bool chartPaused = false;  // the roll graph stands still; recording goes on
  bool chartPrepared = false;  // START's press cleared the roll graph
  double lampOffAt = 0;      // when the input lamp's sample flash ends
  std::string fileError;     // why the last recording failed on its file, naming it
  // A recording opened again: shown in the chart instead of the roll graph
  // until the next START.
  recorder::Recording opened;
  std::string openedPath;
  bool showingOpened = false;
  int cursorRow = 0;          // 0-based row the chart's cursor reads
};

}  // namespace bx
