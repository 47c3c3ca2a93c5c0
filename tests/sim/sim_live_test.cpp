// The simulator in live mode: the drifting shadow, trigger events with their
// captured data, states on demand, regulated power and exposure, and output
// paced like a serial line.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <set>

#include "sim/options.h"
#include "sim/pacing.h"
#include "sim/records.h"
#include "sim/server.h"
#include "sim_frames.h"

namespace bx::sim::test {
namespace {

using std::chrono::milliseconds;

constexpr int64_t kNow = 1000;

// Drifts, but without noise or jitter: repeatable at a given time.
Config driftingConfig() {
  Config c = quietConfig();
  c.shadowTravel = 0.2;
  return c;
}

std::vector<uint8_t> paramsWith(const Sensor& s, int offset, uint16_t value) {
  ParamSet p = s.ramParams();
  bx::frame::put16(&p[static_cast<size_t>(offset)], value);
  return {p.begin(), p.end()};
}

TEST(SimLive, ShadowDriftsAndVideoEdgesAndLiveRecordAgree) {
  Sensor s(driftingConfig());
  std::set<int> lefts;
  for (int64_t t = 0; t <= 10000; t += 2500) {
    const auto lv = exchange(s, 0x08, 0, {}, t).payload;
    const auto video = exchange(s, 0x09, 0, {}, t).payload;
    const auto edges = exchange(s, 0x14, 0, {}, t).payload;
    const int a = u16(lv, live::kEdgeA), b = u16(lv, live::kEdgeB);
    ASSERT_EQ(u16(lv, live::kEdgeCount), 2) << t;
    ASSERT_LT(a, b);
    lefts.insert(a);
    // The edge lists say the same in units of 8 pixels.
    EXPECT_EQ(s16(edges, 2), b / 8) << t;
    EXPECT_EQ(s16(edges, 34 + 2), a / 8) << t;
    // The video is dark inside the shadow and bright outside it.
    const double step = 16384.0 / 256;
    const auto at = [&](double px) { return u16(video, 2 * static_cast<size_t>(std::clamp(px / step, 0.0, 255.0))); };
    EXPECT_LT(at((a + b) / 2.0), 100) << t;
    EXPECT_GT(at(a - 4 * step), 400) << t;
    EXPECT_GT(at(b + 4 * step), 400) << t;
  }
  // Five looks over half a drift period see the shadow in five places.
  EXPECT_EQ(lefts.size(), 5u);
  EXPECT_GT(*lefts.rbegin() - *lefts.begin(), 16384 / 10);

  Config held = quietConfig();
  held.shadowBreath = 0;
  Sensor still(held);
  EXPECT_EQ(u16(exchange(still, 0x08, 0, {}, 0).payload, live::kEdgeA),
            u16(exchange(still, 0x08, 0, {}, 5000).payload, live::kEdgeA));
}

TEST(SimLive, TriggerPeriodCountsEventsAndServesTheirCapture) {
  Config c = driftingConfig();
  c.triggerPeriodMs = 400;
  Sensor s(c);
  // Before the first event the triggered orders answer with live data.
  EXPECT_EQ(s32(exchange(s, 0x08, 1, {}, 100).payload, live::kTriggerCounter), 0);
  EXPECT_EQ(s.nextWakeMs(), 400);
  s.tick(399);
  EXPECT_EQ(s.triggerCounter(), 0u);
  s.tick(400);
  EXPECT_EQ(s.nextWakeMs(), 800);
  s.tick(800);
  EXPECT_EQ(s.triggerCounter(), 2u);

  // What the sensor saw at 800 ms, asked for much later.
  Sensor twin(driftingConfig());
  const auto liveThen = exchange(twin, 0x08, 0, {}, 800).payload;
  const auto videoThen = exchange(twin, 0x09, 0, {}, 800).payload;
  const Frame edgesThen = exchange(twin, 0x14, 0, {}, 800);

  const Frame trig = exchange(s, 0x08, 1, {}, 3000);
  EXPECT_EQ(trig.param, 1);
  EXPECT_EQ(s32(trig.payload, live::kTriggerCounter), 2);
  EXPECT_EQ(u16(trig.payload, live::kEdgeA), u16(liveThen, live::kEdgeA));
  EXPECT_EQ(u16(trig.payload, live::kInputs) & 1, 1);
  const auto now = exchange(s, 0x08, 0, {}, 3000).payload;
  EXPECT_NE(u16(now, live::kEdgeA), u16(trig.payload, live::kEdgeA));  // the shadow moved on
  EXPECT_EQ(s32(now, live::kTriggerCounter), 2);

  const Frame video = exchange(s, 0x09, 2, {}, 3000);
  EXPECT_EQ(video.param, 2);
  EXPECT_EQ(video.payload, videoThen);
  const Frame edges = exchange(s, 0x14, 1, {}, 3000);
  EXPECT_EQ(edges.payload, edgesThen.payload);
  EXPECT_EQ(edges.param, edgesThen.param);

  // A late tick still counts the events in between (1200 ... 4800 ms) and
  // keeps the period.
  s.tick(5000);
  EXPECT_EQ(s32(exchange(s, 0x08, 1, {}, 5000).payload, live::kTriggerCounter), 12);
  EXPECT_EQ(s.nextWakeMs(), 5200);
}

TEST(SimLive, ForcedStatesShowInTheLiveRecordAndTheLine) {
  Sensor s(quietConfig());
  const auto normal = exchange(s, 0x08, 0, {}, kNow).payload;
  ASSERT_EQ(s16(normal, live::kState), 0);

  s.forceState(state::kLaserOff);
  auto lv = exchange(s, 0x08, 0, {}, kNow).payload;
  EXPECT_EQ(s16(lv, live::kState), state::kLaserOff);
  EXPECT_EQ(u16(lv, live::kLaserPower), 0);
  EXPECT_EQ(u16(lv, live::kEdgeCount), 0);
  EXPECT_EQ(u16(lv, live::kVideoPeak), 0);
  EXPECT_EQ(s.laserPower(), 500);  // the set power is kept for later

  s.forceState(state::kNoEdges);
  lv = exchange(s, 0x08, 0, {}, kNow).payload;
  EXPECT_EQ(s16(lv, live::kState), state::kNoEdges);
  EXPECT_EQ(u16(lv, live::kEdgeCount), 0);
  const auto video = exchange(s, 0x09, 0, {}, kNow).payload;
  for (size_t i = 0; i < 256; i += 16) EXPECT_GT(u16(video, 2 * i), 400) << i;  // nothing in the beam
  EXPECT_EQ(u16(exchange(s, 0x14, 0, {}, kNow).payload, 0), 0);

  s.forceState(state::kDirtAlert);
  lv = exchange(s, 0x08, 0, {}, kNow).payload;
  EXPECT_EQ(s16(lv, live::kState), state::kDirtAlert);
  EXPECT_EQ(u16(lv, live::kDirtFirst), u16(normal, live::kDirtFirst) / 4);
  EXPECT_EQ(u16(lv, live::kDirtLast), u16(normal, live::kDirtLast) / 4);
  EXPECT_EQ(u16(lv, live::kEdgeA), u16(normal, live::kEdgeA));

  // Edge-count faults: one edge fewer or more than the row expects (2).
  s.forceState(state::kLoEdges);
  lv = exchange(s, 0x08, 0, {}, kNow).payload;
  EXPECT_EQ(s16(lv, live::kState), -4);
  EXPECT_EQ(u16(lv, live::kEdgeCount), 1);
  s.forceState(state::kHiEdges);
  lv = exchange(s, 0x08, 0, {}, kNow).payload;
  EXPECT_EQ(s16(lv, live::kState), -5);
  EXPECT_EQ(u16(lv, live::kEdgeCount), 3);

  // Codes and program numbers outside what a display accepts.
  s.forceState(42);
  s.forceProgramWord(7);
  lv = exchange(s, 0x08, 0, {}, kNow).payload;
  EXPECT_EQ(s16(lv, live::kState), 42);
  EXPECT_EQ(u16(lv, live::kProgram), 7);
  s.forceState(-9);
  EXPECT_EQ(s16(exchange(s, 0x08, 0, {}, kNow).payload, live::kState), -9);

  s.forceState(kNoForcedState);
  s.forceProgramWord(-1);
  EXPECT_EQ(exchange(s, 0x08, 0, {}, kNow).payload, normal);
}

TEST(SimLive, StateNamesAndLiveOptionsParse) {
  int code = 0;
  EXPECT_TRUE(parseStateName("dirt", code));
  EXPECT_EQ(code, 8);
  EXPECT_TRUE(parseStateName("teach", code));
  EXPECT_EQ(code, 2);
  EXPECT_TRUE(parseStateName("hi-edges", code));
  EXPECT_EQ(code, -5);
  EXPECT_TRUE(parseStateName("-9", code));
  EXPECT_EQ(code, -9);
  EXPECT_TRUE(parseStateName("none", code));
  EXPECT_EQ(code, kNoForcedState);
  for (const char* bad : {"", "dirty", "8x", "40000", "-"}) EXPECT_FALSE(parseStateName(bad, code)) << bad;

  Options o;
  std::string err;
  ASSERT_TRUE(parseOptions({"--still", "--state", "laser-off", "--program-word=5", "--pace-baud", "115200",
                            "--trigger-period", "250", "--shadow-period", "8"},
                           o, err))
      << err;
  EXPECT_EQ(o.config.shadowTravel, 0);
  EXPECT_EQ(o.config.shadowBreath, 0);
  EXPECT_EQ(o.config.forcedState, state::kLaserOff);
  EXPECT_EQ(o.config.forcedProgram, 5);
  EXPECT_EQ(o.config.paceBaud, 115200);
  EXPECT_EQ(o.config.triggerPeriodMs, 250);
  EXPECT_EQ(o.config.shadowPeriodS, 8);
  ASSERT_TRUE(parseOptions({}, o, err));
  EXPECT_GT(o.config.shadowTravel, 0);  // the program's shadow moves unless told not to
  EXPECT_EQ(o.config.paceBaud, 0);
  EXPECT_FALSE(parseOptions({"--state", "sleepy"}, o, err));
  EXPECT_FALSE(parseOptions({"--pace-baud", "-1"}, o, err));
  EXPECT_FALSE(parseOptions({"--program-word"}, o, err));

  // A forced state from the configuration holds from the start.
  Config c = quietConfig();
  c.forcedState = state::kTeachActive;
  Sensor s(c);
  EXPECT_EQ(s16(exchange(s, 0x08, 0, {}, kNow).payload, live::kState), state::kTeachActive);
}

TEST(SimLive, RegulatedPowerOrExposureFollowsPowerMode) {
  Config c = quietConfig();
  c.regulationSwing = 0.05;
  Sensor s(c);
  auto words = [&](uint16_t mode) {
    exchange(s, 0x01, 0, paramsWith(s, param::kPowerMode, mode));
    std::set<int> power, exposure;
    for (int64_t t = 0; t < 7000; t += 500) {
      const auto lv = exchange(s, 0x08, 0, {}, t).payload;
      power.insert(u16(lv, live::kLaserPower));
      exposure.insert(u16(lv, live::kExposure));
    }
    return std::make_pair(power, exposure);
  };
  auto [p1, e1] = words(1);
  EXPECT_GT(p1.size(), 3u);
  EXPECT_GE(*p1.begin(), 475);
  EXPECT_LE(*p1.rbegin(), 525);
  EXPECT_EQ(e1, std::set<int>{100});
  auto [p2, e2] = words(2);
  EXPECT_EQ(p2, std::set<int>{500});
  EXPECT_GT(e2.size(), 3u);
  EXPECT_GE(*e2.begin(), 95);
  EXPECT_LE(*e2.rbegin(), 105);
  auto [p0, e0] = words(0);
  EXPECT_EQ(p0, std::set<int>{500});
  EXPECT_EQ(e0, std::set<int>{100});
}

TEST(SimLive, PacerNeverLetsBytesOutBeforeTheirWireTime) {
  Pacer p;
  EXPECT_FALSE(p.active());
  p.setBaud(1000);  // 10 ms a byte
  ASSERT_TRUE(p.active());
  const auto t0 = Pacer::Clock::now();
  EXPECT_EQ(p.allowance(t0), 0u);
  EXPECT_EQ(p.allowance(t0 + milliseconds(9)), 0u);
  EXPECT_EQ(p.allowance(t0 + milliseconds(35)), 3u);
  p.sent(3);
  EXPECT_EQ(p.nextDue(), t0 + milliseconds(40));
  // A late wake-up catches up on the absolute schedule.
  EXPECT_EQ(p.allowance(t0 + milliseconds(100)), 7u);
  p.sent(7);
  // Bytes queued while the last ones are still on the wire follow them.
  p.idle();
  EXPECT_EQ(p.allowance(t0 + milliseconds(100)), 0u);
  EXPECT_EQ(p.nextDue(), t0 + milliseconds(110));
  // After a quiet line the schedule starts afresh.
  p.idle();
  EXPECT_EQ(p.allowance(t0 + milliseconds(500)), 0u);
  EXPECT_EQ(p.allowance(t0 + milliseconds(510)), 1u);
  EXPECT_EQ(p.wireTime(100), milliseconds(1000));
  EXPECT_EQ(p.batch(), 1u);
  p.setBaud(115200);
  EXPECT_GE(p.wireTime(11520), milliseconds(1000));  // rounded towards the slower line
  EXPECT_EQ(p.batch(), 11u);  // about a millisecond's worth
}

// Sends one video request on fd and reads until the whole reply is in;
// returns the reply's size and the time it took.
std::pair<size_t, std::chrono::nanoseconds> timedVideoRead(int fd) {
  const auto req = request(0x09, 0);
  std::vector<uint8_t> got;
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(write(fd, req.data(), req.size()), static_cast<ssize_t>(req.size()));
  const auto deadline = t0 + std::chrono::seconds(10);
  for (;;) {
    const auto fs = frames(got);
    if (fs.size() == 1 && fs[0].payload.size() == 512u) break;
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "reply incomplete: " << got.size() << " bytes";
      break;
    }
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, 100) <= 0) continue;
    uint8_t buf[1024];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) got.insert(got.end(), buf, buf + n);
  }
  return {got.size(), std::chrono::steady_clock::now() - t0};
}

