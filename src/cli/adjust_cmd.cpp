#include "cli/adjust_cmd.h"

#include <cstdio>
#include <cstring>

#include "cli/session.h"
#include "factory/adjust_record.h"

namespace bx::cli {
namespace {

const char* kUsage =
    "  quellan-bx-cli adjust [--unit 0|1|2] (--tcp HOST[:PORT] | --serial DEV [--baud INDEX])\n"
    "\n"
    "adjust    reads the sensor's adjustment record once and prints one\n"
    "          NAME<TAB>VALUE line per field: MODE, MEASURED (in the unit\n"
    "          selected, default 1 = raw), BYTE6, WORD8 ... WORD30.\n";

int usage(const std::string& msg) {
  std::fprintf(stderr, "quellan-bx-cli: %s\nUsage:\n%s", msg.c_str(), kUsage);
  return 2;
}

}  // namespace

bool IsAdjustCommand(const std::string& c) { return c == "adjust"; }

const char* AdjustCommandUsage() { return kUsage; }

int RunAdjustCommand(int argc, char** argv, const std::string& resourceDir) {
  LinkOptions link;
  int unit = factory::kUnitRaw;
  for (int i = 2; i < argc; ++i) {
    std::string error;
    const OptionResult r = parseLinkOption(argc, argv, i, link, error);
    if (r == OPTION_BAD) return usage(error);
    if (r == OPTION_TAKEN) continue;
    if (!std::strcmp(argv[i], "--unit")) {
      if (i + 1 >= argc) return usage("--unit needs a value");
      const std::string v = argv[++i];
      if (v != "0" && v != "1" && v != "2") return usage("--unit takes 0, 1 or 2");
      unit = v[0] - '0';
      continue;
    }
    return usage(std::string("unexpected argument ") + argv[i]);
  }
  std::string error;
  if (!linkOptionsComplete(link, error)) return usage("adjust: " + error);

  Session session;
  if (!session.open(link, resourceDir, error)) {
    std::fprintf(stderr, "quellan-bx-cli: cannot load the panel resource: %s\n", error.c_str());
    return 1;
  }
  if (session.connect() != 1) return session.finish(false);

  factory::AdjustRecord rec{};
  if (factory::ReadAdjustRecord(session.ctx, rec) != 1) {
    session.ctx.status = "Adjustment record not received!";
    return session.finish(false);
  }
  std::printf("MODE\t%d\n", factory::ModeOf(rec));
  std::printf("MEASURED\t%d\n",
              factory::ShowMeasured(static_cast<int16_t>(factory::Word(rec, factory::kMeasuredOffset)), unit));
  std::printf("BYTE6\t%u\n", static_cast<unsigned>(rec[factory::kByte6Offset]));
  for (int off = factory::kFirstWordSetting; off < factory::kAdjustSize; off += 2)
    std::printf("WORD%d\t%u\n", off, static_cast<unsigned>(factory::Word(rec, off)));
  session.ctx.status = "Adjustment record received!";
  return session.finish(true);
}

}  // namespace bx::cli
