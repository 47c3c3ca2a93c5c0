#include "service/service_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>

#include "calib/xflash_record.h"
#include "commands/commands.h"
#include "context/context.h"
#include "link/exchange.h"
#include "link/ownership.h"
#include "link/report.h"
#include "live/frame.h"
#include "live/live_view.h"
#include "live/state_text.h"
#include "params/bindings.h"
#include "params/fields.h"
#include "params/units.h"
#include "platform/date_text.h"
#include "scope/scope.h"
#include "wire/orders.h"
#include "wire/scope_record.h"

namespace bx {
namespace {

using param::FieldBinding;

constexpr double kBody = 9;
constexpr double kHeading = 12;
constexpr double kTitle = 16;
constexpr double kTable = 9;

std::string number(double v, int precision) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", std::clamp(precision, 0, 9), std::isfinite(v) ? v : 0.0);
  return buf;
}

// A control's label, or the English fallback where the resource lacks it.
std::string labelOf(const Context& ctx, ui::CtlRef r, const char* fallback) {
  if (ctx.ui.valid(r) && !ctx.ui.at(r).label.empty()) return ctx.ui.at(r).label;
  return Localized(ctx, fallback);
}

// What a field's control would show for a value: a ring's item label, or
// the number at the control's precision.
std::string shownText(const Context& ctx, ui::CtlRef r, double v) {
  if (!ctx.ui.valid(r)) return number(v, 0);
  const ui::Control& c = ctx.ui.at(r);
  if (c.kind == ui::Kind::Ring || c.kind == ui::Kind::Radio) {
    for (const ui::Item& it : c.items)
      if (it.value == v) return it.label;
    return number(v, 0);
  }
  return number(v, c.precision);
}

// The unit in a label's trailing brackets ("Dirt-Threshold [%]"), or "".
std::string bracketUnit(const std::string& label) {
  const size_t close = label.rfind(']');
  const size_t open = label.rfind('[');
  if (close == std::string::npos || open == std::string::npos || open > close || close + 1 != label.size()) return {};
  const std::string unit = label.substr(open + 1, close - open - 1);
  // "Tolerance [+]" names a side, not a unit.
  return unit == "+" || unit == "-" ? std::string() : unit;
}

std::string unitOf(const FieldBinding& b, const ParamState& p, const std::string& label) {
  switch (b.conv) {
    case param::Conv::Position:
      return p.unitMm == 1 ? "mm" : "pixel";
    case param::Conv::Millis:
      return "ms";
    case param::Conv::Threshold:
      return "%";
    case param::Conv::Word:
      break;
  }
  return bracketUnit(label);
}

// The reads fail with the transport's text, as the pages' own do.
bool fetch(Context& ctx, int order, int param, uint8_t* dest, size_t size) {
  if (Exchange(ctx, order, param) != 1 || ReplyLength(ctx) < size) {
    ctx.status = FailureText(ctx, "Timeout-RS-232...");
    return false;
  }
  std::memcpy(dest, ReplyData(ctx), size);
  return true;
}

ReportRead failed(Context& ctx, ReportRead read) {
  const std::string why = Localized(ctx, ctx.status);
  ctx.status = Localized(ctx, "Service report not written: reading the %1 failed!", {Localized(ctx, ReportReadName(read))});
  if (!why.empty()) ctx.status += " (" + why + ")";
  ShowStatus(ctx);
  return read;
}

bool armScope(Context& ctx, const ReportOptions& o) {
  const ScopeRefs& r = ctx.scope.refs;
  if (!r.resolved) {
    ctx.status = "The panel resource has no scope page!";
    return false;
  }
  ctx.ui.setValue(r.trigMode, scoperec::TRIGGER_SINGLE);
  if (RefreshCYCLE(ctx) != 1) return false;
  const double keep = ctx.scope.recordTimeout;
  ctx.scope.recordTimeout = o.scopeTimeout;
  PushSCOPE(ctx);
  ctx.scope.recordTimeout = keep;
  return ctx.scope.outcome == ScopeOutcome::Shown;
}

std::string hex(const uint8_t* data, size_t n) {
  std::string out;
  char b[4];
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && i % 4 == 0) out += ' ';
    std::snprintf(b, sizeof b, "%02X", data[i]);
    out += b;
  }
  return out;
}

using Rows = std::vector<std::vector<std::string>>;

void heading(ui::PrintJob& job, const std::string& text) {
  job.text("", kBody);
  job.text(text, kHeading);
}

