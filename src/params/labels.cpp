#include "params/labels.h"

#include <array>
#include <vector>

#include "context/context.h"

namespace bx::param {
namespace {

// English; the language file gives them in the language in force.
using Labels = std::vector<const char*>;

const Labels& table(LabelField f) {
  static const std::array<Labels, 10> kTables = {{
      {"POSITION", "CENTER", "DISTANCE"},
      {"COMP-OFF", "COMP-ON"},
      {"NOT-USED", "IN0-L/H", "IN0-HIGH", "SEL-PROG2", "SEL-PROG4", "LASER-ON", "DYN-VTHD"},
      {"NOT-USED", "DARK-PIXEL", "LIGHT-PIXEL", "POS-EDGE LO/HI", "NEG-EDGE HI/LO"},
      {"NORMAL", "FAST", "FASTEST"},
      {"FIX-THRESHOLD", "TRACK-THRESHOLD", "AUTO-THRESHOLD"},
      {"INVERT", "DIRECT"},
      {"DIRECT", "MAXIMA", "MINIMA", "MAX-MIN"},
      {"DIRECT 10V", "ZOOM-X1", "ZOOM-X2", "ZOOM-X4", "ZOOM-X8", "ZOOM-X16", "TOL-WIN 5V", "TOL-WIN 10V"},
      {"U-OUT [VOLTAGE]", "I-OUT [CURRENT]"},
  }};
  return kTables[static_cast<size_t>(f)];
}

std::string codeText(int code) { return "CODE " + std::to_string(code); }

}  // namespace

std::string ModeLabel(LabelField field, int code, const LanguageData& texts) {
  const auto& labels = table(field);
  if (code < 0 || code >= static_cast<int>(labels.size())) return codeText(code);
  return texts.message(labels[static_cast<size_t>(code)]);
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
