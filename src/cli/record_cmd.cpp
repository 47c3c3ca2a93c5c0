#include "cli/record_cmd.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/session.h"
#include "context/context.h"
#include "files/atomic_file.h"
#include "params/fields.h"
#include "params/transfer.h"
#include "platform/file_info.h"
#include "recorder/rec_page.h"
#include "recorder/rec_rules.h"

namespace bx::cli {
namespace {

const char* kUsage =
    "  quellan-bx-cli record --out FILE [--samples N] [--interval S] [--mode static|triggered] [--force]\n"
    "                        (--tcp HOST[:PORT] | --serial DEV [--baud INDEX])\n"
    "\n"
    "record    connects and brings the sensor up as the desktop tool does, then\n"
    "          records N samples (default 100, at most 32000) into FILE as the\n"
    "          REC page does: static, one sample every S seconds (default 1;\n"
    "          0.1 to 3600, above 1 s rounded up to whole seconds), or\n"
    "          triggered, one sample per rising edge at the sensor's input IN0\n"
    "          (the sensor's RS-232-Mode is set to 1 in its RAM for the\n"
    "          recording and restored afterwards, also when the recording\n"
    "          fails or is stopped). An existing FILE is kept\n"
    "          unless --force is given. Ctrl-C stops the recording as STOP\n"
    "          does; the rows written stay in FILE. Prints \"samples: N\" and\n"
    "          \"status: TEXT\" at the end.\n"
    "          Exit code: 0 the recording completed, 1 it was stopped or failed\n"
    "          (connection, time-out, file, the sensor's parameter set not\n"
    "          read, its RS-232-Mode not restored), 2 usage error.\n";

int usage(const std::string& msg) {
  std::fprintf(stderr, "quellan-bx-cli: %s\nUsage:\n%s\nLink options:\n%s", msg.c_str(), kUsage, linkOptionsHelp());
  return 2;
}

struct Request {
  std::string out;
  int samples = 100;
  double interval = 1.0;
  int mode = REC_STATIC;
  bool force = false;
};

bool parseNumber(const std::string& v, double min, double max, double& out) {
  char* end = nullptr;
  errno = 0;
  const double d = std::strtod(v.c_str(), &end);
  if (v.empty() || *end != '\0' || errno != 0 || !(d >= min && d <= max)) return false;
  out = d;
  return true;
}

// Takes a record option at argv[i]; 1 taken, 0 not a record option, -1 bad
// (the reason in error).
int parseRecordOption(int argc, char** argv, int& i, Request& r, std::string& error) {
  const std::string a = argv[i];
  if (a == "--force") {
    r.force = true;
    return 1;
  }
  if (a != "--out" && a != "--samples" && a != "--interval" && a != "--mode") return 0;
  if (i + 1 >= argc) {
    error = a + " needs a value";
    return -1;
  }
  const std::string v = argv[++i];
  double d = 0;
  if (a == "--out") {
    if (v.empty()) {
      error = "--out needs a file name";
      return -1;
    }
    r.out = v;
  } else if (a == "--samples") {
    if (!parseNumber(v, 1, kRecorderMaxSamples, d) || d != static_cast<int>(d)) {
      error = "--samples takes a whole number from 1 to 32000";
      return -1;
    }
    r.samples = static_cast<int>(d);
  } else if (a == "--interval") {
    if (!parseNumber(v, 0.1, 3600, d)) {
      error = "--interval takes seconds from 0.1 to 3600";
      return -1;
    }
    r.interval = recorder::IncrementRule(d).value;
  } else if (v == "static" || v == "triggered") {
    r.mode = v == "static" ? REC_STATIC : REC_TRIGGERED;
  } else {
    error = "--mode takes static or triggered";
    return -1;
  }
  return 1;
}

void stopOnInterrupt(Context& ctx, void*) {
  // As the stop button does: the loop ends at its next pass.
  if (Interrupted()) StopRecording(ctx);
}

// Sends the parameter set with the RS-232 mode to the sensor's RAM. 1 sent.
int sendMode(Context& ctx, int mode) {
  param::set(ctx.params, param::RS232_MODE, static_cast<uint16_t>(mode));
  ShowRecorderMode(ctx);
  return PushSEND(ctx, MEM_RAM);
}

}  // namespace

bool IsRecordCommand(const char* name) { return std::strcmp(name, "record") == 0; }

const char* RecordCommandUsage() { return kUsage; }

int RunRecordCommand(int argc, char** argv) {
  LinkOptions link;
  Request req;
  for (int i = 2; i < argc; ++i) {
    std::string error;
    const int taken = parseRecordOption(argc, argv, i, req, error);
    if (taken < 0) return usage(error);
    if (taken > 0) continue;
    OptionResult r = parseLinkOption(argc, argv, i, link, error);
    if (r == OPTION_BAD) return usage(error);
    if (r == OPTION_NOT_MINE) return usage(std::string("unexpected argument ") + argv[i]);
  }
  std::string error;
  if (req.out.empty()) return usage("record: --out FILE is required");
  if (!linkOptionsComplete(link, error)) return usage("record: " + error);

  if (platform::EntryExists(req.out) && !req.force) {
    std::printf("status: %s exists - not overwritten (give --force to replace it)\n", req.out.c_str());
    return 1;
  }
  // Only a regular file is replaced: refused before the sensor is touched.
  if (!checkOutputTarget(req.out, &error)) {
    std::printf("status: Error opening recorder output file %s\n", error.c_str());
    return 1;
  }

  Session session;
  if (!session.open(link, "", error)) {
    std::fprintf(stderr, "quellan-bx-cli: cannot load the panel resource: %s\n", error.c_str());
    return 1;
  }
  if (session.connect() != 1) return session.finish(false);
  Context& ctx = session.ctx;

  // The file was refused above unless --force: the page's overwrite
  // question is answered yes.
  session.frontend.answerConfirm(true);
  // The mode to restore is the one read from the sensor; a set never read
  // holds the tool's start values, which must not reach the sensor.
  if (!ctx.params.setRead) {
    ctx.status = "RS-232-Mode unknown: the parameter set was not read - nothing recorded!";
    return session.finish(false);
  }
  const int previousMode = param::get(ctx.params, param::RS232_MODE);
  const int wanted = req.mode;
  const bool change = previousMode != wanted;
  if (change && RefuseUnreadRecords(ctx)) return session.finish(false);

  RecordOutcome outcome = RecordOutcome::TimedOut;
  // A lost reply to the mode set may still have changed the sensor: the
  // restore below runs whether or not the set was confirmed.
  if (!change || sendMode(ctx, wanted) == 1) {
    ctx.app.recorderPath = req.out;
    ctx.ui.setText(ctx.refs.rec.file, req.out);
    ctx.ui.setValue(ctx.refs.rec.incTime, req.interval);
    ctx.ui.setValue(ctx.refs.rec.samples, req.samples);
    const RecordObserver observer{nullptr, &stopOnInterrupt, nullptr};
    outcome = PushRECORD(ctx, &observer);
    std::printf("samples: %d\n", ctx.recorder.counter);
    // The page shows the file's trouble in a pop-up; here the status says it.
    if (!ctx.recorder.fileError.empty()) ctx.status += " " + ctx.recorder.fileError;
  }

  if (change) {
    const std::string status = ctx.status;
    const LinkFailure why = ctx.link.failure;
    if (sendMode(ctx, previousMode) != 1) {
      // The recording's result matters less than a sensor left changed.
      ctx.status = "RS-232-Mode " + std::to_string(previousMode) + " not restored (" + ctx.status + ")" +
                   (wanted == REC_TRIGGERED ? " - the sensor still streams samples!"
                                            : " - the sensor keeps RS-232-Mode " + std::to_string(wanted) + "!");
      return session.finish(false);
    }
    // The recording's own result is what the caller asked for.
    ctx.status = status;
    ctx.link.failure = why;
  }
  return session.finish(outcome == RecordOutcome::Completed);
}

}  // namespace bx::cli
