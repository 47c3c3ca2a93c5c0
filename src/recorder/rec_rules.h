#pragma once
// The recorder's arithmetic, apart from the panel: the duration shown in
// days, hours, minutes and seconds, the time increment's step rule and when
// a recording is complete.
namespace bx::recorder {

struct Duration {
  long days = 0, hours = 0, minutes = 0, seconds = 0;
};
// seconds / 86400, the rest / 3600, the rest / 60, the rest.
Duration SplitDuration(long seconds);

// A time increment after the operator's edit and the step that goes with it:
// above 1 s whole seconds (rounded up) in steps of 1 s, otherwise steps of
// 0.1 s.
struct Increment {
  double value = 1;
  double step = 0.1;
};
Increment IncrementRule(double value);

// The expected length of a recording in whole seconds (truncated).
long ExpectedSeconds(double incrementS, int samples);

// The recording has all its rows: the number asked for, or more than the
// file may hold.
bool RecordingComplete(int rowsWritten, int samplesWanted);

// The modes a recording is offered in (static and triggered).
bool ModeRecords(int rs232Mode);

}  // namespace bx::recorder
