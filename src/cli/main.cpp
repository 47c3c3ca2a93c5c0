// quellan-bx-cli: the command-line front-end over the same core, for
// service scripts and automation.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/live_cmd.h"
#include "cli/scope_cmd.h"
#include "cli/calib_cmds.h"
#include "cli/adjust_cmd.h"
#include "cli/params_cmds.h"
#include "cli/record_cmd.h"
#include "cli/diff_cmd.h"
#include "cli/report_cmd.h"
#include "cli/convert_cmd.h"
#include "cli/session.h"
#include "app/language_data.h"
#include "connection/conn_page.h"

namespace {

using bx::cli::LinkOptions;
using bx::cli::OptionResult;
using bx::cli::OPTION_BAD;
using bx::cli::OPTION_NOT_MINE;

const char* kUsage =
    "Usage:\n"
    "  quellan-bx-cli identify --tcp HOST[:PORT]\n"
    "  quellan-bx-cli identify --serial DEVICE-OR-COMn [--baud INDEX]\n"
    "  quellan-bx-cli ports\n"
    "  quellan-bx-cli --help\n"
    "  quellan-bx-cli --version\n"
    "\n"
    "identify  connects to the sensor and runs the same bring-up as the desktop\n"
    "          tool: echo, firmware text, family and firmware-version check,\n"
    "          hardware record, model, calibration record.\n"
    "          (link options below)\n"
    "ports     lists the serial ports of this computer as \"Find COM ports\" does.\n"
    "\n"
    "Output: every line of the connection message box as it is appended; every\n"
    "pop-up as a line [TITLE] followed by its text; at the end \"status: TEXT\".\n"
    "A serial port that cannot be opened also gives \"reason: TEXT\" on stderr:\n"
    "why, and what to do. Ctrl-C is taken from the start: loops end as their\n"
    "STOP does, other commands finish what they send.\n"
    "Exit code: 0 sensor connected and identified, 1 not, 2 usage error.\n";

void printUsage(FILE* f) {
  std::fprintf(f, "%s\n%s\n%s\n%s%s\n%s\n%s\n%s\n%s\n%s\nLink options:\n%s", kUsage, bx::cli::ParamCommandsUsage(), bx::cli::LiveCommandUsage(), bx::cli::CalibCommandsUsage(), bx::cli::AdjustCommandUsage(),
               bx::cli::RecordCommandUsage(), bx::cli::ScopeCommandUsage(), bx::cli::DiffCommandUsage(), bx::cli::ReportCommandUsage(), bx::cli::ConvertCommandUsage(), bx::cli::linkOptionsHelp());
}

int usage(const char* msg) {
  if (msg) std::fprintf(stderr, "quellan-bx-cli: %s\n", msg);
  printUsage(stderr);
  return 2;
}

struct Options {
  std::string command;
  LinkOptions link;
};

bool wantsHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) return true;
  return false;
}

int parseArgs(int argc, char** argv, Options& o) {
  if (argc < 2) return usage("no command given");
  o.command = argv[1];
  if (o.command != "identify" && o.command != "ports") return usage(("unknown command " + o.command).c_str());
  for (int i = 2; i < argc; ++i) {
    std::string error;
    OptionResult r = parseLinkOption(argc, argv, i, o.link, error);
    if (r == OPTION_BAD) return usage(error.c_str());
    if (r == OPTION_NOT_MINE) return usage((std::string("unexpected argument ") + argv[i]).c_str());
  }
  std::string error;
  if (o.command == "identify" && !linkOptionsComplete(o.link, error)) return usage(("identify: " + error).c_str());
  return -1;
}

int runPorts() {
  std::fputs(bx::FormatPortList(bx::LanguageData{}).c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && !std::strcmp(argv[1], "--version")) {
    std::puts("quellan-bx-cli " BX_VERSION);
    return 0;
  }
  // Before anything can talk to the sensor.
  bx::cli::InstallInterruptHandler();
  if (wantsHelp(argc, argv)) {
    printUsage(stdout);
    return 0;
  }
  if (argc >= 2 && bx::cli::IsParamCommand(argv[1])) return bx::cli::RunParamCommand(argc, argv);
  if (argc >= 2 && bx::cli::IsLiveCommand(argv[1])) return bx::cli::RunLiveCommand(argc, argv);
  if (argc >= 2 && bx::cli::IsCalibCommand(argv[1])) return bx::cli::RunCalibCommand(argc, argv);
  if (argc >= 2 && bx::cli::IsAdjustCommand(argv[1])) return bx::cli::RunAdjustCommand(argc, argv);
  if (argc >= 2 && bx::cli::IsRecordCommand(argv[1])) return bx::cli::RunRecordCommand(argc, argv);
  if (argc >= 2 && bx::cli::IsScopeCommand(argv[1])) return bx::cli::RunScopeCommand(argc, argv);
  if (argc >= 2 && bx::cli::IsDiffCommand(argv[1])) return bx::cli::RunDiffCommand(argc, argv);
  if (argc >= 2 && bx::cli::IsReportCommand(argv[1])) return bx::cli::RunReportCommand(argc, argv);
  if (argc >= 2 && bx::cli::IsConvertCommand(argv[1])) return bx::cli::RunConvertCommand(argc, argv);
  Options o;
  int rc = parseArgs(argc, argv, o);
  if (rc >= 0) return rc;
  if (o.command == "ports") return runPorts();

  bx::cli::Session session;
  std::string error;
  if (!session.open(o.link, "", error)) {
    std::fprintf(stderr, "quellan-bx-cli: cannot load the panel resource: %s\n", error.c_str());
    return 1;
  }
  return session.finish(session.connect() == 1);
}
