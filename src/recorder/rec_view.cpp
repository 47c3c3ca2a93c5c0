#include "recorder/rec_view.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "context/context.h"
#include "link/report.h"
#include "live/live_values.h"
#include "live/state_text.h"
#include "params/units.h"
#include "platform/file_info.h"
#include "recorder/rec_csv.h"
#include "recorder/rec_reader.h"

namespace bx {
namespace {

std::string baseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : path.substr(0, std::max<size_t>(slash, 1));
}

// The recorder file's name with ".csv" in place of its extension.
std::string csvName(const std::string& path) {
  std::string name = baseName(path);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name + ".csv";
}

void setNum(Context& ctx, ui::CtlRef r, double v) {
  if (ctx.ui.valid(r)) ctx.ui.setValue(r, v);
}

void setTxt(Context& ctx, ui::CtlRef r, const std::string& t) {
  if (ctx.ui.valid(r) && ctx.ui.text(r) != t) ctx.ui.setText(r, t);
}

const recorder::Recording& opened(const Context& ctx) { return ctx.recorder.opened; }

// The value the chart draws for a row, in the unit in force: the file's
// pixel column, or its micrometre column in millimetres.
double shownValue(const Context& ctx, const recorder::RecordedRow& r) {
  return ctx.params.unitMm == 1 ? r.sample.valueUm / 1000.0 : static_cast<double>(r.sample.value);
}

// The RS-232 mode's label as the page's ring shows it.
std::string modeLabel(const Context& ctx, int mode) {
  const ui::CtlRef ring = ctx.refs.rec.rs232Mode;
  const int i = ctx.ui.valid(ring) ? ctx.ui.itemIndexOfValue(ring, mode) : -1;
  return i >= 0 ? ctx.ui.at(ring).items[static_cast<size_t>(i)].label : std::to_string(mode);
}

void showHeader(Context& ctx) {
  const recorder::Recording& rec = opened(ctx);
  const auto& R = ctx.refs.rec;
  setNum(ctx, R.hdrOffset, rec.offsetUm);
  setNum(ctx, R.hdrSlope, rec.slopeUmPerPixel);
  setTxt(ctx, R.hdrMode, modeLabel(ctx, rec.triggered() ? REC_TRIGGERED : REC_STATIC));
  setNum(ctx, R.hdrInc, rec.incrementS);
  setTxt(ctx, R.hdrFile,
         Localized(ctx, "%1 / %2, %3 %4",
                   {std::to_string(rec.rows.size()), std::to_string(rec.samples), rec.date, rec.time}));
}

void drawChart(Context& ctx) {
  const ui::CtlRef g = ctx.refs.rec.recView;
  if (!ctx.ui.valid(g)) return;
  const recorder::Recording& rec = opened(ctx);
  const bool mm = ctx.params.unitMm == 1;
  ui::GraphModel& gm = ctx.ui.graph(g);
  const size_t n = rec.rows.size();
  gm.x.min = n > 1 ? 1 : 0;
  gm.x.max = n > 1 ? static_cast<double>(n) : 2;
  gm.x.precision = 0;
  gm.x.autoscale = false;
  gm.x.caption = Localized(ctx, "SAMPLE-NO.");
  gm.y.caption = Localized(ctx, "MEASUREMENT-VALUE %1", {mm ? "[mm]" : "[pixel]"});
  gm.y.precision = mm ? ctx.ident.model.axisDecimals : 0;
  ui::Plot& p = gm.plotAt(0);
  p.color = ui::kBlue;
  p.x.resize(n);
  p.y.resize(n);
  double lo = 0, hi = 0;
  for (size_t i = 0; i < n; ++i) {
    p.x[i] = static_cast<double>(i + 1);
    p.y[i] = shownValue(ctx, rec.rows[i]);
    lo = i ? std::min(lo, p.y[i]) : p.y[i];
    hi = i ? std::max(hi, p.y[i]) : p.y[i];
  }
  gm.keepPlots(1);
  // As the roll graph: the zoom toggle follows the values, else the whole
  // measuring range, widened where a recording of another sensor leaves it.
  const ui::CtlRef zoom = ctx.refs.rec.zoomRec;
  gm.y.autoscale = ctx.ui.valid(zoom) && ctx.ui.intValue(zoom) != 0 && n > 0;
  double ymin = mm ? liveview::AxisStartMm(ctx) : 1;
  double ymax = mm ? std::ceil(ctx.ident.model.workingRangeMm) : PixelCount(ctx);
  if (n > 0) {
    ymin = std::min(ymin, std::floor(lo));
    ymax = std::max(ymax, std::ceil(hi));
  }
  if (!(ymax > ymin)) ymax = ymin + 1;
  gm.y.min = ymin;
  gm.y.max = ymax;
}

void clearReading(Context& ctx) {
  const auto& R = ctx.refs.rec;
  for (ui::CtlRef r : {R.recDate, R.recTime, R.recState}) setTxt(ctx, r, "");
  for (ui::CtlRef r : {R.recCount, R.recVal, R.recMm, R.recEdges, R.recProg}) setNum(ctx, r, 0);
}

void showChartInPlace(Context& ctx, bool openedOne) {
  ctx.ui.setVisible(ctx.refs.rec.recView, openedOne);
  ctx.ui.setVisible(ctx.refs.rec.recGraph, !openedOne);
}

}  // namespace

