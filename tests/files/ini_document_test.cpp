#include "files/ini_document.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <string>

#include "temp_dir.h"

namespace bx::ini {
namespace {

using testing_files::readBytes;
using testing_files::TempDir;
using testing_files::writeBytes;

Document parsed(const std::string& text) {
  Document doc;
  std::string error;
  EXPECT_TRUE(parse(text, doc, &error)) << error;
  return doc;
}

TEST(IniDocument, WritesSectionsInFirstStoredOrderWithCrLf) {
  Document doc;
  doc.setInt("B", "one", 1);
  doc.setString("A", "text", "x");
  doc.setInt("B", "two", -2);
  doc.setInt("b", "ONE", 11);  // same item: replaced where it stood
  EXPECT_EQ(serialize(doc),
            "[B]\r\nONE = 11\r\ntwo = -2\r\n\r\n"
            "[A]\r\ntext = \"x\"\r\n\r\n");
}

TEST(IniDocument, LookupIgnoresCaseBlanksAndComments) {
  Document doc = parsed(
      "; leading comment\n"
      "[ Parameter ]  \r\n"
      "   Power=12   \r\n"
      "  ;Power = 99\r\n"
      "Eval-Mode   =   2\r\n"
      "garbage line without separator\r\n");
  long long v = 0;
  EXPECT_TRUE(doc.getInt("PARAMETER", "power", v));
  EXPECT_EQ(v, 12);
  EXPECT_TRUE(doc.getInt("parameter ", " EVAL-MODE", v));
  EXPECT_EQ(v, 2);
  EXPECT_FALSE(doc.has("PARAMETER", "garbage line without separator"));
  EXPECT_FALSE(doc.has("OTHER", "Power"));
}

TEST(IniDocument, InvalidIntegersLeaveTheTargetUnchanged) {
  Document doc = parsed(
      "[S]\r\nempty =\r\nword = abc\r\ntail = 12x\r\nfrac = 1.5\r\nquoted = \"5\"\r\n"
      "huge = 99999999999999999999999\r\nsign = -\r\nneg = -7\r\nplus = +8\r\n");
  for (const char* tag : {"empty", "word", "tail", "frac", "quoted", "huge", "sign", "missing"}) {
    long long v = 4242;
    EXPECT_FALSE(doc.getInt("S", tag, v)) << tag;
    EXPECT_EQ(v, 4242) << tag;
  }
  long long v = 0;
  EXPECT_TRUE(doc.getInt("S", "neg", v));
  EXPECT_EQ(v, -7);
  EXPECT_TRUE(doc.getInt("S", "plus", v));
  EXPECT_EQ(v, 8);
}

TEST(IniDocument, QuotingEscapesAndRoundTripsAwkwardStrings) {
  EXPECT_EQ(quoteValue("a\\b\"c\r\n\x01\x7f"), "\"a\\\\b\\\"c\\r\\n\\x01\\x7f\"");

  const std::string samples[] = {
      "",
      "  blanks kept inside quotes  ",
      "back\\slash \"quote\" = ; [x]",
      std::string("nul\0byte\ttab\x1b", 13),
      "\xe4\xf6\xfc high bytes",
      "trailing backslash\\",
  };
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  Document doc;
  for (size_t i = 0; i < std::size(samples); ++i) doc.setString("S", "v" + std::to_string(i), samples[i]);
  std::string error;
  ASSERT_TRUE(writeFile(dir.file("q.ini"), doc, &error)) << error;

  Document back;
  ASSERT_TRUE(readFile(dir.file("q.ini"), back, &error)) << error;
  for (size_t i = 0; i < std::size(samples); ++i) {
    std::string out = "unchanged";
    EXPECT_TRUE(back.getString("S", "v" + std::to_string(i), out, 1000)) << i;
    EXPECT_EQ(out, samples[i]) << i;
  }
  std::string cut;
  EXPECT_TRUE(back.getString("S", "v1", cut, 6));
  EXPECT_EQ(cut, "  blan");
}

TEST(IniDocument, UnquotedAndDamagedStringValuesAreReadLeniently) {
  Document doc = parsed("[S]\r\nplain = 192.168.0.1\r\nopen = \"no end\r\nbadhex = \"\\xZ1\"\r\nafter = \"a\" junk\r\n");
  std::string out;
  EXPECT_TRUE(doc.getString("S", "plain", out, 100));
  EXPECT_EQ(out, "192.168.0.1");
  EXPECT_TRUE(doc.getString("S", "open", out, 100));
  EXPECT_EQ(out, "no end");
  EXPECT_TRUE(doc.getString("S", "badhex", out, 100));
  EXPECT_EQ(out, "xZ1");
  EXPECT_TRUE(doc.getString("S", "after", out, 100));
  EXPECT_EQ(out, "a");
}

TEST(IniDocument, LongStringsBecomeContinuationItemsAndJoinAgain) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += static_cast<char>('a' + i % 26);
  text[85] = '"';  // an escape near a chunk border must survive

