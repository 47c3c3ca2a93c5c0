// quellan-bx-cli adjust against the simulator over both transports.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "app/startup.h"
#include "tests/support/cli_run.h"
#include "sim/server.h"

namespace bx {
namespace {

// Runs the tool with stderr dropped; the exit code and stdout.
int runCli(const std::string& args, std::string& out) {
  testsupport::CliRun r = testsupport::RunCli(args, "2>/dev/null");
  out += r.out;
  return r.exitCode;
}

// The NAME<TAB>VALUE lines after the connection lines, up to the status.
std::string fieldLines(const std::string& out) {
  const size_t from = out.find("MODE\t");
  return from == std::string::npos ? std::string() : out.substr(from);
}

TEST(CliAdjust, PrintsEveryFieldOverBothTransports) {
  sim::Server server;
  std::string tcp;
  ASSERT_EQ(runCli("adjust --tcp 127.0.0.1:" + std::to_string(server.startTcp(0)), tcp), 0) << tcp;
  EXPECT_EQ(fieldLines(tcp),
            "MODE\t1\nMEASURED\t199\nBYTE6\t0\nWORD8\t0\nWORD10\t0\nWORD12\t0\nWORD14\t0\nWORD16\t0\n"
            "WORD18\t0\nWORD20\t0\nWORD22\t0\nWORD24\t0\nWORD26\t0\nWORD28\t0\nWORD30\t0\n"
            "status: Adjustment record received!\n");

  // The same sensor over its serial line, measured value in the unit
  // whose zero is the raw 199.
  std::string serial;
  ASSERT_EQ(runCli("adjust --unit 0 --serial " + server.startPty(), serial), 0) << serial;
  EXPECT_NE(serial.find("MEASURED\t0\n"), std::string::npos) << serial;
  EXPECT_NE(serial.find("WORD30\t0\nstatus: "), std::string::npos) << serial;
}

TEST(CliAdjust, UsageAndLinkErrors) {
  std::string out;
  EXPECT_EQ(runCli("adjust --unit 3 --tcp 127.0.0.1:1", out), 2);
  EXPECT_EQ(runCli("adjust --unit", out), 2);
  EXPECT_EQ(runCli("adjust", out), 2);
  EXPECT_EQ(runCli("adjust --tcp 127.0.0.1:5000 extra", out), 2);
  std::string refused;
  // Nothing listens on the port of a stopped simulator.
  int port = 0;
  {
    sim::Server gone;
    port = gone.startTcp(0);
    gone.stop();
  }
  EXPECT_EQ(runCli("adjust --tcp 127.0.0.1:" + std::to_string(port), refused), 1);
  EXPECT_EQ(refused.find("MODE\t"), std::string::npos);
  EXPECT_NE(refused.find("status: "), std::string::npos);
}

}  // namespace
}  // namespace bx
