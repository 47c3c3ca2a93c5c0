#include "params/sanitise.h"

#include <string>

#include "params/fields.h"

namespace bx::param {
namespace {

void above(ParamState& p, int off, unsigned limit, uint16_t to) {
  if (get(p, off) > limit) set(p, off, to);
}
void zero(ParamState& p, int off, uint16_t to) {
  if (get(p, off) == 0) set(p, off, to);
}

}  // namespace

bool VoltageOnlyModel(uint32_t hwType) { return hwType == 800000 || hwType == 804671; }

void Sanitise(ParamState& p, int pixelCount, uint32_t calibHwType) {
  const unsigned n = pixelCount > 0 ? static_cast<unsigned>(pixelCount) : 1u;
  const auto nn = static_cast<uint16_t>(n > 65535 ? 65535 : n);
  above(p, POWER, 1000, 400);
  above(p, ANALOG_MODE, 7, 0);
  above(p, POLARITY, 1, 1);
  above(p, SEARCH_DIRECTION, 1, 0);
  above(p, EVAL_MODE, 2, 2);
  above(p, BACKGROUND_MODE, 1, 0);
  above(p, UPPER_TOLERANCE, n, nn);
  zero(p, UPPER_TOLERANCE, 1);
  zero(p, LOWER_TOLERANCE, 1);
  zero(p, EVAL_BEGIN, 1);
  if (get(p, EVAL_BEGIN) >= n) set(p, EVAL_BEGIN, 1);
  above(p, EVAL_END, n, nn);
  zero(p, EVAL_END, nn);
  above(p, EXT_TRIGGER_MODE, 6, 0);
  above(p, AVERAGE, 1024, 1024);
  above(p, RS232_MODE, 4, 0);
  above(p, RS232_BAUDRATE, 6, 4);
  above(p, VIDEO_SMOOTH, 16, 1);
  above(p, VIDEO_THRESHOLD_MODE, 2, 0);
  above(p, VIDEO_THRESHOLD, 100, 100);
  zero(p, VIDEO_THRESHOLD, 1);
  above(p, TRACK_THRESHOLD, 100, 100);
  zero(p, TRACK_THRESHOLD, 1);
  above(p, INT_TRIGGER_MODE, 4, 0);
  above(p, TRIGGER_PIXEL, n, nn);
  above(p, DIGITAL_OUT_MODE, 5, 0);
  if (VoltageOnlyModel(calibHwType)) set(p, ANALOG_OUT_MODE, 0);
  above(p, EVAL_PROGRAM, 3, 3);
  above(p, TEACH_TARGET, 1, 0);
  above(p, ANALOG_ZOOM_MODE, 6, 0);
  above(p, CCD_OPERATION_MODE, 2, 0);
  above(p, DIRT_DETECT_MODE, 4, 4);
  above(p, DIRT_THRESHOLD, 100, 100);
  RefreshWorkingValues(p);
}

void RefreshWorkingValues(ParamState& p) {
  const int r = get(p, EVAL_PROGRAM) > 3 ? 3 : get(p, EVAL_PROGRAM);
  p.activeRow = r;
  p.pixelPosA = rowGet(p, r, ROW_PIXEL_POS_A);
  p.pixelPosB = rowGet(p, r, ROW_PIXEL_POS_B);
  int mode = rowGet(p, r, ROW_EVAL_MODE);
  if (mode >= 3) mode = 0;
  p.evalMode = mode;
  set(p, EVAL_MODE, static_cast<uint16_t>(mode));
  p.teachValue = rowGet(p, r, ROW_TEACH_VALUE);
  p.upperTol = rowGet(p, r, ROW_UPPER_TOL);
  p.lowerTol = rowGet(p, r, ROW_LOWER_TOL);
  p.edgeCount = rowGet(p, r, ROW_EDGE_COUNT);
  p.umTeach = rowGet32(p, r, ROW_UM_TEACH);
  p.umTolUp = rowGet32(p, r, ROW_UM_TOLUP);
  p.umTolLo = rowGet32(p, r, ROW_UM_TOLLO);
  p.edgeTextA = std::to_string(rowGetS(p, r, ROW_EDGE_A));
  p.edgeTextB = std::to_string(rowGetS(p, r, ROW_EDGE_B));
}

void RefreshDerivedValues(ParamState& p, int videoFullScale) {
  const int fs = videoFullScale;
  p.dirtLevel = get(p, DIRT_THRESHOLD) * fs / 100;
  const auto thd = static_cast<uint16_t>(fs * get(p, VIDEO_THRESHOLD) / 100);
  const auto dirt = static_cast<uint16_t>(fs * get(p, DIRT_THRESHOLD) / 100);
  p.thresholdLine.fill(thd);
  p.dirtLine.fill(dirt);
}

}  // namespace bx::param
