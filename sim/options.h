#pragma once
// Command line of the bx-sim program.
#include <string>
#include <vector>

#include "sim/config.h"
#include "sim/faults.h"

namespace bx::sim {

struct Options {
  Config config;
  bool tcp = false;
  int tcpPort = 5000;
  bool pty = false;
  std::vector<FaultRule> faults;
  bool help = false;
  bool version = false;  // --version: print the version and leave
};

// Parses argv[1..]. On a bad option returns false with a message in error.
// With neither --tcp nor --pty, TCP on port 5000 is chosen.
bool parseOptions(const std::vector<std::string>& args, Options& out, std::string& error);

const char* usageText();

}  // namespace bx::sim
