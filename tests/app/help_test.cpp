// Where the help panel goes beside a control.
#include <gtest/gtest.h>

#include "app/help.h"

namespace {

TEST(HelpPlacement, BesideTheControlAndInsideTheScreen) {
  const bx::ui::Rect screen{0, 0, 1000, 700};
  // Room on the right.
  auto r = bx::PlaceBeside({100, 100, 80, 20}, 360, 160, screen);
  EXPECT_EQ(r.x, 186);
  EXPECT_EQ(r.y, 100);
  // At the right edge: on the left.
  r = bx::PlaceBeside({900, 650, 80, 20}, 360, 160, screen);
  EXPECT_EQ(r.x, 900 - 6 - 360);
  EXPECT_EQ(r.y, 700 - 160);  // slid up to stay on the screen
  // Wide: below, slid left.
  r = bx::PlaceBeside({0, 100, 1000, 40}, 360, 160, screen);
  EXPECT_EQ(r.y, 146);
  EXPECT_EQ(r.x, 0);
  // Wide at the bottom: above.
  r = bx::PlaceBeside({0, 600, 1000, 40}, 360, 160, screen);
  EXPECT_EQ(r.y, 600 - 6 - 160);
  // As large as the screen: inside it, over the top right corner.
  r = bx::PlaceBeside({0, 0, 1000, 700}, 360, 160, screen);
  EXPECT_EQ(r.x, 640);
  EXPECT_EQ(r.y, 0);
  // A screen with its origin elsewhere (a second screen, a panel above).
  r = bx::PlaceBeside({-500, -40, 80, 20}, 360, 160, bx::ui::Rect{-600, -30, 800, 600});
  EXPECT_EQ(r.x, -500 + 80 + 6);
  EXPECT_EQ(r.y, -30);
}

}  // namespace
