#include "recorder/recording.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>

#include "context/context.h"
#include "link/exchange.h"
#include "link/ownership.h"
#include "link/report.h"
#include "link/transport.h"
#include "live/frame.h"
#include "live/pending.h"
#include "platform/clock.h"
#include "platform/date_text.h"
#include "platform/link_port.h"
#include "platform/wait.h"
#include "recorder/rec_display.h"
#include "recorder/rec_file.h"
#include "recorder/rec_rules.h"
#include "wire/calib_record.h"
#include "wire/orders.h"
#include "wire/recorder_sample.h"

namespace bx {
namespace {

constexpr double kLampFlashS = 0.1;
// The longest sleep of one pass: the operator's input and the stop button
// are served at least this often while the loop waits.
constexpr double kIdleSliceS = 0.02;
constexpr double kHeaderHuntS = 0.1;

void enableMainControls(Context& ctx) {
  // After a lost link the controls stay as the link-down display left them.
  const bool linkUp = OpenPort(ctx) != nullptr;
  ctx.ui.setOperable(ctx.refs.main.run, linkUp);
  ctx.ui.setOperable(ctx.refs.main.get, linkUp);
  ctx.ui.setOperable(ctx.refs.main.recStart, linkUp);
}

void freezeChart(Context& ctx) {
  ctx.recorder.chartPaused = true;
  const ui::CtlRef pause = ctx.refs.rec.pause;
  if (ctx.ui.valid(pause)) ctx.ui.setValue(pause, 1);
}

class Recording {
 public:
  Recording(Context& ctx, LoopOwnership& own, const RecordSettings& s, const RecordObserver* obs)
      : ctx_(ctx), own_(own), s_(s), obs_(obs) {}

  RecordOutcome run() {
    begin();
    ctx_.recorder.fileError.clear();
    if (!file_.open(s_.path)) {
      ctx_.recorder.fileError = file_.error();
      ctx_.status = "Error opening recorder output file";
      ctx_.ui.message(Localized(ctx_, "ATTENTION"), Localized(ctx_, ctx_.status) + "\n" + file_.error());
      ShowStatus(ctx_);
      finish();
      own_.end(false);
      return RecordOutcome::OpenFailed;
    }
    if (!writeHeader()) return end(RecordOutcome::WriteFailed);
    start_ = platform::Timer();
    due_ = start_ + s_.incrementS;
    own_.markRunning();
    ctx_.recorder.running = true;
    if (s_.mode == REC_TRIGGERED) {
      // The sensor sends a sample on every input event, recording or not:
      // what waits from before START is not part of this recording.
      if (platform::LinkPort* port = OpenPort(ctx_)) port->flush();
      ShowRecorderStatus(ctx_, "WAITING FOR EXT.-TRIGGER ...", recorder::kStatusBlue);
      // A sensor still in another RS-232 mode sends nothing: say what to do.
      if (ctx_.params.sensorRs232Mode != REC_TRIGGERED) {
        ctx_.status = "The sensor sends no samples yet: SEND the RS-232-MODE EXT-IN0-L/H, then START again!";
        ShowStatus(ctx_);
      }
    }
    // A static recording knows its end: samples done of the total and the
    // time left; Cancel is the page's STOP.
    std::optional<ProgressScope> progress;
    if (s_.mode == REC_STATIC) {
      progress.emplace(ctx_, "Recording: sample", s_.samples, false);
      SetProgressCancel(ctx_, &StopRecording);
    }
    RecordOutcome outcome = loop();
    progress.reset();
    return end(outcome);
  }

 private:
  // Steps before the file is opened: controls, start date and time, counter.
  void begin() {
    ctx_.ui.setOperable(ctx_.refs.main.run, false);
    ctx_.ui.setOperable(ctx_.refs.main.get, false);
    const auto& R = ctx_.refs.rec;
    for (ui::CtlRef r : {R.recDate, R.recTime, R.recCount, R.days, R.hours, R.minutes, R.seconds})
      ctx_.ui.setDimmed(r, false);
    platform::DateStr(date_);
    platform::TimeStr(time_);
    ShowRecordingStart(ctx_, date_, time_);
    ctx_.recorder.counter = 0;
    ShowSampleCounter(ctx_, 0);
    CalcRecTime(ctx_, 0);
    ShowRecorderStatus(ctx_, "", recorder::kStatusBlue);
  }

  bool writeHeader() {
    recorder::FileHeader h;
    h.date = date_;
    h.time = time_;
    h.incrementS = s_.headerMode == REC_TRIGGERED ? 0 : s_.incrementS;
    h.samples = s_.samples;
    h.offsetUm = calib::offsetUm(ctx_.calib.record);
    h.slopeX16384 = calib::slopeX16384(ctx_.calib.record);
    const std::string text = recorder::HeaderText(h);
    return file_.write(text.data(), text.size());
  }

