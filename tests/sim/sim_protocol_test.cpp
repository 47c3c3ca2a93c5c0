// Request parsing and refusals of the simulated sensor.
#include <gtest/gtest.h>

#include "sim/records.h"
#include "sim_frames.h"

namespace bx::sim::test {
namespace {

std::vector<uint8_t> feedAll(Sensor& s, const std::vector<uint8_t>& bytes, int64_t now = 1000) {
  return joined(s.feed(bytes.data(), bytes.size(), now));
}

TEST(SimProtocol, AnswersTheWorkedHeaders) {
  Sensor s;
  // Echo: the reply carries the serial number (1234 = 0x04D2) as parameter.
  const std::vector<uint8_t> echo = {0x55, 0x05, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x3C};
  const auto reply = feedAll(s, echo);
  ASSERT_EQ(reply.size(), 8u);
  EXPECT_EQ(reply[0], 0x55);
  EXPECT_EQ(reply[1], 0x05);
  EXPECT_EQ(reply[2], 0xD2);
  EXPECT_EQ(reply[3], 0x04);
  EXPECT_EQ(reply[6], 0xAA);
  EXPECT_TRUE(bx::frame::headerValid(reply.data()));

  const auto fw = frames(feedAll(s, {0x55, 0x07, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x52}));
  ASSERT_EQ(fw.size(), 1u);
  EXPECT_EQ(std::string(fw[0].payload.begin(), fw[0].payload.end()), "Quellan-BX-28-K V5.45");

  const auto hw = frames(feedAll(s, {0x55, 0x0A, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x18}));
  ASSERT_EQ(hw.size(), 1u);
  EXPECT_EQ(hw[0].order, 0x0A);
  EXPECT_EQ(hw[0].payload.size(), 32u);
  EXPECT_EQ(s.requestCount(0x05), 1);
  EXPECT_EQ(s.requestCount(0x0A), 1);
}

TEST(SimProtocol, UnknownOrdersAreRefusedWithParameter1) {
  Sensor s;
  for (uint8_t order : {uint8_t{0x00}, uint8_t{0x33}, uint8_t{0xFF}}) {
    const Frame f = exchange(s, order, 0);
    EXPECT_EQ(f.order, 0) << int(order);
    EXPECT_EQ(f.param, kRefuseUnknownOrder) << int(order);
    EXPECT_EQ(f.length, 0);
  }
}

TEST(SimProtocol, CorruptRequestsAreRefusedWithParameter2AndNotCarriedOut) {
  Sensor s;
  const ParamSet before = s.ramParams();
  // A parameter write whose payload does not match its data CRC.
  std::vector<uint8_t> params(kParamSize, 0x11);
  auto req = request(0x01, 0, params);
  req[20] ^= 0x01;
  auto fs = frames(feedAll(s, req));
  ASSERT_EQ(fs.size(), 1u);
  EXPECT_EQ(fs[0].order, 0);
  EXPECT_EQ(fs[0].param, kRefuseCorrupt);
  EXPECT_EQ(s.ramParams(), before);

  // A header whose CRC does not hold.
  std::vector<uint8_t> bad = {0x55, 0x05, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x3D};
  fs = frames(feedAll(s, bad));
  ASSERT_EQ(fs.size(), 1u);
  EXPECT_EQ(fs[0].param, kRefuseCorrupt);
  EXPECT_EQ(s.corruptRequestCount(), 2);
  EXPECT_EQ(s.requestCount(0x05), 0);

  // The link is usable again straight away.
  EXPECT_EQ(exchange(s, 0x05, 0).param, 1234);
}

TEST(SimProtocol, RequestArrivingByteByByteIsAnsweredOnceComplete) {
  Sensor s;
  std::vector<uint8_t> params(s.ramParams().begin(), s.ramParams().end());
  params[0] = 0x20;  // Power 800
  params[1] = 0x03;
  const auto req = request(0x01, 0, params);
  for (size_t i = 0; i + 1 < req.size(); ++i) {
    EXPECT_TRUE(s.feed(&req[i], 1, 1000).empty()) << "byte " << i;
  }
  const auto fs = frames(joined(s.feed(&req.back(), 1, 1000)));
  ASSERT_EQ(fs.size(), 1u);
  EXPECT_EQ(fs[0].order, 0x01);
  EXPECT_EQ(bx::frame::get16(&s.ramParams()[0]), 800);
}

TEST(SimProtocol, SeveralRequestsInOneChunkAreAnsweredInOrder) {
  Sensor s;
  auto bytes = request(0x05, 0);
  const auto hw = request(0x0A, 0);
  bytes.insert(bytes.end(), hw.begin(), hw.end());
  const auto fs = frames(feedAll(s, bytes));
  ASSERT_EQ(fs.size(), 2u);
  EXPECT_EQ(fs[0].order, 0x05);
  EXPECT_EQ(fs[1].order, 0x0A);
}

TEST(SimProtocol, ResynchronisesAfterNoiseAndOversizedAnnouncements) {
  Sensor s;
  // Line noise without a sync byte is skipped silently.
  auto bytes = std::vector<uint8_t>{0x00, 0xFF, 0x13};
  auto echo = request(0x05, 0);
  bytes.insert(bytes.end(), echo.begin(), echo.end());
  auto fs = frames(feedAll(s, bytes));
  ASSERT_EQ(fs.size(), 1u);
  EXPECT_EQ(fs[0].order, 0x05);

  // A correct header announcing more than the sensor can hold is refused
  // at once instead of waiting for 5000 bytes; the next request works.
  uint8_t big[8];
  bx::frame::encodeHeader(big, 0x01, 0, nullptr, 0);
  bx::frame::put16(big + 4, 5000);
  big[7] = bx::crc8(big, 7);
  fs = frames(feedAll(s, std::vector<uint8_t>(big, big + 8)));
  ASSERT_EQ(fs.size(), 1u);
  EXPECT_EQ(fs[0].param, kRefuseCorrupt);
  EXPECT_EQ(exchange(s, 0x05, 0).order, 0x05);
}

TEST(SimProtocol, AbandonedPartialRequestIsDropped) {
  Sensor s;
  const auto echo = request(0x05, 0);
  // Half a header, then nothing for a second: the sender gave up on it.
  EXPECT_TRUE(s.feed(echo.data(), 4, 1000).empty());
  const auto fs = frames(joined(s.feed(echo.data(), echo.size(), 2000)));
  ASSERT_EQ(fs.size(), 1u);
  EXPECT_EQ(fs[0].order, 0x05);
  EXPECT_EQ(fs[0].param, 1234);
}

TEST(SimProtocol, ChannelsKeepTheirOwnParserState) {
  Sensor s;
  const auto echo = request(0x05, 0);
  EXPECT_TRUE(s.feed(kTcpChannel, echo.data(), 5, 1000).empty());
  // A whole request on the other channel is not mixed into the first one.
  auto out = s.feed(kPtyChannel, echo.data(), echo.size(), 1000);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].channel, kPtyChannel);
  out = s.feed(kTcpChannel, echo.data() + 5, echo.size() - 5, 1000);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].channel, kTcpChannel);
  EXPECT_EQ(frames(out[0].bytes)[0].param, 1234);
}

TEST(SimProtocol, RequestsWithTheWrongArgumentAreRefusedWithParameter3) {
  Sensor s;
  EXPECT_EQ(exchange(s, 0x01, 0, std::vector<uint8_t>(95, 0)).param, kRefuseArgument);  // short parameter set
  EXPECT_EQ(exchange(s, 0x02, 2).param, kRefuseArgument);                              // no such record
  EXPECT_EQ(exchange(s, 0x18, 0x8000).param, kRefuseArgument);                         // not the record page
  EXPECT_EQ(exchange(s, 0xC2, 0).param, kRefuseArgument);                              // wrong key
  EXPECT_EQ(exchange(s, 0x06, 4, std::vector<uint8_t>(32, 0)).param, kRefuseArgument);  // no row 4
  const RecordedRequest& last = s.lastRequest(0x06);
  EXPECT_TRUE(last.seen);
  EXPECT_EQ(last.param, 4);
  EXPECT_EQ(last.payload.size(), 32u);
}

}  // namespace
}  // namespace bx::sim::test