  Document doc;
  doc.setString("S", "DATA", text);
  doc.setInt("S", "after", 1);
  std::string file = serialize(doc);
  EXPECT_NE(file.find("DATA Line0001 = \""), std::string::npos);
  EXPECT_NE(file.find("DATA Line0003 = \""), std::string::npos);
  EXPECT_EQ(file.find("DATA Line0004"), std::string::npos);
  EXPECT_EQ(file.find("DATA = "), std::string::npos);

  Document back = parsed(file);
  std::string out;
  EXPECT_TRUE(back.has("s", "data"));
  EXPECT_TRUE(back.getString("s", "data", out, 10000));
  EXPECT_EQ(out, text);

  // Exactly 80 characters is still one item; replacing removes the old lines.
  back.setString("S", "DATA", std::string(80, 'z'));
  EXPECT_EQ(serialize(back), "[S]\r\nDATA = \"" + std::string(80, 'z') + "\"\r\nafter = 1\r\n\r\n");
}

TEST(IniDocument, ContinuationJoinStopsAtAGap) {
  Document doc = parsed("[S]\r\nX line0002 = \"b\"\r\nX Line0001 = \"a\"\r\nX Line0004 = \"d\"\r\n");
  std::string out;
  EXPECT_TRUE(doc.getString("S", "X", out, 100));
  EXPECT_EQ(out, "ab");
  Document gap = parsed("[S]\r\nX Line0002 = \"b\"\r\n");
  EXPECT_FALSE(gap.has("S", "X"));
  EXPECT_FALSE(gap.getString("S", "X", out, 100));
}

TEST(IniDocument, ByteOrderMarks) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  writeBytes(dir.file("utf8.ini"), "\xef\xbb\xbf[S]\r\nv = 5\r\n");
  writeBytes(dir.file("utf16.ini"), std::string("\xff\xfe[\0S\0]\0", 8));
  Document doc;
  std::string error;
  long long v = 0;
  ASSERT_TRUE(readFile(dir.file("utf8.ini"), doc, &error)) << error;
  EXPECT_TRUE(doc.getInt("S", "v", v));
  EXPECT_EQ(v, 5);
  EXPECT_FALSE(readFile(dir.file("utf16.ini"), doc, &error));
  EXPECT_TRUE(doc.sections.empty());
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(serialize(parsed("\xef\xbb\xbf[S]\r\nv = 5\r\n")).substr(0, 3), "[S]");  // never written back
}

TEST(IniDocument, HostileInputIsBounded) {
  // An over-long line is skipped; the lines around it still count.
  std::string text = "[S]\r\na = 1\r\nb = " + std::string(kMaxLineBytes + 10, '7') + "\r\nc = 3\r\n";
  Document doc = parsed(text);
  long long v = 0;
  EXPECT_TRUE(doc.getInt("S", "a", v));
  EXPECT_FALSE(doc.has("S", "b"));
  EXPECT_TRUE(doc.getInt("S", "c", v));

  std::string many = "[S]\n";
  for (size_t i = 0; i <= kMaxItems; ++i) many += "a=1\n";
  std::string error;
  EXPECT_FALSE(parse(many, doc, &error));
  EXPECT_TRUE(doc.sections.empty());

  std::mt19937 rng(1234);
  for (int round = 0; round < 200; ++round) {
    std::string junk(static_cast<size_t>(rng() % 600), '\0');
    static const char kAlphabet[] = "[]=;\"\\x\r\n a1";  // the terminating NUL is part of it
    for (char& c : junk) {
      c = kAlphabet[rng() % sizeof kAlphabet];
      if (rng() % 8 == 0) c = static_cast<char>(rng());
    }
    Document d;
    if (!parse(junk, d, nullptr)) continue;
    std::string s;
    for (const Section& sec : d.sections)
      for (const Item& item : sec.items) d.getString(sec.name, item.tag, s, 64);
    Document again = parsed(serialize(d));  // whatever was read can be written and read again
    EXPECT_EQ(serialize(again), serialize(d));
  }
}

TEST(IniDocument, UnreadableFiles) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  Document doc;
  std::string error;
  EXPECT_FALSE(readFile(dir.file("missing.ini"), doc, &error));
  EXPECT_NE(error.find("missing.ini"), std::string::npos);
  EXPECT_FALSE(readFile(dir.path(), doc, &error));  // a directory

  // Over the size cap; sparse, so the test stays fast.
  std::string big = dir.file("big.ini");
  writeBytes(big, "[S]\r\nv = 1\r\n");
  ASSERT_EQ(::truncate(big.c_str(), static_cast<off_t>(kMaxFileBytes + 1)), 0);
  EXPECT_FALSE(readFile(big, doc, &error));
  EXPECT_TRUE(doc.sections.empty());
}

}  // namespace
}  // namespace bx::ini
