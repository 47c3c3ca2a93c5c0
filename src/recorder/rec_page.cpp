#include "recorder/rec_page.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "context/context.h"
#include "files/atomic_file.h"
#include "link/exchange.h"
#include "link/report.h"
#include "params/fields.h"
#include "platform/file_info.h"
#include "recorder/rec_display.h"
#include "recorder/rec_rules.h"
#include "recorder/rec_view.h"

namespace bx {
namespace {

bool fileExists(const std::string& path) { return platform::EntryExists(path); }

void cannotOverwrite(Context& ctx, const std::string& path, const std::string& why) {
  ctx.ui.message(Localized(ctx, "ATTENTION"), Localized(ctx, "The file cannot be overwritten: %1 (%2)", {path, why}));
}

// Removes the file the operator agreed to overwrite; false (and said so)
// when it stays. Only a regular file is removed: a FIFO, a device or a
// folder is refused, and a link stays, since the recording writes its target.
bool removeConfirmed(Context& ctx, const std::string& path) {
  std::string why;
  if (!checkOutputTarget(path, &why)) {
    cannotOverwrite(ctx, path, why);
    return false;
  }
  if (platform::IsSymbolicLink(path)) return true;
  if (platform::RemoveFile(path, why)) return true;
  cannotOverwrite(ctx, path, why);
  return false;
}

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, std::max<size_t>(slash, 1));
}

int pageMode(const Context& ctx) { return ctx.ui.intValue(ctx.refs.rec.rs232Mode); }

// The enabling rules of the RS-232 mode: static records with everything,
// triggered without the time increment, the 6-byte modes not at all.
void applyModeRules(Context& ctx, int mode) {
  const bool records = recorder::ModeRecords(mode);
  ctx.ui.setOperable(ctx.refs.rec.incTime, mode == REC_STATIC);
  const auto& R = ctx.refs.rec;
  for (ui::CtlRef r : {R.samples, R.pause, R.stop, R.fileBtn}) ctx.ui.setOperable(r, records);
  // The file field has no action of its own: dimmed with its button.
  ctx.ui.setDimmed(ctx.refs.rec.file, !records);
  // START also needs a sensor, and no recording in progress.
  ctx.ui.setOperable(ctx.refs.rec.start, records && OpenPort(ctx) != nullptr && !ctx.recorder.running);
  ApplyOpenedRecordingRules(ctx);
}

void showExpectedDuration(Context& ctx) {
  const double inc = ctx.ui.value(ctx.refs.rec.incTime);
  const int samples = ctx.ui.intValue(ctx.refs.rec.samples);
  CalcRecTime(ctx, recorder::ExpectedSeconds(inc, samples));
}

}  // namespace

void ShowRecorderMode(Context& ctx) {
  const int mode = param::get(ctx.params, param::RS232_MODE);
  const ui::CtlRef ring = ctx.refs.rec.rs232Mode;
  // Mode 4 passes the sanitising but has no item: the ring keeps its value.
  if (ctx.ui.valid(ring) && ctx.ui.itemIndexOfValue(ring, mode) >= 0) ctx.ui.setValue(ring, mode);
  applyModeRules(ctx, mode);
  if (!ctx.recorder.running) ShowRecorderAxis(ctx);
  // An opened recording follows the unit too.
  RedrawOpenedRecording(ctx);
}

RecordOutcome PushRECORD(Context& ctx, const RecordObserver* observer) {
  if (ctx.recorder.running) return RecordOutcome::Refused;
  const std::string path = ctx.app.recorderPath;
  if (fileExists(path)) {
    if (!ctx.ui.confirm(Localized(ctx, "ATTENTION !"), Localized(ctx, "File already exist - overwrite ?")))
      return RecordOutcome::Refused;
    // Nothing is removed here: the finished recording replaces the file,
    // and opening it refuses anything but a regular file.
  }
  if (!ctx.recorder.chartPrepared) PrepareRecorderChart(ctx);
  ctx.recorder.chartPrepared = false;
  RecordSettings s;
  // The loop follows the parameter set as last taken from the panels; the
  // header's time increment follows the page's ring.
  s.mode = param::get(ctx.params, param::RS232_MODE);
  s.headerMode = pageMode(ctx);
  s.incrementS = std::clamp(ctx.ui.value(ctx.refs.rec.incTime), 0.1, 3600.0);
  s.samples = std::clamp(ctx.ui.intValue(ctx.refs.rec.samples), 1, kRecorderMaxSamples);
  s.path = path;
  ctx.ui.setOperable(ctx.refs.rec.start, false);
  // No file is opened or exported while one is being written.
  ctx.ui.setOperable(ctx.refs.rec.openRec, false);
  ctx.ui.setOperable(ctx.refs.rec.exportCsv, false);
  const RecordOutcome r = RunRecording(ctx, s, observer);
  applyModeRules(ctx, param::get(ctx.params, param::RS232_MODE));
  return r;
}

