#include "cli/report_cmd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/localize.h"
#include "cli/session.h"
#include "context/context.h"
#include "files/atomic_file.h"
#include "service/service_report.h"
#ifdef BX_CLI_PDF
#include "gui/print_render.h"
#endif

namespace bx::cli {
namespace {

const char* kUsage =
    "  quellan-bx-cli report --pdf FILE.pdf [--comment TEXT] [--scope] (link options)\n"
    "\n"
    "report    connects and brings the sensor up as the desktop tool does, reads\n"
    "          what the service report documents (hardware and calibration\n"
    "          records, parameter set and teach table from RAM, one live record,\n"
    "          the edges and the video signal) and writes the report as one A4\n"
    "          PDF file, through a new file beside FILE.pdf that replaces it only\n"
    "          when complete (only a regular file is replaced). --scope first\n"
    "          arms a single-shot scope and waits at most 10 s for its record,\n"
    "          which the report then shows. A read that fails writes no PDF and\n"
    "          says which read failed. The report's language follows LC_ALL,\n"
    "          LC_MESSAGES or LANG (German for de..., else English). Prints\n"
    "          \"status: TEXT\" at the end.\n"
    "          Exit code: 0 the report was written, 1 connection, read or write\n"
    "          failed, 2 usage error.\n";

int usage(const std::string& msg) {
  std::fprintf(stderr, "quellan-bx-cli: %s\nUsage:\n%s\nLink options:\n%s", msg.c_str(), kUsage, linkOptionsHelp());
  return 2;
}

}  // namespace

bool IsReportCommand(const char* name) { return std::strcmp(name, "report") == 0; }

const char* ReportCommandUsage() { return kUsage; }

int ReportLanguage(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* v : {lcAll, lcMessages, lang})
    if (v != nullptr && *v != '\0') return std::strncmp(v, "de", 2) == 0 ? kGerman : kEnglish;
  return kEnglish;
}

int RunReportCommand(int argc, char** argv) {
  LinkOptions link;
  std::string pdf, comment;
  ReportOptions options;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--scope") {
      options.armScope = true;
      continue;
    }
    if (a == "--pdf" || a == "--comment") {
      if (i + 1 >= argc) return usage(a + " needs a value");
      (a == "--pdf" ? pdf : comment) = argv[++i];
      continue;
    }
    std::string error;
    OptionResult r = parseLinkOption(argc, argv, i, link, error);
    if (r == OPTION_BAD) return usage(error);
    if (r == OPTION_NOT_MINE) return usage(std::string("unexpected argument ") + argv[i]);
  }
  std::string error;
  if (pdf.empty()) return usage("report: --pdf FILE.pdf is required");
  if (!linkOptionsComplete(link, error)) return usage("report: " + error);
  if (comment.find_first_of("\r\n") != std::string::npos) return usage("report: --comment takes one line");
#ifndef BX_CLI_PDF
  return usage("report: the PDF needs the Qt print support, which this build lacks");
#else
  // Refused before the sensor is touched: anything but a regular file.
  if (!checkOutputTarget(pdf, &error)) {
    std::printf("status: Cannot write %s: %s\n", pdf.c_str(), error.c_str());
    return 1;
  }

  Session session;
  if (!session.open(link, "", error)) {
    std::fprintf(stderr, "quellan-bx-cli: cannot load the panel resource: %s\n", error.c_str());
    return 1;
  }
  Context& ctx = session.ctx;
  if (session.connect() != 1) return session.finish(false);
  const int language = ReportLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
  if (language != kEnglish) SetLanguage(ctx, language);

  ServiceReport report;
  report.comment = comment;
  if (CollectServiceReport(ctx, report, options) != ReportRead::None) return session.finish(false);
  if (!gui::PrintJobToPdf(ctx.ui, BuildServiceReportJob(ctx, report), pdf, error)) {
    ctx.status = "Cannot write " + pdf + ": " + error;
    return session.finish(false);
  }
  ctx.status = "Service report written: " + pdf;
  return session.finish(true);
#endif
}

}  // namespace bx::cli
