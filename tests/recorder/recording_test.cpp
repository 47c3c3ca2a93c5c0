// Recordings against the simulated sensor: the file as rows arrive, the
// page's rules, the overwrite question, triggered samples over both
// transports (with damaged frames among them), and how a time-out, a file
// that cannot be written, STOP and PAUSE end or shape a recording; a
// recording opened again into the chart, read with the cursor and exported
// as CSV, and a damaged file refused with what is shown kept.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>

#include "app/localize.h"
#include "params/fields.h"
#include "params/panel_values.h"
#include "params/params_fixture.h"
#include "params/transfer.h"
#include "platform/clock.h"
#include "recorder/rec_display.h"
#include "recorder/rec_file.h"
#include "recorder/rec_page.h"
#include "recorder/rec_view.h"
#include "tests/support/file_size_limit.h"
#include "wire/calib_record.h"
#include "wire/orders.h"

namespace bx::test {
namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The file's lines without their CR LF; every line must have one.
std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t from = 0;
  for (size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
    out.push_back(text.substr(from, at - from));
  EXPECT_EQ(from, text.size()) << "a line without CR LF at the end";
  return out;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  size_t from = 0;
  for (size_t at; (at = line.find('\t', from)) != std::string::npos; from = at + 1) out.push_back(line.substr(from, at - from));
  out.push_back(line.substr(from));
  return out;
}

constexpr size_t kHeaderLines = 7;

class RecorderTest : public ParamsTest {
 protected:
  struct Seen {
    std::function<void(int)> onRow;
    std::function<void()> onPass;
  };
  static void row(Context&, void* user, int counter) {
    auto& s = *static_cast<Seen*>(user);
    if (s.onRow) s.onRow(counter);
  }
  static void pass(Context&, void* user) {
    auto& s = *static_cast<Seen*>(user);
    if (s.onPass) s.onPass();
  }

  void SetUp() override {
    ParamsTest::SetUp();
    path = tempDir() + "/RECORD.DAT";
    ctx->app.recorderPath = path;
  }

  void page(int samples, double increment) {
    ctx->ui.setValue(ref("REC", "SAMPLES"), samples);
    ctx->ui.setValue(ref("REC", "INCTIME"), increment);
  }

  // The ring of the page, as the operator chooses a mode.
  void chooseMode(int mode) {
    ctx->ui.setValue(ref("REC", "RS232MODE"), mode);
    ctx->ui.fire(ref("REC", "RS232MODE"), ui::EVENT_COMMIT);
  }

  RecordOutcome record(Seen& seen) {
    const RecordObserver obs{&seen, &pass, &row};
    ctx->ui.fire(ref("REC", "START"), ui::EVENT_LEFT_CLICK);
    return PushRECORD(*ctx, &obs);
  }

  const std::string& fieldText(const char* name) { return ctx->ui.text(ref("REC", name)); }

  // Where the rows go while recording: a new file beside the chosen one.
  std::string recordingFile() {
    for (const auto& e : std::filesystem::directory_iterator(tempDir()))
      if (e.path().filename().string().rfind("RECORD.DAT.tmp", 0) == 0) return e.path().string();
    return {};
  }

  // Triggered recording of n samples with pulses at the sensor's input.
  std::string recordTriggered(int n, int& pulses, double spacingS = 0.02) {
    chooseMode(REC_TRIGGERED);
    EXPECT_EQ(PushSEND(*ctx, MEM_RAM), 1);
    EXPECT_EQ(sim->ramParams()[param::RS232_MODE], 1);
    page(n, 1.0);
    Seen seen;
    double last = 0;
    pulses = 0;
    seen.onPass = [&] {
      const double now = platform::Timer();
      if (now - last < spacingS || pulses > 4 * n) return;
      last = now;
      if (!damaged.empty()) {
        sim::FaultRule rule;
        rule.fault = damaged.front();
        rule.spontaneous = true;
        rule.order = order::kRecorderSample;
        rule.count = 1;
        sim->setFault(rule);
        damaged.erase(damaged.begin());
      }
      ++pulses;
      sim->pulseInput();
    };
    seen.onRow = [&](int) { EXPECT_EQ(ctx->ui.value(ref("VIDEO", "IN0LAMP")), 1) << "the sample flash"; };
    EXPECT_EQ(record(seen), RecordOutcome::Completed) << status();
    return slurp(path);
  }

