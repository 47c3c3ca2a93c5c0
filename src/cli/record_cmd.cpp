#include "cli/record_cmd.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/session.h"
#include "context/context.h"
#include "params/fields.h"
#include "params/transfer.h"
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
    "          recording and restored afterwards). An existing FILE is kept\n"
    "          unless --force is given. Ctrl-C stops the recording as STOP\n"
    "          does; the rows written stay in FILE. Prints \"samples: N\" and\n"
    "          \"status: TEXT\" at the end.\n"
    "          Exit code: 0 the recording completed, 1 it was stopped or failed\n"
    "          (connection, time-out, file), 2 usage error.\n";

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

  struct stat st {};
  if (::lstat(req.out.c_str(), &st) == 0 && !req.force) {
    std::printf("status: %s exists - not overwritten (give --force to replace it)\n", req.out.c_str());
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
  const int previousMode = param::get(ctx.params, param::RS232_MODE);
  const int wanted = req.mode;
  if (previousMode != wanted && sendMode(ctx, wanted) != 1) return session.finish(false);

  ctx.app.recorderPath = req.out;
  ctx.ui.setText(ctx.ui.find("REC", "FILE"), req.out);
  ctx.ui.setValue(ctx.ui.find("REC", "INCTIME"), req.interval);
  ctx.ui.setValue(ctx.ui.find("REC", "SAMPLES"), req.samples);
  const RecordObserver observer{nullptr, &stopOnInterrupt, nullptr};
  const RecordOutcome outcome = PushRECORD(ctx, &observer);
  std::printf("samples: %d\n", ctx.recorder.counter);

  if (previousMode != wanted) {
    const std::string status = ctx.status;
    const LinkFailure why = ctx.link.failure;
    if (sendMode(ctx, previousMode) != 1)
      std::fprintf(stderr, "quellan-bx-cli: RS-232-Mode %d not restored: %s\n", previousMode, ctx.status.c_str());
    // The recording's own result is what the caller asked for.
    ctx.status = status;
    ctx.link.failure = why;
  }
  return session.finish(outcome == RecordOutcome::Completed);
}

}  // namespace bx::cli
