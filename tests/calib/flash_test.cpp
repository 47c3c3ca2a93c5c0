// The flash commands and the lookup-table write against the simulator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calib/flash.h"
#include "calib/lookup_write.h"
#include "live/pending.h"
#include "tests/link/link_fixture.h"
#include "wire/orders.h"

namespace bx {
namespace {

class Flash : public test::LinkTest {
 protected:
  void SetUp() override {
    test::LinkTest::SetUp();
    openTcp();
    ctx->link.replyTimeout = 0.2;
    ctx->link.tcpTimeoutMs = 500;
    ctx->calib.lookupStopWait = 0;
    ctx->calib.lookupBlockWait = 0;
  }

  void fillLookup() {
    for (size_t i = 0; i < ctx->calib.lookup.size(); ++i)
      ctx->calib.lookup[i] = static_cast<uint8_t>((i * 7 + i / 512) & 0xFF);
  }
};

TEST_F(Flash, AddressChecksSendNothingOutsideTheAreas) {
  std::vector<uint8_t> data(600, 0x5A);
  EXPECT_EQ(WriteXFLASH(*ctx, 0x7FFF, data.data(), 16), -2);
  EXPECT_EQ(ctx->status, "XFLASH write-error -2:address out of range!");
  EXPECT_EQ(WriteXFLASH(*ctx, 0xC000, data.data(), 16), -2);
  EXPECT_EQ(sim->requestCount(order::kXFlashWrite), 0);
  EXPECT_EQ(WriteXFLASH(*ctx, 0x8000, data.data(), 16), 1);
  EXPECT_EQ(ctx->status, "Write XFLASH OK Addr=0x8000");
  EXPECT_EQ(WriteXFLASH(*ctx, 0xBFFF, data.data(), 2), 1);
  EXPECT_EQ(sim->requestCount(order::kXFlashWrite), 2);

  EXPECT_EQ(WritePFLASH(*ctx, 0xAFFF, data.data(), 16), -2);
  EXPECT_EQ(WritePFLASH(*ctx, 0xD000, data.data(), 16), -2);
  EXPECT_EQ(ctx->status, "PFLASH lookup-table write-error -2:" + std::string(26, ' ') + "address out of range!");
  EXPECT_EQ(sim->requestCount(order::kWritePFlash), 0);
  // Larger blocks are cut to 512 bytes.
  EXPECT_EQ(WritePFLASH(*ctx, 0xB000, data.data(), 600), 1);
  EXPECT_EQ(sim->lastRequest(order::kWritePFlash).payload.size(), 512u);
  EXPECT_EQ(ctx->status, "Write to PFLASH OK Addr=0xb000");

  EXPECT_EQ(ClearXFLASHpage(*ctx, 0x8401), -1);
  EXPECT_EQ(sim->requestCount(order::kXFlashErase), 0);
  EXPECT_EQ(ClearXFLASHpage(*ctx, 0x9C00), 0);
  EXPECT_EQ(ctx->status, "Erase XFLASH-PAGE7 -> Ok!");
}

TEST_F(Flash, ReadXflashAsksForWordsAndCopiesWhatWasWritten) {
  std::vector<uint8_t> data(512);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(255 - i % 256);
  ASSERT_EQ(WriteXFLASH(*ctx, 0x8800, data.data(), 512), 1);
  std::vector<uint8_t> back(600, 0);
  ASSERT_EQ(ReadXFLASH(*ctx, 0x8800, back.data(), 600), 1) << ctx->status;
  const auto req = sim->lastRequest(order::kXFlashRead);
  ASSERT_EQ(req.payload.size(), 2u);
  EXPECT_EQ(req.payload[0] | req.payload[1] << 8, 256);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin()));
  EXPECT_EQ(back[512], 0);  // only what was asked for
  EXPECT_EQ(ctx->status, "Read XFLASH-ADDR: 0x8800 ... Bytes OK: 512");

  sim->setFault(sim::Fault::NoReply, 1);
  EXPECT_EQ(ReadXFLASH(*ctx, 0x8800, back.data(), 8), 0);
  EXPECT_EQ(ctx->status, "XFlash-Read-Error:" + std::string(43, ' ') + "Timeout TCP-Server-error!");
}

TEST_F(Flash, LookupTableOfTheLargestSensorReadsBackByteForByte) {
  fillLookup();
  ctx->ident.hw.hwType = 802776;
  ctx->calib.pflashArea = 1;
  ASSERT_EQ(WriteLookupTable(*ctx), 1);
  EXPECT_EQ(ctx->status, "Writing to PFLASH finished successfully!");
  EXPECT_EQ(sim->requestCount(order::kWritePFlash), 16);
  EXPECT_EQ(sim->lastRequest(order::kWritePFlash).param, 0xBF00);
  const auto back = sim->pflash(0xB000, 8192);
  ASSERT_EQ(back.size(), 8192u);
  EXPECT_TRUE(std::equal(back.begin(), back.end(), ctx->calib.lookup.begin()));
}