  std::string path;
  std::vector<sim::Fault> damaged;  // faults for the next input events' frames, one each
};

TEST_F(RecorderTest, StaticRecordingWritesEachRowAsItArrives) {
  connectTcp();
  page(5, 0.1);
  Seen seen;
  { std::ofstream(path, std::ios::binary) << "the last recording"; }
  fe->answerConfirm(true);
  seen.onRow = [&](int n) {
    // The row is on disk before the next sample is asked for; the chosen
    // file is replaced only when the recording ends.
    EXPECT_EQ(lines(slurp(recordingFile())).size(), kHeaderLines + static_cast<size_t>(n));
    EXPECT_EQ(slurp(path), "the last recording");
    EXPECT_EQ(ctx->ui.value(ref("REC", "RECCOUNT")), n);
  };
  const auto before = sim->requestCount(order::kRecorderSample);
  EXPECT_EQ(record(seen), RecordOutcome::Completed) << status();
  EXPECT_EQ(sim->requestCount(order::kRecorderSample) - before, 5);

  const auto l = lines(slurp(path));
  ASSERT_EQ(l.size(), kHeaderLines + 5);
  const std::regex date(R"(\d\d-\d\d-\d{4})"), time(R"(\d\d:\d\d:\d\d)");
  EXPECT_TRUE(std::regex_match(l[0], std::regex(R"(Date:\t\d\d-\d\d-\d{4})"))) << l[0];
  EXPECT_TRUE(std::regex_match(l[1], std::regex(R"(Time:\t\d\d:\d\d:\d\d)"))) << l[1];
  EXPECT_EQ(l[2], "Time-Increment[s]:\t0.1");
  EXPECT_EQ(l[3], "Number of Samples:\t5");
  const CalibRecord& cal = ctx->calib.record;
  EXPECT_EQ(l[4], "Offset-Value [\xB5m]:\t" + std::to_string(calib::offsetUm(cal)));
  EXPECT_EQ(l[5].rfind("Slope-Value [\xB5m/pixel]:\t", 0), 0u) << l[5];
  EXPECT_NEAR(std::stod(l[5].substr(l[5].find('\t') + 1)), calib::slopeX16384(cal) / 16384.0, 1e-6);
  EXPECT_EQ(l[6], "DATE\t\tTIME\t\tM-VALUE\tEDG-A\tEDG-B\tEDG-N\tM-VAL[um]\tPROG\tSTATE");
  for (size_t i = kHeaderLines; i < l.size(); ++i) {
    const auto f = fields(l[i]);
    ASSERT_EQ(f.size(), 10u) << l[i];
    EXPECT_TRUE(std::regex_match(f[0], date)) << l[i];
    EXPECT_TRUE(std::regex_match(f[1], time)) << l[i];
    // The simulated shadow: two edges, the width between them.
    EXPECT_EQ(std::stoi(f[5]), 2) << l[i];
    EXPECT_EQ(std::stoi(f[2]), std::abs(std::stoi(f[4]) - std::stoi(f[3]))) << l[i];
    EXPECT_GT(std::stoi(f[6]), 0) << l[i];
    EXPECT_EQ(f[7], "");
  }

  EXPECT_EQ(status(), "Data-Recorder completed successfully!");
  EXPECT_EQ(fieldText("RECSTATUS"), "DATA-RECORDER COMPLETED!");
  EXPECT_EQ(ctx->ui.at(ref("REC", "RECSTATUS")).textColor, recorder::kStatusBlue);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
  EXPECT_FALSE(ctx->ui.dimmed(ctx->refs.main.run));
  EXPECT_FALSE(ctx->ui.dimmed(ctx->refs.main.get));
  EXPECT_FALSE(ctx->ui.dimmed(ref("REC", "START")));
  EXPECT_FALSE(fieldText("RECDATE").empty());
  // The recorded value is shown and drawn: the newest point of the roll
  // graph is the last row's value.
  const auto last = fields(l.back());
  EXPECT_EQ(ctx->ui.value(ref("REC", "RECVAL")), std::stoi(last[2]));
  const auto& strip = ctx->ui.strip(ref("REC", "RECGRAPH"));
  ASSERT_EQ(strip.data.size(), 400u);
  EXPECT_EQ(strip.data.back(), std::stoi(last[2]));
}

// Pressing START prepares the chart with its own fixed axis (1..pixel
// count, or axis start..measuring length rounded up); the zoom toggle's
// fixed range applies only when the toggle is switched off.
TEST_F(RecorderTest, PreparingTheChartKeepsItsAxis) {
  model(1024, 12.5);
  ctx->ui.setDimmed(ref("REC", "START"), false);  // as a connected sensor leaves it
  const ui::CtlRef g = ref("REC", "RECGRAPH");
  ctx->ui.setValue(ref("REC", "ZOOMREC"), 0);
  ctx->ui.fire(ref("REC", "START"), ui::EVENT_LEFT_CLICK);
  EXPECT_FALSE(ctx->ui.strip(g).y.autoscale);
  EXPECT_DOUBLE_EQ(ctx->ui.strip(g).y.min, 1);
  EXPECT_DOUBLE_EQ(ctx->ui.strip(g).y.max, 1024);
  ctx->params.unitMm = 1;
  ctx->ui.fire(ref("REC", "START"), ui::EVENT_LEFT_CLICK);
  EXPECT_DOUBLE_EQ(ctx->ui.strip(g).y.min, 0);
  EXPECT_DOUBLE_EQ(ctx->ui.strip(g).y.max, 13);
  ctx->ui.setValue(ref("REC", "ZOOMREC"), 1);
  ctx->ui.fire(ref("REC", "START"), ui::EVENT_LEFT_CLICK);
  EXPECT_TRUE(ctx->ui.strip(g).y.autoscale);
  // Switched off: the toggle's own range.
  ctx->ui.setValue(ref("REC", "ZOOMREC"), 0);
  ctx->ui.fire(ref("REC", "ZOOMREC"), ui::EVENT_COMMIT);
  EXPECT_FALSE(ctx->ui.strip(g).y.autoscale);
  EXPECT_DOUBLE_EQ(ctx->ui.strip(g).y.min, 1);
}

TEST_F(RecorderTest, PageRulesForModeIncrementAndDuration) {
  // 1.5 s becomes 2 s with a step of 1 s: 100 samples take 3 min 20 s.
  page(100, 1.5);
  ctx->ui.fire(ref("REC", "INCTIME"), ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.value(ref("REC", "INCTIME")), 2.0);
  EXPECT_EQ(ctx->ui.at(ref("REC", "INCTIME")).step, 1.0);
  for (const auto& [name, want] : {std::pair{"DAYS", 0}, {"HOURS", 0}, {"MINUTES", 3}, {"SECONDS", 20}})
    EXPECT_EQ(ctx->ui.value(ref("REC", name)), want) << name;
  ctx->ui.setValue(ref("REC", "INCTIME"), 0.5);
  ctx->ui.fire(ref("REC", "INCTIME"), ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.at(ref("REC", "INCTIME")).step, 0.1);
  ctx->ui.setValue(ref("REC", "SAMPLES"), 7201);
  ctx->ui.fire(ref("REC", "SAMPLES"), ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.value(ref("REC", "HOURS")), 1);
  EXPECT_EQ(ctx->ui.value(ref("REC", "SECONDS")), 0);

  // The ring is the parameter: both rings and the parameter set agree.
  chooseMode(REC_TRIGGERED);
  EXPECT_EQ(field(param::RS232_MODE), 1);
  EXPECT_EQ(ctx->ui.intValue(ctx->para.p1.rs232Mode), 1);
  EXPECT_TRUE(ctx->ui.dimmed(ref("REC", "INCTIME")));
  EXPECT_FALSE(ctx->ui.dimmed(ref("REC", "SAMPLES")));
  chooseMode(REC_CONTINUOUS);
  for (const char* name : {"INCTIME", "SAMPLES", "START", "PAUSE", "STOP", "FILEBTN"})
    EXPECT_TRUE(ctx->ui.dimmed(ref("REC", name))) << name;
  ctx->ui.setValue(ctx->para.p1.rs232Mode, 0);
  ctx->ui.fire(ctx->para.p1.rs232Mode, ui::EVENT_COMMIT);
  EXPECT_EQ(ctx->ui.intValue(ref("REC", "RS232MODE")), 0);
  for (const char* name : {"INCTIME", "SAMPLES", "PAUSE", "STOP", "FILEBTN"})
    EXPECT_FALSE(ctx->ui.dimmed(ref("REC", name))) << name;
  // No sensor: nothing to record from.
  EXPECT_TRUE(ctx->ui.dimmed(ref("REC", "START")));
  // Showing a parameter set shows its mode on the page.
  param::set(ctx->params, param::RS232_MODE, 1);
  SetPanelValues(*ctx);
  EXPECT_EQ(ctx->ui.intValue(ref("REC", "RS232MODE")), 1);
  EXPECT_TRUE(ctx->ui.dimmed(ref("REC", "INCTIME")));
}

TEST_F(RecorderTest, DecliningTheOverwriteQuestionLeavesTheFileUntouched) {
  connectTcp();
  { std::ofstream(path, std::ios::binary) << "precious\r\n"; }
  page(3, 0.1);
  fe->answerConfirm(false);
  Seen seen;
  EXPECT_EQ(record(seen), RecordOutcome::Refused);
  EXPECT_EQ(slurp(path), "precious\r\n");
  EXPECT_EQ(sim->requestCount(order::kRecorderSample), 0);
  ASSERT_FALSE(fe->popups().empty());
  EXPECT_EQ(fe->popups().back().text, "File already exist - overwrite ?");

  // The file dialogue asks too; no keeps the file and the old choice.
  const std::string other = tempDir() + "/OTHER.DAT";
  { std::ofstream(other) << "keep"; }
  fe->answerFile(ui::FILE_EXISTING, other);
  fe->answerConfirm(false);
  ctx->ui.fire(ref("REC", "FILEBTN"), ui::EVENT_COMMIT);
  EXPECT_EQ(slurp(other), "keep");
  EXPECT_EQ(ctx->app.recorderPath, path);
  EXPECT_EQ(fe->popups().back().text, "Output-File already exist! - Overwrite ?");
  fe->answerFile(ui::FILE_EXISTING, other);
  fe->answerConfirm(true);
  ctx->ui.fire(ref("REC", "FILEBTN"), ui::EVENT_COMMIT);
  EXPECT_FALSE(std::filesystem::exists(other));
  EXPECT_EQ(ctx->app.recorderPath, other);
  EXPECT_EQ(fieldText("FILE"), other);

  // Yes at START replaces the file with the recording.
  ctx->app.recorderPath = path;
  fe->answerConfirm(true);
  EXPECT_EQ(record(seen), RecordOutcome::Completed);
  EXPECT_EQ(lines(slurp(path)).size(), kHeaderLines + 3);
}

TEST_F(RecorderTest, OnlyARegularFileIsReplacedByARecording) {
  connectTcp();
  page(3, 0.1);
  // A FIFO as the recorder file: the yes to the question removes nothing,
  // the recording refuses it before a sample is asked for.
  ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
  fe->answerConfirm(true);
  Seen seen;
  EXPECT_EQ(record(seen), RecordOutcome::OpenFailed);
  EXPECT_TRUE(std::filesystem::is_fifo(path));
  EXPECT_EQ(sim->requestCount(order::kRecorderSample), 0);
  EXPECT_EQ(status(), "Error opening recorder output file");
  EXPECT_NE(ctx->recorder.fileError.find("FIFO"), std::string::npos) << ctx->recorder.fileError;
  EXPECT_NE(fe->popups().back().text.find(path), std::string::npos) << fe->popups().back().text;

  // The file dialogue's yes does not remove it either.
  fe->answerFile(ui::FILE_EXISTING, path);
  fe->answerConfirm(true);
  ctx->ui.fire(ref("REC", "FILEBTN"), ui::EVENT_COMMIT);
  EXPECT_TRUE(std::filesystem::is_fifo(path));
  EXPECT_NE(fe->popups().back().text.find("FIFO"), std::string::npos) << fe->popups().back().text;

  // A link to a regular file: the dialogue keeps the link, the recording
  // replaces its target.
  const std::string target = tempDir() + "/kept.dat";
  const std::string link = tempDir() + "/LINK.DAT";
  { std::ofstream(target) << "old"; }
  std::filesystem::create_symlink(target, link);
  fe->answerFile(ui::FILE_EXISTING, link);
  fe->answerConfirm(true);
  ctx->ui.fire(ref("REC", "FILEBTN"), ui::EVENT_COMMIT);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ctx->app.recorderPath, link);
  fe->answerConfirm(true);
  EXPECT_EQ(record(seen), RecordOutcome::Completed) << status();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(lines(slurp(target)).size(), kHeaderLines + 3);
}

