#include "recorder/rec_rules.h"

#include <cmath>

#include "recorder/state.h"

namespace bx::recorder {

Duration SplitDuration(long seconds) {
  Duration d;
  if (seconds < 0) seconds = 0;
  d.days = seconds / 86400;
  seconds %= 86400;
  d.hours = seconds / 3600;
  seconds %= 3600;
  d.minutes = seconds / 60;
  d.seconds = seconds % 60;
  return d;
}

Increment IncrementRule(double value) {
  Increment inc;
  inc.value = value;
  if (value > 1.0) {
    inc.step = 1.0;
    // A value shown as a whole number may carry a binary remainder; it
    // must not be rounded up to the next second.
    inc.value = std::ceil(value - 1e-9);
  } else {
    inc.step = 0.1;
  }
  return inc;
}

long ExpectedSeconds(double incrementS, int samples) {
  // 0.1 s is not exact in binary: 0.1 x 30 must give 3 s, not 2.
  return static_cast<long>(std::floor(incrementS * samples + 1e-6));
}

bool RecordingComplete(int rowsWritten, int samplesWanted) {
  return rowsWritten >= samplesWanted || rowsWritten > kRecorderMaxSamples - 1;
}

bool ModeRecords(int rs232Mode) { return rs232Mode == REC_STATIC || rs232Mode == REC_TRIGGERED; }

}  // namespace bx::recorder
