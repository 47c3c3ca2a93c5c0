// The Windows platform layer's own cases (built and run only for Windows,
// under Wine here). The link, file and identification tests run beside
// them over the same layer.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "context/context.h"
#include "link/transport.h"
#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/com_ports.h"
#include "platform/file_info.h"
#include "platform/serial_port.h"
#include "platform/tcp_client.h"
#include "platform/user_dirs.h"
#include "platform/wait.h"
#include "tests/files/temp_dir.h"
#include "tests/link/link_fixture.h"

namespace bx {
namespace {

using testing_files::readBytes;
using testing_files::TempDir;
using testing_files::writeBytes;

TEST(WinComNames, NumbersAndNamesMapBothWays) {
  struct Case {
    int com;
    const char* device;
  };
  // \\.\COMn is the only form that reaches COM10 and above.
  for (const Case& c : {Case{1, "\\\\.\\COM1"}, Case{9, "\\\\.\\COM9"}, Case{10, "\\\\.\\COM10"}, Case{255, "\\\\.\\COM255"}}) {
    EXPECT_EQ(platform::comDevice(c.com), c.device);
    EXPECT_EQ(platform::comNumber(c.device), c.com);
  }
  for (int bad : {0, -1, 256, 1000}) EXPECT_EQ(platform::comDevice(bad), "") << bad;
  struct Name {
    const char* text;
    int com;
  };
  for (const Name& n : {Name{"COM7", 7}, Name{"com12", 12}, Name{"Com255", 255}, Name{"COM0", -1}, Name{"COM256", -1},
                        Name{"COM", -1}, Name{"COMx", -1}, Name{"COM1234", -1}, Name{"/dev/ttyS0", -1},
                        Name{"\\\\.\\COM", -1}, Name{"LPT1", -1}})
    EXPECT_EQ(platform::comNumber(n.text), n.com) << n.text;
}

TEST(WinSerial, OpenFailuresAreToldApart) {
  // COM200 exists on no machine this runs on.
  platform::SerialPort missing;
  EXPECT_EQ(missing.open(200, 115200), platform::SER_CANNOT_OPEN_PORT);
  EXPECT_FALSE(missing.isOpen());
  EXPECT_EQ(missing.diagnosis().problem, platform::PortProblem::NotPresent);
  EXPECT_EQ(missing.diagnosis().device, "\\\\.\\COM200");
  // A character device that is no serial port: its state cannot be read.
  platform::SerialPort notSerial;
  EXPECT_EQ(notSerial.openDevice("NUL", 115200), platform::SER_CANNOT_OPEN_PORT);
  EXPECT_EQ(notSerial.diagnosis().problem, platform::PortProblem::NotSerial);
  // Rates outside the table are refused before anything is opened.
  platform::SerialPort badRate;
  EXPECT_EQ(badRate.open(200, 12345), platform::SER_INVALID_PARAMETER);
  EXPECT_EQ(badRate.diagnosis().problem, platform::PortProblem::None);
  // Out of the COM range.
  EXPECT_EQ(badRate.open(0, 115200), platform::SER_INVALID_PORT_NUMBER);
  EXPECT_EQ(badRate.open(256, 115200), platform::SER_INVALID_PORT_NUMBER);
}

class WinSerialLink : public test::LinkTest {};

TEST_F(WinSerialLink, MissingPortGivesTheOpenTextAndAReason) {
  EXPECT_LT(InitRS232(*ctx, 200, 4), 0);
  EXPECT_EQ(ctx->status, "Cannot open port");
  const std::string& reason = ctx->link.openReason;
  EXPECT_EQ(reason.rfind("COM200 (\\\\.\\COM200) is not present", 0), 0u) << reason;
}

TEST(WinTcp, RefusedAndClosedAreToldApart) {
  // The simulator's port, first served, then closed: nobody listens.
  sim::Server server{sim::Config()};
  const int port = server.startTcp(0);
  ASSERT_GT(port, 0);
  platform::TcpClient client;
  ASSERT_GT(client.connect("127.0.0.1", port, 2000), 0);
  EXPECT_EQ(client.pollEvent(), platform::TCP_EVENT_NONE);
  server.stop();
  // The server's close reaches the client as one disconnect event.
  int event = platform::TCP_EVENT_NONE;
  for (int i = 0; i < 200 && event == platform::TCP_EVENT_NONE; ++i) {
    (void)client.waitReadable(0.01, nullptr);
    event = client.pollEvent();
  }
  EXPECT_EQ(event, platform::TCP_EVENT_DISCONNECT);
  EXPECT_EQ(client.pollEvent(), platform::TCP_EVENT_NONE);
  client.disconnect();
  EXPECT_EQ(client.connect("127.0.0.1", port, 2000), platform::TCP_FAILED_TO_CONNECT);
  EXPECT_EQ(client.connect("", port, 2000), platform::TCP_INVALID_PARAMETER);
  EXPECT_EQ(client.connect("127.0.0.1", 0, 2000), platform::TCP_INVALID_PARAMETER);
}

TEST(WinWait, SleepsTheTimeAsked) {
  for (double seconds : {0.005, 0.03}) {
    const double start = platform::Timer();
    (void)platform::waitReadable(nullptr, 0, seconds);
    const double took = platform::Timer() - start;
    EXPECT_GE(took, seconds * 0.9) << seconds;
    EXPECT_LT(took, seconds + 0.5) << seconds;
  }
}

TEST(WinAtomicFile, ReplacesOnlyWhatMayBeReplaced) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string target = dir.file("Quellan-BXpara.ini");
  writeBytes(target, "old");
  std::string error;
  ASSERT_TRUE(platform::writeFileAtomic(target, "new\r\n", &error)) << error;
  EXPECT_EQ(readBytes(target), "new\r\n");
  EXPECT_EQ(testing_files::entryCount(dir.path()), 1u);
  // A file the user made read-only stays as it is.
  ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(platform::writeFileAtomic(target, "newer", &error));
  EXPECT_NE(error.find("read-only"), std::string::npos) << error;
  EXPECT_EQ(readBytes(target), "new\r\n");
  ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL));
  // A folder and a device name are no files to replace.
  EXPECT_FALSE(platform::writeFileAtomic(dir.path(), "x", &error));
  EXPECT_NE(error.find("folder"), std::string::npos) << error;
  EXPECT_FALSE(platform::checkOutputTarget("NUL", &error));
  EXPECT_NE(error.find("device"), std::string::npos) << error;
  // A new file appears only on commit; a discarded one leaves nothing.
  const std::string fresh = dir.file("RECORD.DAT");
  {
    platform::AtomicFile f;
    ASSERT_TRUE(f.open(fresh)) << f.error();
    ASSERT_TRUE(f.write("row\r\n"));
    EXPECT_TRUE(f.tempIntact());
    // Nobody removes the file while it is being written.
    EXPECT_FALSE(DeleteFileA(f.tempPath().c_str()));
    EXPECT_FALSE(platform::EntryExists(fresh));
  }
  EXPECT_FALSE(platform::EntryExists(fresh));
  EXPECT_EQ(testing_files::entryCount(dir.path()), 1u);
  // Whole-file reading refuses folders and devices and caps the size.
  std::string text;
  EXPECT_TRUE(platform::readWholeFile(target, text, 100, &error)) << error;
  EXPECT_EQ(text, "new\r\n");
  EXPECT_FALSE(platform::readWholeFile(target, text, 3, &error));
  EXPECT_FALSE(platform::readWholeFile(dir.path(), text, 100, &error));
  EXPECT_FALSE(platform::readWholeFile("NUL", text, 100, &error));
}