TEST_F(RecorderTest, TriggeredSamplesOverTcpSkipDamagedFrames) {
  connectTcp();
  // One damaged frame per input event first: a bad header CRC, noise before
  // the frame, a wrong sync byte and bad data. Noise leaves the frame
  // itself whole; the other three are dropped and the next event counts.
  damaged = {sim::Fault::BadHeaderCrc, sim::Fault::Noise, sim::Fault::WrongSync, sim::Fault::BadDataCrc};
  const auto requests = sim->requestCount(order::kRecorderSample);
  int pulses = 0;
  const auto l = lines(recordTriggered(5, pulses));
  ASSERT_EQ(l.size(), kHeaderLines + 5);
  EXPECT_EQ(l[2], "Time-Increment[s]:\t0");
  EXPECT_GE(pulses, 5 + 3);
  EXPECT_EQ(sim->requestCount(order::kRecorderSample), requests) << "triggered samples are never asked for";
  for (size_t i = kHeaderLines; i < l.size(); ++i) EXPECT_EQ(std::stoi(fields(l[i])[5]), 2) << l[i];
  EXPECT_EQ(ctx->ui.value(ref("VIDEO", "IN0LAMP")), 0) << "the flash ends with the recording";
}

TEST_F(RecorderTest, TriggeredSamplesOverThePty) {
  connectPty();
  int pulses = 0;
  const auto l = lines(recordTriggered(6, pulses));
  ASSERT_EQ(l.size(), kHeaderLines + 6);
  EXPECT_EQ(l[2], "Time-Increment[s]:\t0");
  EXPECT_EQ(fieldText("RECSTATUS"), "DATA-RECORDER COMPLETED!");
}

