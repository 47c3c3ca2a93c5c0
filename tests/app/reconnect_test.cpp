// A new link shows nothing of the sensor before it: after a reconnect the
// video and teach graphs hold no frame of the previous sensor.
#include <gtest/gtest.h>

#include "app/app_fixture.h"
#include "link/transport.h"
#include "connection/bringup.h"
#include "live/display.h"
#include "params/teach_graphs.h"
#include "sim/server.h"

namespace bx {
namespace {

using testing_app::App;
using testing_app::tcpSettings;

constexpr uint16_t kOldFrame = 777;  // no simulated profile holds it

bool showsOldFrame(const Context& ctx, ui::CtlRef g) {
  for (const auto& plot : ctx.ui.at(g).graph.plots)
    for (double y : plot.y)
      if (y == kOldFrame) return true;
  return false;
}

TEST(Reconnect, GraphsForgetThePreviousSensor) {
  sim::Server sensor;
  const int port = sensor.startTcp(0);
  ASSERT_GT(port, 0);
  App app;
  app.dir.write("BX-SCOPE.ini", tcpSettings(port));
  ASSERT_EQ(app.startOnline(), 0);
  auto& c = *app.ctx;
  ASSERT_TRUE(TcpOpen(c.link));

  // The last frame of the sensor as it was drawn.
  c.live.video.fill(kOldFrame);
  c.live.thresholdProfile.fill(kOldFrame);
  PlotVIDEOCurve(c, 0);
  PlotTeachRowGraph(c, 0);
  const ui::CtlRef video = c.refs.display.videoGraph, teach = c.refs.display.teachGraph;
  ASSERT_TRUE(showsOldFrame(c, video));
  ASSERT_TRUE(showsOldFrame(c, teach));

  // Connected again (the same address, as after Disconnect and Try to
  // connect): whatever bring-up draws comes from the new link.
  EXPECT_EQ(ConnectProcedure(c), 1);
  EXPECT_FALSE(showsOldFrame(c, video));
  EXPECT_FALSE(showsOldFrame(c, teach));
  // A redraw before the first new frame shows no old one either.
  PlotTeachRowGraph(c, 0);
  PlotVIDEOCurve(c, 0);
  EXPECT_FALSE(showsOldFrame(c, video));
  EXPECT_FALSE(showsOldFrame(c, teach));

  // A failed attempt forgets it as well.
  c.live.video.fill(kOldFrame);
  PlotVIDEOCurve(c, 0);
  sensor.stop();
  EXPECT_NE(ConnectProcedure(c), 1);
  EXPECT_FALSE(showsOldFrame(c, video));
}

}  // namespace
}  // namespace bx
