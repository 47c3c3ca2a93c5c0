#pragma once
// Editing rules of the parameter controls: the output assignment must agree
// with the internal trigger and the dirt detection.
//
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include <string>

#include "ui/types.h"

namespace bx {
struct Context;

namespace param {

enum class RuleMsg {
  None,
  TrigOff,
  DirtOff,
  BothOff,
  TrigOn,
  DirtOn,
  BothOn,
  OutPlusOk,
  OutPlusTrg,
  OutPlusDrt,
  OutOkDrtTrg,
  OutMinusPlus,
  OutTrgOk,
  OutDrtOk,
  OutDrtTrg,
};

// The English texts; the language file gives them in the language in force.
const char* RuleText(RuleMsg m);
const char* ConfirmTitle();
const char* InfoTitle();

// What choosing output mode m asks, given whether the internal trigger and
// the dirt detection are on. -1 in setT/setD means unchanged.
struct OutModeDecision {
  RuleMsg question = RuleMsg::None;
  int setT = -1, setD = -1;  // on Yes
  int noMode = -1;           // output mode on No
};
OutModeDecision DecideOutMode(int outputConfig, int mode, bool trigOn, bool dirtOn);

}  // namespace param

int CC_DROPoutmode(Context& ctx, const ui::EventArgs& ev);
int CC_DROPIntTrigMode(Context& ctx, const ui::EventArgs& ev);
int CC_DROPDirtMode(Context& ctx, const ui::EventArgs& ev);
int CC_NUMTrigThreshold(Context& ctx, const ui::EventArgs& ev);
int CC_NUMDirtThreshold(Context& ctx, const ui::EventArgs& ev);
int CC_DROPvideoThdMode(Context& ctx, const ui::EventArgs& ev);
int CC_SLIDEVideoThreshold(Context& ctx, const ui::EventArgs& ev);
int CC_PICBTNRefreshVTHD(Context& ctx, const ui::EventArgs& ev);
// Read-out speed (the CCD-Operation-Mode ring).
int CC_RINGopMode(Context& ctx, const ui::EventArgs& ev);
int CC_DROPanaMode(Context& ctx, const ui::EventArgs& ev);
int CC_NUMrow(Context& ctx, const ui::EventArgs& ev);
int CC_BINSWmillimeter(Context& ctx, const ui::EventArgs& ev);
// Controls whose value is only taken when the parameter set is collected.
int CC_HelpOnly(Context& ctx, const ui::EventArgs& ev);

// Shows the edge B cell of a row for a trigger mode: 1 / -1 and read-only
// under an edge trigger, otherwise 0 (editable unless POSITION).
void SetEdgeBForTrigger(Context& ctx, int row, int intTriggerMode);

}  // namespace bx
