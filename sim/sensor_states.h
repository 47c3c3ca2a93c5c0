#pragma once
// Sensor states on demand: the names the bx-sim command line and the tests
// use for the state codes a display must show.
#include <climits>
#include <string>

namespace bx::sim {

constexpr int kNoForcedState = INT32_MIN;

// Edge-count faults as the sensor reports them.
namespace state {
constexpr int kLoEdges = -4;
constexpr int kHiEdges = -5;
}  // namespace state

// "ok", "dirt", "laser-off", "teach", "lo-pos", "lo-neg", "no-edges",
// "lo-edges", "hi-edges", "pos-trigger", "neg-trigger", "none" (no forced
// state) or a number -32768..32767. False on anything else.
bool parseStateName(const std::string& text, int& code);

// The names above, for the usage text.
const char* stateNames();

}  // namespace bx::sim
