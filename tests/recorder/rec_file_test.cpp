// The recorder file byte for byte, its rows, and what happens when the file
// cannot take a row; the recorder's arithmetic (duration, step rule, end);
// the file read back (this tool's and earlier tools' headers, every kind of
// damage refused at its line) and its CSV.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <vector>
#include <fstream>
#include <sstream>
#include <string>

#include "context/context.h"
#include "files/temp_dir.h"
#include "recorder/rec_csv.h"
#include "recorder/rec_file.h"
#include "recorder/rec_reader.h"
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

// A file as this tool writes it: the header and rows through the writer's
// own functions.
std::string writtenFile(const std::vector<RecorderSample>& samples, int asked, double increment = 0.5) {
  FileHeader h;
  h.date = "12-09-2026";
  h.time = "23:59:58";
  h.incrementS = increment;
  h.samples = asked;
  h.offsetUm = -1250;
  h.slopeX16384 = 10 * 16384 + 4096;  // 10.25 um per pixel
  std::string text = HeaderText(h);
  char buf[kRowBufferSize];
  int i = 0;
  for (const RecorderSample& s : samples) {
    const std::string time = "23:59:" + std::to_string(58 + i % 2);
    text.append(buf, FormatRow(buf, i < 1 ? "12-09-2026" : "12-10-2026", time.c_str(), s));
    ++i;
  }
  return text;
}

TEST(RecorderFileRead, WhatTheRecorderWritesReadsBackUnchanged) {
  std::vector<RecorderSample> samples;
  for (int i = 0; i < 3; ++i) {
    RecorderSample s;
    s.value = static_cast<uint16_t>(1000 + i);
    s.edgeA = static_cast<uint16_t>(100 + i);
    s.edgeB = static_cast<uint16_t>(1100 + 2 * i);
    s.edges = 2;
    s.valueUm = -10250 * (i + 1);
    s.program = static_cast<uint16_t>(i);
    s.status = static_cast<int16_t>(-i);
    samples.push_back(s);
  }
  samples[2].value = samples[2].edgeB = 65535;
  samples[2].valueUm = INT32_MIN;
  samples[2].status = INT16_MIN;
  Recording rec;
  ReadFailure why;
  ASSERT_TRUE(ParseRecording(writtenFile(samples, 5), rec, why)) << why.line << ": " << why.reason;
  EXPECT_EQ(rec.date, "12-09-2026");
  EXPECT_EQ(rec.time, "23:59:58");
  EXPECT_EQ(rec.incrementS, 0.5);
  EXPECT_FALSE(rec.triggered());
  EXPECT_EQ(rec.samples, 5) << "a stopped recording holds fewer rows than it asked for";
  EXPECT_EQ(rec.offsetUm, -1250);
  EXPECT_EQ(rec.slopeUmPerPixel, 10.25);
  ASSERT_EQ(rec.rows.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const RecorderSample& a = samples[i];
    const RecorderSample& b = rec.rows[i].sample;
    EXPECT_EQ(std::tie(a.value, a.edgeA, a.edgeB, a.edges, a.valueUm, a.program, a.status),
              std::tie(b.value, b.edgeA, b.edgeB, b.edges, b.valueUm, b.program, b.status))
        << "row " << i;
  }
  EXPECT_EQ(RowDate(rec.rows[1]), "12-10-2026");
  EXPECT_EQ(RowTime(rec.rows[1]), "23:59:59");
  EXPECT_EQ(RowIsoDateTime(rec.rows[1]), "2026-12-10T23:59:59");
  // A triggered recording and one without rows.
  ASSERT_TRUE(ParseRecording(writtenFile({}, 1, 0), rec, why));
  EXPECT_TRUE(rec.triggered());
  EXPECT_TRUE(rec.rows.empty());
}

