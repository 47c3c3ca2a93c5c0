#pragma once
// Runs the command-line tool as a program, the way a service script does.
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "app/startup.h"

namespace bx::testsupport {

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// stderrTo: the shell redirection of the tool's stderr ("2>&1" merges it
// into out, "2>/dev/null" drops it, "2>FILE" keeps it for the caller).
// runAs: a command prefix that runs the tool as another account.
inline CliRun RunCli(const std::string& args, const std::string& stderrTo = "2>&1", const std::string& runAs = "") {
  CliRun r;
  std::string cmd = runAs + ExecutableDir() + "/quellan-bx-cli " + args + " " + stderrTo;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int st = ::pclose(p);
  r.exitCode = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

}  // namespace bx::testsupport
