// quellan-bx-cli calib, run as a program against the simulator.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/startup.h"
#include "tests/support/cli_run.h"
#include "link/frame_format.h"
#include "sim/server.h"

namespace bx {
namespace {

using testsupport::CliRun;

CliRun runCli(const std::string& args) { return testsupport::RunCli(args, "2>/dev/null"); }

TEST(CliCalib, FitNeedsNoSensorAndRefusesEqualPixels) {
  CliRun two = runCli("calib fit --point 1000:5000 --point 2000:9000");
  EXPECT_EQ(two.exitCode, 0);
  EXPECT_NE(two.out.find("slope\t4.00000\noffset\t1000\n"), std::string::npos) << two.out;
  CliRun one = runCli("calib fit --point 1500:6000");
  EXPECT_NE(one.out.find("slope\t4.00000\noffset\t0\n"), std::string::npos) << one.out;
  CliRun same = runCli("calib fit --point 1500:6000 --point 1500:7000");
  EXPECT_EQ(same.exitCode, 1);
  EXPECT_NE(same.out.find("status: CALC refused"), std::string::npos);
  EXPECT_EQ(runCli("calib fit").exitCode, 2);
  EXPECT_EQ(runCli("calib fit --point 12").exitCode, 2);
  EXPECT_EQ(runCli("calib save --slope 4").exitCode, 2);
  EXPECT_EQ(runCli("calib polish --tcp 127.0.0.1:1").exitCode, 2);
}

TEST(CliCalib, SaveThenReadOverThePty) {
  sim::Server server;
  const std::string pty = server.startPty();
  ASSERT_FALSE(pty.empty());
  CliRun save = runCli("calib save --slope 3.99999 --offset -120 --serial " + pty);
  ASSERT_EQ(save.exitCode, 0) << save.out;
  const auto rec = server.calibRecord();
  EXPECT_EQ(frame::gets32(rec.data() + 12), 65535);
  EXPECT_EQ(frame::gets32(rec.data() + 16), -120);

  CliRun read = runCli("calib read --serial " + pty);
  ASSERT_EQ(read.exitCode, 0) << read.out;
  EXPECT_NE(read.out.find("hardware type\t802776\n"), std::string::npos) << read.out;
  EXPECT_NE(read.out.find("slope x16384\t65535\n"), std::string::npos);
  EXPECT_NE(read.out.find("slope um/pixel\t3.99994\n"), std::string::npos);
  EXPECT_NE(read.out.find("offset\t-120\n"), std::string::npos);
  EXPECT_NE(read.out.find("last pixel\t16384\n"), std::string::npos);
  EXPECT_NE(read.out.find("status: Read XFLASH-ADDR: 0x8400 ... Bytes OK: 32"), std::string::npos);
}

TEST(CliCalib, WriteLookupOverTcpReadsBackIdentical) {
  sim::Server server;
  const int port = server.startTcp(0);
  ASSERT_GT(port, 0);
  const std::string path = ::testing::TempDir() + "/cli_calib_" + std::to_string(::getpid()) + ".dat";
  std::string bytes;
  {
    std::ofstream f(path);
    f << "[HEADER]\nHW-TYPE:\t802776\nSER-NO:\t77\nUM-RANGE:\t30000\nUM-OFFSET:\t500\nSLOPE:\t1.5\n"
         "A:\t0\nB:\t0\nC:\t0\nD:\t0\nXF-DIVISOR:\t2\nXF-SIZE:\t8192\nAREA:\t1\n[XFLASH]\n";
    for (int i = 0; i < 8192; ++i) f << (i * 13 + i / 512) % 256 << (i % 32 == 31 ? "\n" : ",");
  }
  CliRun r = runCli("calib write-lookup " + path + " --tcp 127.0.0.1:" + std::to_string(port));
  std::remove(path.c_str());
  ASSERT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("Write to PFLASH OK Addr=0xbf00"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("status: Writing to PFLASH finished successfully!"), std::string::npos);
  const auto back = server.pflash(0xB000, 8192);
  ASSERT_EQ(back.size(), 8192u);
  for (int i = 0; i < 8192; ++i) ASSERT_EQ(back[static_cast<size_t>(i)], (i * 13 + i / 512) % 256) << i;
  const auto rec = server.calibRecord();
  EXPECT_EQ(frame::get16(rec.data() + 4), 77);
  EXPECT_EQ(frame::gets32(rec.data() + 12), 24576);  // 1.5 x 16384
  EXPECT_EQ(frame::gets32(rec.data() + 16), 500);

  // A file that announces more than it holds reaches nothing.
  std::ofstream(path) << "[HEADER]\nA\t802776\nB\t1\nC\t1\nD\t1\nE\t1.0\nF\t0\nG\t0\nH\t0\nI\t0\nJ\t1\nK\t2048\nL\t1\n"
                         "[XFLASH]\n1 2 3\n";
  CliRun bad = runCli("calib write-lookup " + path + " --tcp 127.0.0.1:" + std::to_string(port));
  std::remove(path.c_str());
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.out.find("status: Calibration file rejected"), std::string::npos) << bad.out;
}

}  // namespace
}  // namespace bx