void ApplyOpenedRecordingRules(Context& ctx) {
  const bool idle = !ctx.recorder.running;
  ctx.ui.setOperable(ctx.refs.rec.openRec, idle);
  ctx.ui.setOperable(ctx.refs.rec.exportCsv, idle && ctx.recorder.showingOpened);
}

bool OpenRecording(Context& ctx, const std::string& path) {
  if (ctx.recorder.running) return false;
  recorder::Recording rec;
  recorder::ReadFailure why;
  if (!recorder::ReadRecording(path, rec, why)) {
    // What is shown stays as it was: the file is taken whole or not at all.
    const std::string text = recorder::ReadFailureText(ctx, path, why);
    ShowStatusText(ctx, text);
    ctx.ui.message(Localized(ctx, "ATTENTION"), Localized(ctx, "The recording was not opened:") + "\n" + text);
    return false;
  }
  ctx.recorder.opened = std::move(rec);
  ctx.recorder.openedPath = path;
  ctx.recorder.showingOpened = true;
  ctx.recorder.cursorRow = 0;
  const auto& R = ctx.refs.rec;
  for (ui::CtlRef r : {R.hdrOffset, R.hdrSlope, R.hdrMode, R.hdrInc, R.hdrFile, R.recDate, R.recTime, R.recCount})
    ctx.ui.setDimmed(r, false);
  // The value fields read the cursor here, not the tolerances of today's
  // parameter set.
  for (ui::CtlRef r : {R.recVal, R.recMm})
    if (ctx.ui.valid(r)) ctx.ui.setBgColor(r, ui::kWhite);
  showChartInPlace(ctx, true);
  RedrawOpenedRecording(ctx);
  ApplyOpenedRecordingRules(ctx);
  ShowStatusText(ctx, Localized(ctx, "Recording opened: %1 (%2 samples)",
                                {baseName(path), std::to_string(ctx.recorder.opened.rows.size())}));
  return true;
}

void RedrawOpenedRecording(Context& ctx) {
  if (!ctx.recorder.showingOpened) return;
  showHeader(ctx);
  drawChart(ctx);
  ShowRecordingCursor(ctx, ctx.recorder.cursorRow);
}

void ShowRecordingCursor(Context& ctx, int row) {
  if (!ctx.recorder.showingOpened) return;
  const recorder::Recording& rec = opened(ctx);
  const ui::CtlRef g = ctx.refs.rec.recView;
  const int n = static_cast<int>(rec.rows.size());
  if (n == 0) {
    if (ctx.ui.valid(g)) ctx.ui.graph(g).cursors[0].visible = false;
    clearReading(ctx);
    return;
  }
  row = std::clamp(row, 0, n - 1);
  ctx.recorder.cursorRow = row;
  const recorder::RecordedRow& r = rec.rows[static_cast<size_t>(row)];
  if (ctx.ui.valid(g)) {
    ui::GraphModel& gm = ctx.ui.graph(g);
    ui::Cursor& c = gm.cursors[0];
    c.x = row + 1;
    c.y = shownValue(ctx, r);
    c.visible = true;
    c.color = ui::kRed;
    gm.activeCursor = 1;
  }
  const auto& R = ctx.refs.rec;
  setTxt(ctx, R.recDate, recorder::RowDate(r));
  setTxt(ctx, R.recTime, recorder::RowTime(r));
  setNum(ctx, R.recCount, row + 1);
  setNum(ctx, R.recVal, r.sample.value);
  setNum(ctx, R.recMm, r.sample.valueUm / 1000.0);
  setNum(ctx, R.recEdges, r.sample.edges);
  setNum(ctx, R.recProg, r.sample.program);
  int code = r.sample.status;
  if (code > 15 || code < -6) code = 0;
  setTxt(ctx, R.recState, Localized(ctx, StateCodeText(code)));
}

