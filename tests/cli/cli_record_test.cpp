// quellan-bx-cli record, run as a program against the simulator: the file
// it writes, static and triggered over both transports with the sensor's
// RS-232 mode restored, the refusal of an existing file, Ctrl-C, a time-out
// and the usage errors; a recording made here converted to CSV, and a
// damaged one refused with nothing written.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/startup.h"
#include "sim/faults.h"
#include "sim/records.h"
#include "sim/server.h"
#include "tests/support/cli_run.h"
#include "tests/support/file_size_limit.h"
#include "wire/orders.h"

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

// Ctrl-C to a running tool once its file holds `rows` rows; its output and
// exit code.
CliRun interruptAfterRows(const std::string& out, size_t rows, const std::vector<std::string>& args) {
  const std::string exe = ExecutableDir() + "/quellan-bx-cli";
  std::vector<char*> argv{const_cast<char*>(exe.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int fds[2];
  CliRun r;
  if (::pipe(fds) != 0) return r;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], 1);
    ::dup2(fds[1], 2);
    ::close(fds[0]);
    ::close(fds[1]);
    ::execv(exe.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  for (int i = 0; i < 600 && lineCount(slurp(out)) < 7 + rows; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ::kill(pid, SIGINT);
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0) r.out.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  int st = 0;
  ::waitpid(pid, &st, 0);
  r.exitCode = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

sim::FaultRule fault(const std::string& text) {
  sim::FaultRule f;
  EXPECT_TRUE(sim::parseFaultRule(text, f)) << text;
  return f;
}

TEST_F(CliRecord, TriggeredRecordingNeverSendsRecordsItCouldNotRead) {
  // The bring-up's GET refused at the teach table or at the parameter set
  // (bx-sim --fault refuse=1:1@2/1 and @2/0): nothing reaches the sensor,
  // nothing is recorded, and the run fails.
  for (const std::string at : {"2/1", "2/0"}) {
    for (const bool pty : {false, true}) {
      SCOPED_TRACE(at + (pty ? " over the pty" : " over TCP"));
      sim::Config cfg;
      cfg.triggerPeriodMs = 20;
      sim::Server server(cfg);
      server.setFault(fault("refuse=1:1@" + at));
      const auto ram = server.ramParams();
      const auto teach = server.ramTeach();
      const std::string link = pty ? "--serial " + server.startPty() : tcp(server);
      const CliRun r = testsupport::RunCli("record --mode triggered --force --out " + out + " --samples 3 " + link);
      EXPECT_EQ(r.exitCode, 1) << r.out;
      EXPECT_EQ(r.out.find("completed successfully"), std::string::npos) << r.out;
      EXPECT_NE(r.out.find("status: "), std::string::npos) << r.out;
      EXPECT_EQ(server.requestCount(order::kWriteRam), 0) << r.out;
      EXPECT_EQ(server.ramParams(), ram);
      EXPECT_EQ(server.ramTeach(), teach);
      EXPECT_FALSE(std::filesystem::exists(out));
    }
  }
}

TEST_F(CliRecord, TriggeredRecordingRestoresTheModeOnEveryWayOut) {
  struct Case {
    const char* fault;     // bx-sim's --fault text
    bool restored;         // RS-232-Mode 0 again at the end
  };
  // A lost or spoiled reply to the mode set (the sensor took it all the
  // same), and a restore the sensor refuses.
  const Case cases[] = {
      {"no-reply:1@1/0", true},
      {"header-crc:1@1/1", true},
      {"refuse=1:1@1/0#2", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    sim::Config cfg;
    cfg.triggerPeriodMs = 20;
    sim::Server server(cfg);
    server.setFault(fault(c.fault));
    const CliRun r =
        testsupport::RunCli("record --mode triggered --force --out " + out + " --samples 3 " + tcp(server));
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_EQ(server.ramParams()[sim::param::kRs232Mode], c.restored ? 0 : 1) << r.out;
    EXPECT_EQ(r.out.find("still streams samples") != std::string::npos, !c.restored) << r.out;
    EXPECT_EQ(r.out.find("completed successfully"), std::string::npos) << r.out;
  }

  // Ctrl-C during the recording, over the pty.
  std::filesystem::remove(out);
  sim::Config cfg;
  cfg.triggerPeriodMs = 20;
  sim::Server server(cfg);
  const std::string pty = server.startPty();
  const CliRun r = interruptAfterRows(out, 2,
                                      {"record", "--mode", "triggered", "--force", "--out", out, "--samples", "32000",
                                       "--serial", pty});
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("status: Data-Recorder stopped!\n"), std::string::npos) << r.out;
  EXPECT_EQ(server.ramParams()[sim::param::kRs232Mode], 0) << r.out;
}

TEST_F(CliRecord, TriggeredRecordingOverTheFaultGrid) {
  // One fault at each exchange of a triggered recording in turn (the
  // bring-up, the mode set, the restore): whatever the run's end, the
  // sensor's RAM is as before unless the tool says the mode stays, and no
  // GET that failed lets anything be written.
  sim::Config cfg;
  cfg.triggerPeriodMs = 20;
  std::vector<uint8_t> log;
  // What a recording leaves in RAM: the records as read, after the tool's
  // sanitising of values out of range.
  sim::ParamSet cleanRam{};
  sim::TeachTable cleanTeach{};
  {
    sim::Server clean(cfg);
    const CliRun r = testsupport::RunCli("record --mode triggered --force --out " + out + " --samples 2 " + tcp(clean));
    ASSERT_EQ(r.exitCode, 0) << r.out;
    log = clean.orderLog();
    cleanRam = clean.ramParams();
    cleanTeach = clean.ramTeach();
  }
  ASSERT_GE(log.size(), 8u);
  std::map<uint8_t, int> seen;
  for (const uint8_t o : log) {
    const int nth = ++seen[o];
    for (const char* kind : {"refuse=2", "data-crc", "wrong-param=7", "duplicate"}) {
      const std::string text = std::string(kind) + ":1@" + std::to_string(o) + "#" + std::to_string(nth);
      SCOPED_TRACE(text);
      std::filesystem::remove(out);
      sim::Server server(cfg);
      server.setFault(fault(text));
      const auto ram = server.ramParams();
      const auto teach = server.ramTeach();
      const CliRun r =
          testsupport::RunCli("record --mode triggered --force --out " + out + " --samples 2 " + tcp(server));
      ASSERT_TRUE(r.exitCode == 0 || r.exitCode == 1) << r.out;
      const bool left = r.out.find("still streams samples") != std::string::npos;
      if (!left) {
        const bool untouched = server.ramParams() == ram && server.ramTeach() == teach;
        const bool asRead = server.ramParams() == cleanRam && server.ramTeach() == cleanTeach;
        EXPECT_TRUE(untouched || asRead) << r.out;
        if (server.requestCount(order::kWriteRam) == 0) {
          EXPECT_TRUE(untouched) << r.out;
        }
      } else {
        EXPECT_EQ(r.exitCode, 1);
      }
      if (r.exitCode == 0) {
        EXPECT_NE(r.out.find("status: Data-Recorder completed successfully!"), std::string::npos) << r.out;
        EXPECT_EQ(lineCount(slurp(out)), 7u + 2u) << r.out;
      }
      // A refused or spoiled GET reply leaves the records unread. (A reply
      // with another frame parameter but the right length passes the link's
      // checks: the grid runs it for the rest.)
      const std::string k = kind;
      if (o == order::kReadRam && (k.rfind("refuse", 0) == 0 || k == "data-crc")) {
        EXPECT_EQ(r.exitCode, 1) << r.out;
        EXPECT_EQ(server.requestCount(order::kWriteRam), 0) << r.out;
      }
    }
  }
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

// A recording the tool made converts to CSV with the same values; converted
// again through a damaged copy, nothing is written and the old CSV stays.
TEST_F(CliRecord, ConvertWritesTheRecordingAsCsv) {
  sim::Server server;
  CliRun r = testsupport::RunCli("record --out " + out + " --samples 3 --interval 0.1 " + tcp(server));
  ASSERT_EQ(r.exitCode, 0) << r.out;
  const std::string csv = dir + "/out.csv";
  r = testsupport::RunCli("convert " + out + " --csv " + csv);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("samples: 3\n"), std::string::npos) << r.out;
  const std::string text = slurp(csv);
  ASSERT_EQ(lineCount(text), 4u) << text;
  // Row by row: M-VALUE, M-VAL[um], EDG-A, EDG-B, EDG-N of the file.
  std::istringstream rec(slurp(out)), got(text);
  std::string line, row;
  for (int i = 0; i < 7; ++i) std::getline(rec, line);
  std::getline(got, row);
  EXPECT_EQ(row, "SAMPLE,DATE-TIME,M-VALUE[pixel],M-VAL[um],EDG-A[pixel],EDG-B[pixel],EDG-N,PROG,STATE\r");
  for (int n = 1; std::getline(rec, line) && std::getline(got, row); ++n) {
    std::vector<std::string> f;
    std::istringstream fs(line);
    for (std::string x; std::getline(fs, x, '\t');)
      if (!x.empty()) f.push_back(x);
    ASSERT_EQ(f.size(), 9u) << line;
    const std::string iso = f[0].substr(6, 4) + "-" + f[0].substr(0, 2) + "-" + f[0].substr(3, 2) + "T" + f[1];
    EXPECT_EQ(row, std::to_string(n) + "," + iso + "," + f[2] + "," + f[6] + "," + f[3] + "," + f[4] + "," + f[5] +
                       "," + f[7] + "," + f[8].substr(0, f[8].size() - 1) + "\r");
  }

  const std::string damaged = dir + "/DAMAGED.DAT";
  const std::string whole = slurp(out);
  { std::ofstream(damaged, std::ios::binary) << whole.substr(0, whole.size() - 6); }
  r = testsupport::RunCli("convert " + damaged + " --csv " + csv);
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("status: " + damaged + ", line 10: the file is cut short\n"), std::string::npos) << r.out;
  EXPECT_EQ(slurp(csv), text) << "nothing written";
  r = testsupport::RunCli("convert " + dir + "/none.dat --csv " + dir + "/none.csv");
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_FALSE(std::filesystem::exists(dir + "/none.csv"));
  r = testsupport::RunCli("convert " + out + " --csv " + out);
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_EQ(slurp(out), whole);

  for (const std::string& args : std::vector<std::string>{"convert", "convert " + out, "convert --csv " + csv, "convert " + out + " --csv",
                                 "convert " + out + " " + out + " --csv " + csv, "convert " + out + " --csv a --csv b",
                                 "convert " + out + " --tsv " + csv}) {
    r = testsupport::RunCli(args);
    EXPECT_EQ(r.exitCode, 2) << args << "\n" << r.out;
  }
  EXPECT_NE(testsupport::RunCli("--help").out.find("quellan-bx-cli convert RECORD.DAT --csv OUT.csv"), std::string::npos);
}

}  // namespace
}  // namespace bx