// Input events before START leave samples waiting on the line; none of
// them may become a row, and each row carries the moment its frame came.
TEST_F(RecorderTest, TriggeredRecordingIgnoresEventsFromBeforeStart) {
  connectTcp();
  chooseMode(REC_TRIGGERED);
  ASSERT_EQ(PushSEND(*ctx, MEM_RAM), 1);
  for (int i = 0; i < 6; ++i) {
    sim->pulseInput();
    const double until = platform::Timer() + 0.05;
    while (platform::Timer() < until) ctx->ui.processEvents();
  }
  page(3, 1.0);
  Seen seen;
  double started = 0, last = 0;
  int pulses = 0;
  // The first event comes 1.2 s after START, the next ones 1.1 s apart.
  seen.onPass = [&] {
    const double now = platform::Timer();
    if (started == 0) started = last = now - 0.1;
    if (now - last < 1.1 || pulses >= 3) return;
    last = now;
    ++pulses;
    sim->pulseInput();
  };
  ASSERT_EQ(record(seen), RecordOutcome::Completed) << status();
  EXPECT_EQ(pulses, 3);
  const auto l = lines(slurp(path));
  ASSERT_EQ(l.size(), kHeaderLines + 3);
  auto seconds = [](const std::string& hms) {
    return std::stoi(hms.substr(0, 2)) * 3600 + std::stoi(hms.substr(3, 2)) * 60 + std::stoi(hms.substr(6, 2));
  };
  const int start = seconds(l[1].substr(l[1].find('\t') + 1));
  int previous = start;
  for (size_t i = kHeaderLines; i < l.size(); ++i) {
    const int at = seconds(fields(l[i])[1]);
    EXPECT_GT((at - previous + 86400) % 86400, 0) << "row " << i - kHeaderLines << ": " << l[i];
    previous = at;
  }
}