int CC_PICBTNrecfile(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  ui::FileRequest req;
  req.save = true;
  req.directory = directoryOf(ctx.app.recorderPath.empty() ? ctx.app.userFilesDir + "/RECORD.DAT" : ctx.app.recorderPath);
  req.defaultName = "RECORD.DAT";
  req.filter = "*.dat";
  req.title = "Quellan-Series Recorder-File:";
  req.restrictExtension = true;
  req.allowNewFolder = true;
  std::string path;
  const ui::FileResult r = ctx.ui.fileSelect(req, path);
  if (r == ui::FILE_CANCEL || path.empty()) return 0;
  if (r == ui::FILE_EXISTING) {
    if (!ctx.ui.confirm(Localized(ctx, "ATTENTION!"), Localized(ctx, "Output-File already exist! - Overwrite ?")))
      return 0;
    if (!removeConfirmed(ctx, path)) return 0;
  }
  ctx.app.recorderPath = path;
  ctx.ui.setText(ctx.refs.rec.file, path);
  return 0;
}

int CC_CBTNStartRecord(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    if (ctx.recorder.running) return 0;
    PrepareRecorderChart(ctx);
    ctx.recorder.chartPrepared = true;
  } else if (ev.event == ui::EVENT_COMMIT) {
    (void)PushRECORD(ctx);
  }
  return 0;
}

int CC_PICBTNPauseRecord(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) ctx.recorder.chartPaused = ctx.ui.intValue(ctx.refs.rec.pause) != 0;
  return 0;
}

int CC_PICBTNStopRecord(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) StopRecording(ctx);
  return 0;
}

int CC_DROPrs232mode(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT && ev.event != ui::EVENT_VAL_CHANGED) return 0;
  // The same callback serves the recorder page's ring and the parameter
  // page's: both show the one parameter.
  const ui::CtlRef fired{ev.panel, ev.control};
  if (!ctx.ui.valid(fired)) return 0;
  const int mode = ctx.ui.intValue(fired);
  param::set(ctx.params, param::RS232_MODE, static_cast<uint16_t>(mode));
  for (ui::CtlRef r : {ctx.refs.rec.rs232Mode, ctx.para.p1.rs232Mode})
    if (ctx.ui.valid(r) && !(r == fired)) ctx.ui.setValue(r, mode);
  applyModeRules(ctx, mode);
  return 0;
}

int CC_NUMsample(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT && ev.event != ui::EVENT_VAL_CHANGED) return 0;
  if (ctx.ui.intValue(ctx.refs.rec.samples) < kRecorderMaxSamples) showExpectedDuration(ctx);
  return 0;
}

int CC_NUMinctime(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT && ev.event != ui::EVENT_VAL_CHANGED) return 0;
  const ui::CtlRef r = ctx.refs.rec.incTime;
  const recorder::Increment inc = recorder::IncrementRule(ctx.ui.value(r));
  ctx.ui.setStep(r, inc.step);
  if (inc.value != ctx.ui.value(r)) ctx.ui.setValue(r, inc.value);
  if (inc.value < 3600) showExpectedDuration(ctx);
  return 0;
}

int CC_TOGGZoomRecorder(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) {
    ApplyRecorderZoom(ctx);
    RedrawOpenedRecording(ctx);
  }
  return 0;
}

// The graph itself takes no action; its help comes with the right click.
int CC_GRAPHRecorder(Context&, const ui::EventArgs&) { return 0; }

#define BX_CB(name) {#name, &name}

const ui::CallbackEntry* RecorderCallbacks(size_t& count) {
  static const ui::CallbackEntry kTable[] = {
      BX_CB(CC_PICBTNrecfile),   BX_CB(CC_CBTNStartRecord), BX_CB(CC_PICBTNPauseRecord),
      BX_CB(CC_PICBTNStopRecord), BX_CB(CC_DROPrs232mode),  BX_CB(CC_NUMsample),
      BX_CB(CC_NUMinctime),      BX_CB(CC_TOGGZoomRecorder), BX_CB(CC_GRAPHRecorder),
      BX_CB(CC_PICBTNOpenRecording), BX_CB(CC_PICBTNExportCsv), BX_CB(CC_GRAPHRecording),
  };
  count = sizeof kTable / sizeof kTable[0];
  return kTable;
}

#undef BX_CB

void InstallRecorderDisplays(Context& ctx) { ctx.displays.recorderMode = &ShowRecorderMode; }

}  // namespace bx