TEST_F(Flash, BlockCountsAndBases) {
  EXPECT_EQ(LookupBlockCount(803045), 4);
  EXPECT_EQ(LookupBlockCount(803423), 8);
  EXPECT_EQ(LookupBlockCount(802984), 10);
  EXPECT_EQ(LookupBlockCount(803047), 12);
  EXPECT_EQ(LookupBlockCount(802776), 16);
  EXPECT_EQ(LookupBlockCount(802777), 0);
  EXPECT_EQ(LookupBaseAddress(1), 0xB000);
  EXPECT_EQ(LookupBaseAddress(0), 0xC000);
  EXPECT_EQ(LookupBaseAddress(2), 0xC000);

  fillLookup();
  ctx->ident.hw.hwType = 803045;
  ctx->calib.pflashArea = 0;
  ASSERT_EQ(WriteLookupTable(*ctx), 1);
  EXPECT_EQ(sim->lastRequest(order::kWritePFlash).param, 0xC300);
  const auto back = sim->pflash(0xC000, 2048);
  EXPECT_TRUE(std::equal(back.begin(), back.end(), ctx->calib.lookup.begin()));
}

TEST_F(Flash, FailedBlocksAreNamedEvenWhenTheLastSucceeds) {
  fillLookup();
  ctx->ident.hw.hwType = 803045;
  ctx->calib.pflashArea = 1;
  sim::FaultRule r;
  r.fault = sim::Fault::NoReply;
  r.order = order::kWritePFlash;
  r.param = 0xB100;
  sim->setFault(r);
  EXPECT_EQ(WriteLookupTable(*ctx), -1);
  EXPECT_EQ(sim->requestCount(order::kWritePFlash), 4);  // the others still sent
  EXPECT_EQ(ctx->status, "Writing to PFLASH failed at block(s): 0xb100 !");
}

// The table's write reports its blocks as it goes, and a cancel stops it
// before the next block with a status that says the table is incomplete.
TEST_F(Flash, LookupWriteReportsItsBlocksAndStopsOnCancel) {
  fillLookup();
  ctx->ident.hw.hwType = 803045;  // four blocks
  ctx->calib.pflashArea = 1;
  struct Seen {
    std::string what;
    int done, total;
    bool active;
  };
  static std::vector<Seen> seen;
  static int cancelAt = 0;
  seen.clear();
  cancelAt = 0;
  ctx->report.progress = [](Context& c) {
    const Progress& p = c.progress;
    seen.push_back({p.what, p.done, p.total, p.active});
    if (cancelAt > 0 && p.done == cancelAt) CancelProgress(c);
  };
  ASSERT_EQ(WriteLookupTable(*ctx), 1);
  std::vector<int> done;
  for (const Seen& s : seen) {
    if (!s.active) continue;
    EXPECT_EQ(s.what, "Writing the lookup table: block");
    EXPECT_EQ(s.total, 4);
    if (done.empty() || done.back() != s.done) done.push_back(s.done);
  }
  EXPECT_EQ(done, (std::vector<int>{0, 1, 2, 3, 4}));
  ASSERT_FALSE(seen.empty());
  EXPECT_FALSE(seen.back().active);

  seen.clear();
  cancelAt = 2;
  const int before = sim->requestCount(order::kWritePFlash);
  EXPECT_EQ(WriteLookupTable(*ctx), -1);
  EXPECT_EQ(sim->requestCount(order::kWritePFlash) - before, 2);
  EXPECT_EQ(ctx->status, "Writing to PFLASH cancelled after block 2 of 4 - the lookup table is incomplete!");
  EXPECT_EQ(ctx->link.abort, 0);  // the next operation is not aborted
  EXPECT_FALSE(ctx->progress.active);
  EXPECT_EQ(WritePFLASH(*ctx, 0xB000, ctx->calib.lookup.data(), 512), 1);
}

TEST_F(Flash, UnknownHardwareTypeSaysSoAndSendsNothing) {
  ctx->ident.hw.hwType = 123456;
  EXPECT_EQ(WriteLookupTable(*ctx), -1);
  EXPECT_EQ(ctx->status, "No lookup table for this sensor's hardware type - nothing written!");
  EXPECT_EQ(sim->requestCount(order::kWritePFlash), 0);
}

TEST_F(Flash, WritesWhileRunningWaitForTheLoopsNextPass) {
  fillLookup();
  ctx->ident.hw.hwType = 803045;
  ctx->calib.pflashArea = 1;
  ctx->run.state = RUN_LOOP;
  RequestLookupWrite(*ctx);
  RequestCalibRecordWrite(*ctx);
  EXPECT_EQ(sim->requestCount(order::kWritePFlash), 0);
  EXPECT_EQ(sim->requestCount(order::kWriteCalibRecord), 0);
  ServePendingRequests(*ctx);
  EXPECT_EQ(sim->requestCount(order::kWritePFlash), 4);
  EXPECT_EQ(sim->requestCount(order::kWriteCalibRecord), 1);
  EXPECT_EQ(ctx->run.state, RUN_IDLE);  // the table goes in with the run stopped

  // Idle: at once.
  RequestLookupWrite(*ctx);
  EXPECT_EQ(sim->requestCount(order::kWritePFlash), 8);
}

}  // namespace
}  // namespace bx