// Triggered mode chosen on the page but not sent: the sensor sends nothing,
// and the status line says so at START instead of waiting without a word.
TEST_F(RecorderTest, TriggeredRecordingWithoutTheModeSentSaysWhatToDo) {
  const std::string hint = "The sensor sends no samples yet: SEND the RS-232-MODE EXT-IN0-L/H, then START again!";
  connectTcp();
  chooseMode(REC_TRIGGERED);
  page(2, 1.0);
  Seen seen;
  std::string shown;
  const double until = platform::Timer() + 0.3;
  seen.onPass = [&] {
    shown = ctx->ui.text(ctx->refs.main.status);
    if (platform::Timer() > until) ctx->run.state = RUN_IDLE;
  };
  EXPECT_EQ(record(seen), RecordOutcome::Stopped);
  EXPECT_EQ(shown, hint);
  // Sent: no hint.
  ASSERT_EQ(PushSEND(*ctx, MEM_RAM), 1);
  const double until2 = platform::Timer() + 0.3;
  seen.onPass = [&] {
    shown = ctx->ui.text(ctx->refs.main.status);
    EXPECT_NE(shown, hint);
    if (platform::Timer() > until2) ctx->run.state = RUN_IDLE;
  };
  fe->answerConfirm(true);  // the first recording's file is overwritten
  EXPECT_EQ(record(seen), RecordOutcome::Stopped);
}

TEST_F(RecorderTest, ATimeOutEndsTheRecordingAndKeepsTheRows) {
  connectTcp();
  ctx->link.replyTimeout = 0.3;
  ctx->link.tcpTimeoutMs = 300;
  page(50, 0.1);
  Seen seen;
  seen.onRow = [&](int n) {
    if (n == 3) sim->setFault(sim::Fault::NoReply, sim::kPersistent);
  };
  EXPECT_EQ(record(seen), RecordOutcome::TimedOut);
  EXPECT_EQ(lines(slurp(path)).size(), kHeaderLines + 3);
  EXPECT_EQ(status(), "Data-Recorder error - rs232 timeout!");
  EXPECT_EQ(fieldText("RECSTATUS"), "DATA-REC. ERROR - TIMEOUT!");
  EXPECT_EQ(ctx->ui.at(ref("REC", "RECSTATUS")).textColor, ui::kRed);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);
}

