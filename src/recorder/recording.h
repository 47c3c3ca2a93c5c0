#pragma once
// A recording: samples from the sensor, one per time increment (static) or
// one per trigger event at its input (triggered), each appended to the
// recorder file as it arrives, until the number asked for, the operator's
// stop, a dead link or a file that cannot be written.
#include <string>

namespace bx {
struct Context;

struct RecordSettings {
  int mode = 0;              // RecorderMode the loop acts on
  int headerMode = 0;        // mode whose time-increment rule the header follows
  double incrementS = 1.0;
  int samples = 100;
  std::string path;
};

enum class RecordOutcome {
  Completed,
  Stopped,      // the operator's stop, Disconnect or closing
  TimedOut,     // a sample request went unanswered, or the link went down
  WriteFailed,  // the file could not be written; the rows before stay
  OpenFailed,   // nothing recorded
  Refused,      // another operation holds the link, or the mode records nothing
};

// What a front-end without a panel wants to know while the loop runs.
struct RecordObserver {
  void* user = nullptr;
  // Once per pass of the loop, after the events were processed.
  void (*pass)(Context& ctx, void* user) = nullptr;
  // After each row reached the file.
  void (*row)(Context& ctx, void* user, int counter) = nullptr;
};

// Runs one recording to its end and reports it in the recorder status field
// and the status line; the run state is idle afterwards.
RecordOutcome RunRecording(Context& ctx, const RecordSettings& settings, const RecordObserver* observer = nullptr);
// The stop button's effect: the running loop ends at its next pass.
void StopRecording(Context& ctx);

}  // namespace bx
