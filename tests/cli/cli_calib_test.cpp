// quellan-bx-cli calib, run as a program against the simulator.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/startup.h"
#include "sim/server.h"
#include "tests/support/cli_run.h"
#include "wire/frame_format.h"

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

// A calibration data file in the test's temp folder; removed with the object.
struct CalibFile {
  std::string path;
  explicit CalibFile(const std::string& hwType, const std::string& slope = "1.75", const std::string& offset = "0",
                     const std::string& range = "28672", const std::string& table = "") {
    path = ::testing::TempDir() + "/cli_calib_" + std::to_string(::getpid()) + "_" + std::to_string(++count) + ".dat";
    std::ofstream f(path, std::ios::binary);
    f << "[HEADER]\nHW-TYPE:\t" << hwType << "\nSER-NO:\t77\nUM-RANGE:\t" << range << "\nUM-OFFSET:\t" << offset
      << "\nSLOPE:\t" << slope << "\nA:\t0\nB:\t0\nC:\t0\nD:\t0\nXF-DIVISOR:\t1\nXF-SIZE:\t2048\nAREA:\t1\n[XFLASH]\n";
    if (!table.empty()) f << table;
    for (int i = 0; i < 2048; ++i) f << i % 256 << ' ';
  }
  ~CalibFile() { std::remove(path.c_str()); }
  static inline int count = 0;
};

std::string tcp(int port) { return " --tcp 127.0.0.1:" + std::to_string(port); }

// Nothing the record cannot hold reaches the sensor, whichever way it comes;
// the refusal names the value and the limit.
TEST(CliCalib, AbsurdValuesAreRefusedBeforeAnythingIsSent) {
  sim::Server server;
  const int port = server.startTcp(0);
  ASSERT_GT(port, 0);
  struct Case {
    std::string args;
    std::string says;
  };
  CalibFile hugeSlope("802776", "1e300"), zeroSlope("802776", "0.00001"), wideOffset("802776", "1.75", "2147483648"),
      endBeyond("802776", "1.75", "2000000000", "200000000"), badType("4294967296"), negType("-1");
  // A lookup value with a NUL inside its token.
  CalibFile nul("802776", "1.75", "0", "28672", std::string("1\0" "4 ", 3));
  const Case cases[] = {
      {"calib save --slope 1e300 --offset 0", "SLOPE 1e+300 µm/pixel is above the limit of 131071.99994 µm/pixel"},
      {"calib save --slope 0 --offset 0", "SLOPE 0.00000 µm/pixel is below the limit of 0.00006104 µm/pixel"},
      {"calib save --slope 0.00001 --offset 0", "SLOPE 0.00001000 µm/pixel is below the limit of 0.00006104"},
      {"calib save --slope -4 --offset 0", "SLOPE -4.00000 µm/pixel is below"},
      {"calib save --slope-x16384 0 --offset 0", "SLOPE 0.00000 µm/pixel is below"},
      {"calib save --slope-x16384 2147483648 --offset 0", "SLOPE 131072.00000 µm/pixel is above the limit"},
      {"calib save --slope 4 --offset 2147483648", "OFFSET 2147483648 µm is above the limit of 2147483647 µm"},
      {"calib save --slope 4 --offset -2147483649", "OFFSET -2147483649 µm is below the limit of -2147483648 µm"},
      {"calib write-lookup " + hugeSlope.path, "Calibration file rejected: SLOPE 1e+300 µm/pixel is above the limit"},
      {"calib write-lookup " + zeroSlope.path, "Calibration file rejected: SLOPE 0.00001000 µm/pixel is below"},
      {"calib write-lookup " + wideOffset.path, "Calibration file rejected: OFFSET 2147483648 µm is above"},
      {"calib write-lookup " + endBeyond.path, "Calibration file rejected: OFFSET + RANGE 2200000000 µm is above"},
      {"calib write-lookup " + badType.path, "Calibration file rejected: HW-TYPE 4294967296 is above the limit of 4294967295"},
      {"calib write-lookup " + negType.path, "Calibration file rejected: HW-TYPE -1 is below the limit of 0"},
      {"calib write-lookup " + nul.path, "Calibration file rejected: a lookup value is not a number!"},
  };
  for (const Case& c : cases) {
    CliRun r = runCli(c.args + tcp(port));
    EXPECT_EQ(r.exitCode, 1) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find("status: "), std::string::npos) << c.args;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
  }
  EXPECT_EQ(server.requestCount(0x0C), 0);  // no save command
  EXPECT_EQ(server.requestCount(0x17), 0);  // no record
  EXPECT_EQ(server.requestCount(0xC1), 0);  // no table
  EXPECT_FALSE(server.tcpClientConnected());
}

