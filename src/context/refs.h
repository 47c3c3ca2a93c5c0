#pragma once
// Control references of the main panel, the connection page and the
// calibration settings page, resolved once from the panel resource.
#include <string>
#include <vector>

#include "ui/types.h"

namespace bx {
namespace ui {
class Ui;
}

// The pages of the main panel's tab, by index.
enum MainPage : int { kPageMeasurement = 0, kPageTeach = 3, kPageConnection = 7 };

struct MainRefs {
  ui::CtlRef status, connected, comPortDisp, ipDisp, designation, serial;
  ui::CtlRef send, get, run, stop, memSel, tab, langFlag, test, testField, mmSwitch;
  ui::CtlRef recStart;  // data recorder's start button (REC page)
};

struct ConnRefs {
  ui::CtlRef comType, comPort, baudRate, ipAddr, tcpPort;
  ui::CtlRef tryConnect, disconnect, accept, changeBaud, findPorts, hwInfo, msgBox;
};

struct CalibPageRefs {
  ui::CtlRef tabCalib, infoBox, hwType, calSerial, hwTypeDisp;
  ui::CtlRef xfDivisor, xfSize, ifType, slope, offset, range, lookup, pixelStart, pixelEnd, serviceWord;
};

struct DisplayRefs {
  ui::CtlRef videoGraph, teachGraph, rangeGraph;
};

struct ChoiceRefs {
  ui::CtlRef average, intTrig, ccdMode, outMode;
};

struct Refs {
  MainRefs main;
  ConnRefs conn;
  CalibPageRefs calib;
  ChoiceRefs choice;
  DisplayRefs display;
};

// Fills refs; names missing from the resource are listed in missing.
void resolveCoreRefs(const ui::Ui& ui, Refs& refs, std::vector<std::string>& missing);

}  // namespace bx
