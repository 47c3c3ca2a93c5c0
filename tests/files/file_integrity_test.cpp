// What the operator sees when a file cannot be read or may not be replaced:
// the parameter file through the FILE target, the menu and quellan-bx-cli,
// the hardware info file and the settings file.
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/settings.h"
#include "cli/params_cmds.h"
#include "files/temp_dir.h"
#include "params/hwinfo.h"
#include "params/para_file_ui.h"
#include "params/params_fixture.h"

namespace bx::test {
namespace {

using testing_files::readBytes;
using testing_files::writeBytes;

constexpr const char* kUserFile = "[PARAMETER]\r\nAverage = 8\r\n";

int runCli(std::vector<std::string> args) {
  args.insert(args.begin(), "quellan-bx-cli");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  return cli::RunParamCommand(static_cast<int>(argv.size()), argv.data(), BX_RESOURCE_DIR);
}

class FileIntegrityTest : public ParamsTest {
 protected:
  void SetUp() override {
    ParamsTest::SetUp();
    ctx->link.replyTimeout = 0.1;
    ctx->app.userFilesDir = tempDir();
  }
  std::string file(const char* name) { return tempDir() + "/" + name; }
  void makeReadOnly(const std::string& path) { ASSERT_EQ(::chmod(path.c_str(), 0444), 0); }
};

TEST_F(FileIntegrityTest, AFileWithNothingToReadIsReportedAsNotRead) {
  const std::string empty = file("empty.ini");
  const std::string binary = file("binary.ini");
  writeBytes(empty, "");
  writeBytes(binary, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  for (const std::string& path : {empty, binary}) {
    SCOPED_TRACE(path);
    const auto before = ctx->params;
    fe->answerFile(ui::FILE_EXISTING, path);
    EXPECT_EQ(GetParaFromFile(*ctx), -1);
    EXPECT_EQ(status(), "Parameter not read from file!");
    fe->answerFile(ui::FILE_EXISTING, path);
    EXPECT_EQ(LoadConfigFile(*ctx), -1);
    EXPECT_EQ(status(), "Parameter not read from file - ERROR!");
    EXPECT_EQ(ctx->params.set, before.set);
    EXPECT_EQ(ctx->params.teach, before.teach);
  }

  // The GET from FILE stops at the file: nothing reaches the panels.
  ctx->ui.setDimmed(ctx->refs.main.get, false);
  ctx->ui.setValue(ctx->refs.main.memSel, MEM_FILE);
  ctx->ui.fire(ctx->refs.main.memSel, ui::EVENT_COMMIT);
  fe->answerFile(ui::FILE_EXISTING, empty);
  ctx->ui.fire(ctx->refs.main.get, ui::EVENT_COMMIT);
  EXPECT_EQ(status(), "Parameter not read from file!");
}

TEST_F(FileIntegrityTest, CliSendOfAFileWithNothingToReadFailsBeforeTouchingTheSensor) {
  sim = std::make_unique<sim::Server>();
  ASSERT_GT(sim->startTcp(0), 0);
  const std::string tcp = "127.0.0.1:" + std::to_string(sim->tcpPort());
  const std::string path = file("settings-not-params.ini");
  writeBytes(path, "[CONNECTION]\r\nCOM TYPE = 1\r\n");
  const auto before = sim->eepromParams();
  EXPECT_EQ(runCli({"send", "--to", "eeprom", path, "--tcp", tcp}), 1);
  for (uint8_t order : {1, 2, 3}) EXPECT_EQ(sim->requestCount(order), 0) << int(order);  // never connected
  EXPECT_EQ(sim->eepromParams(), before);

  writeBytes(path, kUserFile);
  EXPECT_EQ(runCli({"send", "--to", "ram", path, "--tcp", tcp}), 0);
}

TEST_F(FileIntegrityTest, AReadOnlyParameterFileIsNotReplaced) {
  const std::string path = file("ro.ini");
  writeBytes(path, kUserFile);
  makeReadOnly(path);
  fe->answerFile(ui::FILE_EXISTING, path);
  fe->answerConfirm(true);
  EXPECT_EQ(SendParaToFile(*ctx), -1);
  EXPECT_EQ(status(), "Parameter file - Write error!");
  EXPECT_EQ(readBytes(path), kUserFile);

  fe->answerFile(ui::FILE_EXISTING, path);
  fe->answerConfirm(true);
  EXPECT_EQ(SaveConfigFile(*ctx), -1);
  EXPECT_EQ(status(), "Parameter not saved to file!");
  EXPECT_EQ(readBytes(path), kUserFile);

  // The command line's get does not replace it either.
  sim = std::make_unique<sim::Server>();
  ASSERT_GT(sim->startTcp(0), 0);
  EXPECT_EQ(runCli({"get", "--from", "ram", "--out", path, "--tcp", "127.0.0.1:" + std::to_string(sim->tcpPort())}),
            1);
  EXPECT_EQ(readBytes(path), kUserFile);
}

TEST_F(FileIntegrityTest, ALinkedParameterFileIsSavedThroughItsLink) {
  std::filesystem::create_directory(file("store"));
  const std::string target = file("store/params.ini");
  writeBytes(target, kUserFile);
  std::filesystem::create_symlink(target, file("link.ini"));
  fe->answerFile(ui::FILE_EXISTING, file("link.ini"));
  fe->answerConfirm(true);
  EXPECT_EQ(SendParaToFile(*ctx), 1);
  EXPECT_EQ(status(), "Parameter saved successfully to file!");
  EXPECT_TRUE(std::filesystem::is_symlink(file("link.ini")));
  EXPECT_NE(readBytes(target).find("[TEACH-ROW3]"), std::string::npos);
}

TEST_F(FileIntegrityTest, AReadOnlyHardwareInfoFileIsNotReplaced) {
  connectTcp();
  const std::string path = file("hw.ini");
  writeBytes(path, "service notes");
  makeReadOnly(path);
  fe->answerFile(ui::FILE_EXISTING, path);
  EXPECT_EQ(GenerateHardwareInfoFile(*ctx), -1);
  EXPECT_EQ(status(), "Hardware-Info-File - Write error!");
  EXPECT_EQ(readBytes(path), "service notes");
}

TEST_F(FileIntegrityTest, AReadOnlySettingsFileIsNotReplaced) {
  const std::string path = file("BX-SCOPE.ini");
  const std::string old = "[CONNECTION]\r\nRS232 PORT = 3\r\n";
  writeBytes(path, old);
  makeReadOnly(path);
  EXPECT_EQ(WriteIniFile(*ctx, path), -1);
  EXPECT_EQ(status().rfind("Settings file - Write error!", 0), 0u) << status();
  EXPECT_EQ(readBytes(path), old);
}

}  // namespace
}  // namespace bx::test
