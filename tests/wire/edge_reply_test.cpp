// The edge reply's two lists decoded by name.
#include <gtest/gtest.h>

#include <vector>

#include "wire/edge_reply.h"
#include "wire/frame_format.h"

namespace bx {
namespace {

TEST(EdgeReply, BothListsAndAShortReply) {
  std::vector<uint8_t> b(68, 0);
  frame::put16(&b[0], 2);
  frame::put16(&b[2], 100);
  frame::put16(&b[4], static_cast<uint16_t>(-5));
  frame::put16(&b[32], 999);  // last slot of the positive list
  frame::put16(&b[34], 1);
  frame::put16(&b[36], 300);
  frame::put16(&b[66], 777);  // last slot of the negative list
  EdgeList pos, neg;
  edgereply::decode(b.data(), b.size(), pos, neg);
  EXPECT_EQ(pos.count, 2);
  EXPECT_EQ(pos.pos[0], 100);
  EXPECT_EQ(pos.pos[1], -5);
  EXPECT_EQ(pos.pos[15], 999);
  EXPECT_EQ(neg.count, 1);
  EXPECT_EQ(neg.pos[0], 300);
  EXPECT_EQ(neg.pos[15], 777);

  // Cut inside the negative list: what is missing reads as zero, never as
  // the lists of the previous reply.
  edgereply::decode(b.data(), 36, pos, neg);
  EXPECT_EQ(pos.pos[15], 999);
  EXPECT_EQ(neg.count, 1);
  EXPECT_EQ(neg.pos[0], 0);
  EXPECT_EQ(neg.pos[15], 0);
}

}  // namespace
}  // namespace bx