TEST_F(RecorderTest, AFileThatCannotBeWrittenStopsTheRecording) {
  connectTcp();
  page(50, 0.1);
  std::unique_ptr<FileSizeLimit> limit;
  Seen seen;
  seen.onRow = [&](int n) {
    // The disk fills up in the middle of the third row.
    if (n == 2) limit = std::make_unique<FileSizeLimit>(std::filesystem::file_size(recordingFile()) + 20);
  };
  EXPECT_EQ(record(seen), RecordOutcome::WriteFailed);
  limit.reset();
  const std::string text = slurp(path);
  EXPECT_EQ(lines(text).size(), kHeaderLines + 2) << "the complete rows stay, the cut one goes";
  EXPECT_EQ(status(), "Data-Recorder error - recorder file write failed!");
  EXPECT_EQ(fieldText("RECSTATUS"), "DATA-REC. ERROR - FILE WRITE!");
  ASSERT_FALSE(fe->popups().empty());
  EXPECT_NE(fe->popups().back().text.find("Error writing recorder output file"), std::string::npos);
  EXPECT_NE(fe->popups().back().text.find(path), std::string::npos) << fe->popups().back().text;
  EXPECT_FALSE(ctx->ui.dimmed(ctx->refs.main.run));

  // The file taken away while recording.
  std::filesystem::remove(path);
  const std::string moved = tempDir() + "/MOVED.DAT";
  seen.onRow = [&](int n) {
    if (n == 2) std::filesystem::rename(recordingFile(), moved);
  };
  EXPECT_EQ(record(seen), RecordOutcome::WriteFailed);
  EXPECT_EQ(lines(slurp(moved)).size(), kHeaderLines + 3);
  EXPECT_NE(status(), "Data-Recorder completed successfully!");
}

TEST_F(RecorderTest, PauseFreezesTheGraphOnlyAndStopEndsTheRecording) {
  connectTcp();
  page(1000, 0.1);
  std::vector<double> frozen;
  Seen seen;
  seen.onRow = [&](int n) {
    if (n == 2) {
      ctx->ui.setValue(ref("REC", "PAUSE"), 1);
      ctx->ui.fire(ref("REC", "PAUSE"), ui::EVENT_COMMIT);
      frozen = ctx->ui.strip(ref("REC", "RECGRAPH")).data;
    }
    if (n == 4) {
      // Unchanged: the two recorded points still last, the rest still gaps.
      const auto& now = ctx->ui.strip(ref("REC", "RECGRAPH")).data;
      ASSERT_EQ(now.size(), frozen.size());
      for (size_t i = 0; i < now.size(); ++i)
        EXPECT_TRUE(now[i] == frozen[i] || (std::isnan(now[i]) && std::isnan(frozen[i]))) << i;
      EXPECT_FALSE(std::isnan(now.back()));
      EXPECT_TRUE(std::isnan(now[now.size() - 9]));
      ctx->ui.fire(ref("REC", "STOP"), ui::EVENT_COMMIT);
    }
  };
  EXPECT_EQ(record(seen), RecordOutcome::Stopped);
  EXPECT_EQ(lines(slurp(path)).size(), kHeaderLines + 4);
  EXPECT_EQ(status(), "Data-Recorder stopped!");
  EXPECT_EQ(fieldText("RECSTATUS"), "DATA-RECORDER STOPPED!");
  EXPECT_EQ(ctx->ui.at(ref("REC", "RECSTATUS")).textColor, ui::kRed);
  // A new recording's press starts the graph afresh and scrolling.
  ctx->ui.fire(ref("REC", "START"), ui::EVENT_LEFT_CLICK);
  EXPECT_FALSE(ctx->recorder.chartPaused);
  EXPECT_EQ(ctx->ui.value(ref("REC", "PAUSE")), 0);
}

}  // namespace
}  // namespace bx::test

namespace bx::test {
namespace {

class OpenedRecordingTest : public RecorderTest {
 protected:
  const ui::GraphModel& view() { return ctx->ui.graph(ref("REC", "RECVIEW")); }
  double num(const char* name) { return ctx->ui.value(ref("REC", name)); }

  bool open(const std::string& file) {
    fe->answerFile(ui::FILE_EXISTING, file);
    ctx->ui.fire(ref("REC", "OPENREC"), ui::EVENT_COMMIT);
    return ctx->recorder.showingOpened && ctx->recorder.openedPath == file;
  }