int connectLoopback(int port) {
  const int sock = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return sock;
  close(sock);
  return -1;
}

std::chrono::nanoseconds wireTime(size_t bytes, int baud) {
  return std::chrono::nanoseconds(static_cast<int64_t>(bytes) * kBitsPerByte * 1'000'000'000LL / baud);
}

TEST(SimLive, PacedRepliesTakeAtLeastTheirWireTimeOverTcpAndPty) {
  constexpr int kBaud = 57600;  // a 521-byte reply: about 90 ms on the wire
  Config c = quietConfig();
  c.paceBaud = kBaud;
  Server server(c);
  const int port = server.startTcp(0);
  ASSERT_GT(port, 0);
  const int sock = connectLoopback(port);
  ASSERT_GE(sock, 0);
  for (int i = 0; i < 2; ++i) {  // also when the line has just been busy
    const auto [bytes, took] = timedVideoRead(sock);
    EXPECT_GT(bytes, 512u);
    EXPECT_GE(took, wireTime(bytes, kBaud)) << "TCP, reply " << i;
  }
  close(sock);

  const std::string path = server.startPty();
  ASSERT_FALSE(path.empty());
  const int tty = open(path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(tty, 0);
  termios tio{};
  ASSERT_EQ(tcgetattr(tty, &tio), 0);
  cfmakeraw(&tio);
  ASSERT_EQ(tcsetattr(tty, TCSANOW, &tio), 0);
  const auto [bytes, took] = timedVideoRead(tty);
  EXPECT_GE(took, wireTime(bytes, kBaud)) << "pty";

  // Unpaced, the same reply is not held back (no timing asserted).
  server.setPaceBaud(0);
  EXPECT_GT(timedVideoRead(tty).first, 512u);
  close(tty);
  server.stop();
}

TEST(SimLive, ServerReportsTheTriggerCounterAndForcedStates) {
  Config c = quietConfig();
  Server server(c);
  // The triggered record is the one of the moment of the event.
  server.forceState(state::kDirtAlert);
  server.forceProgramWord(3);
  server.pulseInput();
  server.pulseInput();
  EXPECT_EQ(server.triggerCounter(), 2u);
  const int port = server.startTcp(0);
  ASSERT_GT(port, 0);
  const int sock = connectLoopback(port);
  ASSERT_GE(sock, 0);
  const auto req = request(0x08, 1);
  ASSERT_EQ(write(sock, req.data(), req.size()), static_cast<ssize_t>(req.size()));
  std::vector<uint8_t> got;
  for (int tries = 0; tries < 100 && (frames(got).empty() || frames(got)[0].payload.size() < 64); ++tries) {
    pollfd pfd{sock, POLLIN, 0};
    if (poll(&pfd, 1, 100) <= 0) continue;
    uint8_t buf[256];
    const ssize_t n = read(sock, buf, sizeof buf);
    if (n > 0) got.insert(got.end(), buf, buf + n);
  }
  const auto fs = frames(got);
  ASSERT_EQ(fs.size(), 1u);
  ASSERT_EQ(fs[0].payload.size(), 64u);
  EXPECT_EQ(s32(fs[0].payload, live::kTriggerCounter), 2);
  EXPECT_EQ(s16(fs[0].payload, live::kState), state::kDirtAlert);
  EXPECT_EQ(u16(fs[0].payload, live::kProgram), 3);
  close(sock);
  server.stop();
}

}  // namespace
}  // namespace bx::sim::test
