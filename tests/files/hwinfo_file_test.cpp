#include "files/hwinfo_file.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "files/ini_document.h"
#include "files/para_file.h"
#include "temp_dir.h"

namespace bx::files {
namespace {

using testing_files::readBytes;
using testing_files::TempDir;
using testing_files::writeBytes;

TEST(HwInfoFile, HexDumpIsLittleEndianWordsInUpperCase) {
  std::array<uint8_t, kHwInfoBlockBytes> block{};
  block[0] = 0x34;
  block[1] = 0x12;
  block[2] = 0xAB;
  block[510] = 0x0F;
  block[511] = 0xF0;
  std::string dump = FormatHexDump(block.data());
  EXPECT_EQ(dump.size(), 1024u);
  EXPECT_EQ(dump.substr(0, 12), "123400AB0000");
  EXPECT_EQ(dump.substr(1020), "F00F");
  EXPECT_EQ(VersionText(), "Quellan-BX-Scope  Build: V5.5.0  02/Jun/2026");
}

TEST(HwInfoFile, WritesGeneralInfoDumpAndParameterSections) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  std::array<uint8_t, kHwInfoBlockBytes> block{};
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7);
  std::array<uint8_t, kParamBytes> params{};
  std::array<uint8_t, kTeachBytes> teach{};
  std::array<uint8_t, kCalibBytes> calib{};
  params[0] = 0xF4, params[1] = 0x01;  // Power 500
  teach[96] = 0xFE, teach[97] = 0xFF;  // TEACH-ROW3 edge-idxA -2
  calib[4] = 0x39, calib[5] = 0x30;

  std::string path = dir.file(kHwInfoFileName);
  writeBytes(path, "an older file that is replaced without a question");
  std::string error;
  ASSERT_EQ(WriteHardwareInfoFile(path, "FW \"BX\" 2.31\r", block.data(), params.data(), teach.data(), calib.data(),
                                  false, &error),
            1)
      << error;

  std::string text = readBytes(path);
  EXPECT_EQ(text.rfind("[GENERAL INFO]\r\nFILE TYPE:     = \"Hardware Initial File\"\r\n"
                       "SCOPE VERSION: = \"Quellan-BX-Scope  Build: V5.5.0  02/Jun/2026\"\r\n"
                       "FIRMWARE VERSION: = \"FW \\\"BX\\\" 2.31\\r\"\r\n\r\n[HARDWARE INFO]\r\nDATA Line0001 = \"",
                       0),
            0u);
  EXPECT_EQ(text.find("CALIBDATA"), std::string::npos);
  EXPECT_TRUE(text.ends_with("UM-TOLLO = 0\r\n\r\n"));
  EXPECT_EQ(text.compare(text.rfind("\r\n[") + 2, 12, "[TEACH-ROW3]"), 0);

  ini::Document doc;
  ASSERT_TRUE(ini::readFile(path, doc, &error)) << error;
  std::string dump;
  EXPECT_TRUE(doc.getString("HARDWARE INFO", "DATA", dump, 4096));
  EXPECT_EQ(dump, FormatHexDump(block.data()));
  std::array<uint8_t, kParamBytes> p{};
  std::array<uint8_t, kTeachBytes> t{};
  GetIniParaTags(doc, p.data(), t.data(), nullptr);
  EXPECT_EQ(p, params);
  EXPECT_EQ(t, teach);

  ASSERT_EQ(WriteHardwareInfoFile(path, "", block.data(), params.data(), teach.data(), calib.data(), true, &error), 1);
  ASSERT_TRUE(ini::readFile(path, doc, &error));
  long long serial = 0;
  EXPECT_TRUE(doc.getInt("CALIBDATA", "SER-NO:", serial));
  EXPECT_EQ(serial, 12345);

  EXPECT_EQ(WriteHardwareInfoFile(dir.path(), "", block.data(), params.data(), teach.data(), calib.data(), true,
                                  &error),
            -1);
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace bx::files