void identification(Context& ctx, const ServiceReport& r, ui::PrintJob& job) {
  const HardwareRecord& hw = r.hw;
  const auto& m = ctx.ident.model;
  const std::string fw(ctx.link.fwInfo, strnlen(ctx.link.fwInfo, LinkState::kFwInfoMax));
  char version[16];
  std::snprintf(version, sizeof version, "V%d.%02d", hw.fwVersion / 100, std::abs(hw.fwVersion % 100));
  Rows rows = {
      {Localized(ctx, "Designation"), m.designation},
      {Localized(ctx, "Model group"), std::to_string(m.group)},
      {Localized(ctx, "Firmware"), fw},
      {Localized(ctx, "Firmware version"), version},
      {Localized(ctx, "Serial number"), std::to_string(hw.serial)},
      {Localized(ctx, "Hardware type"), std::to_string(hw.hwType)},
      {Localized(ctx, "Board code"), std::to_string(hw.boardCode)},
      {Localized(ctx, "Sub-pixel count"), std::to_string(hw.subPixel)},
      {Localized(ctx, "Pixel limits"), std::to_string(hw.lowestPixel) + " .. " + std::to_string(hw.highestPixel)},
      {Localized(ctx, "Pixel count"), std::to_string(hw.pixelCount)},
      {Localized(ctx, "Video amplitude range"), std::to_string(hw.videoRange)},
      {Localized(ctx, "Working range [mm]"), number(m.workingRangeMm, 3)},
      {Localized(ctx, "Hardware record"), hex(hw.raw.data(), hw.raw.size())},
  };
  heading(job, Localized(ctx, "Identification"));
  job.table({}, std::move(rows), {1, 2.6}, kTable);
}

void calibration(Context& ctx, const ServiceReport& r, ui::PrintJob& job) {
  const CalibRecord& c = r.calib;
  const CalibPageRefs& R = ctx.refs.calib;
  Rows rows = {
      {labelOf(ctx, R.hwTypeDisp, "HW-TYPE"), std::to_string(calib::hwType(c))},
      {labelOf(ctx, R.calSerial, "SER-NO"), std::to_string(calib::serial(c))},
      {labelOf(ctx, R.slope, "SLOPE [µm/pixel]"), number(calib::slopeFromFixed(calib::slopeX16384(c)), 5)},
      {labelOf(ctx, R.offset, "OFFSET [µm]"), std::to_string(calib::offsetUm(c))},
      {labelOf(ctx, R.range, "UM-RANGE [µm]"), std::to_string(calib::rangeUm(c))},
      {labelOf(ctx, R.pixelStart, "PIXEL-START"), std::to_string(calib::field16(c, calib::OFF_PIXEL_START))},
      {labelOf(ctx, R.pixelEnd, "PIXEL-END"), std::to_string(calib::field16(c, calib::OFF_PIXEL_END))},
      {labelOf(ctx, R.lookup, "XF-LOOKUP"), std::to_string(calib::field16(c, calib::OFF_LOOKUP))},
      {labelOf(ctx, R.xfDivisor, "XF-DIVISOR"), std::to_string(calib::field16(c, calib::OFF_XF_DIVISOR))},
      {labelOf(ctx, R.xfSize, "XF-SIZE"), std::to_string(calib::field16(c, calib::OFF_XF_SIZE))},
      {labelOf(ctx, R.ifType, "Interface-Type"), std::to_string(calib::field16(c, calib::OFF_IF_TYPE))},
  };
  heading(job, Localized(ctx, "Calibration record"));
  job.table({}, std::move(rows), {1, 2.6}, kTable);
}