// Within the record but beyond what the sensor's model (1.75 µm/pixel over
// 16384 pixels) can measure: refused unless forced.
TEST(CliCalib, ValuesTheModelCannotMeasureNeedForce) {
  sim::Server server;
  const int port = server.startTcp(0);
  ASSERT_GT(port, 0);
  CliRun slope = runCli("calib save --slope 236.8 --offset 0" + tcp(port));
  EXPECT_EQ(slope.exitCode, 1);
  EXPECT_NE(slope.out.find("status: Refused: SLOPE 236.80000 µm/pixel is above the limit of 7.00000 µm/pixel this "
                           "model can measure (28.672 mm over 16384 pixels) - nothing written! (give --force"),
            std::string::npos)
      << slope.out;
  CliRun offset = runCli("calib save --slope 1.75 --offset -591000" + tcp(port));
  EXPECT_EQ(offset.exitCode, 1);
  EXPECT_NE(offset.out.find("OFFSET -591000 µm is below the limit of -28672 µm"), std::string::npos) << offset.out;
  CalibFile wide("802776", "1.75", "0", "90000");
  CliRun range = runCli("calib write-lookup " + wide.path + tcp(port));
  EXPECT_EQ(range.exitCode, 1);
  EXPECT_NE(range.out.find("RANGE 90000 µm is above the limit of 57344 µm"), std::string::npos) << range.out;
  EXPECT_EQ(server.requestCount(0x0C), 0);
  EXPECT_EQ(server.requestCount(0x17), 0);

  CliRun forced = runCli("calib save --slope 236.8 --offset 0 --force" + tcp(port));
  EXPECT_EQ(forced.exitCode, 0) << forced.out;
  EXPECT_EQ(frame::gets32(server.calibRecord().data() + 12), 3879731);  // 236.8 x 16384, truncated
}

TEST(CliCalib, WriteLookupChecksTheSensorTypeBeforeWritingAnything) {
  // A model without a lookup table.
  sim::Config cfg;
  cfg.boardCode = 402059;
  cfg.hardwareType = 803498;
  cfg.calib.hardwareType = 803498;
  cfg.firmwareText = "Quellan-BX-W-6-N-K V5.45";
  sim::Server plain(cfg);
  const int plainPort = plain.startTcp(0);
  ASSERT_GT(plainPort, 0);
  CalibFile own("803498", "0.4");
  CliRun none = runCli("calib write-lookup " + own.path + tcp(plainPort));
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.out.find("status: No lookup table for this sensor's hardware type - nothing written!"),
            std::string::npos)
      << none.out;
  EXPECT_EQ(plain.requestCount(0x17), 0);
  EXPECT_EQ(plain.requestCount(0xC1), 0);

  // A file of another hardware type: refused unless forced.
  sim::Server server;
  const int port = server.startTcp(0);
  ASSERT_GT(port, 0);
  CalibFile other("803045");
  CliRun refused = runCli("calib write-lookup " + other.path + tcp(port));
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.out.find("status: Refused: the calibration file is for hardware type 803045, the sensor is of "
                             "type 802776 - nothing written (give --force to write it anyway)!"),
            std::string::npos)
      << refused.out;
  EXPECT_EQ(server.requestCount(0x17), 0);
  EXPECT_EQ(server.requestCount(0xC1), 0);
  CliRun forced = runCli("calib write-lookup " + other.path + " --force" + tcp(port));
  EXPECT_EQ(forced.exitCode, 0) << forced.out;
  EXPECT_EQ(server.requestCount(0x17), 1);
  EXPECT_EQ(server.requestCount(0xC1), 16);
}

// What fit prints is what WRITE would store, and save stores it back
// exactly: 799999 µm over 200000 pixels is 3.999995 µm/pixel, stored as
// 65535, not the 65536 of a slope printed as 4.00000.
TEST(CliCalib, FitPrintsWhatIsStoredAndSaveTakesItBackExactly) {
  CliRun fit = runCli("calib fit --point 200000:799999");
  ASSERT_EQ(fit.exitCode, 0) << fit.out;
  EXPECT_NE(fit.out.find("slope\t3.99993896484375\noffset\t0\nslope x16384\t65535\n"), std::string::npos) << fit.out;
  const size_t at = fit.out.find("slope\t") + 6;
  const std::string printed = fit.out.substr(at, fit.out.find('\n', at) - at);

  sim::Server server;
  const int port = server.startTcp(0);
  ASSERT_GT(port, 0);
  for (const std::string& slope : {"--slope " + printed, std::string("--slope-x16384 65535")}) {
    CliRun save = runCli("calib save " + slope + " --offset 0" + tcp(port));
    ASSERT_EQ(save.exitCode, 0) << slope << "\n" << save.out;
    EXPECT_EQ(frame::gets32(server.calibRecord().data() + 12), 65535) << slope;
    // Another value in between, so each save is seen.
    ASSERT_EQ(runCli("calib save --slope-x16384 60000 --offset 0" + tcp(port)).exitCode, 0);
  }
  // A fit the record cannot hold is not offered.
  CliRun down = runCli("calib fit --point 1000:9000 --point 2000:5000");
  EXPECT_EQ(down.exitCode, 1);
  EXPECT_NE(down.out.find("status: Refused: SLOPE -4.00000 µm/pixel is below"), std::string::npos) << down.out;
}

}  // namespace
}  // namespace bx
