// quellan-bx-cli record, run as a program against the simulator: the file
// it writes, static and triggered over both transports with the sensor's
// RS-232 mode restored, the refusal of an existing file, Ctrl-C, a time-out
// and the usage errors.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "app/startup.h"
#include "link/orders.h"
#include "sim/records.h"
#include "sim/server.h"
#include "tests/support/cli_run.h"
#include "tests/support/file_size_limit.h"

namespace bx {
namespace {

using testsupport::CliRun;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

size_t lineCount(const std::string& text) {
  size_t n = 0;
  for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++n;
  return n;
}

class CliRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "bx-record-XXXXXX";
    if (char* made = ::mkdtemp(pattern.data())) dir = made;
    ASSERT_FALSE(dir.empty());
    out = dir + "/RECORD.DAT";
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string tcp(sim::Server& s) { return "--tcp 127.0.0.1:" + std::to_string(s.startTcp(0)); }

  std::string dir, out;
};

TEST_F(CliRecord, StaticRecordingOverTcp) {
  sim::Server server;
  const CliRun r = testsupport::RunCli("record --out " + out + " --samples 3 --interval 0.1 " + tcp(server));
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("samples: 3\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("status: Data-Recorder completed successfully!\n"), std::string::npos) << r.out;
  const std::string text = slurp(out);
  EXPECT_EQ(lineCount(text), 7u + 3u) << text;
  EXPECT_NE(text.find("Time-Increment[s]:\t0.1\r\nNumber of Samples:\t3\r\n"), std::string::npos) << text;
  EXPECT_EQ(server.requestCount(order::kRecorderSample), 3);
}

TEST_F(CliRecord, ExistingFileIsKeptWithoutForce) {
  sim::Server server;
  { std::ofstream(out) << "old"; }
  const std::string link = tcp(server);
  CliRun r = testsupport::RunCli("record --out " + out + " --samples 2 --interval 0.1 " + link);
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("status: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("--force"), std::string::npos) << r.out;
  EXPECT_EQ(slurp(out), "old");
  EXPECT_EQ(server.requestCount(order::kRecorderSample), 0);

  r = testsupport::RunCli("record --force --out " + out + " --samples 2 --interval 0.1 " + link);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(lineCount(slurp(out)), 7u + 2u);
}

TEST_F(CliRecord, TriggeredOverThePtyRestoresTheMode) {
  sim::Config cfg;
  cfg.triggerPeriodMs = 20;
  sim::Server server(cfg);
  const std::string pty = server.startPty();
  ASSERT_FALSE(pty.empty());
  ASSERT_EQ(server.ramParams()[sim::param::kRs232Mode], 0);
  const CliRun r = testsupport::RunCli("record --mode triggered --out " + out + " --samples 5 --serial " + pty);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("status: Data-Recorder completed successfully!\n"), std::string::npos) << r.out;
  const std::string text = slurp(out);
  EXPECT_EQ(lineCount(text), 7u + 5u) << text;
  EXPECT_NE(text.find("Time-Increment[s]:\t0\r\n"), std::string::npos) << text;
  // Set to 1 for the recording, back to 0 afterwards; no sample was asked for.
  EXPECT_EQ(server.requestCount(order::kWriteRam), 4) << "parameter set and teach table, twice";
  EXPECT_EQ(server.ramParams()[sim::param::kRs232Mode], 0);
  EXPECT_EQ(server.requestCount(order::kRecorderSample), 0);
}

TEST_F(CliRecord, TriggeredOverTcp) {
  sim::Config cfg;
  cfg.triggerPeriodMs = 20;
  sim::Server server(cfg);
  const CliRun r = testsupport::RunCli("record --mode triggered --out " + out + " --samples 4 " + tcp(server));
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(lineCount(slurp(out)), 7u + 4u);
  EXPECT_EQ(server.ramParams()[sim::param::kRs232Mode], 0);
}

TEST_F(CliRecord, InterruptStopsAndKeepsTheRows) {
  sim::Server server;
  const std::string link = "127.0.0.1:" + std::to_string(server.startTcp(0));
  const std::string exe = ExecutableDir() + "/quellan-bx-cli";
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], 1);
    ::close(fds[0]);
    ::close(fds[1]);
    ::execl(exe.c_str(), exe.c_str(), "record", "--out", out.c_str(), "--samples", "32000", "--interval", "0.1",
            "--tcp", link.c_str(), nullptr);
    ::_exit(127);
  }
  ::close(fds[1]);
  // Interrupted once two rows are on disk: in the new file beside FILE,
  // which takes FILE's place when the recording ends.
  auto recordingFile = [&] {
    for (const auto& e : std::filesystem::directory_iterator(dir))
      if (e.path().filename().string().rfind("RECORD.DAT.tmp", 0) == 0) return e.path().string();
    return std::string();
  };
  for (int i = 0; i < 600 && lineCount(slurp(recordingFile())) < 9; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ::kill(pid, SIGINT);
  std::string text;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  int st = 0;
  ::waitpid(pid, &st, 0);
  ASSERT_TRUE(WIFEXITED(st)) << text;
  EXPECT_EQ(WEXITSTATUS(st), 1) << text;
  EXPECT_NE(text.find("status: Data-Recorder stopped!\n"), std::string::npos) << text;
  const size_t rows = lineCount(slurp(out)) - 7;
  EXPECT_GE(rows, 2u);
  EXPECT_NE(text.find("samples: " + std::to_string(rows) + "\n"), std::string::npos) << text;
}

