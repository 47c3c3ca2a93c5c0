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

}  // namespace
}  // namespace bx::test
