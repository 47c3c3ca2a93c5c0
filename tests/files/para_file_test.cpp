#include "files/para_file.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

#include "temp_dir.h"

namespace bx::files {
namespace {

using testing_files::readBytes;
using testing_files::TempDir;
using testing_files::writeBytes;

struct Blocks {
  std::array<uint8_t, kParamBytes> params{};
  std::array<uint8_t, kTeachBytes> teach{};
  std::array<uint8_t, kCalibBytes> calib{};
};

Blocks filled(uint8_t seed) {
  Blocks b;
  uint8_t x = seed;
  for (auto* arr : {b.params.data(), b.teach.data(), b.calib.data()}) {
    size_t n = arr == b.params.data() ? kParamBytes : arr == b.teach.data() ? kTeachBytes : kCalibBytes;
    for (size_t i = 0; i < n; ++i) arr[i] = x = static_cast<uint8_t>(x * 37 + 11);
  }
  return b;
}

Blocks constant(uint8_t v) {
  Blocks b;
  b.params.fill(v);
  b.teach.fill(v);
  b.calib.fill(v);
  return b;
}

uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
int32_t s32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

int readText(const TempDir& dir, const std::string& text, Blocks& b) {
  writeBytes(dir.file("p.ini"), text);
  std::string error;
  return ReadParaFromIniFile(b.params.data(), b.teach.data(), b.calib.data(), dir.file("p.ini"), &error);
}

TEST(ParaFile, RoundTripRestoresEveryStoredFieldAndNothingElse) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  Blocks src = filled(3);
  std::string error;
  ASSERT_EQ(WriteParaToIniFile(src.params.data(), src.teach.data(), src.calib.data(), true, dir.file("p.ini"), &error),
            1)
      << error;

  Blocks dst = constant(0xEE);
  ASSERT_EQ(ReadParaFromIniFile(dst.params.data(), dst.teach.data(), dst.calib.data(), dir.file("p.ini"), &error), 1);

  // Video-Threshold-Mode, Track-Threshold, Dirt-Threshold and the reserved
  // bytes are not in the file; neither are the calibration record's
  // interface type and its last word.
  const std::set<size_t> paramsNotStored = {60, 61, 64, 65, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95};
  const std::set<size_t> calibNotStored = {10, 11, 30, 31};
  for (size_t i = 0; i < kParamBytes; ++i)
    EXPECT_EQ(dst.params[i], paramsNotStored.count(i) ? 0xEE : src.params[i]) << "parameter byte " << i;
  EXPECT_EQ(dst.teach, src.teach);
  for (size_t i = 0; i < kCalibBytes; ++i)
    EXPECT_EQ(dst.calib[i], calibNotStored.count(i) ? 0xEE : src.calib[i]) << "calibration byte " << i;
}

TEST(ParaFile, WrittenLayoutKeepsTheTagSpellings) {
  Blocks b{};
  b.params[50] = 2;                        // CCD-Operation-Mode
  b.calib[0] = 0x3F, b.calib[1] = 0x47, b.calib[2] = 0x0C;  // 804671
  b.calib[16] = 0xDC, b.calib[17] = 0x05;  // UM-OFFSET 1500
  b.calib[20] = 0xFF, b.calib[21] = 0xFF, b.calib[22] = 0xFF, b.calib[23] = 0xFF;  // UM-RANGE -1
  ini::Document doc;
  PutIniParaTags(doc, b.params.data(), b.teach.data(), b.calib.data(), true);
  std::string text = ini::serialize(doc);
  EXPECT_EQ(text.rfind("[PARAMETER]\r\nPower = 0\r\nIntegration-Time = 0\r\nPower-Mode = 0\r\nVideo-Threshold = 0\r\n", 0),
            0u);
  EXPECT_NE(text.find("Digital-Out-Mode = 0\r\nCCD-Operation-Mode = 2\r\nAnalog-Out-Mode"), std::string::npos);
  EXPECT_NE(text.find("Hardware-Mode = 0\r\nDirt-Detect-Mode = 0\r\n\r\n[TEACH-ROW0]\r\nedge-idxA = 0\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("[CALIBDATA]\r\nHW-TYPE: = 804671\r\nSER-NO: = 0\r\nXF-DIVISOR: = 0\r\nXF-SIZE: = 0\r\n"
                      "UM-OFFSET: = 1500\r\nUMSLOPE_x16384: = 0\r\nUM-RANGE: = -1\r\nXF-LOOKUP: = 0\r\n"
                      "PIXEL-START: = 0\r\nPIXEL-END: = 0\r\n\r\n"),
            std::string::npos);
  // The unsigned 32-bit field stays unsigned where long has 32 bits too.
  b.calib[0] = b.calib[1] = b.calib[2] = b.calib[3] = 0xFF;
  ini::Document all;
  PutIniParaTags(all, b.params.data(), b.teach.data(), b.calib.data(), true);
  EXPECT_NE(ini::serialize(all).find("[CALIBDATA]\r\nHW-TYPE: = 4294967295\r\n"), std::string::npos);
}

TEST(ParaFile, OlderSpellingsLoadAndTheWrittenSpellingWins) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  Blocks b{};
  ASSERT_EQ(readText(dir,
                     "[parameter]\r\nccd-op-mode=3\r\n"
                     "[CALIBDATA]\r\nUMOFFSET: = 1500\r\nUMRANGE: = -20000\r\n",
                     b),
            1);
  EXPECT_EQ(u16(&b.params[50]), 3);
  EXPECT_EQ(s32(&b.calib[16]), 1500);
  EXPECT_EQ(s32(&b.calib[20]), -20000);

