#include "calib/xflash_record.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "wire/calib_record.h"
#include "context/context.h"
#include "link/exchange.h"
#include "link/report.h"
#include "wire/calib_record.h"
#include "wire/orders.h"

namespace bx {

int WriteCalibDataToXF(Context& ctx, const uint8_t* record32) {
  ctx.status = "WRITE calibration-data to XFLASH ...";
  int r;
  if (Exchange(ctx, order::kWriteCalibRecord, order::kCalibRecordAddress, record32, CalibRecord::kSize) == 1) {
    ctx.status += " -> Ok!";
    std::memcpy(ctx.calib.sensorRecord.bytes.data(), record32, CalibRecord::kSize);
    ctx.calib.sensorRecordKnown = true;
    r = 1;
  } else {
    ctx.status = FailureText(ctx, "CALIB-Write-Error:Timeout RS232-Line!");
    r = -1;
  }
  ShowStatus(ctx);
  return r;
}

int ReadCalibDataFromXF(Context& ctx, uint8_t* dest, unsigned count) {
  ctx.status = "READ XF-PAGE1 calibration data ...";
  int r;
  const unsigned want = std::min(count, 512u);
  // A reply shorter than asked for would leave the tail of the previous
  // record in place: it is a failed read like a lost one.
  if (Exchange(ctx, order::kReadCalibRecord, order::kCalibRecordAddress) == 1 && ReplyLength(ctx) >= want) {
    const unsigned n = want;
    std::memcpy(dest, ReplyData(ctx), n);
    char buf[96];
    std::snprintf(buf, sizeof buf, "Read XFLASH-ADDR: 0x%x ... Bytes OK: %i", 0x8400u, static_cast<int>(n));
    ctx.status = buf;
    r = 1;
  } else {
    ctx.status = "XFlash-Read-Error:";
    ctx.status.append(43, ' ');
    ctx.status += FailureText(ctx, "Timeout RS232-Line!");
    r = -1;
  }
  ShowStatus(ctx);
  return r;
}

void ComputeCalibDisplayRange(Context& ctx) {
  auto& c = ctx.calib;
  int32_t offset = calib::offsetUm(c.record);
  int32_t range = calib::rangeUm(c.record);
  // Offset and range are whole 32-bit fields of the record: their sum may
  // not fit one, so the end is held at the field's limit.
  const int64_t end = static_cast<int64_t>(offset) + range;
  c.rangeBeginUm = offset;
  c.rangeEndUm = static_cast<int32_t>(std::clamp<int64_t>(end, INT32_MIN, INT32_MAX));
  c.rangeBeginMm = offset / 1000.0;
  c.rangeEndMm = end / 1000.0;
  c.scaleStepUm = std::max(static_cast<int32_t>(range * 0.1), 2000);
  c.scaleStepMm = static_cast<int32_t>(std::ceil(c.scaleStepUm / 1000.0));
}

void TakeOverCalibRecord(Context& ctx) {
  auto& c = ctx.calib;
  c.sensorRecord = c.record;
  c.sensorRecordKnown = true;
  double um = calib::slopeFromFixed(calib::slopeX16384(c.record));
  ctx.ident.model.umPerPixel = um;
  ctx.ident.model.umPerPixelCalibrated = um;
  ComputeCalibDisplayRange(ctx);
  c.rangeTenth = static_cast<int32_t>(calib::rangeUm(c.record) * 0.1);
  c.pixelTenth = static_cast<int32_t>(ctx.ident.hw.pixelCount * 0.1);
  c.rangeGraphMaxMm = std::ceil(c.rangeTenth / 1000.0);
}

void NoteCalibLineSaved(Context& ctx) {
  auto& c = ctx.calib;
  if (!c.sensorRecordKnown) return;
  calib::setField32(c.sensorRecord, calib::OFF_SLOPE, static_cast<uint32_t>(calib::slopeX16384(c.record)));
  calib::setField32(c.sensorRecord, calib::OFF_OFFSET, static_cast<uint32_t>(calib::offsetUm(c.record)));
}

}  // namespace bx