// Every field of the parameter set under the page it is edited on, the
// pages in the order of the main tab, each page's fields down its columns.
void parameterSet(Context& ctx, const ServiceReport& r, ui::PrintJob& job) {
  struct Field {
    int row, col;
    std::vector<std::string> cells;
  };
  std::map<int, std::vector<Field>> pages;
  for (const FieldBinding& b : param::ParamBindings()) {
    const ui::CtlRef ref = b.ref(ctx);
    if (!ctx.ui.valid(ref)) continue;
    const ui::Control& c = ctx.ui.at(ref);
    const double v = param::FieldShown(ctx, r.params, b, r.params.activeRow);
    pages[ref.panel].push_back({c.row, c.col, {c.label, shownText(ctx, ref, v), unitOf(b, r.params, c.label)}});
  }
  heading(job, Localized(ctx, "Parameter set (sensor RAM)"));
  const std::vector<std::string> header = {Localized(ctx, "Parameter"), Localized(ctx, "Value"), Localized(ctx, "Unit")};
  for (auto& [panel, fields] : pages) {
    // Down the columns of a page of columns (PARA1), along the rows of a
    // page of rows (the fields under the video graph).
    std::vector<int> rowsUsed, colsUsed;
    for (const Field& f : fields) {
      if (std::find(rowsUsed.begin(), rowsUsed.end(), f.row) == rowsUsed.end()) rowsUsed.push_back(f.row);
      if (std::find(colsUsed.begin(), colsUsed.end(), f.col) == colsUsed.end()) colsUsed.push_back(f.col);
    }
    const bool alongRows = colsUsed.size() > rowsUsed.size();
    std::stable_sort(fields.begin(), fields.end(), [alongRows](const Field& a, const Field& b) {
      if (alongRows) return a.row != b.row ? a.row < b.row : a.col < b.col;
      return a.col != b.col ? a.col < b.col : a.row < b.row;
    });
    Rows rows;
    for (Field& f : fields) rows.push_back(std::move(f.cells));
    job.text("", kBody);
    job.text(Localized(ctx, "Page %1", {ctx.ui.panel(panel).title}), kBody + 1);
    job.table(header, std::move(rows), {2.2, 2, 0.8}, kTable);
  }
}

void teachTable(Context& ctx, const ServiceReport& r, ui::PrintJob& job) {
  const ui::CtlRef ref = ctx.para.teach.table;
  if (!ctx.ui.valid(ref)) return;
  const ui::TableModel& t = ctx.ui.at(ref).table;
  std::vector<std::string> header = {labelOf(ctx, ctx.para.teach.progNo, "Prog-No")};
  std::vector<double> widths = {0.8};
  for (const param::ColumnBinding& c : param::TeachColumns()) {
    const auto col = static_cast<size_t>(c.col);
    header.push_back(col < t.colLabels.size() ? t.colLabels[col] : std::string());
    widths.push_back(1);
  }
  Rows rows;
  for (int row = 0; row < param::kTeachRows; ++row) {
    std::vector<std::string> cells = {std::to_string(row)};
    for (const param::ColumnBinding& c : param::TeachColumns()) {
      const double v = param::CellShown(r.params, c, row);
      const auto col = static_cast<size_t>(c.col);
      std::string text = number(v, col < t.colPrecision.size() ? t.colPrecision[col] : 0);
      if (c.conv == param::CellConv::Mode)
        for (const ui::Item& it : t.ringItems)
          if (it.value == v) text = it.label;
      cells.push_back(std::move(text));
    }
    rows.push_back(std::move(cells));
  }
  job.text("", kBody);
  job.text(labelOf(ctx, ref, "Teach table") + " (" + (r.params.unitMm == 1 ? "mm" : "pixel") + ")", kBody + 1);
  job.table(std::move(header), std::move(rows), std::move(widths), kTable - 1);
}

void video(Context& ctx, const ServiceReport& r, ui::PrintJob& job) {
  const liverec::LiveValues& v = r.live;
  const LiveRefs& L = ctx.refs.live;
  const bool mm = r.params.unitMm == 1;
  const int fs = std::max(ctx.ident.model.videoFullScale, 1);
  heading(job, Localized(ctx, "Video signal with threshold and edges"));
  if (ctx.ui.valid(ctx.refs.display.videoGraph)) job.graphShot(ctx.refs.display.videoGraph, 0.45);
  job.text(Localized(ctx, "Red: video signal, green: threshold, grey: outside the evaluation range, blue and black lines: edges A and B, yellow: between them"),
           kBody - 1);
  Rows rows = {
      {labelOf(ctx, L.valuePx, "Value [pixel]"), std::to_string(v.valuePx)},
      {labelOf(ctx, L.valueMm, "Value [mm]"), number(v.valueUm / 1000.0, 3)},
      {labelOf(ctx, L.edgeA, "Edge A [pixel]"), std::to_string(v.edgeA)},
      {labelOf(ctx, L.edgeB, "Edge B [pixel]"), std::to_string(v.edgeB)},
      {labelOf(ctx, L.edgeCount, "Edges"), std::to_string(v.edgeCount)},
      {labelOf(ctx, L.program, "Prog-No"), std::to_string(v.program)},
      {labelOf(ctx, L.stateText, "State"), Localized(ctx, StateCodeText(ShownStateCode(ctx, v)))},
      {labelOf(ctx, L.maxVal, "MAX") + (mm ? " [mm]" : " [pixel]"), mm ? number(v.maxUm / 1000.0, 3) : std::to_string(v.maxPx)},
      {labelOf(ctx, L.minVal, "MIN") + (mm ? " [mm]" : " [pixel]"), mm ? number(v.minUm / 1000.0, 3) : std::to_string(v.minPx)},
      {labelOf(ctx, L.peak, "Peak [%]"), std::to_string(v.videoPeak * 100 / fs)},
      {labelOf(ctx, L.scanRate, "Scan rate [Hz]"), ScanRateText(v.cycleUs)},
  };
  job.text("", kBody);
  job.text(Localized(ctx, "Last live values"), kBody + 1);
  job.table({}, std::move(rows), {1, 2.6}, kTable);
}

}  // namespace