  ASSERT_EQ(readText(dir,
                     "[PARAMETER]\r\nCCD-OP-Mode = 1\r\nCCD-Operation-Mode = 2\r\n"
                     "[CALIBDATA]\r\nUMOFFSET: = 7\r\nUM-OFFSET: = 8\r\nUM-RANGE: =\r\nUMRANGE: = 9\r\n",
                     b),
            1);
  EXPECT_EQ(u16(&b.params[50]), 2);
  EXPECT_EQ(s32(&b.calib[16]), 8);
  EXPECT_EQ(s32(&b.calib[20]), 9);  // the written spelling is empty, so the other one counts
}

TEST(ParaFile, SignedEdgeIndicesTruncationAndInvalidValues) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  Blocks b = constant(0x11);
  ASSERT_EQ(readText(dir,
                     "[TEACH-ROW2]\r\nedge-idxA = -1\r\nUM-TEACH = -5\r\n"
                     "[PARAMETER]\r\nPower = 70000\r\nIntegration-Time = -1\r\nUM-BEGIN = 4294967297\r\n"
                     "Eval-Mode = abc\r\nEval-Begin =\r\n",
                     b),
            1);
  EXPECT_EQ(u16(&b.teach[64]), 0xFFFF);
  EXPECT_EQ(s32(&b.teach[64 + 20]), -5);
  EXPECT_EQ(u16(&b.params[0]), 4464);
  EXPECT_EQ(u16(&b.params[2]), 0xFFFF);
  EXPECT_EQ(s32(&b.params[24]), 1);
  EXPECT_EQ(u16(&b.params[8]), 0x1111);   // not a number
  EXPECT_EQ(u16(&b.params[14]), 0x1111);  // empty
  EXPECT_EQ(u16(&b.teach[0]), 0x1111);    // other rows untouched

  ini::Document doc;
  PutIniParaTags(doc, b.params.data(), b.teach.data(), b.calib.data(), false);
  long long v = 0;
  EXPECT_TRUE(doc.getInt("TEACH-ROW2", "edge-idxA", v));
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(doc.getInt("PARAMETER", "Integration-Time", v));
  EXPECT_EQ(v, 65535);  // other 16-bit fields are unsigned
}

