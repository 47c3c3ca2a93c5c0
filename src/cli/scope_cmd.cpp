#include "cli/scope_cmd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include "cli/session.h"
#include "context/context.h"
#include "files/atomic_file.h"
#include "platform/file_info.h"
#include "scope/export.h"
#include "scope/print.h"
#include "scope/scope.h"
#include "scope/view.h"
#include "wire/scope_record.h"
#ifdef BX_CLI_PDF
#include "gui/print_render.h"
#endif

namespace bx::cli {
namespace {

const char* kUsage =
    "  quellan-bx-cli scope --out FILE.tsv [--trigger-mode single|rising|falling|external] [--level PERCENT]\n"
    "                       [--pretrigger N] [--rate N] [--timeout S] [--pdf FILE.pdf] [--force] (link options)\n"
    "\n"
    "scope     connects, refreshes the cycle time and arms the sensor's scope as\n"
    "          the SCOPE page does (defaults: single, level 50, pretrigger 0,\n"
    "          rate 1), waits at most S seconds (default 10) for its record -\n"
    "          then disarms it as STOP does - and writes a header line and 128\n"
    "          TAB-separated rows: INDEX, TIME[ms], VALUE[um], BIT24 ... BIT28.\n"
    "          --pdf also writes the print-out as a PDF file (not the TSV file).\n"
    "          An existing file is kept unless --force is given; only a regular\n"
    "          file is replaced. Ctrl-C stops the wait as STOP does. Prints\n"
    "          \"status: TEXT\" at the end.\n"
    "          Exit code: 0 a record was written, 1 none, 2 usage error.\n";

int usage(const std::string& msg) {
  std::fprintf(stderr, "quellan-bx-cli: %s\nUsage:\n%s\nLink options:\n%s", msg.c_str(), kUsage, linkOptionsHelp());
  return 2;
}

bool parseNumber(const std::string& v, double lo, double hi, double& out) {
  char* end = nullptr;
  const double d = std::strtod(v.c_str(), &end);
  if (v.empty() || *end != '\0' || !(d >= lo && d <= hi)) return false;
  out = d;
  return true;
}

struct Options {
  std::string out, pdf;
  bool force = false;
  int mode = scoperec::TRIGGER_SINGLE;
  double level = 50, pretrigger = 0, rate = 1, timeout = 10;
};

// Whether two output names reach one file: the same text, the same
// existing file (links followed), or the same name in the same folder.
bool sameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  if (platform::FactsOf(a).exists && platform::FactsOf(b).exists) return platform::SameExistingFile(a, b);
  auto where = [](const std::string& p) {
    const std::filesystem::path path(p);
    const std::string dir = path.has_parent_path() ? path.parent_path().string() : std::string(".");
    return platform::CanonicalFolder(dir) + "/" + path.filename().string();
  };
  return where(a) == where(b);
}

// Refuses an output before the sensor is touched, as record does: an
// existing file without --force, and anything but a regular file.
bool refuseOutput(const std::string& path, bool force) {
  if (platform::EntryExists(path) && !force) {
    std::printf("status: %s exists - not overwritten (give --force to replace it)\n", path.c_str());
    return true;
  }
  std::string why;
  if (!checkOutputTarget(path, &why)) {
    std::printf("status: Cannot write %s: %s\n", path.c_str(), why.c_str());
    return true;
  }
  return false;
}

// Ctrl-C acts as the STOP button: the wait sees the run state leave the
// loop and disarms the sensor.
void watchInterrupt(Session& s) {
  s.frontend.schedule(0.05, [&s] {
    if (Interrupted() && s.ctx.scope.active) {
      StopScope(s.ctx);
      return;
    }
    watchInterrupt(s);
  });
}

}  // namespace

bool IsScopeCommand(const char* name) { return std::strcmp(name, "scope") == 0; }

const char* ScopeCommandUsage() { return kUsage; }

std::string ScopeRecordTsv(const Context& ctx) { return ScopeRecordTable(ctx, '\t'); }

