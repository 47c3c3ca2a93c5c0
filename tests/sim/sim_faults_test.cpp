// Fault injection of the simulated sensor and the bx-sim command line.
#include <gtest/gtest.h>

#include "sim/options.h"
#include "sim/records.h"
#include "sim_frames.h"

namespace bx::sim::test {
namespace {

std::vector<Output> ask(Sensor& s, uint8_t order, int64_t now = 1000, uint16_t param = 0) {
  const auto req = request(order, param);
  return s.feed(req.data(), req.size(), now);
}

TEST(SimFaults, CountedFaultsWearOffPersistentOnesStay) {
  Sensor s;
  s.faults().set({Fault::Refuse, 2, 2});
  EXPECT_EQ(frames(joined(ask(s, 0x05)))[0].param, kRefuseCorrupt);
  EXPECT_EQ(frames(joined(ask(s, 0x05)))[0].param, kRefuseCorrupt);
  EXPECT_EQ(frames(joined(ask(s, 0x05)))[0].param, 1234);

  s.faults().set({Fault::NoReply, kPersistent, 0});
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(ask(s, 0x05).empty());
  s.faults().clear();
  EXPECT_EQ(ask(s, 0x05).size(), 1u);
}

TEST(SimFaults, RefusedRequestIsNotCarriedOut) {
  Sensor s;
  s.faults().set({Fault::Refuse, 1, 3});
  std::vector<uint8_t> params(s.ramParams().begin(), s.ramParams().end());
  params[0] = 0;
  const Frame f = exchange(s, 0x01, 0, params);
  EXPECT_EQ(f.order, 0);
  EXPECT_EQ(f.param, 3);
  EXPECT_EQ(bx::frame::get16(&s.ramParams()[0]), 500);
}

TEST(SimFaults, CorruptedFieldsFailExactlyTheirOwnCheck) {
  Sensor s;
  s.faults().set({Fault::BadHeaderCrc, 1, 0});
  auto f = frames(joined(ask(s, 0x0A)));
  EXPECT_FALSE(f[0].headerOk);

  s.faults().set({Fault::WrongSync, 1, 0});
  const auto sync = joined(ask(s, 0x0A));
  EXPECT_NE(sync[0], 0x55);
  EXPECT_EQ(bx::crc8(sync.data(), 8), 0);  // the CRC alone would pass

  s.faults().set({Fault::BadDataCrc, 1, 0});
  f = frames(joined(ask(s, 0x0A)));
  EXPECT_TRUE(f[0].headerOk);
  EXPECT_FALSE(f[0].dataOk);
  EXPECT_EQ(f[0].payload.size(), 32u);

  s.faults().set({Fault::OversizedLength, 1, 5000});
  const auto big = joined(ask(s, 0x0A));
  EXPECT_TRUE(bx::frame::headerValid(big.data()));
  EXPECT_EQ(bx::frame::get16(&big[4]), 5000);

  s.faults().set({Fault::Garbage, 1, 40});
  const auto junk = joined(ask(s, 0x0A));
  EXPECT_EQ(junk.size(), 40u);
  EXPECT_NE(junk[0], 0x55);

  f = frames(joined(ask(s, 0x0A)));  // all used up
  EXPECT_TRUE(f[0].headerOk && f[0].dataOk);
}

TEST(SimFaults, TimingFaultsScheduleTheOutput) {
  Sensor s;
  s.faults().set({Fault::Fragment, 1, 20});
  auto out = ask(s, 0x0A, 1000);
  ASSERT_EQ(out.size(), 4u);  // header 3 + 5, payload in halves
  EXPECT_EQ(out[0].bytes.size(), 3u);
  EXPECT_EQ(out[1].bytes.size(), 5u);
  EXPECT_EQ(out[2].bytes.size() + out[3].bytes.size(), 32u);
  for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i].atMs, 1000 + 20 * static_cast<int64_t>(i));
  EXPECT_TRUE(frames(joined(out))[0].dataOk);

