#include "live/state_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "context/context.h"
#include "params/fields.h"
#include "params/trigger_modes.h"

namespace bx {
namespace {

// English; the language file gives them in the language in force.
// Index: code + 6.
constexpr const char* kCodes[] = {
    "COM ERR",
    "HI EDGES",
    "LO EDGES",
    "NO EDGES",
    "LO NEG EDGES",
    "LO POS EDGES",
    "RUNNING - OK",
    "MAX/MIN - RESET",
    "TEACH-IN ACTIVE",
    "SELECT PROG2",
    "SELECT PROG4",
    "LASER ON",
    "SAVE-VTHD",
    "LASER OFF",
    "DIRT ALERT",
    "POS TRIGG EDGE",
    "NEG TRIGG EDGE",
    " ",
    " ",
    " ",
    " ",
    " ",
};
static_assert(sizeof kCodes / sizeof kCodes[0] == liverec::kStateCodeMax - liverec::kStateCodeMin + 1);

constexpr int kDigitalOutEdgeCount = 1;

}  // namespace

const char* StateCodeText(int code) {
  if (code < liverec::kStateCodeMin || code > liverec::kStateCodeMax) code = 0;
  return kCodes[code - liverec::kStateCodeMin];
}

int LiveProgram(const Context& ctx, const liverec::LiveValues& v) {
  const int ext = param::get(ctx.params, param::EXT_TRIGGER_MODE);
  const int prog = ProgramFromInput(ext) ? v.program : param::get(ctx.params, param::EVAL_PROGRAM);
  return std::clamp(prog, 0, static_cast<int>(liverec::kProgramMax));
}

int ShownStateCode(const Context& ctx, const liverec::LiveValues& v) {
  int code = v.stateCode;
  if (code > liverec::kStateCodeMax || code < liverec::kStateCodeMin) code = 0;
  if (param::get(ctx.params, param::DIGITAL_OUT_MODE) != kDigitalOutEdgeCount) return code;
  const int liveProg = std::clamp<int>(v.program, 0, liverec::kProgramMax);
  if (v.edgeCount == 0) return -3;
  if (v.edgeCount > param::rowGet(ctx.params, liveProg, param::ROW_EDGE_COUNT)) return -5;
  if (v.edgeCount < param::rowGet(ctx.params, LiveProgram(ctx, v), param::ROW_EDGE_COUNT)) return -4;
  return code;
}

int ShownStateCode(const Context& ctx) {
  liverec::Bytes rec = ctx.live.record;
  liverec::sanitise(rec);
  return ShownStateCode(ctx, liverec::decode(rec));
}

std::string RateText(double hz) {
  // No rate yet (or a sensor that reports no cycle time): never a division
  // by it, never "inf".
  if (!std::isfinite(hz) || hz <= 0) return "0";
  char buf[32];
  if (hz > 10)
    std::snprintf(buf, sizeof buf, "%.0f", std::round(hz));
  else
    std::snprintf(buf, sizeof buf, "%.1f", hz);
  return buf;
}

std::string ScanRateText(int32_t cycleTimeUs) { return RateText(cycleTimeUs > 0 ? 1e6 / cycleTimeUs : 0.0); }

}  // namespace bx