TEST(WinFileInfo, FactsOfFilesFoldersAndNames) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string a = dir.file("a.tsv");
  writeBytes(a, "12345");
  const platform::PathFacts f = platform::FactsOf(a);
  EXPECT_TRUE(f.exists && f.regular && !f.folder);
  EXPECT_EQ(f.size, 5);
  EXPECT_TRUE(platform::FactsOf(dir.path()).folder);
  EXPECT_FALSE(platform::FactsOf(dir.file("none")).exists);
  // Two spellings of one file are one file.
  EXPECT_TRUE(platform::SameExistingFile(a, dir.path() + "\\a.tsv"));
  EXPECT_FALSE(platform::SameExistingFile(a, dir.file("none")));
  std::string why;
  EXPECT_TRUE(platform::RemoveFile(a, why)) << why;
  EXPECT_TRUE(platform::RemoveFile(a, why)) << "a file that is gone is removed";
  EXPECT_FALSE(platform::EntryExists(a));
}

TEST(WinUserDirs, FoldersOfTheAccountAndTheProgram) {
  const platform::UserDirs d = platform::CurrentUserDirs();
  EXPECT_TRUE(platform::FactsOf(d.home).folder) << d.home;
  EXPECT_TRUE(platform::FactsOf(d.configHome).folder) << d.configHome;
  EXPECT_TRUE(platform::DirectoryWritable(d.documents)) << d.documents;
  const std::string exe = platform::ProgramDir();
  EXPECT_TRUE(platform::FactsOf(exe + "\\bx_win_tests.exe").regular) << exe;
  EXPECT_FALSE(platform::DirectoryWritable(exe + "\\bx_win_tests.exe"));
}

}  // namespace
}  // namespace bx
