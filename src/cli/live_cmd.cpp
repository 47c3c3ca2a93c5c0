#include "cli/live_cmd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/session.h"
#include "context/context.h"
#include "live/run_loop.h"
#include "live/state_text.h"
#include "wire/live_record.h"

namespace bx::cli {
namespace {

const char* kUsage =
    "  quellan-bx-cli live --count N [--trigger pos|neg] (--tcp HOST[:PORT] | --serial DEV [--baud INDEX])\n"
    "\n"
    "live      connects and brings the sensor up as the desktop tool does, then\n"
    "          runs its live loop for N cycles: a header line, one TAB-separated\n"
    "          line per cycle, \"status: TEXT\" at the end. --trigger arms the edge\n"
    "          trigger (TRIGGERED is 1 in a cycle that fetched a triggered\n"
    "          frame). Ctrl-C stops the loop as STOP does. A failed exchange is\n"
    "          printed as \"failure: TEXT\" before the status.\n"
    "          Exit code: 0 the loop ran (or was stopped), 1 connection or\n"
    "          exchange failed, 2 usage error.\n";

struct Run {
  long count = 0;
  long done = 0;
  bool failed = false;
};

void printCycle(Context& ctx, void* user, bool triggered) {
  auto& run = *static_cast<Run*>(user);
  ++run.done;
  const liverec::LiveValues v = liverec::decode(ctx.live.record);
  std::printf("%ld\t%u\t%d\t%u\t%u\t%u\t%d\t%d\t%s\t%u\t%s\t%d\n", run.done, v.valuePx, v.valueUm, v.edgeA, v.edgeB,
              v.edgeCount, v.maxUm, v.minUm, StateCodeText(ShownStateCode(ctx)), v.program,
              ScanRateText(v.cycleUs).c_str(), triggered ? 1 : 0);
  // A script reading the pipe sees each cycle as it happens.
  std::fflush(stdout);
  // The same as STOP: the loop ends once this cycle's requests are served.
  if (run.done >= run.count || Interrupted()) ctx.run.state = RUN_IDLE;
}

void printFailure(Context&, void* user, const char* text) {
  static_cast<Run*>(user)->failed = true;
  std::printf("failure: %s\n", text);
}

int usage(const std::string& msg) {
  std::fprintf(stderr, "quellan-bx-cli: %s\nUsage:\n%s\nLink options:\n%s", msg.c_str(), kUsage, linkOptionsHelp());
  return 2;
}

}  // namespace

bool IsLiveCommand(const char* name) { return std::strcmp(name, "live") == 0; }

const char* LiveCommandUsage() { return kUsage; }

int RunLiveCommand(int argc, char** argv) {
  LinkOptions link;
  Run run;
  int armed = 0;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--count" || a == "--trigger") {
      if (i + 1 >= argc) return usage(a + " needs a value");
      const std::string v = argv[++i];
      if (a == "--count") {
        char* end = nullptr;
        run.count = std::strtol(v.c_str(), &end, 10);
        if (v.empty() || *end != '\0' || run.count < 1 || run.count > 1000000000L) return usage("bad cycle count " + v);
      } else if (v == "pos" || v == "neg") {
        armed = v == "pos" ? 1 : -1;
      } else {
        return usage("--trigger takes pos or neg");
      }
      continue;
    }
    std::string error;
    OptionResult r = parseLinkOption(argc, argv, i, link, error);
    if (r == OPTION_BAD) return usage(error);
    if (r == OPTION_NOT_MINE) return usage(std::string("unexpected argument ") + argv[i]);
  }
  std::string error;
  if (run.count == 0) return usage("live: --count N is required");
  if (!linkOptionsComplete(link, error)) return usage("live: " + error);

  Session session;
  if (!session.open(link, "", error)) {
    std::fprintf(stderr, "quellan-bx-cli: cannot load the panel resource: %s\n", error.c_str());
    return 1;
  }
  if (session.connect() != 1) return session.finish(false);

  session.ctx.live.armedTrigger = armed;
  session.ctx.live.graphSwitch = 1;
  std::printf("CYCLE\tM-VALUE\tM-VAL[um]\tEDG-A\tEDG-B\tEDG-N\tMAX[um]\tMIN[um]\tSTATE\tPROG\tRATE[Hz]\tTRIGGERED\n");
  const RunObserver observer{&run, &printCycle, &printFailure};
  PushRUN(session.ctx, &observer);
  // Fewer cycles than asked without Ctrl-C: the loop was ended by the link.
  return session.finish(!run.failed && (run.done >= run.count || Interrupted()));
}

}  // namespace bx::cli
