#include "params/labels.h"

#include <array>
#include <vector>

namespace bx::param {
namespace {

struct LabelPair {
  std::vector<const char*> en, de;
};

const LabelPair& table(LabelField f) {
  static const std::array<LabelPair, 10> kTables = {{
      {{"POSITION", "CENTER", "DISTANCE"}, {"POSITION", "ZENTRUM", "ABSTAND"}},
      {{"COMP-OFF", "COMP-ON"}, {"KOMP-AUS", "KOMP-EIN"}},
      {{"NOT-USED", "IN0-L/H", "IN0-HIGH", "SEL-PROG2", "SEL-PROG4", "LASER-ON", "DYN-VTHD"},
       {"NICHT-BENUTZT", "IN0-L/H", "IN0-HIGH", "SEL-PROG2", "SEL-PROG4", "LASER-EIN", "DYN_VTHD"}},
      {{"NOT-USED", "DARK-PIXEL", "LIGHT-PIXEL", "POS-EDGE LO/HI", "NEG-EDGE HI/LO"},
       {"NICHT-BENUTZT", "ABGED.-PIXEL", "BELICHT.-PIXEL", "POS-KANTE LO/HI", "NEG-KANTE HI/LO"}},
      {{"NORMAL", "FAST", "FASTEST"}, {"NORMAL", "SCHNELL", "HÖCHST"}},
      {{"FIX-THRESHOLD", "TRACK-THRESHOLD", "AUTO-THRESHOLD"}, {"FESTE-SCHWELLE", "NACHGEF.-SCHW.", "AUTO-SCHWELLE"}},
      {{"INVERT", "DIRECT"}, {"INVERS", "DIREKT"}},
      {{"DIRECT", "MAXIMA", "MINIMA", "MAX-MIN"}, {"DIREKT", "MAXIMA", "MINIMA", "MAX-MIN"}},
      {{"DIRECT 10V", "ZOOM-X1", "ZOOM-X2", "ZOOM-X4", "ZOOM-X8", "ZOOM-X16", "TOL-WIN 5V", "TOL-WIN 10V"},
       {"DIREKT 10V", "ZOOM-X1", "ZOOM-X2", "ZOOM-X4", "ZOOM-X8", "ZOOM-X16", "TOL-BAND 5V", "TOL-BAND 10V"}},
      {{"U-OUT [VOLTAGE]", "I-OUT [CURRENT]"}, {"U-AUS [SPANNUNG]", "I-AUS [STROM]"}},
  }};
  return kTables[static_cast<size_t>(f)];
}

std::string codeText(int code) { return "CODE " + std::to_string(code); }

}  // namespace

std::string ModeLabel(LabelField field, int code, int language) {
  const auto& t = table(field);
  const auto& labels = language == 1 ? t.de : t.en;
  if (code < 0 || code >= static_cast<int>(labels.size())) return codeText(code);
  return labels[static_cast<size_t>(code)];
}

std::string OutModeLabel(int code, int outputConfig) {
  static const char* kTwo[] = {"[-]:0, [+]:1",    "[-]:0, [OK]:1",    "[+]:0, [OK]:1",
                               "[TRG]:0, [OK]:1", "[DRT]:0, [OK]:1", "[DRT]:0, [TRG]:1"};
  static const char* kThree[] = {"[-]:0, [+]:1, [OK]:2", "[-]:0, [+]:1, [TG]:2", "[-]:0, [+]:1, [DT]:2",
                                 "[OK]:0, [DT]:1, [TG]:2"};
  if (outputConfig == 4) {
    if (code >= 0 && code < 6) return kTwo[code];
  } else if (code >= 0 && code < 4) {
    return kThree[code];
  }
  return codeText(code);
}

const char* SearchDirPicture(int code) { return code == 1 ? "arrow_left.bmp" : "arrow_right.bmp"; }

}  // namespace bx::param
