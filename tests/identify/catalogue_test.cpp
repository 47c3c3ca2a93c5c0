// The model catalogue, the firmware gate and the fixed-point slope.
#include <gtest/gtest.h>

#include "commands/commands.h"
#include "identify/catalogue.h"
#include "identify/gate.h"
#include "live/state.h"
#include "support/use_language.h"
#include "wire/calib_record.h"

namespace bx {
namespace {

TEST(Catalogue, GroupsAndTwins) {
  auto e = catalogue::lookup(402142, 803756);
  EXPECT_EQ(e.designation, "Quellan-BX-16-K-P");
  EXPECT_EQ(e.displayPrecision, 3);
  EXPECT_EQ(catalogue::speedChoices(e.group).size(), 3u);

  e = catalogue::lookup(402072, 803218);
  EXPECT_EQ(e.designation, "Tarnis-T2-73");
  EXPECT_DOUBLE_EQ(e.workingRangeMm, 73.152);
  EXPECT_EQ(catalogue::speedChoices(e.group).size(), 2u);
  EXPECT_EQ(testing_lang::Texts(1).message(e.lines[1]), "Arbeitsbereich = 73.152mm");

  e = catalogue::lookup(999999, 803509);
  EXPECT_EQ(e.designation, "UNKNOWN");
  EXPECT_DOUBLE_EQ(e.workingRangeMm, 100.0);
  EXPECT_EQ(catalogue::videoFullScale(e.group, 256), 1024);

  EXPECT_EQ(catalogue::lookup(402059, 822001).outputConfig, 4);
  EXPECT_EQ(catalogue::lookup(402059, 802811).outputConfig, 3);
  EXPECT_EQ(testing_lang::Texts(1).message(catalogue::lookup(402059, 822001).lines[0]), "Subpixel       = 4096");

  // The second brand's types take their twins' defaults, banner included.
  auto twin = catalogue::defaultsFor(803218);
  auto orig = catalogue::defaultsFor(802984);
  EXPECT_TRUE(twin.known);
  EXPECT_EQ(twin.banner, "Quellan-BX-75-K");
  EXPECT_EQ(twin.umTeach, orig.umTeach);
  EXPECT_FALSE(catalogue::defaultsFor(123456).known);
}

TEST(Catalogue, SubPixelFactors) {
  int count = 0;
  EXPECT_EQ(catalogue::subPixelFactor(3584, count), 16);
  EXPECT_EQ(count, 3584);
  EXPECT_EQ(catalogue::subPixelFactor(9216, count), 40);
  EXPECT_EQ(catalogue::subPixelFactor(19968, count), 78);
  EXPECT_EQ(catalogue::subPixelFactor(5000, count), 4);
  EXPECT_EQ(count, 1024);
}

TEST(FirmwareGate, EveryRowForBothFamilies) {
  struct Row {
    int v;
    bool refuse;
    const char* bxStatus;
    const char* tnStatus;
  };
  const Row rows[] = {
      {499, true, "Please use Quellan-BX-Scope Version 4.x !", "Please use Tarnis-T1-TOOL-Scope Version 4.x !"},
      {500, true, "Please use Quellan-BX-Scope software version V5.0 !",
       "Please use Tarnis-T2-TOOL-Scope software version V5.0 !"},
      {509, true, "Please use Quellan-BX-Scope software version V5.0 !",
       "Please use Tarnis-T2-TOOL-Scope software version V5.0 !"},
      {510, true, "Please use Quellan-BX-Scope software version V5.1 !",
       "Please use Tarnis-T2-Tool-Scope software version V5.1 !"},
      {511, false, "", ""},
      {512, true, "Please use Quellan-BX-Scope software version V5.1 !",
       "Please use Tarnis-T2-Tool-Scope software version V5.1 !"},
      {525, false, "Please use Quellan-BX-Scope software version V5.2 !",
       "Please use Tarnis-T2-Tool-Scope software version V5.2 !"},
      {539, true, "Please use Quellan-BX-Scope software version V5.3 !",
       "Please use Tarnis-T2-Tool-Scope software version V5.3 !"},
      {540, false, "", ""},
      {545, false, "", ""},
      {550, false, "", ""},
      {551, true, "Please use Quellan-BX-Scope software newer than V5.5 !",
       "Please use Tarnis-T2-Tool-Scope software newer than V5.5 !"},
  };
  for (const auto& r : rows) {
    for (bool tarnis : {false, true}) {
      SCOPED_TRACE(std::to_string(r.v) + (tarnis ? " tarnis" : " bx"));
      auto d = FirmwareGate(tarnis, r.v);
      EXPECT_EQ(d.refuse, r.refuse);
      EXPECT_EQ(d.status, tarnis ? r.tnStatus : r.bxStatus);
      EXPECT_EQ(d.message.empty(), d.status.empty());
      EXPECT_EQ(d.showDistancePage, r.v != 540);
    }
  }
}

TEST(FixedPointSlope, TruncatesTowardZeroAndShowsFiveDecimals) {
  EXPECT_EQ(calib::slopeToFixed(3.99999), 65535);
  EXPECT_EQ(calib::slopeToFixed(4.0), 65536);
  EXPECT_EQ(calib::slopeToFixed(-1.00001), -16384);
  EXPECT_DOUBLE_EQ(calib::slopeFromFixed(163840), 10.0);
  EXPECT_DOUBLE_EQ(calib::slopeFromFixed(16383), 0.99994);
}

TEST(EdgeMerge, ListWhoseFirstEdgeLiesFurtherLeftComesFirst) {
  EdgeList p, n;
  for (int i = 0; i < 16; ++i) {
    p.pos[static_cast<size_t>(i)] = static_cast<int16_t>(120 + i);
    n.pos[static_cast<size_t>(i)] = static_cast<int16_t>(118 + i);
  }
  int16_t out[32];
  MergeEdges(p, n, out);
  EXPECT_EQ(out[0], 118);
  EXPECT_EQ(out[1], 120);
  EXPECT_EQ(out[31], 135);
  n.pos[0] = 120;  // a tie merges P first
  MergeEdges(p, n, out);
  EXPECT_EQ(out[0], 120);
  EXPECT_EQ(out[1], 120);
  EXPECT_EQ(out[2], 121);
  p.pos[0] = -5;  // signed comparison
  n.pos[0] = 3;
  MergeEdges(p, n, out);
  EXPECT_EQ(out[0], -5);
}

}  // namespace
}  // namespace bx
