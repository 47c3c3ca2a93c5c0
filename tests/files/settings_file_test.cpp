#include "files/settings_file.h"

#include <gtest/gtest.h>

#include <string>

#include "temp_dir.h"

namespace bx::files {
namespace {

using testing_files::readBytes;
using testing_files::TempDir;
using testing_files::writeBytes;

AppSettings readText(const TempDir& dir, const std::string& text) {
  writeBytes(dir.file(kSettingsFileName), text);
  AppSettings s;
  EXPECT_TRUE(ReadSettingsFile(dir.file(kSettingsFileName), s));
  return s;
}

TEST(SettingsFile, MissingFileGivesDefaults) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  AppSettings s;
  s.comPort = 7;
  s.ipList = {"x"};
  EXPECT_FALSE(ReadSettingsFile(dir.file("none.ini"), s));
  EXPECT_EQ(s.linkType, 0);
  EXPECT_EQ(s.comPort, 1);
  EXPECT_EQ(s.baudIndex, 4);
  EXPECT_EQ(s.ipAddress, "");
  EXPECT_EQ(s.tcpPort, "5000");
  EXPECT_TRUE(s.ipList.empty());
  EXPECT_FALSE(s.hasMax || s.hasPosX || s.hasMmButton || s.hasLanguage);
  EXPECT_EQ(s.language, 0);
}

TEST(SettingsFile, RoundTripWritesAtMostTenAddresses) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  AppSettings s;
  s.linkType = 1;
  s.comPort = 255;
  s.baudIndex = 7;
  s.ipAddress = "10.0.0.7";
  s.tcpPort = "5001";
  for (int i = 1; i <= 15; ++i) s.ipList.push_back("192.168.1." + std::to_string(i));
  s.hasMax = true;
  s.panelMax = 0;
  s.hasPosX = s.hasPosY = s.hasWidth = s.hasHeight = true;
  s.posX = -8;
  s.posY = 20;
  s.width = 1280;
  s.height = 900;
  s.hasMmButton = true;
  s.mmButtonState = 1;
  s.maxMinState = 1;
  s.language = 1;
  std::string error;
  ASSERT_TRUE(WriteSettingsFile(dir.file(kSettingsFileName), s, &error)) << error;

  std::string text = readBytes(dir.file(kSettingsFileName));
  EXPECT_EQ(text.rfind("[CONNECTION]\r\nCOM TYPE = 1\r\nRS232 PORT = 255\r\nRS232 BAUDRATE = 7\r\n"
                       "IP ADDRESS = \"10.0.0.7\"\r\nPORT NUMBER = \"5001\"\r\n\r\n"
                       "[IP ADDRESSES]\r\nLIST ITEMS = 10\r\nIP ADDR 1 = \"192.168.1.1\"\r\n",
                       0),
            0u);
  EXPECT_NE(text.find("IP ADDR 10 = \"192.168.1.10\"\r\n\r\n[APPLICATION]\r\nPanel max = 0\r\n"), std::string::npos);
  EXPECT_EQ(text.find("IP ADDR 11"), std::string::npos);
  EXPECT_NE(text.find("Panel width  = 1280\r\nPanel height = 900\r\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("MAX/MIN State = 1\r\n\r\n[LANGUAGE]\r\nLanguage = 1\r\n\r\n"));

  // Reading and writing again gives the same file: every value came back.
  AppSettings back;
  ASSERT_TRUE(ReadSettingsFile(dir.file(kSettingsFileName), back));
  EXPECT_EQ(back.ipList.size(), 10u);
  EXPECT_TRUE(back.hasLanguage);
  ASSERT_TRUE(WriteSettingsFile(dir.file("again.ini"), back, &error)) << error;
  EXPECT_EQ(readBytes(dir.file("again.ini")), text);
}

TEST(SettingsFile, OutOfRangeConnectionValuesAreIgnored) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  for (const char* port : {"0", "256", "-1", "COM3"}) {
    AppSettings s = readText(dir, std::string("[CONNECTION]\r\nRS232 PORT = ") + port +
                                      "\r\nRS232 BAUDRATE = 8\r\nCOM TYPE = 2\r\nPORT NUMBER = \"\"\r\n");
    EXPECT_EQ(s.comPort, 1) << port;
    EXPECT_EQ(s.baudIndex, 4);
    EXPECT_EQ(s.linkType, 0);
    EXPECT_EQ(s.tcpPort, "5000");
  }
  AppSettings s = readText(dir, "[connection]\r\nrs232 port=3\r\nRS232 BAUDRATE = 0\r\nIP ADDRESS = \"" +
                                    std::string(300, '9') + "\"\r\n");
  EXPECT_EQ(s.comPort, 3);
  EXPECT_EQ(s.baudIndex, 0);
  EXPECT_EQ(s.ipAddress, std::string(kMaxIpAddressChars, '9'));
}

TEST(SettingsFile, AddressListIsCappedAndSkipsMissingEntries) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  std::string text = "[IP ADDRESSES]\r\nLIST ITEMS = 12\r\n";
  for (int k = 1; k <= 12; ++k)
    if (k != 3) text += "IP ADDR " + std::to_string(k) + " = \"h" + std::to_string(k) + "\"\r\n";
  AppSettings s = readText(dir, text);
  EXPECT_EQ(s.ipList, (std::vector<std::string>{"h1", "h2", "h4", "h5", "h6", "h7", "h8", "h9", "h10"}));

  EXPECT_TRUE(readText(dir, "[IP ADDRESSES]\r\nLIST ITEMS = -4\r\nIP ADDR 1 = \"a\"\r\n").ipList.empty());
  EXPECT_TRUE(readText(dir, "[IP ADDRESSES]\r\nIP ADDR 1 = \"a\"\r\n").ipList.empty());
}

TEST(SettingsFile, PanelPlacementNeedsBothValuesOfAPair) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  AppSettings s = readText(dir, "[APPLICATION]\r\nPanel max = 0\r\nPanel pos. x = 5\r\nPanel width = 640\r\n"
                                "Panel height = 480\r\nMAX/MIN State = 2\r\n");
  EXPECT_TRUE(s.hasMax);
  EXPECT_FALSE(s.hasPosX || s.hasPosY);
  EXPECT_TRUE(s.hasWidth && s.hasHeight);  // "Panel width" matches the tag written with a blank
  EXPECT_EQ(s.width, 640);
  EXPECT_EQ(s.maxMinState, 0);

  s = readText(dir, "[APPLICATION]\r\nPanel max = 1\r\nPanel pos. x = 5\r\nPanel pos. y = 6\r\n");
  EXPECT_TRUE(s.hasMax);
  EXPECT_EQ(s.panelMax, 1);
  EXPECT_FALSE(s.hasPosX || s.hasPosY);  // maximized: no placement

  s = readText(dir, "[APPLICATION]\r\nPanel pos. x = 5\r\nPanel pos. y = 6\r\n");
  EXPECT_FALSE(s.hasMax || s.hasPosX || s.hasPosY);
  EXPECT_FALSE(s.hasLanguage);
}

TEST(SettingsFile, FailedWriteIsReported) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  std::string error;
  AppSettings s;
  EXPECT_FALSE(WriteSettingsFile(dir.file("missing-dir/") + kSettingsFileName, s, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(WriteSettingsFile(dir.path(), s, &error));
}

}  // namespace
}  // namespace bx::files