int RunScopeCommand(int argc, char** argv) {
  LinkOptions link;
  Options o;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--force") {
      o.force = true;
      continue;
    }
    if (a == "--out" || a == "--pdf" || a == "--trigger-mode" || a == "--level" || a == "--pretrigger" ||
        a == "--rate" || a == "--timeout") {
      if (i + 1 >= argc) return usage(a + " needs a value");
      const std::string v = argv[++i];
      if (a == "--out") {
        o.out = v;
      } else if (a == "--pdf") {
        o.pdf = v;
      } else if (a == "--trigger-mode") {
        static const char* const kModes[] = {"single", "rising", "falling", "external"};
        o.mode = -1;
        for (int m = 0; m < 4; ++m)
          if (v == kModes[m]) o.mode = m;
        if (o.mode < 0) return usage("--trigger-mode takes single, rising, falling or external");
      } else if (a == "--level") {
        if (!parseNumber(v, 0, 100, o.level) || o.level != static_cast<int>(o.level))
          return usage("--level takes a whole percent 0..100");
      } else if (a == "--pretrigger") {
        if (!parseNumber(v, 0, scoperec::kSamples - 1, o.pretrigger) || o.pretrigger != static_cast<int>(o.pretrigger))
          return usage("--pretrigger takes 0..127");
      } else if (a == "--rate") {
        if (!parseNumber(v, 1, 1000, o.rate) || o.rate != static_cast<int>(o.rate)) return usage("--rate takes 1..1000");
      } else if (!parseNumber(v, 0.001, 1e6, o.timeout)) {
        return usage("--timeout takes seconds above 0");
      }
      continue;
    }
    std::string error;
    OptionResult r = parseLinkOption(argc, argv, i, link, error);
    if (r == OPTION_BAD) return usage(error);
    if (r == OPTION_NOT_MINE) return usage(std::string("unexpected argument ") + argv[i]);
  }
  std::string error;
  if (o.out.empty()) return usage("scope: --out FILE.tsv is required");
  if (!linkOptionsComplete(link, error)) return usage("scope: " + error);
#ifndef BX_CLI_PDF
  if (!o.pdf.empty()) return usage("scope: --pdf needs the Qt print support, which this build lacks");
#endif
  if (!o.pdf.empty() && sameFile(o.out, o.pdf)) return usage("scope: --out and --pdf name the same file");
  if (refuseOutput(o.out, o.force) || (!o.pdf.empty() && refuseOutput(o.pdf, o.force))) return 1;

  Session session;
  if (!session.open(link, "", error)) {
    std::fprintf(stderr, "quellan-bx-cli: cannot load the panel resource: %s\n", error.c_str());
    return 1;
  }
  Context& ctx = session.ctx;
  if (!ctx.scope.refs.resolved) {
    std::fprintf(stderr, "quellan-bx-cli: the panel resource has no scope page\n");
    return 1;
  }
  if (session.connect() != 1) return session.finish(false);

  const auto& r = ctx.scope.refs;
  ctx.ui.setValue(r.trigMode, o.mode);
  ctx.ui.setValue(r.trigLevel, o.level);
  ctx.ui.setValue(r.pretrigger, o.pretrigger);
  ctx.ui.setValue(r.scanRate, o.rate);
  if (RefreshCYCLE(ctx) != 1) return session.finish(false);

  watchInterrupt(session);

  ctx.scope.recordTimeout = o.timeout;
  PushSCOPE(ctx);
  if (ctx.scope.outcome != ScopeOutcome::Shown) return session.finish(false);

  if (!writeFileAtomic(o.out, ScopeRecordTsv(ctx), &error)) {
    ctx.status = "Cannot write " + o.out + ": " + error;
    return session.finish(false);
  }
#ifdef BX_CLI_PDF
  if (!o.pdf.empty()) {
    const ui::PrintJob job = BuildScopePrintJob(ctx, std::time(nullptr));
    if (!gui::PrintJobToPdf(ctx.ui, job, o.pdf, error)) {
      ctx.status = "Cannot write " + o.pdf + ": " + error;
      return session.finish(false);
    }
  }
#endif
  return session.finish(true);
}

}  // namespace bx::cli
