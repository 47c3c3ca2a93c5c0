#include "params/defaults.h"

#include "identify/catalogue.h"
#include "params/sanitise.h"

namespace bx::param {

void SetStartValues(SetBytes& s, TeachBytes& teach) {
  s.fill(0);
  teach.fill(0);
  set(s, POWER, 500);
  set(s, INTEGRATION_TIME, 1000);
  set(s, POWER_MODE, 1);
  set(s, EVAL_MODE, 2);
  set(s, EVAL_BEGIN, 1);
  set(s, EVAL_END, 2048);
  set(s, TEACH_VALUE, 1024);
  set(s, UPPER_TOLERANCE, 100);
  set(s, LOWER_TOLERANCE, 100);
  set32(s, UM_END, 10000);
  set32(s, UM_TEACH, 5000);
  set32(s, UM_TOLUP, 1000);
  set32(s, UM_TOLLO, 1000);
  set(s, AVERAGE, 2);
  set(s, POLARITY, 1);
  set(s, VIDEO_THRESHOLD, 25);
  set(s, RS232_BAUDRATE, 4);
  set(s, TRIGGER_PIXEL, 1024);
}

bool ApplyModelDefaults(SetBytes& s, TeachBytes& teach, uint32_t hwType) {
  const auto d = catalogue::defaultsFor(hwType);
  if (!d.known) return false;
  set(s, EVAL_BEGIN, static_cast<uint16_t>(d.evalBegin));
  set(s, EVAL_END, static_cast<uint16_t>(d.evalEnd));
  set(s, TEACH_VALUE, static_cast<uint16_t>(d.teachValue));
  set(s, UPPER_TOLERANCE, static_cast<uint16_t>(d.upperTol));
  set(s, LOWER_TOLERANCE, static_cast<uint16_t>(d.lowerTol));
  set32(s, UM_BEGIN, 0);
  set32(s, UM_END, d.umEnd);
  set32(s, UM_TEACH, d.umTeach);
  set32(s, UM_TOLUP, d.umTolUp);
  set32(s, UM_TOLLO, d.umTolLo);
  for (int r = 0; r < kRowCount; ++r) {
    rowSet(teach, r, ROW_TEACH_VALUE, static_cast<uint16_t>(d.teachValue));
    rowSet(teach, r, ROW_UPPER_TOL, static_cast<uint16_t>(d.upperTol));
    rowSet(teach, r, ROW_LOWER_TOL, static_cast<uint16_t>(d.lowerTol));
    rowSet32(teach, r, ROW_UM_TEACH, d.umTeach);
    rowSet32(teach, r, ROW_UM_TOLUP, d.umTolUp);
    rowSet32(teach, r, ROW_UM_TOLLO, d.umTolLo);
  }
  return true;
}

void FactoryDefaults(SetBytes& s, TeachBytes& teach, uint32_t hwType, int pixelCount, uint32_t calibHwType) {
  SetStartValues(s, teach);
  ApplyModelDefaults(s, teach, hwType);
  ParamState p;
  p.set = s;
  p.teach = teach;
  Sanitise(p, pixelCount, calibHwType);
  s = p.set;
  teach = p.teach;
}

}  // namespace bx::param
