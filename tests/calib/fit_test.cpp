// The calibration line and the save command that stores it.
#include <gtest/gtest.h>

#include "calib/fit.h"
#include "commands/commands.h"
#include "tests/link/link_fixture.h"
#include "wire/calib_record.h"
#include "wire/frame_format.h"
#include "wire/orders.h"

namespace bx {
namespace {

TEST(CalibFit, TwoPointsOnePointAndEqualPixels) {
  LineFit f;
  double x[2] = {1000, 2000}, y[2] = {5000, 9000};
  ASSERT_TRUE(FitLine(x, y, 2, f));
  EXPECT_DOUBLE_EQ(f.slope, 4.0);
  EXPECT_NEAR(f.offset, 1000.0, 1e-9);
  EXPECT_NEAR(f.mse, 0.0, 1e-9);

  // Point 2 alone: through the origin.
  double x2[2] = {0, 1500}, y2[2] = {0, 6000};
  ASSERT_TRUE(FitLine(x2, y2, 2, f));
  EXPECT_DOUBLE_EQ(f.slope, 4.0);
  EXPECT_NEAR(f.offset, 0.0, 1e-9);

  // No line through two objects of equal pixel value: the last fit stays.
  double x3[2] = {1500, 1500}, y3[2] = {5000, 6000};
  EXPECT_FALSE(FitLine(x3, y3, 2, f));
  EXPECT_DOUBLE_EQ(f.slope, 4.0);
}

TEST(CalibFit, FixedPointSlopeTruncates) {
  EXPECT_EQ(calib::slopeToFixed(4.0), 65536);
  EXPECT_EQ(calib::slopeToFixed(3.99999), 65535);
  EXPECT_EQ(calib::slopeToFixed(-3.99999), -65535);
}

class CalibSave : public test::LinkTest {};

TEST_F(CalibSave, SaveCommandCarriesSlopeAndOffsetIntoTheRecord) {
  openTcp();
  ASSERT_TRUE(CalibrationCommand(*ctx, 2, calib::slopeToFixed(4.0), 1000));
  const auto req = sim->lastRequest(order::kCalibCommand);
  EXPECT_EQ(req.param, 2);
  ASSERT_EQ(req.payload.size(), 8u);
  EXPECT_EQ(frame::gets32(req.payload.data()), 65536);
  EXPECT_EQ(frame::gets32(req.payload.data() + 4), 1000);
  const auto rec = sim->calibRecord();
  EXPECT_EQ(frame::gets32(rec.data() + 12), 65536);
  EXPECT_EQ(frame::gets32(rec.data() + 16), 1000);
}

}  // namespace
}  // namespace bx
