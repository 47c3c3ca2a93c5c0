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
  int panel = -1;
  ui::CtlRef status, connected, comPortDisp, ipDisp, designation, serial;
  ui::CtlRef send, get, run, stop, memSel, tab, langFlag, test, testField, mmSwitch;
  ui::CtlRef serviceLine;  // why the last exchange failed, beside the status
  ui::CtlRef recStart;  // data recorder's start button (REC page)
  ui::CtlRef logo, title, version, testSwitch;
};

struct ConnRefs {
  ui::CtlRef comType, comPort, baudRate, ipAddr, tcpPort;
  ui::CtlRef tryConnect, disconnect, accept, changeBaud, findPorts, hwInfo, msgBox;
};

// A calibration page's steps: its two boxes, the diameter and pixel of
// each point (the distance page has one of each), the guide of each step
// (0 general, 1 and 2 the boxes'), on the distance page its picture, and
// the line it works out (slope and offset).
struct CalibStepRefs {
  int panel = -1;
  ui::CtlRef check[2], diameter[2], pixel[2], guide[3], picture[3];
  ui::CtlRef slope, offset;
};

struct CalibPageRefs {
  ui::CtlRef tabCalib, infoBox, hwType, calSerial, hwTypeDisp;
  ui::CtlRef xfDivisor, xfSize, ifType, slope, offset, range, lookup, pixelStart, pixelEnd, serviceWord;
  ui::CtlRef headerSel, lookupSel, writeXf, calFile;
  CalibStepRefs twoPoint, distance;
  // Found once by the calibration lock, in the order of its tables: the
  // controls it dims, the lookup-table controls and the service fields it
  // shows on request, and their two switches.
  std::vector<ui::CtlRef> lockables, lookupControls, serviceFields;
  ui::CtlRef lookupToggle, serviceSwitch;
  // The settings page's copies of parameter fields and the fields they
  // copy, pair by pair.
  std::vector<ui::CtlRef> copies, copied;
};

struct DisplayRefs {
  ui::CtlRef videoGraph, teachGraph, rangeGraph;
};

struct ChoiceRefs {
  ui::CtlRef average, intTrig, ccdMode, outMode;
};

// The live displays, written every cycle of the run loop.
struct LiveRefs {
  ui::CtlRef edgeA, edgeB, valuePx, valueMm, edgeCount, program, stateText, in0, in1, trigLamp, trigCount;
  ui::CtlRef dirtLamp, peak, livePower, teachVal, tolUp, tolLo, maxVal, minVal, scanRate, toolRate;
  ui::CtlRef rollGraph, zoom, trigText, teachTrigText;
};

// The data recorder's page.
struct RecRefs {
  ui::CtlRef rs232Mode, incTime, samples, file, fileBtn, start, pause, stop, zoomRec;
  ui::CtlRef days, hours, minutes, seconds, recDate, recTime, recCount;
  ui::CtlRef recVal, recMm, recEdges, recProg, recState, recStatus, recGraph;
  // A recording opened again: open, export, its header and its chart.
  ui::CtlRef openRec, exportCsv, hdrOffset, hdrSlope, hdrMode, hdrInc, hdrFile, recView;
};

// The main panel's status bar beyond the status line: the link area, the
// last failure, a long operation's progress and its cancel button.
struct StatusBarRefs {
  ui::CtlRef link, lastFailure, progress, cancel;
};

// The Compare window; [0] the left side, [1] the right.
struct CompareRefs {
  int panel = -1;
  ui::CtlRef source[2], file[2], fileBtn[2], take[2];
  ui::CtlRef onlyDiff, table, result;
};

// The help window and its text.
struct HelpRefs {
  int panel = -1;
  ui::CtlRef text;
};

// The message log's pane.
struct LogPaneRefs {
  int panel = -1;
  ui::CtlRef text, copy, save, close;
};

struct Refs {
  MainRefs main;
  ConnRefs conn;
  CalibPageRefs calib;
  ChoiceRefs choice;
  DisplayRefs display;
  LiveRefs live;
  RecRefs rec;
  StatusBarRefs status;
  LogPaneRefs log;
  CompareRefs compare;
  HelpRefs help;
};

// Fills refs; names missing from the resource are listed in missing.
void resolveCoreRefs(const ui::Ui& ui, Refs& refs, std::vector<std::string>& missing);

}  // namespace bx