const char* ReportReadName(ReportRead read) {
  switch (read) {
    case ReportRead::None:
      break;
    case ReportRead::Scope:
      return "scope record";
    case ReportRead::HardwareRecord:
      return "hardware record";
    case ReportRead::CalibRecord:
      return "calibration record";
    case ReportRead::ParameterSet:
      return "parameter set";
    case ReportRead::TeachTable:
      return "teach table";
    case ReportRead::LiveData:
      return "live data";
    case ReportRead::Edges:
      return "edges";
    case ReportRead::Video:
      return "video signal";
  }
  return "";
}

ReportRead CollectServiceReport(Context& ctx, ServiceReport& report, const ReportOptions& options) {
  report.when = std::time(nullptr);
  // The scope is a loop of its own that takes the link itself.
  if (options.armScope && !armScope(ctx, options)) return failed(ctx, ReportRead::Scope);

  LinkHold hold(ctx);
  HardwareRecord hw;
  if (Exchange(ctx, order::kHardwareInfo, 0) != 1) {
    ctx.status = FailureText(ctx, "Timeout-RS-232...");
    return failed(ctx, ReportRead::HardwareRecord);
  }
  hwrec::decode(ReplyData(ctx), ReplyLength(ctx), hw);
  // The tool is set up for the sensor it identified: a report of another
  // one that took its place on the line would mix the two.
  if (hw.hwType != ctx.ident.hw.hwType || hw.serial != ctx.ident.hw.serial || hw.boardCode != ctx.ident.hw.boardCode) {
    ctx.status = "Another sensor answers than the one identified - connect again!";
    return failed(ctx, ReportRead::HardwareRecord);
  }
  report.hw = hw;

  if (ReadCalibDataFromXF(ctx, report.calib.bytes.data(), CalibRecord::kSize) <= 0)
    return failed(ctx, ReportRead::CalibRecord);

  report.params = ctx.params;
  if (!fetch(ctx, order::kReadRam, 0, report.params.set.data(), ParamState::kParamSize))
    return failed(ctx, ReportRead::ParameterSet);
  if (!fetch(ctx, order::kReadRam, 1, report.params.teach.data(), ParamState::kTeachSize))
    return failed(ctx, ReportRead::TeachTable);
  report.params.activeRow = std::min<int>(param::get(report.params, param::EVAL_PROGRAM), param::kTeachRows - 1);

  if (GetLiveData(ctx, 0) != 1) return failed(ctx, ReportRead::LiveData);
  liverec::sanitise(ctx.live.record);
  const LiveFrame frame = DecodeLiveFrame(ctx.live);
  report.live = frame.values;
  if (GetEDGE(ctx, 0) < 0) return failed(ctx, ReportRead::Edges);
  if (GetDATA(ctx, 0) != 1) return failed(ctx, ReportRead::Video);

  PrepareLiveAxes(ctx);
  PlotLiveVideo(ctx, frame, kPageMeasurement, false);
  report.scope = ctx.scope.hasRecord && ctx.scope.refs.resolved;
  ctx.status = "Service report: every read done - Line Ok!";
  ShowStatus(ctx);
  return ReportRead::None;
}

ui::PrintJob BuildServiceReportJob(Context& ctx, const ServiceReport& r) {
  ui::PrintJob job;
  job.title = Localized(ctx, "Service report");
  job.fontFamily = "Arial";
  job.marginCm = 2.0;
  job.pointSize = kBody;
  const std::string date = platform::DateStr(r.when), time = platform::TimeStr(r.when);
  job.headerLeft = job.title + "  " + ctx.ident.model.designation + "  #" + std::to_string(r.hw.serial);
  job.headerRight = date + "  " + time;
  job.footer = Localized(ctx, "Page {n} of {m}");

  job.text(job.title, kTitle);
  job.text(ctx.app.appTitle + ctx.app.versionShort + "   " + ctx.app.buildText, kBody);
  job.text(Localized(ctx, "Date: %1   Time: %2", {date, time}), kBody);
  job.text(Localized(ctx, "Comment:") + " " + r.comment, kBody);

  identification(ctx, r, job);
  calibration(ctx, r, job);
  parameterSet(ctx, r, job);
  teachTable(ctx, r, job);
  video(ctx, r, job);
  if (r.scope) {
    heading(job, Localized(ctx, "Last scope record"));
    job.panelShot(ctx.scope.refs.graph.panel);
  }
  for (const ReportSection& s : r.extra) {
    heading(job, s.title);
    for (const std::string& line : s.lines) job.text(line, kBody - 1);
  }
  return job;
}

