#pragma once
// The service report: what it reads from the connected sensor, what the
// document holds, and the Application menu's "Service report ...".
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "params/state.h"
#include "ui/print_job.h"
#include "wire/calib_record.h"
#include "wire/hw_record.h"
#include "wire/live_record.h"

namespace bx {
struct Context;

// The reads of a report, in their order; None: all of them succeeded.
enum class ReportRead : uint8_t {
  None,
  Scope,            // the single-shot scope record, when asked for
  HardwareRecord,
  CalibRecord,
  ParameterSet,
  TeachTable,
  LiveData,
  Edges,
  Video,
};

// English name of a read, as the failure text names it.
const char* ReportReadName(ReportRead read);

// A section at the end of the report: its title and its lines.
struct ReportSection {
  std::string title;
  std::vector<std::string> lines;
};

struct ServiceReport {
  std::time_t when = 0;
  std::string comment;
  HardwareRecord hw;          // as read for the report
  CalibRecord calib;
  // The sensor's RAM, with the tool's unit and the active row of its
  // `Eval-Program`.
  ParamState params;
  liverec::LiveValues live;
  bool scope = false;         // the scope page shows a record to document
  // Extra sections a front-end adds after everything else (none by default).
  std::vector<ReportSection> extra;
};

struct ReportOptions {
  bool armScope = false;      // a single-shot scope record first
  double scopeTimeout = 10;   // seconds to wait for it
};

// Reads everything the report documents from the connected sensor (call
// with the link idle): with armScope a single-shot scope first, then the
// hardware record (which must still be the identified sensor's), the
// calibration record, parameter set and teach table from RAM, one live
// record, the edges and the video signal, which the measurement page's
// video graph then shows with its threshold and edge markers. The first
// read that fails ends it: its name and why are in the status line
// (shown), and it is returned; None when all succeeded.
ReportRead CollectServiceReport(Context& ctx, ServiceReport& report, const ReportOptions& options = {});

// The document, in the language in force: title, tool version, date and
// time, comment; identification; calibration record; the parameter set
// page by page (label, value, unit) and the teach table; the video graph
// and the last live values; the scope page when it holds a record; then
// the extra sections. A4 with page numbers in the footer.
ui::PrintJob BuildServiceReportJob(Context& ctx, const ServiceReport& report);

// The message log as the report's last section: every line with its time,
// a line wider than the page continued below it.
ReportSection MessageLogSection(Context& ctx);

// Application menu "Service report ...": asks for the PDF file and the
// comment, offers to add the message log, reads, and writes the report;
// every refusal and failure is said.
void MakeServiceReport(Context& ctx);

}  // namespace bx
