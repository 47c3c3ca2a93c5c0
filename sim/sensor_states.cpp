// Forced states and the live power and exposure words: what the live
// record says beyond the bare measurement.
#include <algorithm>
#include <array>
#include <cmath>
#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "sim/sensor.h"
#include "wire/frame_format.h"

namespace bx::sim {

using bx::frame::get16;
using bx::frame::put16;

namespace {

struct StateName {
  std::string_view name;
  int code;
};

constexpr std::array<StateName, 12> kStateNames{{
    {"none", kNoForcedState},
    {"ok", state::kRunningOk},
    {"teach", state::kTeachActive},
    {"laser-off", state::kLaserOff},
    {"dirt", state::kDirtAlert},
    {"pos-trigger", 9},
    {"neg-trigger", 10},
    {"lo-pos", state::kLoPosEdges},
    {"lo-neg", state::kLoNegEdges},
    {"no-edges", state::kNoEdges},
    {"lo-edges", state::kLoEdges},
    {"hi-edges", state::kHiEdges},
}};

// A dirty window lets through this share of the light at the line's ends.
constexpr int kDirtyShare = 4;

}  // namespace

bool parseStateName(const std::string& text, int& code) {
  for (const auto& n : kStateNames) {
    if (text == n.name) {
      code = n.code;
      return true;
    }
  }
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0' || v < -32768 || v > 32767) return false;
  code = static_cast<int>(v);
  return true;
}

const char* stateNames() {
  return "ok, dirt, laser-off, teach, pos-trigger, neg-trigger, lo-pos, lo-neg, no-edges, lo-edges, hi-edges, none";
}

int Sensor::effectiveLaserPower() const { return forcedState_ == state::kLaserOff ? 0 : laserPower_; }

bool Sensor::forcedNoEdges() const { return forcedState_ == state::kNoEdges; }

void Sensor::applyForcedState(uint8_t* live, int program) const {
  if (forcedProgram_ >= 0) put16(live + live::kProgram, static_cast<uint16_t>(std::min(forcedProgram_, 0xFFFF)));
  if (forcedState_ == kNoForcedState) return;
  put16(live + live::kState, static_cast<uint16_t>(static_cast<int16_t>(forcedState_)));
  if (forcedState_ == state::kDirtAlert) {
    put16(live + live::kDirtFirst, static_cast<uint16_t>(get16(live + live::kDirtFirst) / kDirtyShare));
    put16(live + live::kDirtLast, static_cast<uint16_t>(get16(live + live::kDirtLast) / kDirtyShare));
  }
  if (forcedState_ == state::kLoEdges || forcedState_ == state::kHiEdges) {
    const int expected = get16(ramRow(program) + row::kEdgeCount);
    const int reported = forcedState_ == state::kLoEdges ? std::max(0, expected - 1) : expected + 1;
    put16(live + live::kEdgeCount, static_cast<uint16_t>(reported));
  }
}

double Sensor::regulation(int64_t nowMs) const {
  const double period = cfg_.regulationPeriodS > 0 ? cfg_.regulationPeriodS : 7.0;
  constexpr double kTwoPi = 6.28318530717958647692;
  return 1.0 + cfg_.regulationSwing * std::sin(kTwoPi * static_cast<double>(nowMs) / 1000.0 / period);
}

uint16_t Sensor::livePowerWord(int64_t nowMs) const {
  const int power = effectiveLaserPower();
  if (ram16(param::kPowerMode) != 1 || power == 0) return static_cast<uint16_t>(std::clamp(power, 0, 0xFFFF));
  return static_cast<uint16_t>(std::clamp<long>(std::lround(power * regulation(nowMs)), 0, 1000));
}

uint16_t Sensor::liveExposureWord(int64_t nowMs) const {
  const int exposure = ram16(param::kIntegrationTime) / 10;  // units of 10 µs
  if (ram16(param::kPowerMode) != 2) return static_cast<uint16_t>(exposure);
  return static_cast<uint16_t>(std::clamp<long>(std::lround(exposure * regulation(nowMs)), 1, 0xFFFF));
}

}  // namespace bx::sim
