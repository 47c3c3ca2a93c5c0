#include "cli/convert_cmd.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "context/context.h"
#include "recorder/rec_csv.h"

namespace bx::cli {
namespace {

const char* kUsage =
    "  quellan-bx-cli convert RECORD.DAT --csv OUT.csv\n"
    "\n"
    "convert   reads a recorder file (of this tool or an earlier one of the\n"
    "          family) and writes it as CSV: comma-separated, a header row, one\n"
    "          row per sample with its date and time in ISO 8601 and its values\n"
    "          in pixels and micrometres. A file that is not a recorder file, or\n"
    "          is damaged or cut short, is refused with the line at fault and\n"
    "          nothing is written. OUT.csv is replaced only when complete.\n"
    "          Prints \"samples: N\" and \"status: TEXT\".\n"
    "          Exit code: 0 written, 1 file failure, 2 usage error.\n";

int usage(const std::string& msg) {
  std::fprintf(stderr, "quellan-bx-cli: %s\nUsage:\n%s", msg.c_str(), kUsage);
  return 2;
}

}  // namespace

bool IsConvertCommand(const char* name) { return std::strcmp(name, "convert") == 0; }

const char* ConvertCommandUsage() { return kUsage; }

int RunConvertCommand(int argc, char** argv) {
  std::string in, out;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--csv") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return usage("convert: --csv needs a file name");
      if (!out.empty()) return usage("convert: --csv given twice");
      out = argv[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      return usage("convert: unexpected option " + a);
    } else if (in.empty()) {
      if (a.empty()) return usage("convert: the recorder file name is empty");
      in = a;
    } else {
      return usage("convert: unexpected argument " + a);
    }
  }
  if (in.empty()) return usage("convert: no recorder file given");
  if (out.empty()) return usage("convert: --csv OUT.csv is required");

  // No panels and no sensor: the texts in English.
  auto ctx = std::make_unique<Context>();
  std::string error;
  int rows = 0;
  if (recorder::ConvertToCsv(*ctx, in, out, error, &rows) != recorder::ConvertResult::Written) {
    std::printf("status: %s\n", error.c_str());
    return 1;
  }
  std::printf("samples: %d\nstatus: %s written\n", rows, out.c_str());
  return 0;
}

}  // namespace bx::cli
