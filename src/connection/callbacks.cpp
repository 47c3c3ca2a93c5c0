#include "connection/callbacks.h"

#include "connection/conn_page.h"

namespace bx {

#define BX_CB(name) {#name, &name}

const ui::CallbackEntry* ConnectionCallbacks(size_t& count) {
  static const ui::CallbackEntry kTable[] = {
      BX_CB(CC_DROPComType),        BX_CB(CC_NUMrs232comport),  BX_CB(CC_DROPBaudRate),
      BX_CB(CC_EDITIpAdress),       BX_CB(CC_STRINGipAddress),  BX_CB(CBF_StringPortNumber),
      BX_CB(CC_NUMtcpport),         BX_CB(CC_CBTNTryToConnect), BX_CB(CC_CBTNDisconnect),
      BX_CB(CC_CBTNChangeBaudRate), BX_CB(CC_ButtonFindComPorts),
  };
  count = sizeof kTable / sizeof kTable[0];
  return kTable;
}

#undef BX_CB

}  // namespace bx