  // The loop of one recording; returns how it ended.
  RecordOutcome loop() {
    for (;;) {
      bool marked = false;
      if (s_.mode == REC_STATIC) {
        if (platform::Timer() >= due_) {
          if (!requestSample()) return linkEnded();
          marked = true;
        }
      } else if (!takeTriggeredSample(marked)) {
        return linkEnded();
      }
      if (marked) {
        if (!appendRow()) return RecordOutcome::WriteFailed;
        if (obs_ && obs_->row) obs_->row(ctx_, obs_->user, ctx_.recorder.counter);
        if (s_.mode == REC_STATIC) {
          const int done = ctx_.recorder.counter;
          StepProgress(ctx_, done, (s_.samples - done) * s_.incrementS);
        }
      }
      const double now = platform::Timer();
      if (s_.mode == REC_TRIGGERED && lampOn_ && now >= ctx_.recorder.lampOffAt) {
        SetInputLamp(ctx_, false);
        lampOn_ = false;
      }
      const long elapsed = static_cast<long>(now - start_);
      if (elapsed != shownSeconds_) {
        shownSeconds_ = elapsed;
        CalcRecTime(ctx_, elapsed);
      }
      if (recorder::RecordingComplete(ctx_.recorder.counter, s_.samples)) return RecordOutcome::Completed;
      if (!marked) idle();
      if (s_.mode == REC_STATIC && ctx_.run.state == RUN_LOOP && ctx_.run.pending.any() && own_.serveBetweenCycles())
        return RecordOutcome::Stopped;
      if (obs_ && obs_->pass) obs_->pass(ctx_, obs_->user);
      if (ctx_.link.abort == 1 || ctx_.run.state != RUN_LOOP) return RecordOutcome::Stopped;
      if (OpenPort(ctx_) == nullptr) return RecordOutcome::TimedOut;
    }
  }

  // An exchange or wait that failed: the operator's stop or a dead link.
  RecordOutcome linkEnded() {
    const LinkFailure why = ctx_.link.failure;
    if (ctx_.link.abort == 1 || why == LinkFailure::Aborted || why == LinkFailure::Stopped) return RecordOutcome::Stopped;
    ctx_.status = FailureText(ctx_, "Timeout RS232-Line!", "Timeout TCP-Server-error!");
    ShowStatus(ctx_);
    return RecordOutcome::TimedOut;
  }

  // Static mode: one sample request. False when the exchange failed.
  bool requestSample() {
    // Keeps the cadence: the next sample is due one increment after this
    // one was due, unless the sensor is so slow that a whole increment is
    // already lost; then samples come as fast as replies do.
    const double now = platform::Timer();
    due_ += s_.incrementS;
    if (due_ < now) due_ = now;
    ShowRecorderStatus(ctx_, "DATA-RECORDER: RS-232-BUSY ...", recorder::kStatusBlue);
    if (Exchange(ctx_, order::kRecorderSample, 0) != 1 || ReplyLength(ctx_) < kRecorderSampleBytes) return false;
    takeSample(ReplyData(ctx_));
    return true;
  }

  // Triggered mode: a sample frame the sensor sent on its own, once a whole
  // header has arrived. Frames of other orders, bad headers and bad data
  // are dropped. False when the link went down.
  bool takeTriggeredSample(bool& marked) {
    platform::LinkPort* port = OpenPort(ctx_);
    if (port == nullptr) return false;
    if (port->available() < frame::kHeaderSize) return true;
    // The row carries the moment its frame came in, not when the loop got
    // round to it.
    platform::DateStr(arrivedDate_);
    platform::TimeStr(arrivedTime_);
    // The hunt for a header after damaged bytes is kept short so the loop
    // comes round for the lamp and the clock; a header once found gets the
    // payload's full wait inside GetDataFrame.
    if (GetDataFrame(ctx_, order::kRecorderSample, kHeaderHuntS) == 1) {
      if (ReplyLength(ctx_) >= kRecorderSampleBytes) {
        takeSample(ReplyData(ctx_));
        marked = true;
      }
      return true;
    }
    const LinkFailure why = ctx_.link.failure;
    if (why == LinkFailure::Closed || why == LinkFailure::LineError) return false;
    // A dropped frame is no failure of the recording.
    if (why != LinkFailure::Stopped && why != LinkFailure::Aborted) ctx_.link.failure = LinkFailure::None;
    return true;
  }

  void takeSample(const uint8_t* data) {
    ctx_.recorder.sample = recsample::decode(data);
    const LiveFrame frame = RecorderFrame(ctx_);
    PlotVIDEOBarGraphRecord(ctx_, frame);
    PlotRECGraph(ctx_, frame);
  }

