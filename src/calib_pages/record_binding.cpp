#include "calib_pages/record_binding.h"

#include <algorithm>
#include <cmath>

#include "wire/calib_record.h"
#include "context/context.h"

namespace bx::calib {
namespace {

const RecordBinding kRecordBindings[] = {
    {"TAB_SETT.HWTYPE_DISP", &CalibPageRefs::hwTypeDisp, OFF_HWTYPE, FieldConv::Word32},
    {"TAB_SETT.CAL_SERIAL", &CalibPageRefs::calSerial, OFF_SERIAL, FieldConv::Word16},
    {"TAB_SETT.XF_DIVISOR", &CalibPageRefs::xfDivisor, OFF_XF_DIVISOR, FieldConv::Word16},
    {"TAB_SETT.XF_SIZE", &CalibPageRefs::xfSize, OFF_XF_SIZE, FieldConv::Word16},
    {"TAB_SETT.IF_TYPE", &CalibPageRefs::ifType, OFF_IF_TYPE, FieldConv::Word16},
    {"TAB_SETT.SLOPE", &CalibPageRefs::slope, OFF_SLOPE, FieldConv::Slope},
    {"TAB_SETT.OFFSET", &CalibPageRefs::offset, OFF_OFFSET, FieldConv::Signed32},
    {"TAB_SETT.RANGE", &CalibPageRefs::range, OFF_RANGE, FieldConv::Signed32},
    {"TAB_SETT.LOOKUP", &CalibPageRefs::lookup, OFF_LOOKUP, FieldConv::Word16},
    {"TAB_SETT.PIXEL_START", &CalibPageRefs::pixelStart, OFF_PIXEL_START, FieldConv::Word16},
    {"TAB_SETT.PIXEL_END", &CalibPageRefs::pixelEnd, OFF_PIXEL_END, FieldConv::Word16},
};

// A typed value as a whole number within lo..hi; what is no number is 0.
double within(double v, double lo, double hi, bool round) {
  if (!std::isfinite(v)) return 0;
  return std::clamp(round ? std::round(v) : std::trunc(v), lo, hi);
}

double shown(const CalibRecord& r, const RecordBinding& b) {
  switch (b.conv) {
    case FieldConv::Word16:
      return field16(r, b.off);
    case FieldConv::Word32:
      return frame::get32(&r.bytes[static_cast<size_t>(b.off)]);
    case FieldConv::Signed32:
      return frame::gets32(&r.bytes[static_cast<size_t>(b.off)]);
    case FieldConv::Slope:
      break;
  }
  return slopeFromFixed(frame::gets32(&r.bytes[static_cast<size_t>(b.off)]));
}

}  // namespace

std::span<const RecordBinding> RecordBindings() { return kRecordBindings; }

int32_t StoredSlope(const CalibRecord& r, double shownUmPerPixel) {
  // The page shows the slope rounded: an unchanged one is the stored one.
  const int32_t stored = slopeX16384(r);
  return shownUmPerPixel == slopeFromFixed(stored) ? stored : slopeToFixed(shownUmPerPixel);
}

void ShowRecordFields(Context& ctx) {
  for (const RecordBinding& b : kRecordBindings) ctx.ui.setValue(ctx.refs.calib.*b.ref, shown(ctx.calib.record, b));
}

void CollectRecordFields(Context& ctx) {
  CalibRecord& r = ctx.calib.record;
  for (const RecordBinding& b : kRecordBindings) {
    const double v = ctx.ui.value(ctx.refs.calib.*b.ref);
    switch (b.conv) {
      case FieldConv::Word16:
        setField16(r, b.off, static_cast<uint16_t>(within(v, 0, UINT16_MAX, false)));
        break;
      case FieldConv::Word32:
        setField32(r, b.off, static_cast<uint32_t>(within(v, 0, UINT32_MAX, false)));
        break;
      case FieldConv::Signed32:
        setField32(r, b.off, static_cast<uint32_t>(static_cast<int32_t>(within(v, INT32_MIN, INT32_MAX, true))));
        break;
      case FieldConv::Slope:
        setField32(r, b.off, static_cast<uint32_t>(StoredSlope(r, v)));
        break;
    }
  }
}

}  // namespace bx::calib