// Earlier tools wrote the header's numbers through an array writer: padded
// to a width, other decimals, LF line ends; a file saved again by an editor
// may hold the micro sign in UTF-8.
TEST(RecorderFileRead, EarlierToolsHeadersAreRead) {
  const std::string row = "01-31-2019\t07:05:09\t812\t400\t1212\t2\t8120\t\t1\t3\r\n";
  const std::string columns = "DATE\t\tTIME\t\tM-VALUE\tEDG-A\tEDG-B\tEDG-N\tM-VAL[um]\tPROG\tSTATE\r\n";
  struct Case {
    const char* what;
    std::string header;
    double increment;
    int samples;
    int offset;
    double slope;
  } cases[] = {
      {"padded to 24 with LF", "Date:\t01-31-2019\r\nTime:\t07:05:00\r\nTime-Increment[s]:\t                     1.5\n"
                               "Number of Samples:\t                     200\nOffset-Value [\xB5m]:\t                   -3000\n"
                               "Slope-Value [\xB5m/pixel]:\t                      10\n",
       1.5, 200, -3000, 10},
      {"fixed decimals and tabs", "Date:\t01-31-2019\r\nTime:\t07:05:00\r\nTime-Increment[s]:\t\t0.100000\r\n"
                                  "Number of Samples:\t\t200.000000\r\nOffset-Value [\xB5m]:\t\t0.000000\r\n"
                                  "Slope-Value [\xB5m/pixel]:\t\t1.400000e+001\r\n",
       0.1, 200, 0, 14},
      {"micro sign in UTF-8, blank line, byte order mark", "\xEF\xBB\xBF" "Date:\t01-31-2019\nTime:\t07:05:00\n\nTime-Increment[s]:\t0\n"
                                          "Number of Samples:\t7\nOffset-Value [\xC2\xB5m]:\t12\n"
                                          "Slope-Value [\xC2\xB5m/pixel]:\t7.25\n",
       0, 7, 12, 7.25},
  };
  for (const Case& c : cases) {
    Recording rec;
    ReadFailure why;
    ASSERT_TRUE(ParseRecording(c.header + columns + row, rec, why)) << c.what << ": line " << why.line << " " << why.reason;
    EXPECT_EQ(rec.incrementS, c.increment) << c.what;
    EXPECT_EQ(rec.samples, c.samples) << c.what;
    EXPECT_EQ(rec.offsetUm, c.offset) << c.what;
    EXPECT_EQ(rec.slopeUmPerPixel, c.slope) << c.what;
    ASSERT_EQ(rec.rows.size(), 1u) << c.what;
    EXPECT_EQ(rec.rows[0].sample.valueUm, 8120) << c.what;
    EXPECT_EQ(rec.rows[0].sample.status, 3) << c.what;
  }
}

