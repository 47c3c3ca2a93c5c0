// quellan-bx-cli get / send / hwinfo, driven in-process against two
// simulated sensors.
#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "params/transfer.h"
#include "params_fixture.h"

// The command-line commands live in a library beside the executable, so
// they can be driven in-process.
#include "cli/params_cmds.h"
// diff is run as the program itself: its output is the contract.
#include "link/exchange.h"
#include "params/compare.h"
#include "support/cli_run.h"
#include "wire/orders.h"

namespace bx::test {
namespace {

using namespace param;

int run(std::vector<std::string> args) {
  args.insert(args.begin(), "quellan-bx-cli");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  return cli::RunParamCommand(static_cast<int>(argv.size()), argv.data(), BX_RESOURCE_DIR);
}

std::string tcp(const sim::Server& s) { return "127.0.0.1:" + std::to_string(s.tcpPort()); }

bool heldByFile(int off) {
  return off < 84 && off != VIDEO_THRESHOLD_MODE && off != TRACK_THRESHOLD && off != DIRT_THRESHOLD;
}

class CliTest : public ParamsTest {
 protected:
  // Sends a sane, distinctive configuration into the first simulator.
  void configureSource(int memory) {
    connectTcp();
    auto& p = ctx->params;
    set(p, POWER, 640);
    set(p, INTEGRATION_TIME, 880);
    set(p, SEARCH_DIRECTION, 1);
    set(p, BACKGROUND_MODE, 1);
    set(p, EVAL_PROGRAM, 2);
    set(p, EVAL_MODE, 1);
    set(p, EVAL_BEGIN, 33);
    set(p, EVAL_END, 15000);
    set(p, UPPER_TOLERANCE, 77);
    set(p, LOWER_TOLERANCE, 66);
    set32(p, UM_BEGIN, 57);
    set32(p, UM_TOLLO, -5);
    set(p, AVERAGE, 32);
    set(p, POLARITY, 0);
    set(p, DIGITAL_OUT_MODE, 2);
    set(p, CCD_OPERATION_MODE, 1);
    set(p, HARDWARE_MODE, 9);
    set(p, ANALOG_MODE, 3);
    set(p, ANALOG_ZOOM_MODE, 5);
    set(p, VIDEO_THRESHOLD, 44);
    set(p, RS232_MODE, 2);
    set(p, RS232_BAUDRATE, 6);
    set(p, VIDEO_SMOOTH, 3);
    set(p, EXT_TRIGGER_MODE, 5);
    set(p, INT_TRIGGER_MODE, 2);
    set(p, TRIGGER_PIXEL, 4096);
    set(p, TEACH_TARGET, 1);
    set(p, DIRT_DETECT_MODE, 3);
    for (int r = 0; r < 4; ++r) {
      rowSet(p, r, ROW_EDGE_A, static_cast<uint16_t>(-(r + 1)));
      rowSet(p, r, ROW_EDGE_B, static_cast<uint16_t>(r + 2));
      rowSet(p, r, ROW_EVAL_MODE, static_cast<uint16_t>(r == 2 ? 1 : r % 3));
      rowSet(p, r, ROW_TEACH_VALUE, static_cast<uint16_t>(1000 + r));
      rowSet(p, r, ROW_NOT_USED, static_cast<uint16_t>(0xA000 + r));
      rowSet32(p, r, ROW_UM_TEACH, 1750 * (r + 1));
    }
    ASSERT_EQ(PushSEND(*ctx, memory), 1);
    CloseLink(*ctx, true);
  }
};

TEST_F(CliTest, GetFromOneSensorThenSendIntoAnotherReproducesTheFile) {
  for (int memory : {MEM_RAM, MEM_EEPROM}) {
    SCOPED_TRACE(memory);
    sim.reset();
    configureSource(memory);
    const char* mem = memory == MEM_EEPROM ? "eeprom" : "ram";
    const std::string file = tempDir() + "/cli-" + mem + ".ini";
    ASSERT_EQ(run({"get", "--from", mem, "--out", file, "--tcp", tcp(*sim)}), 0);
    ASSERT_TRUE(std::filesystem::exists(file));

    sim::Server target;
    ASSERT_GT(target.startTcp(0), 0);
    ASSERT_EQ(run({"send", "--to", mem, file, "--tcp", tcp(target)}), 0);
    const auto src = memory == MEM_EEPROM ? sim->eepromParams() : sim->ramParams();
    const auto dst = memory == MEM_EEPROM ? target.eepromParams() : target.ramParams();
    for (int off = 0; off < 96; off += 2) {
      if (heldByFile(off)) {
        EXPECT_EQ(get16le(dst, off), get16le(src, off)) << "offset " << off;
      }
    }
    EXPECT_EQ(memory == MEM_EEPROM ? target.eepromTeach() : target.ramTeach(),
              memory == MEM_EEPROM ? sim->eepromTeach() : sim->ramTeach());
    target.stop();
  }
}

TEST_F(CliTest, SendKeepsTheSensorsValuesForWhatTheFileLacks) {
  sim = std::make_unique<sim::Server>();
  ASSERT_GT(sim->startTcp(0), 0);
  const std::string file = tempDir() + "/partial.ini";
  { std::ofstream(file) << "[PARAMETER]\r\nAverage = 512\r\n"; }
  const auto before = sim->ramParams();
  ASSERT_EQ(run({"send", "--to", "ram", file, "--tcp", tcp(*sim)}), 0);
  const auto after = sim->ramParams();
  EXPECT_EQ(get16le(after, AVERAGE), 512);
  EXPECT_EQ(get16le(after, POWER), get16le(before, POWER));
  EXPECT_EQ(get16le(after, EVAL_END), get16le(before, EVAL_END));
}

TEST_F(CliTest, HardwareInfoFile) {
  sim = std::make_unique<sim::Server>();
  ASSERT_GT(sim->startTcp(0), 0);
  const std::string file = tempDir() + "/hw.ini";
  ASSERT_EQ(run({"hwinfo", "--out", file, "--tcp", tcp(*sim)}), 0);
  EXPECT_TRUE(std::filesystem::exists(file));
}

TEST_F(CliTest, UsageErrorsAndFailures) {
  EXPECT_EQ(run({"get", "--out", "x.ini", "--tcp", "127.0.0.1"}), 2);            // no --from
  EXPECT_EQ(run({"get", "--from", "flash", "--out", "x.ini", "--tcp", "h"}), 2);  // bad memory
  EXPECT_EQ(run({"send", "--to", "ram", "--tcp", "h"}), 2);                      // no file
  EXPECT_EQ(run({"hwinfo", "--out", "x.ini"}), 2);                               // no transport
  EXPECT_EQ(run({"send", "--to", "ram", tempDir() + "/absent.ini", "--tcp", "127.0.0.1:1"}), 1);
  // Nobody listens on the port.
  EXPECT_EQ(run({"get", "--from", "ram", "--out", tempDir() + "/y.ini", "--tcp", "127.0.0.1:1"}), 1);
  EXPECT_FALSE(std::filesystem::exists(tempDir() + "/y.ini"));
}

// The lines of a diff between its header and its status line.
std::vector<std::string> diffLines(const std::string& out) {
  std::vector<std::string> lines;
  size_t at = out.find("FIELD\tPAGE\tUNIT\tLEFT\tRIGHT\n");
  if (at == std::string::npos) return {"no header in: " + out};
  at = out.find('\n', at) + 1;
  for (size_t end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) {
    std::string line = out.substr(at, end - at);
    if (line.rfind("status: ", 0) == 0) break;
    lines.push_back(line);
  }
  return lines;
}

TEST_F(CliTest, DiffShowsARamChangeInRamAndNowhereElse) {
  sim = std::make_unique<sim::Server>();
  const int port = sim->startTcp(0);
  ASSERT_GT(port, 0);
  ASSERT_EQ(sim->ramParams(), sim->eepromParams());
  ASSERT_EQ(sim->ramTeach(), sim->eepromTeach());
  const std::string link = " --tcp 127.0.0.1:" + std::to_string(port);
  const std::string before = tempDir() + "/before.ini";
  ASSERT_EQ(run({"get", "--from", "ram", "--out", before, "--tcp", tcp(*sim)}), 0);

  // One field changed in RAM, byte for byte, nothing else sent.
  connectTcp();
  CompareSide ram;
  ASSERT_EQ(LoadCompareSide(*ctx, SRC_RAM, "", ram), SideResult::Read);
  const uint16_t old = get(ram.set, AVERAGE), now = static_cast<uint16_t>(old == 64 ? 128 : 64);
  set(ram.set, AVERAGE, now);
  ASSERT_EQ(Exchange(*ctx, order::kWriteRam, 0, ram.set.data(), kSetSize), 1);
  ASSERT_EQ(Exchange(*ctx, order::kWriteRam, 1, ram.teach.data(), kTeachSize), 1);
  CloseLink(*ctx, true);
  const std::string line = "Average\tPARA1\t-\t" + std::to_string(now) + "\t" + std::to_string(old);

  auto r = testsupport::RunCli("diff ram eeprom" + link, "2>/dev/null");
  EXPECT_EQ(r.exitCode, 3) << r.out;
  EXPECT_EQ(r.out, "FIELD\tPAGE\tUNIT\tLEFT\tRIGHT\n" + line + "\nstatus: 1 differences\n");
  r = testsupport::RunCli("diff ram " + before + link, "2>/dev/null");
  EXPECT_EQ(r.exitCode, 3) << r.out;
  EXPECT_EQ(diffLines(r.out), std::vector<std::string>{line});
  r = testsupport::RunCli("diff eeprom " + before + link, "2>/dev/null");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_TRUE(diffLines(r.out).empty()) << r.out;

  // Against the defaults, RAM and EEPROM differ by that field alone.
  const auto ramDefaults = testsupport::RunCli("diff ram defaults" + link, "2>/dev/null");
  const auto eepromDefaults = testsupport::RunCli("diff eeprom defaults" + link, "2>/dev/null");
  auto withoutAverage = [](std::vector<std::string> lines) {
    std::erase_if(lines, [](const std::string& l) { return l.rfind("Average\t", 0) == 0; });
    return lines;
  };
  EXPECT_EQ(withoutAverage(diffLines(ramDefaults.out)), withoutAverage(diffLines(eepromDefaults.out)));
  EXPECT_NE(diffLines(ramDefaults.out), diffLines(eepromDefaults.out));
  EXPECT_NE(ramDefaults.exitCode, 1) << ramDefaults.out;

  // A file against itself: equal, and no sensor asked.
  const int echoes = sim->requestCount(order::kEcho);
  r = testsupport::RunCli("diff " + before + " " + before, "2>/dev/null");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(r.out, "FIELD\tPAGE\tUNIT\tLEFT\tRIGHT\nstatus: 0 differences\n");
  EXPECT_EQ(sim->requestCount(order::kEcho), echoes);
}

TEST_F(CliTest, DiffRefusesBadFilesAndUsage) {
  const std::string good = tempDir() + "/good.ini";
  { std::ofstream(good) << "[PARAMETER]\r\nPower = 500\r\n"; }
  struct Case {
    const char* what;
    std::string text;
    const char* status;
  };
  const Case cases[] = {
      {"damaged", "[PARAMETER]\r\nPower = 5x0\r\n", "status: Parameter file damaged: "},
      {"another family", "[PARAMETER]\r\nGain = 3\r\n", "status: Not a parameter file of this sensor family: "},
      {"no file at all", "", "status: Parameter file not readable: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string bad = tempDir() + "/bad.ini";
    std::filesystem::remove(bad);
    if (!c.text.empty()) std::ofstream(bad) << c.text;
    for (const std::string& args : {"diff " + good + " " + bad, "diff " + bad + " " + good}) {
      const auto r = testsupport::RunCli(args, "2>/dev/null");
      EXPECT_EQ(r.exitCode, 1) << r.out;
      EXPECT_EQ(r.out.find("FIELD\t"), std::string::npos) << r.out;  // never compared
      EXPECT_EQ(r.out.rfind(c.status, 0), 0u) << r.out;
      EXPECT_NE(r.out.find(bad), std::string::npos) << r.out;
    }
  }
  EXPECT_EQ(testsupport::RunCli("diff ram", "2>/dev/null").exitCode, 2);
  EXPECT_EQ(testsupport::RunCli("diff ram eeprom", "2>/dev/null").exitCode, 2);  // no link given
  EXPECT_EQ(testsupport::RunCli("diff " + good + " " + good + " ram", "2>/dev/null").exitCode, 2);
  EXPECT_EQ(testsupport::RunCli("diff --bogus " + good + " " + good, "2>/dev/null").exitCode, 2);
  // Nobody listens there.
  EXPECT_EQ(testsupport::RunCli("diff ram " + good + " --tcp 127.0.0.1:1", "2>/dev/null").exitCode, 1);
}

}  // namespace
}  // namespace bx::test