TEST_F(CliRecord, TimeOutKeepsTheRowsAndFails) {
  sim::Server server;
  sim::FaultRule rule;
  rule.fault = sim::Fault::NoReply;
  rule.order = order::kRecorderSample;
  rule.count = sim::kPersistent;
  server.setFault(rule);
  const CliRun r = testsupport::RunCli("record --out " + out + " --samples 3 --interval 0.1 " + tcp(server));
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("status: Data-Recorder error - rs232 timeout!\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("link: time-out"), std::string::npos) << r.out;
  EXPECT_EQ(lineCount(slurp(out)), 7u) << "the header stays";
}

TEST_F(CliRecord, AFileThatCannotBeOpenedFails) {
  sim::Server server;
  const std::string missing = dir + "/no-such-folder/RECORD.DAT";
  const CliRun r = testsupport::RunCli("record --out " + missing + " --samples 2 --interval 0.1 " + tcp(server));
  EXPECT_EQ(r.exitCode, 1) << r.out;
  // The status line names the file and the reason.
  EXPECT_NE(r.out.find("status: Error opening recorder output file cannot create a file in \"" + dir +
                       "/no-such-folder\": No such file or directory\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(server.requestCount(order::kRecorderSample), 0);
}

TEST_F(CliRecord, AFullDiskFailsTheRecordingAndNamesTheFile) {
  sim::Server server;
  { std::ofstream(out) << "the last recording"; }
  CliRun r;
  {
    // The tool inherits the limit: its file fills up after a few rows.
    test::FileSizeLimit limit(400);
    ASSERT_TRUE(limit.ok());
    r = testsupport::RunCli("record --force --out " + out + " --samples 50 --interval 0.1 " + tcp(server));
  }
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("status: Data-Recorder error - recorder file write failed! cannot write \"" + out +
                       "\": File too large\n"),
            std::string::npos)
      << r.out;
  // The whole rows before the full disk are kept.
  const std::string text = slurp(out);
  EXPECT_GE(lineCount(text), 7u);
  EXPECT_LE(text.size(), 400u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST_F(CliRecord, UsageErrors) {
  for (const std::string args :
       {"record --tcp 127.0.0.1:1", "record --out X.DAT", "record --out X.DAT --mode fast --tcp 127.0.0.1:1",
        "record --out X.DAT --samples 0 --tcp 127.0.0.1:1", "record --out X.DAT --samples 32001 --tcp 127.0.0.1:1",
        "record --out X.DAT --interval 0.05 --tcp 127.0.0.1:1", "record --out X.DAT --interval 2x --tcp 127.0.0.1:1",
        "record --out X.DAT --tcp 127.0.0.1:1 --bogus", "record --out"}) {
    const CliRun r = testsupport::RunCli(args);
    EXPECT_EQ(r.exitCode, 2) << args << "\n" << r.out;
  }
  const CliRun help = testsupport::RunCli("--help");
  EXPECT_NE(help.out.find("quellan-bx-cli record --out FILE"), std::string::npos);
}

}  // namespace
}  // namespace bx
