#include "context/refs.h"

#include "ui/refs.h"

namespace bx {

void resolveCoreRefs(const ui::Ui& ui, Refs& r, std::vector<std::string>& missing) {
  const ui::RefSpec specs[] = {
      {"MAIN", "STATUS", &r.main.status},
      {"MAIN", "SERVICE", &r.main.serviceLine},
      {"MAIN", "CONNECTED", &r.main.connected},
      {"MAIN", "COMPORT", &r.main.comPortDisp},
      {"MAIN", "IPADDR", &r.main.ipDisp},
      {"MAIN", "DESIGNATION", &r.main.designation},
      {"MAIN", "SERIAL", &r.main.serial},
      {"MAIN", "SEND", &r.main.send},
      {"MAIN", "GET", &r.main.get},
      {"MAIN", "RUN", &r.main.run},
      {"MAIN", "STOP", &r.main.stop},
      {"MAIN", "MEMSEL", &r.main.memSel},
      {"MAIN", "TABmain", &r.main.tab},
      {"MAIN", "LANGFLAG", &r.main.langFlag},
      {"MAIN", "TEST", &r.main.test},
      {"MAIN", "TESTFIELD", &r.main.testField},
      {"MAIN", "MMSWITCH", &r.main.mmSwitch},
      {"REC", "START", &r.main.recStart},
      {"CONN", "COM_TYPE", &r.conn.comType},
      {"CONN", "COMPORT", &r.conn.comPort},
      {"CONN", "BAUDRATE", &r.conn.baudRate},
      {"CONN", "IPADDR", &r.conn.ipAddr},
      {"CONN", "TCPPORT", &r.conn.tcpPort},
      {"CONN", "TRY_CONNECT", &r.conn.tryConnect},
      {"CONN", "DISCONNECT", &r.conn.disconnect},
      {"CONN", "ACCEPT", &r.conn.accept},
      {"CONN", "CHANGE_BAUD", &r.conn.changeBaud},
      {"CONN", "FIND_PORTS", &r.conn.findPorts},
      {"CONN", "HWINFO", &r.conn.hwInfo},
      {"CONN", "MSGBOX", &r.conn.msgBox},
      {"CALIB", "TABcalib", &r.calib.tabCalib},
      {"TAB_SETT", "INFOBOX", &r.calib.infoBox},
      {"TAB_SETT", "HWTYPE", &r.calib.hwType},
      {"TAB_SETT", "CAL_SERIAL", &r.calib.calSerial},
      {"TAB_SETT", "HWTYPE_DISP", &r.calib.hwTypeDisp},
      {"TAB_SETT", "XF_DIVISOR", &r.calib.xfDivisor},
      {"TAB_SETT", "XF_SIZE", &r.calib.xfSize},
      {"TAB_SETT", "IF_TYPE", &r.calib.ifType},
      {"TAB_SETT", "SLOPE", &r.calib.slope},
      {"TAB_SETT", "OFFSET", &r.calib.offset},
      {"TAB_SETT", "RANGE", &r.calib.range},
      {"TAB_SETT", "LOOKUP", &r.calib.lookup},
      {"TAB_SETT", "PIXEL_START", &r.calib.pixelStart},
      {"TAB_SETT", "PIXEL_END", &r.calib.pixelEnd},
      {"TAB_SETT", "SERVICE_WORD", &r.calib.serviceWord},
      {"VIDEO", "VIDEOGRAPH", &r.display.videoGraph},
      {"TEACH", "VIDEOGRAPH", &r.display.teachGraph},
      {"MAIN", "RANGEGRAPH", &r.display.rangeGraph},
      {"PARA1", "AVERAGE", &r.choice.average},
      {"PARA2", "INTTRIG", &r.choice.intTrig},
      {"PARA1", "CCDMODE", &r.choice.ccdMode},
      {"PARA1", "OUTMODE", &r.choice.outMode},
  };
  ui::resolveRefs(ui, specs, sizeof specs / sizeof specs[0], missing);
}

}  // namespace bx
