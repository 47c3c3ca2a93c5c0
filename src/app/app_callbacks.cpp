#include "app/app_callbacks.h"

#include "app/help.h"
#include "app/main_panel.h"
#include "app/menus.h"
#include "app/message_sink.h"

namespace bx {

#define BX_CB(name) {#name, &name}

const ui::CallbackEntry* AppCallbacks(size_t& count) {
  static const ui::CallbackEntry kTable[] = {
      BX_CB(CC_PANEL),          BX_CB(CC_PANELpopup),  BX_CB(CC_TABmain),
      BX_CB(CC_TABGselect),     BX_CB(CC_ButtonTest),  BX_CB(CC_BINSWtest),  BX_CB(CC_ButtonReset),
      BX_CB(CC_CBTNAcceptComSetting), BX_CB(CC_MENUapplication), BX_CB(CC_MENUsettings),
      BX_CB(CC_MENUhelp),       BX_CB(CC_PIClanguage), BX_CB(CC_Help),
      BX_CB(CC_MENUview),       BX_CB(CC_PANELlog),    BX_CB(CC_BTNLogCopy), BX_CB(CC_BTNLogSave),
      BX_CB(CC_BTNLogClose),    BX_CB(CC_BTNCancelProgress),
  };
  count = sizeof kTable / sizeof kTable[0];
  return kTable;
}

#undef BX_CB

}  // namespace bx
