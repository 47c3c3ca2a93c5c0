// The calibration data file: header and lookup sections, the XF-size rule,
// and files that must be refused without leaving stale bytes behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "calib/calib_file.h"
#include "calib/state.h"
#include "tests/files/temp_dir.h"
#include "wire/calib_record.h"

namespace bx {
namespace {

std::string header(const std::string& xfSize, const std::string& area = "1", const std::string& slope = "3.99999") {
  return "[HEADER] calibration data\n"
         "HW-TYPE:\t802776\n"
         "SER-NO:\t1234\n"
         "UM-RANGE:\t30000\n"
         "UM-OFFSET:\t-250\n"
         "UMSLOPE:\t" + slope + "\n"
         "A:\t1\nB:\t2\nC:\t3\nD:\t0.5\n"
         "XF-DIVISOR:\t4\n"
         "XF-SIZE:\t" + xfSize + "\n"
         "AREA:\t" + area + "\n";
}

std::string bytes(int n, int start = 0, const char* sep = " ") {
  std::string s;
  for (int i = 0; i < n; ++i) s += std::to_string((start + i) % 256) + ((i % 16) == 15 ? "\n" : sep);
  return s;
}

TEST(CalibFile, HeaderFillsTheRecordAndTheTableTheBuffer) {
  CalibState c;
  std::string why;
  ASSERT_EQ(ParseCalibrationData(header("2048") + "[XFLASH]\r\n" + bytes(2048, 7, ","), c, why), 1) << why;
  EXPECT_EQ(calib::hwType(c.record), 802776u);
  EXPECT_EQ(calib::serial(c.record), 1234);
  EXPECT_EQ(calib::rangeUm(c.record), 30000);
  EXPECT_EQ(calib::offsetUm(c.record), -250);
  EXPECT_EQ(calib::slopeX16384(c.record), 65535);  // truncated, not rounded up
  EXPECT_EQ(calib::field16(c.record, calib::OFF_XF_DIVISOR), 4);
  EXPECT_EQ(calib::field16(c.record, calib::OFF_XF_SIZE), 2048);
  EXPECT_EQ(c.pflashArea, 1);
  EXPECT_EQ(c.fileUnused16[2], 3);
  EXPECT_EQ(c.lookup[0], 7);
  EXPECT_EQ(c.lookup[2047], (7 + 2047) % 256);
  EXPECT_EQ(c.lookup[2048], 0);  // nothing of an earlier table remains
}

TEST(CalibFile, UnlistedXfSizeTakesOnly1024Bytes) {
  CalibState c;
  std::string why;
  // 1100 values: enough for 1024, far too few for 2500.
  ASSERT_EQ(ParseCalibrationData(header("2500") + "[XFLASH]\n" + bytes(1100, 1), c, why), 1) << why;
  EXPECT_EQ(c.lookup[1023], 1024 % 256);
  EXPECT_EQ(c.lookup[1024], 0);
}

TEST(CalibFile, LookupValuesKeepTheirLowByte) {
  CalibState c;
  std::string why;
  ASSERT_EQ(ParseCalibrationData(header("1") + "[XFLASH]\n300, -1\t" + bytes(1022), c, why), 1) << why;
  EXPECT_EQ(c.lookup[0], 300 & 0xFF);
  EXPECT_EQ(c.lookup[1], 0xFF);
}

TEST(CalibFile, RejectedFilesWriteNothingFromThem) {
  std::string why;
  {
    CalibState c;
    EXPECT_EQ(ParseCalibrationData("[HEADE]\n" + header("2048").substr(9), c, why), 0);
    EXPECT_EQ(calib::hwType(c.record), 0u);
  }
  {
    // A header value that is not a number: nothing taken over.
    CalibState c;
    EXPECT_EQ(ParseCalibrationData(header("2048", "1", "fast") + "[XFLASH]\n" + bytes(2048), c, why), 0);
    EXPECT_EQ(why, "Calibration file rejected: a header value is not a number!");
    EXPECT_EQ(calib::hwType(c.record), 0u);
  }
  {
    // Fewer bytes than announced: the buffer keeps what it had.
    CalibState c;
    c.lookup.fill(0xAA);
    EXPECT_EQ(ParseCalibrationData(header("2048") + "[XFLASH]\n" + bytes(2047), c, why), 0);
    EXPECT_EQ(why, "Calibration file rejected: fewer lookup values than its XF size!");
    EXPECT_EQ(c.lookup[0], 0xAA);
  }
  {
    CalibState c;
    EXPECT_EQ(ParseCalibrationData(header("2048") + "[XFLASH]\n1 2 x3 " + bytes(2048), c, why), 0);
  }
  {
    // Without the lookup section the header values stay, the table does not.
    CalibState c;
    EXPECT_EQ(ParseCalibrationData(header("2048") + bytes(2048), c, why), 0);
    EXPECT_EQ(calib::serial(c.record), 1234);
  }
  {
    CalibState c;
    EXPECT_EQ(ParseCalibrationData(header("2048").substr(0, 60), c, why), 0);
  }
}

TEST(CalibFile, ReadFromDiskSetsAndClearsTheLoadedFlag) {
  testing_files::TempDir dir;
  const std::string path = dir.path() + "/XF-LINEAR.DAT";
  {
    std::ofstream f(path);
    f << header("1536", "0") << "[XFLASH]\n" << bytes(1536);
  }
  CalibState c;
  std::string why;
  ASSERT_EQ(ReadCalibrationDataFromFile(path, c, why), 1) << why;
  EXPECT_EQ(c.fileLoaded, 1);
  EXPECT_EQ(c.pflashArea, 0);
  EXPECT_EQ(c.filePath, path);
  EXPECT_EQ(ReadCalibrationDataFromFile(dir.path() + "/missing.dat", c, why), 0);
  EXPECT_EQ(c.fileLoaded, 0);
  EXPECT_EQ(why, "Calibration file could not be opened!");

  // What is not a calibration data file is refused at once, by its kind,
  // without waiting for a writer or reading without end.
  ASSERT_EQ(::mkfifo((dir.path() + "/fifo.dat").c_str(), 0644), 0);
  std::filesystem::create_directory(dir.path() + "/folder.dat");
  std::ofstream(dir.path() + "/huge.dat") << header("1536", "0") << std::string((1 << 20) + 1, '\n');
  const struct {
    std::string path;
    const char* why;
  } refused[] = {{dir.path() + "/fifo.dat", "Calibration file rejected: not a regular file!"},
                 {"/dev/zero", "Calibration file rejected: not a regular file!"},
                 {dir.path() + "/folder.dat", "Calibration file rejected: it is a folder!"},
                 {dir.path() + "/huge.dat", "Calibration file rejected: larger than 1 MiB!"}};
  const auto start = std::chrono::steady_clock::now();
  for (const auto& r : refused) {
    SCOPED_TRACE(r.path);
    ASSERT_EQ(ReadCalibrationDataFromFile(path, c, why), 1) << why;
    EXPECT_EQ(ReadCalibrationDataFromFile(r.path, c, why), 0);
    EXPECT_EQ(why, r.why);
    EXPECT_EQ(c.fileLoaded, 0);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace bx
