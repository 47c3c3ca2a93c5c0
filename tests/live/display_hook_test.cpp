// The video refresh below live/ draws through the display hook that live/
// installs when the panels are loaded.
#include <gtest/gtest.h>

#include "commands/commands.h"
#include "tests/link/link_fixture.h"

namespace bx {
namespace {

class VideoDisplayHook : public test::LinkTest {
 protected:
  void SetUp() override {
    test::LinkTest::SetUp();
    openTcp();
  }
  const ui::GraphModel& video() { return ctx->ui.graph(ctx->refs.display.videoGraph); }
};

TEST_F(VideoDisplayHook, RefreshDrawsTheProfileItFetched) {
  ASSERT_NE(ctx->displays.videoCurve, nullptr);
  ASSERT_EQ(PushRefreshDATA(*ctx, 0), 1) << ctx->status;
  ASSERT_GE(video().plots.size(), 2u);  // profile and threshold curve first
  const auto& profile = video().plots[0];
  ASSERT_EQ(profile.y.size(), 256u);
  for (size_t i = 0; i < 256; ++i) EXPECT_EQ(profile.y[i], ctx->live.video[i]) << i;
}

TEST_F(VideoDisplayHook, WithoutAnInstalledDisplayTheRefreshStillFetches) {
  ctx->displays = DisplayHooks{};
  ctx->live.video.fill(0xFFFF);
  ASSERT_EQ(PushRefreshDATA(*ctx, 0), 1) << ctx->status;
  EXPECT_NE(ctx->live.video[0], 0xFFFF);
  EXPECT_TRUE(video().plots.empty());
}

}  // namespace
}  // namespace bx