  bool appendRow() {
    ShowRecorderStatus(ctx_, "APPEND TO DATA-FILE...", recorder::kStatusBlue);
    char date[platform::kDateStrSize], time[platform::kTimeStrSize];
    if (s_.mode == REC_TRIGGERED) {
      std::copy(std::begin(arrivedDate_), std::end(arrivedDate_), std::begin(date));
      std::copy(std::begin(arrivedTime_), std::end(arrivedTime_), std::begin(time));
    } else {
      platform::DateStr(date);
      platform::TimeStr(time);
    }
    char row[recorder::kRowBufferSize];
    const size_t n = recorder::FormatRow(row, date, time, ctx_.recorder.sample);
    if (!file_.write(row, n)) return false;
    const int counter = ++ctx_.recorder.counter;
    ShowSampleCounter(ctx_, counter);
    ctx_.status = "Data-Recorder active!   Sample: " + std::to_string(counter);
    ctx_.ui.setText(ctx_.refs.main.status,
                    Localized(ctx_, "Data-Recorder active!   Sample: %1", {std::to_string(counter)}));
    if (s_.mode == REC_TRIGGERED) {
      SetInputLamp(ctx_, true);
      lampOn_ = true;
      ctx_.recorder.lampOffAt = platform::Timer() + kLampFlashS;
      ShowRecorderStatus(ctx_, "WAITING FOR EXT.-TRIGGER ...", recorder::kStatusBlue);
    }
    return true;
  }

  // Sleeps until the next sample is due, bytes arrive or the slice ends,
  // then lets the operator's events through.
  void idle() {
    const double now = platform::Timer();
    double until = now + kIdleSliceS;
    if (s_.mode == REC_STATIC) until = std::min(until, due_);
    if (lampOn_) until = std::min(until, ctx_.recorder.lampOffAt);
    const double slice = std::max(0.0, until - now);
    const bool input = ctx_.ui.frontend != nullptr && ctx_.ui.frontend->inputPending();
    platform::LinkPort* port = OpenPort(ctx_);
    if (!input && slice > 0) {
      if (port != nullptr)
        (void)port->waitReadable(slice, &ctx_.link.abort);
      else
        (void)platform::waitReadable(nullptr, 0, slice);
    }
    if (port != nullptr && port->peerClosed()) LinkPortClosed(ctx_);
    ctx_.ui.processEvents();
  }

  void finish() {
    (void)file_.close();
    freezeChart(ctx_);
    enableMainControls(ctx_);
    SetInputLamp(ctx_, false);
    ctx_.recorder.running = false;
  }

  RecordOutcome end(RecordOutcome outcome) {
    // Only now do the rows take the chosen file's place: when that fails,
    // the recording failed on its file, however the loop ended.
    const bool kept = file_.close();
    if (!kept) outcome = RecordOutcome::WriteFailed;
    const std::string writeError = file_.error();
    if (outcome == RecordOutcome::WriteFailed) ctx_.recorder.fileError = writeError;
    finish();
    switch (outcome) {
      case RecordOutcome::Completed:
        ShowRecorderStatus(ctx_, "DATA-RECORDER COMPLETED!", recorder::kStatusBlue);
        ctx_.status = "Data-Recorder completed successfully!";
        break;
      case RecordOutcome::TimedOut:
        ShowRecorderStatus(ctx_, "DATA-REC. ERROR - TIMEOUT!", ui::kRed);
        ctx_.status = "Data-Recorder error - rs232 timeout!";
        break;
      case RecordOutcome::WriteFailed:
        ShowRecorderStatus(ctx_, "DATA-REC. ERROR - FILE WRITE!", ui::kRed);
        ctx_.status = "Data-Recorder error - recorder file write failed!";
        ctx_.ui.message(Localized(ctx_, "ATTENTION"),
                        Localized(ctx_, "Error writing recorder output file - recording stopped!") + "\n" +
                            writeError + "\n" +
                            Localized(ctx_, kept ? "The rows written before are kept." : "The file was not replaced."));
        break;
      default:
        ShowRecorderStatus(ctx_, "DATA-RECORDER STOPPED!", ui::kRed);
        ctx_.status = "Data-Recorder stopped!";
        break;
    }
    ShowStatus(ctx_);
    // Operator requests that came while the recording owned the link.
    own_.end(ctx_.run.pending.any() && OpenPort(ctx_) != nullptr);
    return outcome;
  }

  Context& ctx_;
  LoopOwnership& own_;
  const RecordSettings& s_;
  const RecordObserver* obs_;
  recorder::RecorderFile file_;
  char date_[platform::kDateStrSize] = {};
  char time_[platform::kTimeStrSize] = {};
  char arrivedDate_[platform::kDateStrSize] = {};
  char arrivedTime_[platform::kTimeStrSize] = {};
  double start_ = 0;
  double due_ = 0;
  long shownSeconds_ = -1;
  bool lampOn_ = false;
};

}  // namespace

RecordOutcome RunRecording(Context& ctx, const RecordSettings& settings, const RecordObserver* observer) {
  // A mode that records nothing is refused without a word, unless the link
  // is busy: that is said first.
  if (LinkIdle(ctx) && !recorder::ModeRecords(settings.mode)) return RecordOutcome::Refused;
  LoopOwnership own(ctx, &ServePendingRequests, LoopClaim::Idle);
  if (!own.owns()) return RecordOutcome::Refused;
  Recording rec(ctx, own, settings, observer);
  return rec.run();
}

void StopRecording(Context& ctx) {
  freezeChart(ctx);
  // Without a recording the button must not end a live loop that runs.
  if (!ctx.recorder.running) return;
  ctx.run.state = RUN_IDLE;
  enableMainControls(ctx);
}

}  // namespace bx