// Whatever is wrong, the file is refused at the first line at fault, and
// the recording given to read into is left as it was.
TEST(RecorderFileRead, DamagedFilesAreRefusedAtTheirLine) {
  RecorderSample s;
  s.value = 500;
  s.edges = 2;
  const std::string good = writtenFile({s, s, s}, 3);  // lines 8, 9, 10 are rows
  auto replaceLine = [&](int line, const std::string& with) {
    size_t from = 0;
    for (int i = 1; i < line; ++i) from = good.find("\r\n", from) + 2;
    const size_t to = good.find("\r\n", from);
    return good.substr(0, from) + with + good.substr(to);
  };
  struct Case {
    const char* what;
    std::string text;
    int line;
    std::string reason;
  } cases[] = {
      {"empty", "", 1, "not a recorder file"},
      {"a parameter file", "[PARAMETER]\r\nAverage=1\r\n", 1, "not a recorder file"},
      {"a CSV of it", "SAMPLE,DATE-TIME\r\n1,2026-12-09T23:59:58\r\n", 1, "not a recorder file"},
      {"header only in part", good.substr(0, good.find("Number of")), 4, "the file is cut short"},
      {"no column header", good.substr(0, good.find("DATE\t")), 7, "the file is cut short"},
      {"cut inside a row", good.substr(0, good.size() - 5), 10, "the file is cut short"},
      {"cut inside the header", good.substr(0, good.find("Offset") + 6), 5, "the file is cut short"},
      {"time line missing", replaceLine(2, "Tome:\t23:59:58"), 2, "\"%1\" expected"},
      {"date not a date", replaceLine(1, "Date:\t2026-12-09"), 1, "the number after \"%1\" is not valid"},
      {"increment negative", replaceLine(3, "Time-Increment[s]:\t-1"), 3, "the number after \"%1\" is not valid"},
      {"increment with text", replaceLine(3, "Time-Increment[s]:\t1s"), 3, "the number after \"%1\" is not valid"},
      {"samples beyond 32000", replaceLine(4, "Number of Samples:\t32001"), 4, "the number after \"%1\" is not valid"},
      {"samples fractional", replaceLine(4, "Number of Samples:\t2.5"), 4, "the number after \"%1\" is not valid"},
      {"offset beyond 32 bits", replaceLine(5, "Offset-Value [\xB5m]:\t2147483648"), 5, "the number after \"%1\" is not valid"},
      {"slope not finite", replaceLine(6, "Slope-Value [\xB5m/pixel]:\tnan"), 6, "the number after \"%1\" is not valid"},
      {"slope label lost", replaceLine(6, "Slope:\t10"), 6, "\"%1\" expected"},
      {"columns of another file", replaceLine(7, "DATE\tTIME\tVALUE"), 7, "the column header is not the recorder's"},
      {"a row short of values", replaceLine(9, "12-10-2026\t23:59:59\t500\t0\t0\t2"), 9, "a sample row holds 9 values, this one %1"},
      {"a row with one more", replaceLine(9, "12-10-2026\t23:59:59\t1\t2\t3\t4\t5\t\t6\t7\t8"), 9, "a sample row holds 9 values, this one %1"},
      {"month 13", replaceLine(8, "13-10-2026\t23:59:59\t1\t2\t3\t4\t5\t\t6\t7"), 8, "the date or time of the row is not valid"},
      {"hour 24", replaceLine(10, "12-10-2026\t24:00:00\t1\t2\t3\t4\t5\t\t6\t7"), 10, "the date or time of the row is not valid"},
      {"value beyond 16 bits", replaceLine(8, "12-10-2026\t23:59:59\t65536\t2\t3\t4\t5\t\t6\t7"), 8, "the value in column %1 is not valid"},
      {"negative edge", replaceLine(9, "12-10-2026\t23:59:59\t1\t-2\t3\t4\t5\t\t6\t7"), 9, "the value in column %1 is not valid"},
      {"state beyond 16 bits", replaceLine(10, "12-10-2026\t23:59:59\t1\t2\t3\t4\t5\t\t6\t40000"), 10, "the value in column %1 is not valid"},
      {"a decimal value", replaceLine(10, "12-10-2026\t23:59:59\t1.5\t2\t3\t4\t5\t\t6\t7"), 10, "the value in column %1 is not valid"},
      {"more rows than asked for", good + "12-10-2026\t23:59:59\t1\t2\t3\t4\t5\t\t6\t7\r\n", 11, "more rows than the header's number of samples"},
      {"zero bytes in a row", replaceLine(9, std::string("12-10-2026\t23:59:59\t1\t2\t\0\0\t4\t5\t\t6\t7", 35)), 9, "the value in column %1 is not valid"},
  };
  for (const Case& c : cases) {
    Recording rec;
    rec.samples = 77;
    ReadFailure why;
    EXPECT_FALSE(ParseRecording(c.text, rec, why)) << c.what;
    EXPECT_EQ(why.line, c.line) << c.what;
    EXPECT_EQ(std::string(why.reason), c.reason) << c.what;
    EXPECT_EQ(rec.samples, 77) << c.what << ": nothing taken from a refused file";
    EXPECT_TRUE(rec.rows.empty()) << c.what;
  }
}