TEST(ParaFile, LockedCalibrationIsNotWrittenButAlwaysRead) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  Blocks src = filled(9);
  std::string error;
  ASSERT_EQ(
      WriteParaToIniFile(src.params.data(), src.teach.data(), src.calib.data(), false, dir.file("p.ini"), &error), 1);
  std::string text = readBytes(dir.file("p.ini"));
  EXPECT_EQ(text.find("CALIBDATA"), std::string::npos);
  size_t last = text.rfind("\r\n[");
  ASSERT_NE(last, std::string::npos);
  EXPECT_EQ(text.compare(last + 2, 12, "[TEACH-ROW3]"), 0);
  long lastValue = static_cast<int32_t>(s32(&src.teach[96 + 28]));
  EXPECT_TRUE(text.ends_with("\r\nUM-TOLLO = " + std::to_string(lastValue) + "\r\n\r\n")) << text.substr(last);
  EXPECT_FALSE(text.ends_with("\r\n\r\n\r\n"));

  Blocks b = constant(0);
  ASSERT_EQ(readText(dir, "[CALIBDATA]\r\nSER-NO: = 4711\r\n", b), 1);
  EXPECT_EQ(u16(&b.calib[4]), 4711);
}

TEST(ParaFile, FailuresAreReportedAndChangeNothing) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  Blocks b = filled(5);
  Blocks before = b;
  std::string error;
  EXPECT_EQ(ReadParaFromIniFile(b.params.data(), b.teach.data(), b.calib.data(), dir.file("none.ini"), &error), -1);
  EXPECT_FALSE(error.empty());
  writeBytes(dir.file("wide.ini"), std::string("\xff\xfe[\0P\0", 6));
  EXPECT_EQ(ReadParaFromIniFile(b.params.data(), b.teach.data(), b.calib.data(), dir.file("wide.ini"), &error), -1);
  EXPECT_EQ(b.params, before.params);
  EXPECT_EQ(b.teach, before.teach);
  EXPECT_EQ(b.calib, before.calib);

  error.clear();
  EXPECT_EQ(WriteParaToIniFile(b.params.data(), b.teach.data(), b.calib.data(), true, dir.path(), &error), -1);
  EXPECT_FALSE(error.empty());
}

TEST(ParaFile, AFileWithNothingToReadIsNotReadAndChangesNothing) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string nothing[] = {
      "",                                                              // empty
      std::string("\x7f" "ELF\x02\x01\0\0[\0=\x90\xff", 14),             // binary
      "[CONNECTION]\r\nCOM TYPE = 1\r\n[LANGUAGE]\r\nLanguage = 1\r\n",  // another INI file
      "Power = 5\r\nAverage = 8\r\n",                                  // items outside any section
      "[PARAMETER]\r\nPower = abc\r\nAverage =\r\nEval-Mode = 0x10\r\n",  // nothing numeric
      "[TEACH-ROW4]\r\nedge-idxA = 1\r\n",                             // no such row
  };
  for (const std::string& text : nothing) {
    SCOPED_TRACE(text);
    Blocks b = filled(9);
    const Blocks before = b;
    writeBytes(dir.file("n.ini"), text);
    std::string error;
    EXPECT_EQ(ReadParaFromIniFile(b.params.data(), b.teach.data(), b.calib.data(), dir.file("n.ini"), &error), -1);
    EXPECT_NE(error.find("n.ini"), std::string::npos) << error;
    EXPECT_EQ(b.params, before.params);
    EXPECT_EQ(b.teach, before.teach);
    EXPECT_EQ(b.calib, before.calib);
  }

  // One usable item is enough, wherever it stands.
  Blocks b = constant(0);
  EXPECT_EQ(readText(dir, "[OTHER]\r\nx = 1\r\n[teach-row3]\r\nNot-used = 7\r\n", b), 1);
  EXPECT_EQ(u16(&b.teach[3 * kTeachRowBytes + 18]), 7);
}

}  // namespace
}  // namespace bx::files