  // A small file as the recorder writes it: values 100, 110, 120 ...
  std::string smallFile(const std::string& name, int rows) {
    recorder::FileHeader h;
    h.date = "12-09-2026";
    h.time = "08:00:00";
    h.incrementS = 2;
    h.samples = rows;
    h.offsetUm = 40;
    h.slopeX16384 = 2 * 16384;
    std::string text = recorder::HeaderText(h);
    char buf[recorder::kRowBufferSize];
    for (int i = 0; i < rows; ++i) {
      RecorderSample smp;
      smp.value = static_cast<uint16_t>(100 + 10 * i);
      smp.valueUm = 200 + 20 * i;
      smp.edges = 2;
      smp.status = static_cast<int16_t>(i % 2);
      text.append(buf, recorder::FormatRow(buf, "12-09-2026", ("08:00:0" + std::to_string(i % 10)).c_str(), smp));
    }
    const std::string file = tempDir() + "/" + name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }
};

std::string isoOf(const std::string& date, const std::string& time) {
  return date.substr(6, 4) + "-" + date.substr(0, 2) + "-" + date.substr(3, 2) + "T" + time;
}

// A recording of 100 samples taken from the sensor opens again into the
// chart with the file's values in either unit, the cursor reads each
// sample's number, date, time and values, and its CSV holds the same.
TEST_F(OpenedRecordingTest, HundredSamplesRoundTripIntoTheChartAndToCsv) {
  connectTcp();
  int pulses = 0;
  const auto file = lines(recordTriggered(100, pulses, 0.004));
  ASSERT_EQ(file.size(), kHeaderLines + 100);
  std::vector<std::vector<std::string>> rows;
  for (size_t i = kHeaderLines; i < file.size(); ++i) rows.push_back(fields(file[i]));

  ASSERT_TRUE(open(path)) << status();
  EXPECT_TRUE(ctx->ui.visible(ref("REC", "RECVIEW")));
  EXPECT_FALSE(ctx->ui.visible(ref("REC", "RECGRAPH")));
  EXPECT_FALSE(ctx->ui.dimmed(ref("REC", "EXPORTCSV")));
  EXPECT_EQ(num("HDRINC"), 0);
  EXPECT_EQ(ctx->ui.text(ref("REC", "HDRMODE")), "EXT-IN0-L/H");
  EXPECT_EQ(num("HDROFFSET"), calib::offsetUm(ctx->calib.record));
  EXPECT_NEAR(num("HDRSLOPE"), calib::slopeX16384(ctx->calib.record) / 16384.0, 1e-6);
  EXPECT_EQ(ctx->ui.text(ref("REC", "HDRFILE")).substr(0, 9), "100 / 100");

  ASSERT_EQ(ctx->ui.intValue(ctx->refs.main.mmSwitch), 0);
  ASSERT_EQ(view().plots.size(), 1u);
  ASSERT_EQ(view().plots[0].y.size(), 100u);
  for (size_t i = 0; i < 100; ++i) {
    EXPECT_EQ(view().plots[0].x[i], static_cast<double>(i + 1));
    EXPECT_EQ(view().plots[0].y[i], std::stoi(rows[i][2])) << "sample " << i + 1;
  }
  EXPECT_EQ(view().y.caption, "MEASUREMENT-VALUE [pixel]");
  ctx->ui.setValue(ctx->refs.main.mmSwitch, 1);
  ctx->ui.fire(ctx->refs.main.mmSwitch, ui::EVENT_VAL_CHANGED);
  for (size_t i = 0; i < 100; ++i) EXPECT_DOUBLE_EQ(view().plots[0].y[i], std::stoi(rows[i][6]) / 1000.0);
  EXPECT_EQ(view().y.caption, "MEASUREMENT-VALUE [mm]");

  // A click on the chart, then the cursor dragged between two samples.
  ctx->ui.fire(ref("REC", "RECVIEW"), ui::EVENT_LEFT_CLICK, 37, 0);
  for (int pick : {37, 62}) {
    const auto& r = rows[static_cast<size_t>(pick - 1)];
    EXPECT_EQ(num("RECCOUNT"), pick);
    EXPECT_EQ(ctx->ui.text(ref("REC", "RECDATE")), r[0]);
    EXPECT_EQ(ctx->ui.text(ref("REC", "RECTIME")), r[1]);
    EXPECT_EQ(num("RECVAL"), std::stoi(r[2]));
    EXPECT_DOUBLE_EQ(num("RECMM"), std::stoi(r[6]) / 1000.0);
    EXPECT_EQ(num("RECEDGES"), std::stoi(r[5]));
    EXPECT_EQ(view().cursors[0].x, pick);
    ctx->ui.graph(ref("REC", "RECVIEW")).cursors[0].x = 61.6;
    ctx->ui.fire(ref("REC", "RECVIEW"), ui::EVENT_VAL_CHANGED, 1);
  }

  const std::string csv = tempDir() + "/RECORD.csv";
  fe->answerFile(ui::FILE_NEW, csv);
  ctx->ui.fire(ref("REC", "EXPORTCSV"), ui::EVENT_COMMIT);
  const auto out = lines(slurp(csv));
  ASSERT_EQ(out.size(), 101u) << status();
  EXPECT_EQ(out[0], "SAMPLE,DATE-TIME,M-VALUE[pixel],M-VAL[um],EDG-A[pixel],EDG-B[pixel],EDG-N,PROG,STATE");
  for (size_t i = 0; i < 100; ++i) {
    const auto& r = rows[i];
    EXPECT_EQ(out[i + 1], std::to_string(i + 1) + "," + isoOf(r[0], r[1]) + "," + r[2] + "," + r[6] + "," + r[3] + "," +
                              r[4] + "," + r[5] + "," + r[8] + "," + r[9]);
  }
  EXPECT_EQ(ctx->ui.text(ctx->refs.main.status), "CSV export: 100 samples written to " + csv);

  // A language switch keeps the unit in both charts' captions.
  ctx->app.resourceDir = BX_RESOURCE_DIR;
  SetLanguage(*ctx, kGerman);
  EXPECT_EQ(view().y.caption, "MESSWERT [mm]");
  EXPECT_EQ(ctx->ui.strip(ref("REC", "RECGRAPH")).yCaption, "MESSWERT [mm]");
}

// A damaged file is refused with its line and changes nothing shown; START
// gives the chart back to the roll graph.
TEST_F(OpenedRecordingTest, ADamagedFileKeepsWhatIsShown) {
  const std::string good = smallFile("good.dat", 5);
  ASSERT_TRUE(open(good));
  EXPECT_EQ(num("HDRINC"), 2);
  EXPECT_EQ(num("HDROFFSET"), 40);
  EXPECT_EQ(ctx->ui.text(ref("REC", "HDRMODE")), "STATIC(REC)");
  EXPECT_EQ(num("RECCOUNT"), 1) << "the cursor starts on the first sample";
  EXPECT_EQ(num("RECVAL"), 100);

  // The tenth row cut off in the middle.
  std::string text = slurp(smallFile("cut.dat", 10));
  const std::string cut = tempDir() + "/cut.dat";
  std::ofstream(cut, std::ios::binary | std::ios::trunc) << text.substr(0, text.size() - 4);
  fe->clearPopups();
  ctx->ui.fire(ref("REC", "RECVIEW"), ui::EVENT_LEFT_CLICK, 4, 0);
  EXPECT_FALSE(open(cut));
  ASSERT_EQ(fe->popups().size(), 2u) << "the file dialogue, then the refusal";
  EXPECT_NE(fe->popups()[1].text.find(cut + ", line 17: the file is cut short"), std::string::npos) << fe->popups()[1].text;
  EXPECT_EQ(ctx->recorder.openedPath, good);
  ASSERT_EQ(view().plots[0].y.size(), 5u);
  EXPECT_EQ(view().plots[0].y[4], 140);
  EXPECT_EQ(num("RECCOUNT"), 4);
  EXPECT_EQ(ctx->ui.text(ref("REC", "HDRFILE")), "5 / 5, 12-09-2026 08:00:00");

  // Not a recorder file at all, in German.
  const std::string para = tempDir() + "/para.dat";
  std::ofstream(para, std::ios::binary) << "[PARAMETER]\r\nAverage=1\r\n";
  ctx->app.resourceDir = BX_RESOURCE_DIR;
  SetLanguage(*ctx, kGerman);
  fe->clearPopups();
  EXPECT_FALSE(open(para));
  ASSERT_EQ(fe->popups().size(), 2u);
  EXPECT_NE(fe->popups()[1].text.find(para + ", Zeile 1: keine Rekorder-Datei"), std::string::npos) << fe->popups()[1].text;
  EXPECT_EQ(view().x.caption, "MESSWERT-NR.") << "the language switch redraws the opened recording";

  PrepareRecorderChart(*ctx);
  EXPECT_FALSE(ctx->recorder.showingOpened);
  EXPECT_FALSE(ctx->ui.visible(ref("REC", "RECVIEW")));
  EXPECT_TRUE(ctx->ui.visible(ref("REC", "RECGRAPH")));
  EXPECT_TRUE(ctx->ui.dimmed(ref("REC", "EXPORTCSV")));
  EXPECT_TRUE(ctx->ui.text(ref("REC", "HDRFILE")).empty());
}

}  // namespace
}  // namespace bx::test
