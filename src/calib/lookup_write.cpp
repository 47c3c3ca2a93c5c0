#include "calib/lookup_write.h"

#include <cstdio>

#include "calib/backup.h"
#include "calib/flash.h"
#include "calib/xflash_record.h"
#include "context/context.h"
#include "link/events.h"
#include "link/ownership.h"
#include "link/report.h"

namespace bx {

int LookupBlockCount(uint32_t hwType) {
  struct Row {
    uint32_t type;
    int blocks;
  };
  static constexpr Row kRows[] = {
      {803045, 4},  {802811, 8},  {803423, 8},  {803509, 10}, {803700, 10}, {803701, 10}, {803702, 10},
      {803703, 10}, {803756, 10}, {802984, 10}, {802982, 12}, {803047, 12}, {802776, 16},
  };
  for (const Row& r : kRows)
    if (r.type == hwType) return r.blocks;
  return 0;
}

uint16_t LookupBaseAddress(uint16_t areaFlag) { return areaFlag == 1 ? 0xB000 : 0xC000; }

int WriteLookupTable(Context& ctx, const StatusSink& onStatus) {
  LinkHold hold(ctx);
  auto show = [&](const std::string& text) {
    ctx.status = text;
    ShowStatus(ctx);
    if (onStatus) onStatus(ctx.status);
  };
  const int blocks = LookupBlockCount(static_cast<uint32_t>(ctx.ident.hw.hwType));
  if (blocks == 0) {
    show("No lookup table for this sensor's hardware type - nothing written!");
    return -1;
  }
  const uint16_t base = LookupBaseAddress(ctx.calib.pflashArea);
  std::string failed;
  // A cancel stops before the next block: the sensor keeps a table written
  // part-way, which the status says, and a new write starts from block 1.
  ProgressScope progress(ctx, "Writing the lookup table: block", blocks, true);
  for (int i = 0; i < blocks; ++i) {
    if (ProgressCancelled(ctx)) {
      show(Localized(ctx, "Writing to PFLASH cancelled after block %1 of %2 - the lookup table is incomplete!",
                     {std::to_string(i), std::to_string(blocks)}));
      return -1;
    }
    const auto address = static_cast<uint16_t>(base + 0x100 * i);
    char buf[80];
    std::snprintf(buf, sizeof buf, "Write to PFLASH block %d/%d Addr=0x%x ...", i + 1, blocks,
                  static_cast<unsigned>(address));
    show(buf);
    const int r = WritePFLASH(ctx, address, &ctx.calib.lookup[static_cast<size_t>(512 * i)], 512);
    if (onStatus) onStatus(ctx.status);
    if (r != 1) {
      std::snprintf(buf, sizeof buf, " 0x%x", static_cast<unsigned>(address));
      failed += buf;
    }
    StepProgress(ctx, i + 1);
    // The window repaints meanwhile; the hold refuses operator actions.
    DelayWithEventProcessing(ctx, ctx.calib.lookupBlockWait);
  }
  DelayWithEventProcessing(ctx, ctx.calib.lookupBlockWait);
  if (failed.empty()) {
    show("Writing to PFLASH finished successfully!");
    return 1;
  }
  show("Writing to PFLASH failed at block(s):" + failed + " !");
  return -1;
}

namespace {

// The table's result, as the status line shows it, in a pop-up of its own.
void popupTableResult(Context& ctx, bool ok) {
  ReportPopup(ctx, ok ? "I n f o !" : Localized(ctx, "A T T E N T I O N !"), Localized(ctx, ctx.status));
}

// The record failed: the table waits for a record that the sensor holds.
void refuseTableAfterRecord(Context& ctx) {
  ReportPopup(ctx, Localized(ctx, "A T T E N T I O N !"),
              Localized(ctx, ctx.status + "\nThe lookup table was not written!"));
}

}  // namespace

void RequestCalibWrites(Context& ctx, bool record, bool table) {
  ctx.calib.recordWriteFailed = false;
  ctx.calib.backupDue = true;
  if (LinkIdle(ctx)) {
    ctx.run.pending.set(PENDING_WRITE_CALIB, false);
    ctx.run.pending.set(PENDING_WRITE_LOOKUP, false);
    LinkHold hold(ctx);
    if (!TakeDueCalibBackup(ctx)) return;
    if (record && WriteCalibDataToXF(ctx, ctx.calib.record.bytes.data()) != 1) {
      if (table) refuseTableAfterRecord(ctx);
      return;
    }
    if (table) popupTableResult(ctx, WriteLookupTable(ctx) == 1);
    return;
  }
  if (LinkOwnedByLoop(ctx)) {
    if (record) ctx.run.pending.set(PENDING_WRITE_CALIB);
    if (table) ctx.run.pending.set(PENDING_WRITE_LOOKUP);
    return;
  }
  ctx.calib.backupDue = false;
  RefuseLinkBusy(ctx);
}

void ServeCalibRecordWrite(Context& ctx) {
  if (!TakeDueCalibBackup(ctx)) {
    ctx.run.closingStatus = ctx.status;
    return;
  }
  ctx.calib.recordWriteFailed = WriteCalibDataToXF(ctx, ctx.calib.record.bytes.data()) != 1;
}

void ServeLookupWrite(Context& ctx) {
  ctx.run.state = RUN_IDLE;
  if (!TakeDueCalibBackup(ctx)) {
    ctx.run.closingStatus = ctx.status;
    return;
  }
  if (ctx.calib.recordWriteFailed) {
    ctx.calib.recordWriteFailed = false;
    ctx.run.closingStatus = ctx.status;
    refuseTableAfterRecord(ctx);
    return;
  }
  DelayWithEventProcessing(ctx, ctx.calib.lookupStopWait);
  const bool ok = WriteLookupTable(ctx) == 1;
  // The loop's stop would otherwise replace the table's result.
  ctx.run.closingStatus = ctx.status;
  popupTableResult(ctx, ok);
}

void RequestLookupWrite(Context& ctx) {
  ctx.calib.backupDue = true;
  PerformOrLeavePending(ctx, PENDING_WRITE_LOOKUP, [&] {
    if (TakeDueCalibBackup(ctx)) WriteLookupTable(ctx);
  });
}

void RequestCalibRecordWrite(Context& ctx) {
  ctx.calib.backupDue = true;
  PerformOrLeavePending(ctx, PENDING_WRITE_CALIB, [&] {
    if (TakeDueCalibBackup(ctx)) WriteCalibDataToXF(ctx, ctx.calib.record.bytes.data());
  });
}

}  // namespace bx
