// The recorder file byte for byte, its rows, and what happens when the file
// cannot take a row; the recorder's arithmetic (duration, step rule, end).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "files/temp_dir.h"
#include "recorder/rec_file.h"
#include "recorder/rec_rules.h"
#include "tests/support/file_size_limit.h"
#include "wire/recorder_sample.h"

namespace bx::test {
namespace {

using namespace bx::recorder;
using testing_files::TempDir;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(RecorderFile, HeaderIsByteForByte) {
  FileHeader h;
  h.date = "12-08-2026";
  h.time = "20:15:03";
  h.incrementS = 0.1;
  h.samples = 100;
  h.offsetUm = 1500;
  h.slopeX16384 = 5 * 16384 + 8192;  // 5.5 um per pixel
  EXPECT_EQ(HeaderText(h),
            "Date:\t12-08-2026\r\n"
            "Time:\t20:15:03\r\n"
            "Time-Increment[s]:\t0.1\r\n"
            "Number of Samples:\t100\r\n"
            "Offset-Value [\xB5m]:\t1500\r\n"
            "Slope-Value [\xB5m/pixel]:\t5.5\r\n"
            "DATE\t\tTIME\t\tM-VALUE\tEDG-A\tEDG-B\tEDG-N\tM-VAL[um]\tPROG\tSTATE\r\n");
  // Triggered recordings write 0, whole increments no decimals, a negative
  // offset its sign.
  h.incrementS = 0;
  h.offsetUm = -250;
  const std::string t = HeaderText(h);
  EXPECT_NE(t.find("Time-Increment[s]:\t0\r\n"), std::string::npos);
  EXPECT_NE(t.find("Offset-Value [\xB5m]:\t-250\r\n"), std::string::npos);
  h.incrementS = 2;
  EXPECT_NE(HeaderText(h).find("Time-Increment[s]:\t2\r\n"), std::string::npos);
}

TEST(RecorderFile, RowCarriesTheSampleInColumnOrder) {
  const uint8_t reply[12] = {0x10, 0x01, 0x20, 0x03, 0x10, 0x02, 0x02, 0x00, 0x18, 0xFC, 0xFF, 0xFF};
  RecorderSample s = recsample::decode(reply);
  EXPECT_EQ(s.edgeA, 0x110);
  EXPECT_EQ(s.edgeB, 0x320);
  EXPECT_EQ(s.value, 0x210);
  EXPECT_EQ(s.edges, 2);
  EXPECT_EQ(s.valueUm, -1000);
  s.program = 3;
  s.status = -2;
  char buf[kRowBufferSize];
  const size_t n = FormatRow(buf, "01-02-2027", "03:04:05", s);
  EXPECT_EQ(std::string(buf, n), "01-02-2027\t03:04:05\t528\t272\t800\t2\t-1000\t\t3\t-2\r\n");
  // The widest sample still fits.
  s.value = s.edgeA = s.edgeB = s.edges = 65535;
  s.valueUm = INT32_MIN;
  s.status = INT16_MIN;
  const size_t w = FormatRow(buf, "01-02-2027", "03:04:05", s);
  EXPECT_EQ(std::string(buf + w - 2, 2), "\r\n");
}

TEST(RecorderFile, AWriteThatDoesNotFitFailsAndKeepsTheCompleteRows) {
  TempDir dir;
  const std::string path = dir.path() + "/RECORD.DAT";
  std::ofstream(path) << "the last recording";
  RecorderFile f;
  ASSERT_TRUE(f.open(path)) << f.error();
  const std::string row = "01-02-2027\t03:04:05\t528\t272\t800\t2\t1000\t\t0\t0\r\n";
  ASSERT_TRUE(f.write(row.data(), row.size()));
  ASSERT_TRUE(f.write(row.data(), row.size()));
  // The rows go to a new file beside the chosen one, which stays as it was
  // until the recording ends.
  EXPECT_EQ(slurp(f.tempPath()), row + row);
  EXPECT_EQ(slurp(path), "the last recording");
  {
    // Room for half a row more: the disk is full part-way through it.
    FileSizeLimit limit(static_cast<rlim_t>(row.size() * 2 + row.size() / 2));
    ASSERT_TRUE(limit.ok());
    EXPECT_FALSE(f.write(row.data(), row.size()));
    EXPECT_NE(f.error().find(path), std::string::npos) << f.error();
  }
  EXPECT_TRUE(f.close()) << f.error();
  EXPECT_EQ(slurp(path), row + row);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(RecorderFile, AFileThatCannotTakeBytesOrWasRemovedIsReported) {
  TempDir dir;
  // Only a regular file is replaced: a device behind a link is refused
  // before anything is written, and the link stays.
  const std::string full = dir.path() + "/FULL.DAT";
  ASSERT_EQ(::symlink("/dev/full", full.c_str()), 0);
  RecorderFile f;
  EXPECT_FALSE(f.open(full));
  EXPECT_NE(f.error().find("character device"), std::string::npos) << f.error();
  EXPECT_TRUE(std::filesystem::is_symlink(full));

  // Removed while recording: the rows would go nowhere.
  const std::string path = dir.path() + "/RECORD.DAT";
  RecorderFile g;
  ASSERT_TRUE(g.open(path));
  ASSERT_TRUE(g.write("a\r\n", 3));
  std::filesystem::rename(g.tempPath(), dir.path() + "/MOVED.DAT");
  EXPECT_FALSE(g.write("b\r\n", 3));
  EXPECT_NE(g.error().find("removed or replaced"), std::string::npos) << g.error();
  EXPECT_EQ(slurp(dir.path() + "/MOVED.DAT"), "a\r\nb\r\n");
  EXPECT_FALSE(g.close());
  EXPECT_FALSE(std::filesystem::exists(path));
  // Replaced by another file of the same name: that file stays theirs.
  RecorderFile h;
  ASSERT_TRUE(h.open(path));
  const std::string made = h.tempPath();
  std::filesystem::remove(made);
  std::ofstream(made) << "new";
  EXPECT_FALSE(h.write("c\r\n", 3));
  EXPECT_FALSE(h.close());
  EXPECT_EQ(slurp(made), "new");
  EXPECT_FALSE(std::filesystem::exists(path));

  // A folder that is not there.
  RecorderFile none;
  EXPECT_FALSE(none.open(dir.path() + "/missing/RECORD.DAT"));
  EXPECT_FALSE(none.error().empty());
}

TEST(RecorderRules, DurationIncrementStepAndEnd) {
  // 1.5 s becomes 2 s with a step of 1 s; 100 samples take 3 min 20 s.
  const Increment inc = IncrementRule(1.5);
  EXPECT_EQ(inc.value, 2.0);
  EXPECT_EQ(inc.step, 1.0);
  const Duration d = SplitDuration(ExpectedSeconds(inc.value, 100));
  EXPECT_EQ(d.days, 0);
  EXPECT_EQ(d.hours, 0);
  EXPECT_EQ(d.minutes, 3);
  EXPECT_EQ(d.seconds, 20);
  // At and below 1 s the value stays and the step is 0.1 s; a whole value
  // is not pushed to the next second.
  EXPECT_EQ(IncrementRule(0.3).value, 0.3);
  EXPECT_EQ(IncrementRule(0.3).step, 0.1);
  EXPECT_EQ(IncrementRule(1.0).step, 0.1);
  EXPECT_EQ(IncrementRule(7.0).value, 7.0);
  EXPECT_EQ(IncrementRule(3599.2).value, 3600.0);
  EXPECT_EQ(ExpectedSeconds(0.1, 30), 3);
  EXPECT_EQ(ExpectedSeconds(0.7, 3), 2);
  const Duration long_ = SplitDuration(ExpectedSeconds(3600, 31999));
  EXPECT_EQ(long_.days, 1333);
  EXPECT_EQ(long_.hours, 7);
  EXPECT_EQ(long_.minutes, 0);
  EXPECT_EQ(long_.seconds, 0);

  // The end: the samples asked for, and never more than 32000 rows.
  EXPECT_FALSE(RecordingComplete(31999, 32000));
  EXPECT_TRUE(RecordingComplete(32000, 32000));
  EXPECT_TRUE(RecordingComplete(32000, 50000));
  EXPECT_FALSE(RecordingComplete(4, 5));
  EXPECT_TRUE(RecordingComplete(5, 5));
  EXPECT_TRUE(ModeRecords(0));
  EXPECT_TRUE(ModeRecords(1));
  EXPECT_FALSE(ModeRecords(2));
  EXPECT_FALSE(ModeRecords(3));
}

}  // namespace
}  // namespace bx::test
