#include "wire/live_record.h"

#include "wire/frame_format.h"

namespace bx::liverec {

void sanitise(Bytes& record) {
  const int code = frame::gets16(&record[STATE_CODE]);
  if (code < kStateCodeMin || code > kStateCodeMax) frame::put16(&record[STATE_CODE], 0);
  if (frame::get16(&record[PROGRAM]) > kProgramMax) frame::put16(&record[PROGRAM], kProgramMax);
}

LiveValues decode(const Bytes& record) {
  const uint8_t* p = record.data();
  LiveValues v;
  v.edgeA = frame::get16(p + EDGE_A);
  v.edgeB = frame::get16(p + EDGE_B);
  v.valuePx = frame::get16(p + VALUE_PX);
  v.edgeCount = frame::get16(p + EDGE_COUNT);
  v.valueUm = frame::gets32(p + VALUE_UM);
  v.maxUm = frame::gets32(p + MAX_UM);
  v.minUm = frame::gets32(p + MIN_UM);
  v.setPointUm = frame::gets32(p + SET_POINT_UM);
  v.maxPx = frame::get16(p + MAX_PX);
  v.minPx = frame::get16(p + MIN_PX);
  v.setPointPx = frame::gets16(p + SET_POINT_PX);
  v.inputs = frame::get16(p + INPUTS);
  v.videoPeak = frame::get16(p + VIDEO_PEAK);
  v.laserPower = frame::get16(p + LASER_POWER);
  v.exposure10us = frame::get16(p + EXPOSURE);
  v.triggerLevel = frame::get16(p + TRIGGER_LEVEL);
  v.stateCode = frame::gets16(p + STATE_CODE);
  v.program = frame::get16(p + PROGRAM);
  v.dirtFirst = frame::get16(p + DIRT_FIRST);
  v.dirtLast = frame::get16(p + DIRT_LAST);
  v.cycleUs = frame::gets32(p + CYCLE_US);
  v.triggerCount = frame::gets32(p + TRIGGER_COUNT);
  return v;
}

}  // namespace bx::liverec
