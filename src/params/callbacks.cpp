#include "params/callbacks.h"

#include "params/teach.h"
#include "params/compare_window.h"
#include "params/hwinfo.h"
#include "params/rules.h"
#include "params/table_edit.h"
#include "params/transfer.h"

namespace bx {

#define BX_CB(name) {#name, &name}
#define BX_HELP(name) {#name, &CC_HelpOnly}

const ui::CallbackEntry* ParamCallbacks(size_t& count) {
  static const ui::CallbackEntry kTable[] = {
      BX_CB(CC_BTNGet),
      BX_CB(CC_PANELcompare),
      BX_CB(CC_RINGcompareSource),
      BX_CB(CC_BTNcompareFile),
      BX_CB(CC_BTNcompare),
      BX_CB(CC_BINSWcompareOnlyDiff),
      BX_CB(CC_BTNcompareTake),
      BX_CB(CC_TableCompare),
      BX_CB(CC_BTNSend),
      BX_CB(CC_RBTRamEEFile),
      BX_CB(CC_CMD_SND),
      BX_CB(CC_DROPhwtype),
      BX_CB(CC_NUM_PWR),
      BX_CB(CC_DROPopMode),
      BX_CB(CC_NUMtrgPix),
      BX_CB(CC_NEDITRangeTeachBeg),
      BX_CB(CC_NEDITRangeTeachEnd),
      BX_CB(CC_CBTNGenerateHWInfoFile),
      BX_CB(CC_DROPoutmode),
      BX_CB(CC_DROPIntTrigMode),
      BX_CB(CC_DROPDirtMode),
      BX_CB(CC_NUMTrigThreshold),
      BX_CB(CC_NUMDirtThreshold),
      BX_CB(CC_DROPvideoThdMode),
      BX_CB(CC_SLIDEVideoThreshold),
      BX_CB(CC_PICBTNRefreshVTHD),
      BX_CB(CC_RINGopMode),
      BX_CB(CC_DROPanaMode),
      BX_CB(CC_NUMrow),
      BX_CB(CC_BINSWmillimeter),
      BX_CB(CC_ButtonTeachMain),
      BX_CB(CC_ButtonTeach),
      BX_CB(CC_BTNRefreshEdgeBuf),
      BX_CB(CC_TableTeach1),
      BX_CB(CC_NEDITTeach),
      BX_CB(CC_NEDITToleranceUP),
      BX_CB(CC_NEDITToleranceLO),
      BX_CB(CC_NEDITRangeBeg),
      BX_CB(CC_NEDITRangeEnd),
      BX_CB(CC_DROPTrigMode),
      BX_CB(CC_GRIDSetSelectionTo),
      BX_CB(CC_GRIDResetSelection),
      BX_CB(CC_PICBTNclearTable),
      BX_HELP(CC_DROPsearchdir),
      BX_HELP(CC_RINGpolarity),
      BX_HELP(CC_DROPaverage),
      BX_HELP(CC_DROPanaZoom),
      BX_HELP(CC_DROPanaOutput),
      BX_HELP(CC_SLIDEpower),
      BX_HELP(CC_SLIDEExposeTime),
      BX_HELP(CC_DROPdataSmooth),
      BX_HELP(CC_DROPbgmode),
  };
  count = sizeof kTable / sizeof kTable[0];
  return kTable;
}

#undef BX_HELP
#undef BX_CB

}  // namespace bx
