#include "cli/diff_cmd.h"

#include <cstdio>
#include <vector>

#include "cli/session.h"
#include "context/context.h"
#include "params/compare.h"

namespace bx::cli {
namespace {

const char* kUsage =
    "  quellan-bx-cli diff A B [(--tcp HOST[:PORT] | --serial DEV [--baud INDEX])]\n"
    "\n"
    "diff      compares two parameter sets with their teach tables, A and B each\n"
    "          ram, eeprom, defaults (the connected model's factory defaults) or a\n"
    "          parameter file; two files need no sensor. Prints\n"
    "          FIELD<TAB>PAGE<TAB>UNIT<TAB>LEFT<TAB>RIGHT, one line per differing\n"
    "          field (teach cells as TEACH[row].COLUMN; a position's micrometre\n"
    "          twin on its own line), then \"status: N differences\". Fields a file\n"
    "          does not hold are not compared.\n"
    "          Exit code: 0 equal, 3 different, 1 connection or file failure,\n"
    "          2 usage error.\n";

int usage(const std::string& msg) {
  std::fprintf(stderr, "quellan-bx-cli: %s\nUsage:\n%s", msg.c_str(), kUsage);
  return 2;
}

struct SideArg {
  int source = param::SRC_FILE;
  std::string path;
};

SideArg sideOf(const std::string& a) {
  if (a == "ram" || a == "RAM") return {param::SRC_RAM, ""};
  if (a == "eeprom" || a == "EEPROM") return {param::SRC_EEPROM, ""};
  if (a == "defaults" || a == "DEFAULTS") return {param::SRC_DEFAULTS, ""};
  return {param::SRC_FILE, a};
}

// The page a field is edited on: the panel of its control.
std::string pageOf(const param::CompareItem& it) {
  if (!it.control) return "-";
  std::string c = it.control;
  return c.substr(0, c.find('.'));
}

void printLine(const param::CompareItem& it, bool twin) {
  std::printf("%s\t%s\t%s\t%s\t%s\n", (twin ? it.umField : it.field).c_str(), pageOf(it).c_str(),
              param::StoredUnit(it, twin), param::StoredText(it, it.left, twin).c_str(),
              param::StoredText(it, it.right, twin).c_str());
}

}  // namespace

bool IsDiffCommand(const std::string& command) { return command == "diff"; }

const char* DiffCommandUsage() { return kUsage; }

int RunDiffCommand(int argc, char** argv, const std::string& resourceDir) {
  if (argc < 2 || !IsDiffCommand(argv[1])) return usage("unknown command");
  LinkOptions link;
  std::vector<std::string> sides;
  for (int i = 2; i < argc; ++i) {
    std::string error;
    const OptionResult r = parseLinkOption(argc, argv, i, link, error);
    if (r == OPTION_BAD) return usage(error);
    if (r == OPTION_TAKEN) continue;
    const std::string a = argv[i];
    if (a.empty() || a[0] == '-' || sides.size() == 2) return usage("unexpected argument " + a);
    sides.push_back(a);
  }
  if (sides.size() != 2) return usage("diff needs two sides: ram, eeprom, defaults or a parameter file");
  const SideArg left = sideOf(sides[0]), right = sideOf(sides[1]);
  const bool needsSensor = param::NeedsSensor(left.source) || param::NeedsSensor(right.source);
  std::string error;
  if (needsSensor && !linkOptionsComplete(link, error)) return usage("diff " + sides[0] + " " + sides[1] + ": " + error);

  Session session;
  if (!session.open(link, resourceDir, error)) {
    std::fprintf(stderr, "quellan-bx-cli: cannot load the panel resource: %s\n", error.c_str());
    return 1;
  }
  // Only the comparison on stdout: the connection steps stay quiet.
  session.frontend.setEcho(false);
  Context& ctx = session.ctx;
  // Files first: a file refused costs no connection.
  param::CompareSide a, b;
  for (const SideArg* s : {&left, &right}) {
    if (s->source != param::SRC_FILE) continue;
    if (param::LoadCompareSide(ctx, s->source, s->path, s == &left ? a : b) != param::SideResult::Read)
      return session.finish(false);
  }
  if (needsSensor) {
    if (session.connect() != 1) return session.finish(false);
    for (const SideArg* s : {&left, &right}) {
      if (s->source == param::SRC_FILE) continue;
      if (param::LoadCompareSide(ctx, s->source, s->path, s == &left ? a : b) != param::SideResult::Read)
        return session.finish(false);
    }
  }
  const auto items = param::CompareParamSets(a, b);
  std::printf("FIELD\tPAGE\tUNIT\tLEFT\tRIGHT\n");
  for (const auto& it : items) {
    if (it.pixelDiffers) printLine(it, false);
    if (it.umDiffers) printLine(it, true);
  }
  const int n = param::CountDifferences(items);
  ctx.status = std::to_string(n) + " differences";
  session.finish(true);
  return n == 0 ? 0 : 3;
}

}  // namespace bx::cli