  s.faults().set({Fault::LateReply, 1, 2500});
  out = ask(s, 0x05, 1000);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].atMs, 3500);

  // The hardware record cut after half its payload: the rest 3000 ms
  // later, or (no time given) held for the channel's next frame.
  s.faults().set({Fault::LateRest, 1, 3000});
  out = ask(s, 0x0A, 1000);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].bytes.size(), 8u + 16u);
  EXPECT_EQ(out[1].bytes.size(), 16u);
  EXPECT_EQ(out[1].atMs, 4000);
  EXPECT_FALSE(out[1].held);
  EXPECT_TRUE(frames(joined(out))[0].dataOk);
  s.faults().set({Fault::LateRest, 1, 0});
  out = ask(s, 0x05, 1000);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].bytes.size(), 3u);  // no payload: cut in the header
  EXPECT_TRUE(out[1].held);

  s.faults().set({Fault::CloseConnection, 1, 0});
  out = ask(s, 0x05, 1000);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_TRUE(out[0].close);
  EXPECT_TRUE(out[0].bytes.empty());
}

TEST(SimFaults, OrderAndSpontaneousTargetsOnlyHitTheirFrames) {
  Sensor s(quietConfig());
  FaultRule live{Fault::BadDataCrc, 1, 0};
  live.order = 0x08;
  s.faults().set(live);
  EXPECT_TRUE(frames(joined(ask(s, 0x0A)))[0].dataOk);
  EXPECT_FALSE(frames(joined(ask(s, 0x08)))[0].dataOk);

  // Corrupt the scope record but not the acknowledgement of the arm request.
  FaultRule scope{Fault::BadHeaderCrc, 1, 0};
  scope.order = 0x6E;
  scope.spontaneous = true;
  s.faults().set(scope);
  EXPECT_TRUE(exchange(s, 0x6E, 1, std::vector<uint8_t>(16, 0), 1000).headerOk);
  const auto rec = frames(joined(s.tick(1200)));
  ASSERT_EQ(rec.size(), 1u);
  EXPECT_FALSE(rec[0].headerOk);
}

TEST(SimFaults, ParsesCommandLineFaults) {
  FaultRule f;
  ASSERT_TRUE(parseFaultRule("late=2500:1", f));
  EXPECT_EQ(f.fault, Fault::LateReply);
  EXPECT_EQ(f.arg, 2500);
  EXPECT_EQ(f.count, 1);
  ASSERT_TRUE(parseFaultRule("teach-result=-2", f));
  EXPECT_EQ(f.arg, -2);
  EXPECT_EQ(f.count, kPersistent);
  ASSERT_TRUE(parseFaultRule("data-crc:3@8", f));
  EXPECT_EQ(f.order, 8);
  EXPECT_EQ(f.count, 3);
  ASSERT_TRUE(parseFaultRule("late=2100:1@2/1", f));
  EXPECT_EQ(f.order, 2);
  EXPECT_EQ(f.param, 1);
  ASSERT_TRUE(parseFaultRule("noise=5", f));
  EXPECT_EQ(f.fault, Fault::Noise);
  EXPECT_EQ(f.param, kAnyParam);
  ASSERT_TRUE(parseFaultRule("late-rest:1@7", f));
  EXPECT_EQ(f.fault, Fault::LateRest);
  EXPECT_EQ(f.arg, 0);
  EXPECT_EQ(f.order, 7);
  ASSERT_TRUE(parseFaultRule("refuse=1:1@2/1#3", f));
  EXPECT_EQ(f.fault, Fault::Refuse);
  EXPECT_EQ(f.order, 2);
  EXPECT_EQ(f.param, 1);
  EXPECT_EQ(f.count, 1);
  EXPECT_EQ(f.skip, 2);
  ASSERT_TRUE(parseFaultRule("wrong-param=0@2/1", f));
  EXPECT_EQ(f.fault, Fault::WrongParam);
  EXPECT_EQ(f.arg, 0);
  ASSERT_TRUE(parseFaultRule("wrong-order=4:1#1", f));
  EXPECT_EQ(f.fault, Fault::WrongOrder);
  EXPECT_EQ(f.arg, 4);
  EXPECT_EQ(f.skip, 0);
  ASSERT_TRUE(parseFaultRule("duplicate@110/1", f));
  EXPECT_EQ(f.fault, Fault::Duplicate);
  for (const char* bad : {"", "nonsense", "refuse=4", "late=x", "teach-result", "no-reply:0", "sync@300", "late@2/x",
                          "noise=0", "refuse#0", "refuse@2#", "refuse#x", "wrong-order", "wrong-order=256",
                          "wrong-param", "wrong-param=-1", "duplicate=2", "late-rest=-1"})
    EXPECT_FALSE(parseFaultRule(bad, f)) << bad;
}

