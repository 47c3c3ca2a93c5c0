#pragma once
// Byte layouts the simulated sensor exchanges with the tool, and the records
// it starts with. All multi-byte fields are little-endian.
#include <array>
#include <cstdint>

#include "sim/config.h"

namespace bx::sim {

constexpr int kParamSize = 96;
constexpr int kRowSize = 32;
constexpr int kRowCount = 4;
constexpr int kTeachSize = kRowSize * kRowCount;
constexpr int kLiveSize = 64;
constexpr int kHardwareSize = 32;
constexpr int kCalibSize = 32;
constexpr int kEdgeListSlots = 16;
constexpr int kEdgeReplySize = 2 * (2 + 2 * kEdgeListSlots);  // 68
constexpr int kVideoSamples = 256;
constexpr int kRecorderSampleSize = 12;
constexpr int kScopeSettingsSize = 16;
constexpr int kScopeSamples = 128;
constexpr int kPotSize = 32;
constexpr int kHwInfoBlockSize = 512;

using ParamSet = std::array<uint8_t, kParamSize>;
using TeachTable = std::array<uint8_t, kTeachSize>;
using CalibBytes = std::array<uint8_t, kCalibSize>;

// Parameter set field offsets.
namespace param {
constexpr int kPower = 0;
constexpr int kIntegrationTime = 2;
constexpr int kPowerMode = 4;
constexpr int kSearchDirection = 6;
constexpr int kEvalMode = 8;
constexpr int kBackgroundMode = 10;
constexpr int kEvalProgram = 12;
constexpr int kEvalBegin = 14;
constexpr int kEvalEnd = 16;
constexpr int kTeachValue = 18;
constexpr int kUpperTolerance = 20;
constexpr int kLowerTolerance = 22;
constexpr int kUmBegin = 24;
constexpr int kUmEnd = 28;
constexpr int kUmTeach = 32;
constexpr int kUmTolUp = 36;
constexpr int kUmTolLo = 40;
constexpr int kAverage = 44;
constexpr int kPolarity = 46;
constexpr int kDigitalOutMode = 48;
constexpr int kCcdOperationMode = 50;
constexpr int kVideoThresholdMode = 60;
constexpr int kVideoThreshold = 62;
constexpr int kTrackThreshold = 64;
constexpr int kRs232Mode = 66;
constexpr int kRs232Baudrate = 68;
constexpr int kVideoSmooth = 70;
constexpr int kExtTriggerMode = 72;
constexpr int kIntTriggerMode = 74;
constexpr int kTriggerPixel = 76;
constexpr int kTeachTarget = 78;
constexpr int kDirtDetectMode = 80;
constexpr int kDirtThreshold = 82;
}  // namespace param

// Teach row field offsets (within one 32-byte row).
namespace row {
constexpr int kEdgeA = 0;
constexpr int kEdgeB = 2;
constexpr int kEvalMode = 4;
constexpr int kTeachValue = 6;
constexpr int kUpperTolerance = 8;
constexpr int kLowerTolerance = 10;
constexpr int kEdgeCount = 12;
constexpr int kPixelPosA = 14;
constexpr int kPixelPosB = 16;
constexpr int kUmTeach = 20;
constexpr int kUmTolUp = 24;
constexpr int kUmTolLo = 28;
}  // namespace row

// Live record field offsets.
namespace live {
constexpr int kEdgeA = 0;
constexpr int kEdgeB = 2;
constexpr int kValuePx = 4;
constexpr int kEdgeCount = 6;
constexpr int kValueUm = 8;
constexpr int kMaxUm = 12;
constexpr int kMinUm = 16;
constexpr int kSetPointUm = 20;
constexpr int kMaxPx = 32;
constexpr int kMinPx = 34;
constexpr int kSetPointPx = 36;
constexpr int kInputs = 38;
constexpr int kVideoPeak = 40;
constexpr int kLaserPower = 42;
constexpr int kExposure = 44;
constexpr int kTriggerLevel = 46;
constexpr int kState = 48;
constexpr int kProgram = 50;
constexpr int kDirtFirst = 52;
constexpr int kDirtLast = 54;
constexpr int kCycleUs = 56;
constexpr int kTriggerCounter = 60;
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
