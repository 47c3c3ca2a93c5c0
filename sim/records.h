#pragma once
// Byte layouts the simulated sensor exchanges with the tool, and the records
// it starts with. All multi-byte fields are little-endian.
#include <array>
#include <cstdint>

#include "sim/config.h"
#include "wire/adjust_record.h"
#include "wire/calib_record.h"
#include "wire/edge_reply.h"
#include "wire/hw_record.h"
#include "wire/live_record.h"
#include "wire/param_fields.h"
#include "wire/recorder_sample.h"
#include "wire/scope_record.h"

namespace bx::sim {

// Sizes as the tool's layouts give them (wire/), under the simulator's names.
constexpr int kParamSize = bx::param::kSetSize;
constexpr int kRowSize = bx::param::kRowSize;
constexpr int kRowCount = bx::param::kRowCount;
constexpr int kTeachSize = bx::param::kTeachSize;
constexpr int kLiveSize = static_cast<int>(liverec::kSize);
constexpr int kHardwareSize = static_cast<int>(hwrec::kSize);
constexpr int kCalibSize = bx::CalibRecord::kSize;
constexpr int kEdgeListSlots = static_cast<int>(EdgeList{}.pos.size());
constexpr int kEdgeReplySize = static_cast<int>(edgereply::kSize);
constexpr int kVideoSamples = 256;
constexpr int kRecorderSampleSize = static_cast<int>(recsample::kSize);
constexpr int kScopeSettingsSize = static_cast<int>(scoperec::kSettingsBytes);
constexpr int kScopeSamples = scoperec::kSamples;
constexpr int kPotSize = adjrec::kAdjustSize;
constexpr int kHwInfoBlockSize = 512;

using ParamSet = bx::param::SetBytes;
using TeachTable = bx::param::TeachBytes;
using CalibBytes = std::array<uint8_t, kCalibSize>;

// Parameter set field offsets (the tool's own, under the simulator's names).
namespace param {
constexpr int kPower = bx::param::POWER;
constexpr int kIntegrationTime = bx::param::INTEGRATION_TIME;
constexpr int kPowerMode = bx::param::POWER_MODE;
constexpr int kSearchDirection = bx::param::SEARCH_DIRECTION;
constexpr int kEvalMode = bx::param::EVAL_MODE;
constexpr int kBackgroundMode = bx::param::BACKGROUND_MODE;
constexpr int kEvalProgram = bx::param::EVAL_PROGRAM;
constexpr int kEvalBegin = bx::param::EVAL_BEGIN;
constexpr int kEvalEnd = bx::param::EVAL_END;
constexpr int kTeachValue = bx::param::TEACH_VALUE;
constexpr int kUpperTolerance = bx::param::UPPER_TOLERANCE;
constexpr int kLowerTolerance = bx::param::LOWER_TOLERANCE;
constexpr int kUmBegin = bx::param::UM_BEGIN;
constexpr int kUmEnd = bx::param::UM_END;
constexpr int kUmTeach = bx::param::UM_TEACH;
constexpr int kUmTolUp = bx::param::UM_TOLUP;
constexpr int kUmTolLo = bx::param::UM_TOLLO;
constexpr int kAverage = bx::param::AVERAGE;
constexpr int kPolarity = bx::param::POLARITY;
constexpr int kDigitalOutMode = bx::param::DIGITAL_OUT_MODE;
constexpr int kCcdOperationMode = bx::param::CCD_OPERATION_MODE;
constexpr int kVideoThresholdMode = bx::param::VIDEO_THRESHOLD_MODE;
constexpr int kVideoThreshold = bx::param::VIDEO_THRESHOLD;
constexpr int kTrackThreshold = bx::param::TRACK_THRESHOLD;
constexpr int kRs232Mode = bx::param::RS232_MODE;
constexpr int kRs232Baudrate = bx::param::RS232_BAUDRATE;
constexpr int kVideoSmooth = bx::param::VIDEO_SMOOTH;
constexpr int kExtTriggerMode = bx::param::EXT_TRIGGER_MODE;
constexpr int kIntTriggerMode = bx::param::INT_TRIGGER_MODE;
constexpr int kTriggerPixel = bx::param::TRIGGER_PIXEL;
constexpr int kTeachTarget = bx::param::TEACH_TARGET;
constexpr int kDirtDetectMode = bx::param::DIRT_DETECT_MODE;
constexpr int kDirtThreshold = bx::param::DIRT_THRESHOLD;
}  // namespace param

// Teach row field offsets (within one 32-byte row).
namespace row {
constexpr int kEdgeA = bx::param::ROW_EDGE_A;
constexpr int kEdgeB = bx::param::ROW_EDGE_B;
constexpr int kEvalMode = bx::param::ROW_EVAL_MODE;
constexpr int kTeachValue = bx::param::ROW_TEACH_VALUE;
constexpr int kUpperTolerance = bx::param::ROW_UPPER_TOL;
constexpr int kLowerTolerance = bx::param::ROW_LOWER_TOL;
constexpr int kEdgeCount = bx::param::ROW_EDGE_COUNT;
constexpr int kPixelPosA = bx::param::ROW_PIXEL_POS_A;
constexpr int kPixelPosB = bx::param::ROW_PIXEL_POS_B;
constexpr int kUmTeach = bx::param::ROW_UM_TEACH;
constexpr int kUmTolUp = bx::param::ROW_UM_TOLUP;
constexpr int kUmTolLo = bx::param::ROW_UM_TOLLO;
}  // namespace row

// Live record field offsets.
namespace live {
constexpr int kEdgeA = liverec::EDGE_A;
constexpr int kEdgeB = liverec::EDGE_B;
constexpr int kValuePx = liverec::VALUE_PX;
constexpr int kEdgeCount = liverec::EDGE_COUNT;
constexpr int kValueUm = liverec::VALUE_UM;
constexpr int kMaxUm = liverec::MAX_UM;
constexpr int kMinUm = liverec::MIN_UM;
constexpr int kSetPointUm = liverec::SET_POINT_UM;
constexpr int kMaxPx = liverec::MAX_PX;
constexpr int kMinPx = liverec::MIN_PX;
constexpr int kSetPointPx = liverec::SET_POINT_PX;
constexpr int kInputs = liverec::INPUTS;
constexpr int kVideoPeak = liverec::VIDEO_PEAK;
constexpr int kLaserPower = liverec::LASER_POWER;
constexpr int kExposure = liverec::EXPOSURE;
constexpr int kTriggerLevel = liverec::TRIGGER_LEVEL;
constexpr int kState = liverec::STATE_CODE;
constexpr int kProgram = liverec::PROGRAM;
constexpr int kDirtFirst = liverec::DIRT_FIRST;
constexpr int kDirtLast = liverec::DIRT_LAST;
constexpr int kCycleUs = liverec::CYCLE_US;
constexpr int kTriggerCounter = liverec::TRIGGER_COUNT;
}  // namespace live

// Evaluation modes of a teach row.
enum EvalMode : int { kPosition = 0, kCenter = 1, kDistance = 2 };

// State codes of the live record that the simulator produces.
namespace state {
constexpr int kRunningOk = 0;
constexpr int kMaxMinReset = 1;
constexpr int kTeachActive = 2;
constexpr int kSaveVideoThreshold = 6;
constexpr int kLaserOff = 7;
constexpr int kDirtAlert = 8;
constexpr int kLoPosEdges = -1;
constexpr int kLoNegEdges = -2;
constexpr int kNoEdges = -3;
}  // namespace state

// Pixels to micrometres with the calibration slope (x16384), rounded.
int32_t pixelsToUm(int64_t pixels, int32_t slopeX16384);

CalibBytes encodeCalib(const CalibRecord& c);
CalibRecord decodeCalib(const uint8_t* bytes);

std::array<uint8_t, kHardwareSize> encodeHardwareRecord(const Config& c);

// The service block answered to the hardware-information file query: a fixed
// function of the model, so two simulators of one model answer alike.
std::array<uint8_t, kHwInfoBlockSize> hardwareInfoBlock(const Config& c);

ParamSet defaultParams(const Config& c);
TeachTable defaultTeachTable(const Config& c, const ParamSet& params);

}  // namespace bx::sim
