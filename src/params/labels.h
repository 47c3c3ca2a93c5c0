#pragma once
// Text labels of the mode fields, as the status summary shows them.
#include <string>

namespace bx {
struct LanguageData;
}

namespace bx::param {

enum class LabelField {
  EvalMode,
  BackgroundMode,
  ExtTriggerMode,
  IntTriggerMode,
  CcdOperationMode,
  VideoThresholdMode,
  Polarity,
  AnalogMode,
  AnalogZoomMode,
  AnalogOutMode,
};

// Label of a code in the language of texts. Codes that
// pass sanitising but have no label of their own give "CODE n".
std::string ModeLabel(LabelField field, int code, const LanguageData& texts);
// Output assignment label; the two-output models (output configuration 4)
// have a table of their own.
std::string OutModeLabel(int code, int outputConfig);
// Picture of the edge search direction.
const char* SearchDirPicture(int code);

}  // namespace bx::param
