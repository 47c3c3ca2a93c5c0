#pragma once
// What every connecting command of the command-line tool shares: the link
// options and a headless session that prints as the desktop tool reports.
#include <string>

#include "context/context.h"
#include "ui/headless.h"

namespace bx::cli {

struct LinkOptions {
  bool tcp = false;
  std::string host;
  int port = 5000;
  bool serial = false;
  int com = -1;
  int baud = 4;
};

enum OptionResult { OPTION_NOT_MINE = 0, OPTION_TAKEN = 1, OPTION_BAD = -1 };

// Takes --tcp HOST[:PORT], --serial DEV-OR-COMn or --baud INDEX at argv[i]
// (i moves past its value). OPTION_BAD leaves the reason in error.
OptionResult parseLinkOption(int argc, char** argv, int& i, LinkOptions& o, std::string& error);
// Exactly one transport given; otherwise the reason in error.
bool linkOptionsComplete(const LinkOptions& o, std::string& error);

const char* linkOptionsHelp();

// Ctrl-C (SIGINT) is only noted, from the first moment of the program on,
// so an interrupt never kills the tool in the middle of an exchange: each
// loop (live, record, scope) ends at its next pass as its STOP does, and a
// command without a loop finishes what it sends. An interrupt that a
// launcher told the program to ignore stays ignored.
void InstallInterruptHandler();
bool Interrupted();

// A context with the panel resource, start values and an echoing headless
// front-end, the link set up from the options.
struct Session {
  Context ctx;
  ui::HeadlessFrontend frontend;

  // False with the reason when the resource cannot be loaded.
  bool open(const LinkOptions& o, const std::string& resourceDir, std::string& error);
  // The connect procedure of the desktop tool; 1 when connected and identified.
  int connect();
  // Prints "status: ..." and closes the link; the exit code for ok. On
  // failure why a serial port could not be opened goes to stderr as
  // "reason: TEXT", and the link-level reason of the last failed exchange,
  // if any, as "link: REASON".
  int finish(bool ok);
};

}  // namespace bx::cli