TEST(SimFaults, NthFrameWrongFieldsAndDuplicates) {
  // #N: the first N-1 matching requests are answered well, and a fault of
  // 0 forced into a field is kept as 0.
  Sensor s(quietConfig());
  FaultRule third{Fault::WrongParam, 1, 0};
  third.order = 0x02;
  third.param = 1;
  third.skip = 2;
  s.faults().set(third);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(exchange(s, 0x02, 1).param, 1) << i;
  EXPECT_EQ(exchange(s, 0x02, 0).param, 0);  // another parameter does not count
  Frame f = exchange(s, 0x02, 1);
  EXPECT_TRUE(f.headerOk);
  EXPECT_EQ(f.param, 0);
  EXPECT_EQ(f.payload.size(), 128u);
  EXPECT_EQ(exchange(s, 0x02, 1).param, 1);  // used up

  FaultRule order{Fault::WrongOrder, 1, 4};
  order.order = 0x02;
  s.faults().set(order);
  f = exchange(s, 0x02, 0);
  EXPECT_TRUE(f.headerOk);
  EXPECT_TRUE(f.dataOk);
  EXPECT_EQ(f.order, 4);

  // A duplicated acknowledgement of the scope's arm request: the same empty
  // frame twice, and the scope armed once.
  FaultRule twice{Fault::Duplicate, 1, 0};
  twice.order = 0x6E;
  s.faults().set(twice);
  const auto req = request(0x6E, 1, std::vector<uint8_t>(16, 0));
  const auto acks = frames(joined(s.feed(req.data(), req.size(), 1000)));
  ASSERT_EQ(acks.size(), 2u);
  for (const auto& a : acks) {
    EXPECT_TRUE(a.headerOk);
    EXPECT_EQ(a.order, 0x6E);
    EXPECT_EQ(a.param, 1);
    EXPECT_EQ(a.length, 0);
  }
  EXPECT_TRUE(s.scopeArmed());
}

TEST(SimFaults, ParameterLimitedFaultHitsOnlyThatParameter) {
  FaultSet set;
  FaultRule r;
  r.fault = Fault::LateReply;
  r.order = 2;
  r.param = 1;
  r.count = 1;
  set.set(r);
  EXPECT_FALSE(set.take(2, false, 0).has(Fault::LateReply));
  EXPECT_FALSE(set.take(4, false, 1).has(Fault::LateReply));
  EXPECT_TRUE(set.take(2, false, 1).has(Fault::LateReply));
  EXPECT_FALSE(set.take(2, false, 1).has(Fault::LateReply));  // used up
}

TEST(SimOptions, BuildsTheModelAndTransports) {
  Options o;
  std::string err;
  ASSERT_TRUE(parseOptions({}, o, err));
  EXPECT_TRUE(o.tcp);
  EXPECT_EQ(o.tcpPort, 5000);
  EXPECT_FALSE(o.pty);

  ASSERT_TRUE(parseOptions({"--pty", "--hwtype", "803509", "--serial=77", "--pixels", "4096", "--calib-slope",
                            "14336", "--fw-text", "Quellan-BX-6-K V5.45", "--fault", "close:1"},
                           o, err))
      << err;
  EXPECT_TRUE(o.pty);
  EXPECT_FALSE(o.tcp);
  EXPECT_EQ(o.config.hardwareType, 803509u);
  EXPECT_EQ(o.config.calib.hardwareType, 803509u);
  EXPECT_EQ(o.config.calib.serial, 77);
  EXPECT_EQ(o.config.pixelCount, 4096);
  EXPECT_EQ(o.config.highestPixel, 4096);
  EXPECT_EQ(o.config.calib.lastPixel, 4096);
  EXPECT_EQ(o.config.calib.rangeUm, 3584);  // 4096 pixels at 0.875 µm
  EXPECT_EQ(o.config.firmwareText, "Quellan-BX-6-K V5.45");
  ASSERT_EQ(o.faults.size(), 1u);
  EXPECT_EQ(o.faults[0].fault, Fault::CloseConnection);

  ASSERT_TRUE(parseOptions({"--tcp=0", "--pty"}, o, err));
  EXPECT_TRUE(o.tcp && o.pty);
  EXPECT_EQ(o.tcpPort, 0);

  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"--tcp=70000"}, {"--serial"}, {"--pixels", "12"}, {"--board", "x"}, {"--bogus"}, {"--fault", "??"}}) {
    EXPECT_FALSE(parseOptions(bad, o, err)) << bad[0];
    EXPECT_FALSE(err.empty());
  }
}

}  // namespace
}  // namespace bx::sim::test
