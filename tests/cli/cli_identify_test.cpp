// The command-line front-end, run as a program against the simulator.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "app/startup.h"
#include "tests/support/cli_run.h"
#include "sim/server.h"

namespace bx {
namespace {

using testsupport::CliRun;

CliRun runCli(const std::string& args) { return testsupport::RunCli(args, "2>&1"); }

TEST(CliIdentify, ConnectsOverTcpAndThePty) {
  sim::Server server;
  int port = server.startTcp(0);
  std::string pty = server.startPty();
  ASSERT_GT(port, 0);
  ASSERT_FALSE(pty.empty());

  CliRun tcp = runCli("identify --tcp 127.0.0.1:" + std::to_string(port));
  EXPECT_EQ(tcp.exitCode, 0) << tcp.out;
  EXPECT_NE(tcp.out.find("Quellan-BX-28-K V5.45\nSerial-No: #1234\n"), std::string::npos) << tcp.out;
  EXPECT_NE(tcp.out.find("status: Quellan-BX-28-K V5.45\n"), std::string::npos) << tcp.out;

  CliRun serial = runCli("identify --serial " + pty);
  EXPECT_EQ(serial.exitCode, 0) << serial.out;
  EXPECT_NE(serial.out.find("RS232 open com-port - successful!"), std::string::npos) << serial.out;
  EXPECT_NE(serial.out.find("Serial-No: #1234"), std::string::npos) << serial.out;
}

TEST(CliIdentify, RefusesOldFirmwareAndRejectsBadUsage) {
  sim::Config cfg;
  cfg.firmwareVersion = 510;
  sim::Server server(cfg);
  int port = server.startTcp(0);
  CliRun r = runCli("identify --tcp 127.0.0.1:" + std::to_string(port));
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("[Attention !!!]\nIncompatible or older firmware detected!\nPlease use Quellan-BX-Scope "
                       "software version V5.1 !\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("status: Please use Quellan-BX-Scope software version V5.1 !"), std::string::npos);

  EXPECT_EQ(runCli("identify").exitCode, 2);
  EXPECT_EQ(runCli("identify --tcp 127.0.0.1:notaport").exitCode, 2);
  EXPECT_EQ(runCli("identify --serial /dev/null").exitCode, 2);
  EXPECT_EQ(runCli("--help").exitCode, 0);
}

}  // namespace
}  // namespace bx
