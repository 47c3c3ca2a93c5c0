// What the operator sees when a file cannot be read or may not be replaced:
// the parameter file through the FILE target, the menu and quellan-bx-cli,
// the hardware info file and the settings file; every command that writes
// a file, given an output that is not a regular file it may replace.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "cli/params_cmds.h"
#include "files/temp_dir.h"
#include "params/hwinfo.h"
#include "params/para_file_ui.h"
#include "params/params_fixture.h"
#include "tests/support/cli_run.h"

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

// One table of awkward output targets against every command that writes a
// file: each is refused with its reason, exit 1, and stays as it was, with
// no file left beside it. The device is one made in the temporary folder
// (root may), so the system's own devices are never at risk.
TEST(OutputTargets, OnlyARegularFileIsReplacedByAnyCommand) {
  struct Target {
    const char* name;
    const char* reason;
    std::function<bool(const std::string&)> make;
  };
  const Target targets[] = {
      {"fifo", "it is a FIFO, not a regular file", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; }},
      {"folder", "it is a folder", [](const std::string& p) { return ::mkdir(p.c_str(), 0755) == 0; }},
      {"device", "it is a character device",
       [](const std::string& p) { return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; }},
      {"link to a fifo", "it is a FIFO",
       [](const std::string& p) { return ::mkfifo((p + ".fifo").c_str(), 0644) == 0 && ::symlink((p + ".fifo").c_str(), p.c_str()) == 0; }},
      {"read-only file", "read-only",
       [](const std::string& p) {
         writeBytes(p, "kept");
         return ::chmod(p.c_str(), 0444) == 0;
       }},
  };
  sim::Server server;
  const std::string tcp = " --tcp 127.0.0.1:" + std::to_string(server.startTcp(0));
  testing_files::TempDir tmp;
  ASSERT_TRUE(tmp.ok());
  const std::string dir = tmp.path();
  const struct {
    const char* name;
    std::function<std::string(const std::string& out)> args;
  } commands[] = {
      {"get", [](const std::string& out) { return "get --from ram --out " + out; }},
      {"hwinfo", [](const std::string& out) { return "hwinfo --out " + out; }},
      {"scope tsv", [](const std::string& out) { return "scope --force --timeout 2 --out " + out; }},
      {"scope pdf",
       [&](const std::string& out) { return "scope --force --timeout 2 --out " + dir + "/ok.tsv --pdf " + out; }},
      {"record", [](const std::string& out) { return "record --force --samples 1 --interval 0.1 --out " + out; }},
  };
  int n = 0;
  for (const auto& t : targets) {
    for (const auto& c : commands) {
      SCOPED_TRACE(std::string(c.name) + " into a " + t.name);
      const std::string path = dir + "/target" + std::to_string(++n);
      if (!t.make(path)) {
        ADD_FAILURE() << "cannot make a " << t.name << " here";
        continue;
      }
      struct stat before {};
      ASSERT_EQ(::lstat(path.c_str(), &before), 0);
      const size_t entries = testing_files::entryCount(dir);
      const testsupport::CliRun r = testsupport::RunCli(c.args(path) + tcp);
      EXPECT_EQ(r.exitCode, 1) << r.out;
      const size_t status = r.out.find("status: ");
      ASSERT_NE(status, std::string::npos) << r.out;
      EXPECT_NE(r.out.find(t.reason, status), std::string::npos) << r.out;
      EXPECT_NE(r.out.find(path, status), std::string::npos) << r.out;
      struct stat after {};
      ASSERT_EQ(::lstat(path.c_str(), &after), 0);
      EXPECT_EQ(after.st_mode, before.st_mode);
      EXPECT_EQ(after.st_ino, before.st_ino);
      if (S_ISREG(after.st_mode)) {
        EXPECT_EQ(readBytes(path), "kept");
      }
      EXPECT_EQ(testing_files::entryCount(dir), entries) << "nothing left beside it";
    }
  }
}

}  // namespace
}  // namespace bx::test
