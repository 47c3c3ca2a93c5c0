// The order table against the simulated sensor: every order it fixes a
// reply size for is answered with that size, and a request of another size
// than the table's is refused.
#include <gtest/gtest.h>

#include <vector>

#include "link/exchange.h"
#include "tests/link/link_fixture.h"
#include "wire/orders.h"

namespace bx {
namespace {

TEST(OrderTable, CodesAreUniqueAndSortedAndNamed) {
  int n = 0;
  const order::Info* t = order::Table(n);
  ASSERT_GT(n, 20);
  for (int i = 1; i < n; ++i) EXPECT_LT(t[i - 1].code, t[i].code) << t[i].name;
  EXPECT_EQ(order::ReplySize(order::kReadRam, order::kParamSet), 96);
  EXPECT_EQ(order::ReplySize(order::kReadEeprom, order::kTeachTable), 128);
  EXPECT_EQ(order::RequestSize(order::kCalibCommand, 2), 8);
  EXPECT_EQ(order::RequestSize(order::kScope, 1), 16);
  EXPECT_EQ(order::ReplySize(0x99, 0), order::kVariable);
  EXPECT_STREQ(order::Name(0x99), "?");
  EXPECT_STREQ(order::Name(order::kEcho), "echo");
}

class OrderTableSim : public test::LinkTest {};

TEST_F(OrderTableSim, SensorAnswersEveryFixedSizeTheTableGives) {
  openTcp();
  int n = 0;
  const order::Info* t = order::Table(n);
  for (int i = 0; i < n; ++i) {
    const order::Info& e = t[i];
    // The scope start sends records on its own; the baud change would
    // matter on a serial line.
    if (e.code == order::kScope || e.code == order::kChangeBaudRate) continue;
    for (unsigned param : {0u, 1u}) {
      const int req = e.request.of(param);
      const int rep = e.reply.of(param);
      if (req == order::kVariable || rep == order::kVariable) continue;
      SCOPED_TRACE(std::string(e.name) + " parameter " + std::to_string(param));
      std::vector<uint8_t> data(static_cast<size_t>(req), 0);
      if (Exchange(*ctx, e.code, static_cast<int>(param), data.data(), static_cast<unsigned>(req)) != 1) {
        // Only a refusal of the argument is acceptable (e.g. a parameter the
        // order does not take); never a reply of another size.
        EXPECT_EQ(ctx->link.failure, LinkFailure::Refused) << ctx->status;
        continue;
      }
      EXPECT_EQ(ctx->link.hdr.order, e.code);
      EXPECT_EQ(static_cast<int>(ReplyLength(*ctx)), rep);
    }
  }
}

TEST_F(OrderTableSim, RequestOfAnotherSizeIsRefused) {
  openTcp();
  std::vector<uint8_t> short95(95, 0);
  EXPECT_EQ(Exchange(*ctx, order::kWriteRam, order::kParamSet, short95.data(), 95), -1);
  EXPECT_EQ(ctx->link.failure, LinkFailure::Refused);
  EXPECT_EQ(ctx->link.refusalParam, 3);
  EXPECT_EQ(Exchange(*ctx, order::kEcho, 0, short95.data(), 4), -1);
  EXPECT_EQ(ctx->link.refusalParam, 3);
}

}  // namespace
}  // namespace bx