TEST(RecorderFileRead, FailureTextNamesFileLineAndColumn) {
  Context ctx;
  ReadFailure why;
  why.line = 9;
  why.reason = "the value in column %1 is not valid";
  why.arg = "EDG-A";
  EXPECT_EQ(ReadFailureText(ctx, "/x/RECORD.DAT", why), "/x/RECORD.DAT, line 9: the value in column EDG-A is not valid");
  TempDir dir;
  Recording rec;
  EXPECT_FALSE(ReadRecording(dir.path() + "/none.dat", rec, why));
  EXPECT_EQ(why.line, 0);
  EXPECT_EQ(ReadFailureText(ctx, "none.dat", why).rfind("none.dat cannot be read: ", 0), 0u) << ReadFailureText(ctx, "none.dat", why);
  EXPECT_FALSE(ReadRecording(dir.path(), rec, why)) << "a folder";
  EXPECT_EQ(why.line, 0);
}

TEST(RecorderCsv, FieldsAreQuotedWhereTheyMustBe) {
  const std::pair<std::string, std::string> cases[] = {
      {"1234", "1234"},
      {"", ""},
      {"2026-12-09T23:59:58", "2026-12-09T23:59:58"},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\r\nlines", "\"two\r\nlines\""},
      {"line\nfeed", "\"line\nfeed\""},
      {" padded", "\" padded\""},
      {"M-VAL[um]", "M-VAL[um]"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(CsvField(in), out) << in;
}

TEST(RecorderCsv, OneRowPerSampleWithIsoDateTimeAndBothUnits) {
  RecorderSample a;
  a.value = 812;
  a.edgeA = 400;
  a.edgeB = 1212;
  a.edges = 2;
  a.valueUm = -8120;
  a.program = 1;
  a.status = -3;
  RecorderSample b = a;
  b.valueUm = 2147483647;
  Recording rec;
  ReadFailure why;
  ASSERT_TRUE(ParseRecording(writtenFile({a, b}, 2), rec, why));
  EXPECT_EQ(CsvText(rec),
            "SAMPLE,DATE-TIME,M-VALUE[pixel],M-VAL[um],EDG-A[pixel],EDG-B[pixel],EDG-N,PROG,STATE\r\n"
            "1,2026-12-09T23:59:58,812,-8120,400,1212,2,1,-3\r\n"
            "2,2026-12-10T23:59:59,812,2147483647,400,1212,2,1,-3\r\n");
}

// The conversion the command-line tool and the page share: a damaged file
// writes nothing and leaves an existing CSV as it was; the recorder file
// itself is never written over.
TEST(RecorderCsv, ConvertWritesOnlyFromAnIntactFile) {
  TempDir dir;
  Context ctx;
  const std::string dat = dir.path() + "/RECORD.DAT", csv = dir.path() + "/out.csv";
  RecorderSample s;
  s.value = 7;
  const std::string good = writtenFile({s, s}, 2);
  { std::ofstream(dat, std::ios::binary) << good.substr(0, good.size() - 3); }
  { std::ofstream(csv, std::ios::binary) << "old"; }
  std::string error;
  int rows = -1;
  EXPECT_EQ(ConvertToCsv(ctx, dat, csv, error, &rows), ConvertResult::SourceRefused);
  EXPECT_EQ(error, dat + ", line 9: the file is cut short");
  EXPECT_EQ(slurp(csv), "old");
  EXPECT_EQ(rows, -1);

  { std::ofstream(dat, std::ios::binary) << good; }
  EXPECT_EQ(ConvertToCsv(ctx, dat, dat, error), ConvertResult::WriteFailed);
  EXPECT_EQ(slurp(dat), good);
  EXPECT_EQ(ConvertToCsv(ctx, dat, csv, error, &rows), ConvertResult::Written) << error;
  EXPECT_EQ(rows, 2);
  const std::string text = slurp(csv);
  EXPECT_EQ(text.substr(0, 7), "SAMPLE,");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
  EXPECT_EQ(ConvertToCsv(ctx, dat, dir.path() + "/no/such/folder/out.csv", error), ConvertResult::WriteFailed);
  EXPECT_EQ(error.rfind("The CSV file cannot be written: ", 0), 0u) << error;
  size_t left = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) left += e.is_regular_file();
  EXPECT_EQ(left, 2u) << "no temporary file stays";
}

}  // namespace
}  // namespace bx::test
