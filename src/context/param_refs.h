#pragma once
// Control references of the parameter pages (PARA1, PARA2, TEACH) and the
// measurement-page fields that show parameter values.
#include <string>
#include <vector>

#include "ui/types.h"

namespace bx {
namespace ui {
class Ui;
}

struct Para1Refs {
  ui::CtlRef polarity, searchDir, bgMode, smooth, anaMode, anaZoom, anaOut, power, expose;
  ui::CtlRef rs232Mode, rs232Baud, teachTarget;
};

struct Para2Refs {
  ui::CtlRef trigPix, extTrig, dirtMode, dirtThr, vthdMode, vthd, refreshVthd;
};

struct TeachPageRefs {
  ui::CtlRef table, progNo, teachBtn, refreshEdges, clearTable, posEdge, negEdge;
};

// The measurement page carries what the operator watches while measuring.
struct MeasureRefs {
  ui::CtlRef videoUnit, teachVal, tolUp, tolLo, rangeBeg, rangeEnd, unitLabel, teachBtn, edgeCount;
  ui::CtlRef stateText, trigLamp, trigCount, dirtLamp, posEdge, negEdge;
  ui::CtlRef maxMin, maxVal, minVal, maxMinReset;
};

struct SummaryRefs {
  ui::CtlRef evalMode, edges, outMode, polarity, searchDir, bgMode, extTrig, intTrig, ccdMode, vthdMode;
  ui::CtlRef anaMode, anaZoom, anaOut;
};

struct ParaRefs {
  Para1Refs p1;
  Para2Refs p2;
  TeachPageRefs teach;
  MeasureRefs meas;
  SummaryRefs sum;
};

void resolveParaRefs(const ui::Ui& ui, ParaRefs& refs, std::vector<std::string>& missing);

}  // namespace bx
