// The command-line tool over a faulty line: the link-level reason of a
// failed exchange on stderr, and a late reply that must not reach EEPROM.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "app/startup.h"
#include "tests/support/cli_run.h"
#include "link/orders.h"
#include "sim/server.h"

namespace bx {
namespace {

using testsupport::CliRun;

std::string tempPath(const std::string& name) {
  return ::testing::TempDir() + "/cli_link_" + std::to_string(::getpid()) + "_" + name;
}

CliRun runCli(const std::string& args) {
  const std::string errFile = tempPath("stderr.txt");
  CliRun r = testsupport::RunCli(args, "2>" + errFile);
  std::ifstream in(errFile);
  std::stringstream ss;
  ss << in.rdbuf();
  r.err = ss.str();
  std::remove(errFile.c_str());
  return r;
}

sim::FaultRule rule(sim::Fault f, int order, int param, int arg, int count) {
  sim::FaultRule r;
  r.fault = f;
  r.order = order;
  r.param = param;
  r.arg = arg;
  r.count = count;
  return r;
}

TEST(CliLink, ReasonOfAFailedExchangeGoesToStderr) {
  sim::Server server;
  const std::string tcp = " --tcp 127.0.0.1:" + std::to_string(server.startTcp(0));
  const std::string out = tempPath("params.ini");

  // Bring-up's GET from RAM is refused too, but it does not end bring-up.
  server.setFault(rule(sim::Fault::Refuse, order::kReadEeprom, sim::kAnyParam, 1, sim::kPersistent));
  CliRun refused = runCli("get --from eeprom --out " + out + tcp);
  EXPECT_EQ(refused.exitCode, 1) << refused.out;
  EXPECT_NE(refused.out.find("status: "), std::string::npos) << refused.out;
  EXPECT_EQ(refused.err, "link: refused by the sensor (parameter 1)\n");

  server.clearFaults();
  server.setFault(rule(sim::Fault::NoReply, order::kReadEeprom, sim::kAnyParam, 0, sim::kPersistent));
  CliRun silent = runCli("get --from eeprom --out " + out + tcp);
  EXPECT_EQ(silent.exitCode, 1) << silent.out;
  EXPECT_EQ(silent.err, "link: time-out\n");

  server.clearFaults();
  CliRun fine = runCli("get --from eeprom --out " + out + tcp);
  EXPECT_EQ(fine.exitCode, 0) << fine.out;
  EXPECT_EQ(fine.err, "");
  std::remove(out.c_str());
}

// Bring-up's teach-table read answers 2.1 s late, after its time-out; the
// late 128 bytes arrive while the send reads the EEPROM records.
TEST(CliLink, LateTeachTableNeverReachesEeprom) {
  sim::Server server;
  const std::string tcp = " --tcp 127.0.0.1:" + std::to_string(server.startTcp(0));
  const std::string file = tempPath("send.ini");
  ASSERT_EQ(runCli("get --from eeprom --out " + file + tcp).exitCode, 0);
  CliRun clean = runCli("send --to eeprom " + file + tcp);
  ASSERT_EQ(clean.exitCode, 0) << clean.out << clean.err;
  const auto expectedSet = server.eepromParams();
  const auto expectedTeach = server.eepromTeach();

  server.setFault(rule(sim::Fault::LateReply, order::kReadRam, order::kTeachTable, 2100, 1));
  CliRun late = runCli("send --to eeprom " + file + tcp);
  EXPECT_EQ(late.exitCode, 0) << late.out << late.err;
  EXPECT_EQ(server.eepromParams(), expectedSet);
  EXPECT_EQ(server.eepromTeach(), expectedTeach);
  std::remove(file.c_str());
}

}  // namespace
}  // namespace bx