ReportSection MessageLogSection(Context& ctx) {
  // A line of the log may be far wider than the page: it goes on over
  // indented lines instead of being cut at the margin.
  // 80 of the widest letters still fit; a break goes after a space where
  // one is in the second half, and never inside a letter's UTF-8 bytes.
  constexpr size_t kWidth = 80;
  ReportSection s;
  s.title = Localized(ctx, "Message log");
  for (const LogLine& l : ctx.messageLog.lines) {
    std::string_view rest = l.text;
    std::string lead = l.time + "  ";
    do {
      size_t take = std::min(rest.size(), kWidth);
      if (take < rest.size()) {
        const size_t space = rest.substr(0, take).rfind(' ');
        if (space != std::string_view::npos && space >= kWidth / 2) take = space + 1;
        while (take > 1 && (static_cast<unsigned char>(rest[take]) & 0xC0) == 0x80) --take;
      }
      s.lines.push_back(lead + std::string(rest.substr(0, take)));
      lead.assign(l.time.size() + 2, ' ');
      rest.remove_prefix(take);
    } while (!rest.empty());
  }
  return s;
}

void MakeServiceReport(Context& ctx) {
  const std::string attention = Localized(ctx, "A T T E N T I O N !");
  if (OpenPort(ctx) == nullptr || ctx.link.identFailed != 0 || !ctx.link.shownConnected) {
    ctx.status = "Service report: no sensor connected - connect first!";
    ShowStatus(ctx);
    ctx.ui.message(attention, Localized(ctx, ctx.status));
    return;
  }
  if (LinkOwnedByLoop(ctx)) {
    ctx.status = "Service report: press STOP first - the report reads the sensor itself!";
    ShowStatus(ctx);
    ctx.ui.message(attention, Localized(ctx, ctx.status));
    return;
  }
  if (!LinkIdle(ctx)) {
    RefuseLinkBusy(ctx);
    return;
  }
  ui::FileRequest req;
  req.save = true;
  req.directory = ctx.app.userFilesDir;
  req.defaultName = "ServiceReport_" + std::to_string(ctx.ident.hw.serial) + ".pdf";
  req.filter = "*.pdf";
  req.title = Localized(ctx, "Service report - save as PDF file");
  std::string path;
  if (ctx.ui.fileSelect(req, path) == ui::FILE_CANCEL || path.empty()) return;
  ServiceReport report;
  if (!ctx.ui.prompt(Localized(ctx, "Service report"), Localized(ctx, "Comment for the report (one line):"),
                     report.comment))
    return;
  // One line: a pasted line break would start a line of its own.
  std::replace_if(report.comment.begin(), report.comment.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  // What the operator saw before the report may explain what it shows, so
  // the log goes along when asked; taken now, before the report's own reads.
  if (!ctx.messageLog.lines.empty() &&
      ctx.ui.confirm(Localized(ctx, "Service report"),
                     Localized(ctx, "Include the message log (%1 lines) in the report?",
                               {std::to_string(ctx.messageLog.lines.size())})))
    report.extra.push_back(MessageLogSection(ctx));

  ctx.ui.setWaitCursor(true);
  const ReportRead failedRead = CollectServiceReport(ctx, report);
  ctx.ui.setWaitCursor(false);
  if (failedRead != ReportRead::None) {
    std::string text = ctx.status;
    const std::string why = LinkFailureReason(ctx);
    if (!why.empty()) text += "\n" + why;
    ctx.ui.message(attention, text);
    return;
  }
  std::string error;
  ui::PrintTarget target;
  target.pdfPath = path;
  if (!ctx.ui.print(BuildServiceReportJob(ctx, report), target, error)) {
    ctx.status = Localized(ctx, "Service report could not be written: %1", {path});
    ShowStatus(ctx);
    ctx.ui.message(attention, ctx.status + "\n" + error);
    return;
  }
  ctx.status = Localized(ctx, "Service report written: %1", {path});
  ShowStatus(ctx);
  ctx.ui.message("I n f o !", ctx.status);
}

}  // namespace bx
