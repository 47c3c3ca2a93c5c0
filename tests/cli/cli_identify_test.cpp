// The command-line front-end, run as a program against the simulator.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <regex>
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

// Runs a program of the build folder (or the given path) with its output.
CliRun runProgram(const std::string& exe, const std::string& args) {
  CliRun r;
  FILE* p = ::popen((exe + " " + args + " 2>&1").c_str(), "r");
  if (!p) return r;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = ::pclose(p);
  r.exitCode = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

TEST(CliIdentify, ProgramsTellTheirVersion) {
  for (const std::string exe : {"quellan-bx-cli", "bx-sim"}) {
    const CliRun r = runProgram(ExecutableDir() + "/" + exe, "--version");
    EXPECT_EQ(r.exitCode, 0) << exe;
    EXPECT_TRUE(std::regex_match(r.out, std::regex(exe + " 5\\.5\\.[0-9]+\n"))) << r.out;
  }
}

TEST(CliIdentify, FindsItsResourceInTheInstalledDataFolderBesideItsFolder) {
  namespace fs = std::filesystem;
  std::string pattern = ::testing::TempDir() + "bx-installed-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path root = pattern;
  fs::create_directories(root / "bin");
  fs::copy_file(fs::path(ExecutableDir()) / "quellan-bx-cli", root / "bin/quellan-bx-cli");
  sim::Server server;
  const int port = server.startTcp(0);
  ASSERT_GT(port, 0);
  const std::string exe = (root / "bin/quellan-bx-cli").string();
  const std::string args = "identify --tcp 127.0.0.1:" + std::to_string(port);

  CliRun r = runProgram(exe, args);
  EXPECT_EQ(r.exitCode, 1) << r.out;
  // Looked for beside itself first, and says so.
  EXPECT_NE(r.out.find("cannot load the panel resource"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find((root / "bin").string() + "/Quellan-BX-ScopeV55.uir"), std::string::npos) << r.out;

  fs::create_directories(root / "share/quellan-bx-scope");
  for (const auto& e : fs::directory_iterator(ExecutableDir()))
    if (e.path().extension() == ".uir" || e.path().extension() == ".lwl")
      fs::copy_file(e.path(), root / "share/quellan-bx-scope" / e.path().filename());
  r = runProgram(exe, args);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("Serial-No: #1234"), std::string::npos) << r.out;
  std::error_code ec;
  fs::remove_all(root, ec);
}

}  // namespace
}  // namespace bx