void CloseOpenedRecording(Context& ctx) {
  const bool was = ctx.recorder.showingOpened;
  ctx.recorder.showingOpened = false;
  ctx.recorder.opened = recorder::Recording{};
  ctx.recorder.openedPath.clear();
  ctx.recorder.cursorRow = 0;
  if (was) {
    const auto& R = ctx.refs.rec;
    for (ui::CtlRef r : {R.hdrMode, R.hdrFile}) setTxt(ctx, r, "");
    for (ui::CtlRef r : {R.hdrOffset, R.hdrSlope, R.hdrInc}) setNum(ctx, r, 0);
    for (ui::CtlRef r : {R.hdrOffset, R.hdrSlope, R.hdrMode, R.hdrInc, R.hdrFile}) ctx.ui.setDimmed(r, true);
    clearReading(ctx);
    if (ctx.ui.valid(R.recView)) ctx.ui.graph(R.recView).keepPlots(0);
    showChartInPlace(ctx, false);
  }
  ApplyOpenedRecordingRules(ctx);
}

int CC_PICBTNOpenRecording(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT || ctx.recorder.running) return 0;
  ui::FileRequest req;
  req.save = false;
  const std::string& near = ctx.recorder.openedPath.empty() ? ctx.app.recorderPath : ctx.recorder.openedPath;
  req.directory = near.empty() ? ctx.app.userFilesDir : folderOf(near);
  req.defaultName = "RECORD.DAT";
  req.filter = "*.dat";
  req.title = "Quellan-Series Recorder-File:";
  // Recordings of earlier tools may carry another extension.
  req.restrictExtension = false;
  req.allowNewFolder = false;
  std::string path;
  if (ctx.ui.fileSelect(req, path) == ui::FILE_CANCEL || path.empty()) return 0;
  (void)OpenRecording(ctx, path);
  return 0;
}

int CC_PICBTNExportCsv(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT || ctx.recorder.running || !ctx.recorder.showingOpened) return 0;
  ui::FileRequest req;
  req.save = true;
  req.directory = folderOf(ctx.recorder.openedPath);
  req.defaultName = csvName(ctx.recorder.openedPath);
  req.filter = "*.csv";
  req.title = Localized(ctx, "Export CSV:");
  req.restrictExtension = true;
  req.allowNewFolder = true;
  std::string path;
  if (ctx.ui.fileSelect(req, path) == ui::FILE_CANCEL || path.empty()) return 0;
  if (platform::SameExistingFile(path, ctx.recorder.openedPath)) {
    ctx.ui.message(Localized(ctx, "ATTENTION"), Localized(ctx, "%1 is the recorder file itself: nothing written", {path}));
    return 0;
  }
  // The dialogue's word is checked against the disk: never overwrite unasked.
  if (platform::EntryExists(path) &&
      !ctx.ui.confirm(Localized(ctx, "ATTENTION!"), Localized(ctx, "Output-File already exist! - Overwrite ?")))
    return 0;
  std::string error;
  if (!recorder::WriteCsv(ctx.recorder.opened, path, error)) {
    const std::string text = Localized(ctx, "The CSV file cannot be written: %1", {error});
    ShowStatusText(ctx, text);
    ctx.ui.message(Localized(ctx, "ATTENTION"), text);
    return 0;
  }
  ShowStatusText(ctx, Localized(ctx, "CSV export: %1 samples written to %2",
                                {std::to_string(ctx.recorder.opened.rows.size()), path}));
  return 0;
}

int CC_GRAPHRecording(Context& ctx, const ui::EventArgs& ev) {
  if (!ctx.recorder.showingOpened) return 0;
  const ui::CtlRef g = ctx.refs.rec.recView;
  if (!ctx.ui.valid(g)) return 0;
  switch (ev.event) {
    case ui::EVENT_VAL_CHANGED:
    case ui::EVENT_COMMIT: {
      // The cursor dragged: it settles on the nearest sample.
      const double x = ctx.ui.graph(g).cursors[0].x;
      if (std::isfinite(x)) ShowRecordingCursor(ctx, static_cast<int>(std::lround(std::clamp(x, 0.0, 1e6))) - 1);
      break;
    }
    case ui::EVENT_LEFT_CLICK:
      // A click anywhere on the chart brings the cursor there.
      ShowRecordingCursor(ctx, ev.data1 - 1);
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace bx
