#include "params/bindings.h"

#include <algorithm>
#include <cmath>

#include "context/context.h"
#include "params/fields.h"
#include "params/units.h"

namespace bx {
namespace param {
namespace {

constexpr double kWord = 65535;

#define BX_REF(path) [](const Context& c) { return c.path; }

const FieldBinding kParamBindings[] = {
    {"VIDEO.TEACHVAL", BX_REF(para.meas.teachVal), Conv::Position, TEACH_VALUE, UM_TEACH, ROW_TEACH_VALUE, ROW_UM_TEACH, 0, 0},
    {"VIDEO.TOLUP", BX_REF(para.meas.tolUp), Conv::Position, UPPER_TOLERANCE, UM_TOLUP, ROW_UPPER_TOL, ROW_UM_TOLUP, 0, 0},
    {"VIDEO.TOLLO", BX_REF(para.meas.tolLo), Conv::Position, LOWER_TOLERANCE, UM_TOLLO, ROW_LOWER_TOL, ROW_UM_TOLLO, 0, 0},
    {"VIDEO.RANGEBEG", BX_REF(para.meas.rangeBeg), Conv::Position, EVAL_BEGIN, UM_BEGIN, -1, -1, 0, 0},
    {"VIDEO.RANGEEND", BX_REF(para.meas.rangeEnd), Conv::Position, EVAL_END, UM_END, -1, -1, 0, 0},
    {"PARA2.TRIGPIX", BX_REF(para.p2.trigPix), Conv::Position, TRIGGER_PIXEL, -1, -1, -1, 0, 0},
    {"PARA1.OUTMODE", BX_REF(refs.choice.outMode), Conv::Word, DIGITAL_OUT_MODE, -1, -1, -1, 0, kWord},
    {"PARA1.SEARCHDIR", BX_REF(para.p1.searchDir), Conv::Word, SEARCH_DIRECTION, -1, -1, -1, 0, kWord},
    {"PARA1.POLARITY", BX_REF(para.p1.polarity), Conv::Word, POLARITY, -1, -1, -1, 0, kWord},
    {"PARA1.AVERAGE", BX_REF(refs.choice.average), Conv::Word, AVERAGE, -1, -1, -1, 0, kWord},
    {"PARA1.ANAMODE", BX_REF(para.p1.anaMode), Conv::Word, ANALOG_MODE, -1, -1, -1, 0, kWord},
    {"PARA1.ANAZOOM", BX_REF(para.p1.anaZoom), Conv::Word, ANALOG_ZOOM_MODE, -1, -1, -1, 0, kWord},
    {"PARA1.ANAOUT", BX_REF(para.p1.anaOut), Conv::Word, ANALOG_OUT_MODE, -1, -1, -1, 0, kWord},
    {"PARA2.EXTTRIG", BX_REF(para.p2.extTrig), Conv::Word, EXT_TRIGGER_MODE, -1, -1, -1, 0, kWord},
    {"PARA1.SMOOTH", BX_REF(para.p1.smooth), Conv::Word, VIDEO_SMOOTH, -1, -1, -1, 0, kWord},
    {"PARA1.POWER", BX_REF(para.p1.power), Conv::Word, POWER, -1, -1, -1, 0, kWord},
    {"PARA1.CCDMODE", BX_REF(refs.choice.ccdMode), Conv::Word, CCD_OPERATION_MODE, -1, -1, -1, 0, kWord},
    {"PARA2.VTHDMODE", BX_REF(para.p2.vthdMode), Conv::Word, VIDEO_THRESHOLD_MODE, -1, -1, -1, 0, kWord},
    {"PARA1.BGMODE", BX_REF(para.p1.bgMode), Conv::Word, BACKGROUND_MODE, -1, -1, -1, 0, kWord},
    {"PARA2.INTTRIG", BX_REF(refs.choice.intTrig), Conv::Word, INT_TRIGGER_MODE, -1, -1, -1, 0, kWord},
    {"PARA2.DIRTTHR", BX_REF(para.p2.dirtThr), Conv::Word, DIRT_THRESHOLD, -1, -1, -1, 0, kWord},
    {"PARA2.DIRTMODE", BX_REF(para.p2.dirtMode), Conv::Word, DIRT_DETECT_MODE, -1, -1, -1, 0, kWord},
    {"PARA2.VTHD", BX_REF(para.p2.vthd), Conv::Threshold, VIDEO_THRESHOLD, -1, -1, -1, 0, kWord},
    // The sensor counts in 10 µs steps; 65530 is the longest it takes.
    {"PARA1.EXPOSE", BX_REF(para.p1.expose), Conv::Millis, INTEGRATION_TIME, -1, -1, -1, 0, 65530},
    {"PARA1.RS232MODE", BX_REF(para.p1.rs232Mode), Conv::Word, RS232_MODE, -1, -1, -1, 0, kWord},
    {"PARA1.RS232BAUD", BX_REF(para.p1.rs232Baud), Conv::Word, RS232_BAUDRATE, -1, -1, -1, 0, kWord},
    {"TEACH.PROGNO", BX_REF(para.teach.progNo), Conv::Word, EVAL_PROGRAM, -1, -1, -1, 0, kTeachRows - 1},
    {"PARA1.TEACHTARGET", BX_REF(para.p1.teachTarget), Conv::Word, TEACH_TARGET, -1, -1, -1, 0, kWord},
};

#undef BX_REF

const ColumnBinding kTeachColumns[] = {
    {TC_EDGE_A, 0, CellConv::Signed, ROW_EDGE_A, -1},
    {TC_EDGE_B, 0, CellConv::Signed, ROW_EDGE_B, -1},
    {TC_MODE, 1, CellConv::Mode, ROW_EVAL_MODE, -1},
    {TC_TEACH, 0, CellConv::Position, ROW_TEACH_VALUE, ROW_UM_TEACH},
    {TC_TOLUP, 0, CellConv::Position, ROW_UPPER_TOL, ROW_UM_TOLUP},
    {TC_TOLLO, 0, CellConv::Position, ROW_LOWER_TOL, ROW_UM_TOLLO},
    {TC_EDGES, 0, CellConv::Word, ROW_EDGE_COUNT, -1},
    {TC_POS_A, 0, CellConv::Word, ROW_PIXEL_POS_A, -1},
    {TC_POS_B, 0, CellConv::Word, ROW_PIXEL_POS_B, -1},
};
static_assert(sizeof kTeachColumns / sizeof kTeachColumns[0] == TC_COUNT);

// The threshold the pages edit is the tracked one while tracking is on.
int thresholdField(const ParamState& p) {
  return get(p, VIDEO_THRESHOLD_MODE) == 1 ? TRACK_THRESHOLD : VIDEO_THRESHOLD;
}

// A typed entry as a whole number within lo..hi; what is not a number is 0.
uint16_t wholeWithin(double v, double lo, double hi) {
  if (!std::isfinite(v)) v = 0;
  return static_cast<uint16_t>(std::clamp(std::trunc(v), lo, hi));
}

}  // namespace

std::span<const FieldBinding> ParamBindings() { return kParamBindings; }
std::span<const ColumnBinding> TeachColumns() { return kTeachColumns; }

double ShownFieldValue(const Context& ctx, const ParamState& p, const FieldBinding& b, int row) {
  switch (b.conv) {
    case Conv::Word:
      return get(p, b.off);
    case Conv::Millis:
      return get(p, b.off) / 1000.0;
    case Conv::Threshold:
      return get(p, thresholdField(p));
    case Conv::Position:
      break;
  }
  row = std::clamp(row, 0, kTeachRows - 1);
  if (p.unitMm == 1) {
    return b.rowUmOff >= 0 ? UmToMm(rowGet32(p, row, b.rowUmOff))
           : b.umOff >= 0  ? UmToMm(get32(p, b.umOff))
                           : PixelToMm(get(p, b.off), UmPerPixel(ctx));
  }
  return b.rowOff >= 0 ? rowGet(p, row, b.rowOff) : get(p, b.off);
}

double ShownCellValue(const Context& ctx, const ParamState& p, const ColumnBinding& c, int row) {
  (void)ctx;
  switch (c.conv) {
    case CellConv::Signed:
      return rowGetS(p, row, c.rowOff);
    case CellConv::Mode: {
      const int mode = rowGet(p, row, c.rowOff);
      return mode > 2 ? 0 : mode;
    }
    case CellConv::Position:
      return p.unitMm == 1 ? UmToMm(rowGet32(p, row, c.rowUmOff)) : rowGet(p, row, c.rowOff);
    case CellConv::Word:
      break;
  }
  return rowGet(p, row, c.rowOff);
}

void ShowPositionFromRow(Context& ctx, const FieldBinding& b, int row) {
  ctx.ui.setValue(b.ref(ctx), ShownFieldValue(ctx, ctx.params, b, row));
}

void ShowField(Context& ctx, const FieldBinding& b) {
  ctx.ui.setValue(b.ref(ctx), ShownFieldValue(ctx, ctx.params, b, ctx.params.activeRow));
}

void CollectField(Context& ctx, const FieldBinding& b) {
  auto& p = ctx.params;
  const ui::CtlRef r = b.ref(ctx);
  if (!ctx.ui.valid(r)) return;
  const double v = ctx.ui.value(r);
  switch (b.conv) {
    case Conv::Word:
      set(p, b.off, wholeWithin(v, b.lo, b.hi));
      break;
    case Conv::Millis: {
      const double tenUs = std::isfinite(v) ? std::round(v * 100.0) * 10.0 : 0.0;
      set(p, b.off, static_cast<uint16_t>(std::clamp(tenUs, b.lo, b.hi)));
      break;
    }
    case Conv::Threshold:
      set(p, thresholdField(p), wholeWithin(v, 0, kWord));
      break;
    case Conv::Position: {
      const double s = UmPerPixel(ctx);
      if (p.unitMm == 1) {
        if (b.umOff >= 0) set32(p, b.umOff, MmToUmField(v));
        set(p, b.off, MmToPixelField(v, s));
      } else {
        set(p, b.off, ToField16(v));
        if (b.umOff >= 0) set32(p, b.umOff, PixelToUmField(v, s));
      }
      break;
    }
  }
}

void CheckTeachTableShape(const Context& ctx, std::vector<std::string>& missing) {
  const ui::CtlRef r = ctx.para.teach.table;
  if (!ctx.ui.valid(r)) return;  // named as missing already
  const auto& t = ctx.ui.at(r).table;
  bool fits = t.rows == kTeachRows && t.cols == TC_COUNT && t.colKind.size() == static_cast<size_t>(TC_COUNT);
  for (const ColumnBinding& c : kTeachColumns)
    if (fits && t.colKind[static_cast<size_t>(c.col)] != c.kind) fits = false;
  if (!fits)
    missing.push_back("TEACH.TABLE (" + std::to_string(kTeachRows) + " rows of " + std::to_string(TC_COUNT) +
                      " columns, the third a ring)");
}

}  // namespace param
}  // namespace bx
