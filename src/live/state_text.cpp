#include "live/state_text.h"

#include <cmath>
#include <cstdio>

#include "context/context.h"
#include "live/record.h"
#include "params/fields.h"
#include "params/panel_values.h"

namespace bx {
namespace {

struct CodeText {
  const char* en;
  const char* de;
};

// Index: code + 6.
constexpr CodeText kCodes[] = {
    {"COM ERR", "COM FEHLER"},
    {"HI EDGES", "HI EDGES"},
    {"LO EDGES", "LO EDGES"},
    {"NO EDGES", "NO EDGES"},
    {"LO NEG EDGES", "LO NEG EDGES"},
    {"LO POS EDGES", "LO POS EDGES"},
    {"RUNNING - OK", "BETRIEB - OK"},
    {"MAX/MIN - RESET", "MAX/MIN - RESET"},
    {"TEACH-IN ACTIVE", "LERNEN AKTIV"},
    {"SELECT PROG2", "SELEKT PROG2"},
    {"SELECT PROG4", "SELEKT PROG4"},
    {"LASER ON", "LASER EIN"},
    {"SAVE-VTHD", "VIDEO-SCHW"},
    {"LASER OFF", "LASER AUS"},
    {"DIRT ALERT", "SCHMUTZ-ALARM"},
    {"POS TRIGG EDGE", "POS TRIGG-KANTE"},
    {"NEG TRIGG EDGE", "NEG TRIGG-KANTE"},
    {" ", " "},
    {" ", " "},
    {" ", " "},
    {" ", " "},
    {" ", " "},
};
static_assert(sizeof kCodes / sizeof kCodes[0] == liverec::kStateCodeMax - liverec::kStateCodeMin + 1);

constexpr int kDigitalOutEdgeCount = 1;

}  // namespace

const char* StateCodeText(int code, int language) {
  if (code < liverec::kStateCodeMin || code > liverec::kStateCodeMax) code = 0;
  const CodeText& t = kCodes[code - liverec::kStateCodeMin];
  return language == 1 ? t.de : t.en;
}

int ShownStateCode(const Context& ctx) {
  liverec::Bytes rec = ctx.live.record;
  liverec::sanitise(rec);
  const liverec::LiveValues v = liverec::decode(rec);
  if (param::get(ctx.params, param::DIGITAL_OUT_MODE) != kDigitalOutEdgeCount) return v.stateCode;
  if (v.edgeCount == 0) return -3;
  if (v.edgeCount > param::rowGet(ctx.params, v.program, param::ROW_EDGE_COUNT)) return -5;
  if (v.edgeCount < param::rowGet(ctx.params, ActiveRow(ctx), param::ROW_EDGE_COUNT)) return -4;
  return v.stateCode;
}

std::string ScanRateText(int32_t cycleTimeUs) {
  // A sensor that reports no cycle time has no rate; never divide by it.
  if (cycleTimeUs <= 0) return "0";
  const double f = 1e6 / cycleTimeUs;
  char buf[16];
  if (f > 10)
    std::snprintf(buf, sizeof buf, "%.0f", std::round(f));
  else
    std::snprintf(buf, sizeof buf, "%.1f", f);
  return buf;
}

}  // namespace bx
