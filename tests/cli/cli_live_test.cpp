// quellan-bx-cli live, run as a program against the simulator: the columns
// match the sensor's live record, the trigger column, failures and usage.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "sim/server.h"
#include "tests/support/cli_run.h"
#include "wire/orders.h"

namespace bx {
namespace {

using testsupport::CliRun;

CliRun runCli(const std::string& args) { return testsupport::RunCli(args, "2>&1"); }

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::stringstream in(s);
  std::string part;
  while (std::getline(in, part, sep)) parts.push_back(part);
  return parts;
}

// The lines from the header on.
std::vector<std::vector<std::string>> table(const std::string& out) {
  std::vector<std::vector<std::string>> rows;
  bool inTable = false;
  for (const auto& line : split(out, '\n')) {
    if (line.rfind("CYCLE\t", 0) == 0) inTable = true;
    if (inTable && line.find('\t') != std::string::npos) rows.push_back(split(line, '\t'));
  }
  return rows;
}

void expectCycles(const CliRun& r, int n) {
  EXPECT_EQ(r.exitCode, 0) << r.out;
  const auto rows = table(r.out);
  ASSERT_EQ(rows.size(), static_cast<size_t>(n + 1)) << r.out;
  EXPECT_EQ(rows[0], (std::vector<std::string>{"CYCLE", "M-VALUE", "M-VAL[um]", "EDG-A", "EDG-B", "EDG-N", "MAX[um]",
                                                "MIN[um]", "STATE", "PROG", "RATE[Hz]", "TRIGGERED"}));
  for (int i = 1; i <= n; ++i) {
    ASSERT_EQ(rows[i].size(), 12u) << r.out;
    EXPECT_EQ(rows[i][0], std::to_string(i));
    // The simulator's shadow: the value derives from edges A and B.
    EXPECT_GE(std::stoi(rows[i][5]), 2);
    const int a = std::stoi(rows[i][3]), b = std::stoi(rows[i][4]), v = std::stoi(rows[i][1]);
    EXPECT_TRUE(v == std::abs(b - a) || v == (a + b + 1) / 2 || v == a) << r.out;
    EXPECT_LE(std::stoi(rows[i][7]), std::stoi(rows[i][2]));
    EXPECT_GE(std::stoi(rows[i][6]), std::stoi(rows[i][2]));
    EXPECT_EQ(rows[i][8], "RUNNING - OK");
    EXPECT_EQ(rows[i][9], "0");
    EXPECT_FALSE(rows[i][10].empty());
    EXPECT_EQ(rows[i][11], "0");
  }
  EXPECT_NE(r.out.find("status: Data-Transfer Stopped!\n"), std::string::npos) << r.out;
}

TEST(CliLive, PrintsOneLinePerCycleOverTcpAndThePty) {
  sim::Server server;
  const int port = server.startTcp(0);
  const std::string pty = server.startPty();
  ASSERT_GT(port, 0);
  ASSERT_FALSE(pty.empty());
  const int before = server.requestCount(order::kLiveData);
  expectCycles(runCli("live --count 5 --tcp 127.0.0.1:" + std::to_string(port)), 5);
  // One live record more: the bring-up's for the scope's cycle time.
  EXPECT_EQ(server.requestCount(order::kLiveData) - before, 5 + 1);
  expectCycles(runCli("live --count 3 --serial " + pty), 3);
}

TEST(CliLive, ArmedTriggerMarksTheTriggeredCycles) {
  sim::Config cfg;
  cfg.triggerPeriodMs = 5;
  sim::Server server(cfg);
  const int port = server.startTcp(0);
  const CliRun r = runCli("live --count 100 --trigger pos --tcp 127.0.0.1:" + std::to_string(port));
  EXPECT_EQ(r.exitCode, 0) << r.out;
  int triggered = 0;
  for (const auto& row : table(r.out))
    if (row.size() == 12 && row[11] == "1") ++triggered;
  EXPECT_GT(triggered, 0) << r.out;
  EXPECT_GT(server.requestCount(order::kVideoData), 0);
  EXPECT_EQ(server.lastRequest(order::kVideoData).param, 2);
}

TEST(CliLive, AFailedTriggeredFetchIsReported) {
  sim::Config cfg;
  cfg.triggerPeriodMs = 5;
  sim::Server server(cfg);
  const int port = server.startTcp(0);
  // The sensor refuses every live record asked for after a trigger event.
  sim::FaultRule rule;
  rule.fault = sim::Fault::Refuse;
  rule.order = order::kLiveData;
  rule.param = 1;
  rule.count = sim::kPersistent;
  server.setFault(rule);
  const CliRun r = runCli("live --count 40 --trigger pos --tcp 127.0.0.1:" + std::to_string(port));
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("\nfailure: "), std::string::npos) << r.out;
  for (const auto& row : table(r.out)) {
    if (row.size() != 12) continue;
    EXPECT_NE(row[11], "1") << "no cycle counts as triggered";
  }
}

TEST(CliLive, InterruptStopsLikeStop) {
  sim::Server server;
  const int port = server.startTcp(0);
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const std::string exe = ExecutableDir() + "/quellan-bx-cli";
  const std::string tcp = "127.0.0.1:" + std::to_string(port);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], 1);
    ::close(fds[0]);
    ::close(fds[1]);
    ::execl(exe.c_str(), exe.c_str(), "live", "--count", "1000000000", "--tcp", tcp.c_str(), nullptr);
    ::_exit(127);
  }
  ::close(fds[1]);
  std::string out;
  char buf[4096];
  bool interrupted = false;
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0) {
    out.append(buf, static_cast<size_t>(n));
    if (!interrupted && table(out).size() > 3) {
      ::kill(pid, SIGINT);
      interrupted = true;
    }
  }
  ::close(fds[0]);
  int st = 0;
  ::waitpid(pid, &st, 0);
  ASSERT_TRUE(WIFEXITED(st)) << out;
  EXPECT_EQ(WEXITSTATUS(st), 0) << out;
  EXPECT_NE(out.find("status: Data-Transfer Stopped!\n"), std::string::npos) << out;
}

TEST(CliLive, FailureAndUsage) {
  sim::Server server;
  const int port = server.startTcp(0);
  sim::FaultRule rule;
  rule.fault = sim::Fault::CloseConnection;
  rule.order = order::kVideoData;
  rule.count = sim::kPersistent;
  server.setFault(rule);
  const CliRun r = runCli("live --count 5 --tcp 127.0.0.1:" + std::to_string(port));
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("failure: VIDEO: Timeout TCP-Server-error!\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("status: Timeout TCP-Server-error!\n"), std::string::npos) << r.out;

  EXPECT_EQ(runCli("live --tcp 127.0.0.1:" + std::to_string(port)).exitCode, 2);
  EXPECT_EQ(runCli("live --count 0 --tcp 127.0.0.1:1").exitCode, 2);
  EXPECT_EQ(runCli("live --count 3 --trigger up --tcp 127.0.0.1:1").exitCode, 2);
  EXPECT_EQ(runCli("live --count 3").exitCode, 2);
}

}  // namespace
}  // namespace bx
