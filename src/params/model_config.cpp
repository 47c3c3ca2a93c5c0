#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "context/context.h"
#include "identify/catalogue.h"
#include "link/report.h"
#include "params/defaults.h"
#include "params/fields.h"
#include "params/model_config.h"
#include "wire/calib_record.h"

namespace bx {
namespace {

void setInfoLines(Context& ctx, const std::array<std::string, 4>& lines) {
  ctx.ident.model.infoLines = lines;
  std::string text = lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n" + lines[3];
  ctx.ui.setText(ctx.refs.calib.infoBox, text);
}

void scaleGraphsX(Context& ctx, double min, double max, const char* unit) {
  for (ui::CtlRef g : {ctx.refs.display.videoGraph, ctx.refs.display.rangeGraph}) {
    if (!ctx.ui.valid(g)) continue;
    ctx.ui.graph(g).x.min = min;
    ctx.ui.graph(g).x.max = max;
    ctx.ui.graph(g).x.unit = unit;
  }
}

void fillSampleTables(Context& ctx) {
  auto& m = ctx.ident.model;
  int pixels = ctx.ident.hw.pixelCount > 0 ? ctx.ident.hw.pixelCount : 1;
  for (int i = 0; i < 256; ++i) {
    m.samplePixels[static_cast<size_t>(i)] = static_cast<double>(i * m.subPixelFactor);
    m.sampleMm[static_cast<size_t>(i)] = m.workingRangeMm * m.samplePixels[static_cast<size_t>(i)] / pixels;
  }
}

// The graphs follow the unit in force: millimetres or pixels.
void applyUnitToGraphs(Context& ctx) {
  const auto& m = ctx.ident.model;
  if (ctx.params.unitMm == 1) {
    scaleGraphsX(ctx, 0, m.workingRangeMm, "mm");
    if (ctx.ui.valid(ctx.refs.display.rangeGraph)) {
      ctx.ui.graph(ctx.refs.display.rangeGraph).x.precision = m.axisDecimals;
      ctx.ui.graph(ctx.refs.display.rangeGraph).x.max = std::ceil(m.workingRangeMm);
    }
  } else {
    scaleGraphsX(ctx, 0, ctx.ident.hw.pixelCount, "pixel");
    if (ctx.ui.valid(ctx.refs.display.rangeGraph)) ctx.ui.graph(ctx.refs.display.rangeGraph).x.precision = 0;
  }
}

void fillChoiceLists(Context& ctx, const catalogue::ModelEntry& e) {
  auto& ui = ctx.ui;
  std::vector<ui::Item> avg = {{"  1", 1},  {"  2", 2},  {"  4", 4},   {"  8", 8},   {" 16", 16},
                               {" 32", 32}, {" 64", 64}, {"128", 128}, {"256", 256}, {"512", 512}};
  if (e.group == 4) avg.push_back({"1024", 1024});
  ui.setItems(ctx.refs.choice.average, avg);

  // The choices' own section: the same English word may read otherwise in
  // the status summary.
  auto choice = [&](const char* english) {
    const std::string* t = ctx.app.texts.find("CHOICES", english);
    return t ? *t : std::string(english);
  };
  static const char* kTrig[] = {"DISABLE", "DARK-PIXEL TRIGG", "LIGHT-PIXEL TRIGG", "POS-EDGE L/H TRIGG",
                                "NEG-EDGE H/L TRIGG"};
  int nTrig = ctx.ident.hw.fwVersion > 542 ? 5 : 3;
  std::vector<ui::Item> trig;
  for (int i = 0; i < nTrig; ++i) trig.push_back({choice(kTrig[i]), static_cast<double>(i)});
  ui.setItems(ctx.refs.choice.intTrig, trig);

  std::vector<ui::Item> speed;
  for (const auto& s : catalogue::speedChoices(e.group)) speed.push_back({choice(s.label), static_cast<double>(s.value)});
  ui.setItems(ctx.refs.choice.ccdMode, speed);

  std::vector<ui::Item> out;
  if (e.group == 4) {
    out = {{"[ - ]OUT0, [+]OUT1, [OK]OUT2", 0}, {"[TRG]OUT0, [+]OUT1, [OK]OUT2", 1}, {"[TRG]OUT0, [-]OUT1, [OK]OUT2", 2}};
    if (ctx.ident.hw.fwVersion > 400) out.push_back({"[DRT]OUT0, [PRT]OUT1, [OK]OUT2", 3});
  } else if (e.outputConfig == 4) {
    out = {{"[-]OUT0, [+]OUT1", 0},    {"[-]OUT0, [OK]OUT1", 1},   {"[+]OUT0, [OK]OUT1", 2},
           {"[TRG]OUT0, [OK]OUT1", 3}, {"[DRT]OUT0, [OK]OUT1", 4}, {"[DRT]OUT0, [TRG]OUT1", 5}};
  } else {
    out = {{"[-]OUT0, [+]OUT1, [OK]OUT2", 0},
           {"[-]OUT0, [+]OUT1, [TRG]OUT2", 1},
           {"[-]OUT0, [+]OUT1, [DRT]OUT2", 2},
           {"[OK]OUT0, [DRT]OUT1, [TRG]OUT2", 3}};
  }
  ui.setItems(ctx.refs.choice.outMode, out);
  ui.setDimmed(ctx.refs.choice.outMode, e.group == 4);
}

void writeCatalogueInfo(Context& ctx, const catalogue::ModelEntry& e) {
  if (e.group == 7) {
    std::string blanks(25, ' ');
    setInfoLines(ctx, {"No information avialable!", blanks, blanks, blanks});
    return;
  }
  if (!e.known) {
    // A listed board with an unlisted type: say so rather than show nothing.
    setInfoLines(ctx, {"-------- UNKNOWN --------", "", "", ""});
    return;
  }
  auto line = [&](const std::string& english) { return e.linesLocalized ? Localized(ctx, english) : english; };
  setInfoLines(ctx, {"-------- " + e.designation + " --------", line(e.lines[0]), line(e.lines[1]), line(e.lines[2])});
}

}  // namespace

void ApplyModelTexts(Context& ctx) {
  auto e = catalogue::lookup(ctx.ident.hw.boardCode, ctx.ident.hw.hwType);
  writeCatalogueInfo(ctx, e);
  fillChoiceLists(ctx, e);
}

void ConfigureModel(Context& ctx) {
  auto& hw = ctx.ident.hw;
  auto& m = ctx.ident.model;
  scaleGraphsX(ctx, 0, hw.pixelCount, "pixel");
  int count = hw.subPixel;
  m.subPixelFactor = catalogue::subPixelFactor(hw.subPixel, count);
  hw.subPixel = static_cast<int16_t>(count);
  for (int i = 0; i < 256; ++i) m.samplePixels[static_cast<size_t>(i)] = static_cast<double>(i * m.subPixelFactor);
  ctx.ui.setDimmed(ctx.refs.main.mmSwitch, false);
  ctx.ui.setDimmed(ctx.refs.display.rangeGraph, false);

  auto e = catalogue::lookup(hw.boardCode, hw.hwType);
  m.group = e.group;
  m.displayPrecision = e.displayPrecision;
  m.axisDecimals = e.axisDecimals;
  m.outputConfig = e.outputConfig;
  m.designation = e.designation;
  writeCatalogueInfo(ctx, e);
  ctx.ui.setText(ctx.refs.main.designation, m.designation);
  if (e.rangeFromCalibration) {
    ApplyCalibrationRange(ctx);
  } else {
    m.workingRangeMm = e.workingRangeMm;
  }
  if (e.umPerPixel > 0) m.umPerPixel = e.umPerPixel;
  m.hasMinIntegration = e.hasMinIntegration;
  m.minIntegrationMs = e.minIntegrationMs;
  m.maxIntegrationMs = 5.0;
  if (e.hasMmStep) m.mmStep = e.mmStep;
  m.hasRangeOrigin = e.rangeOrigin;
  if (e.rangeOrigin) m.rangeOriginMm = 0.0;
  m.mmPerPixel = m.workingRangeMm / (hw.pixelCount > 0 ? hw.pixelCount : 1);

  fillChoiceLists(ctx, e);
  m.videoFullScale = catalogue::videoFullScale(e.group, hw.videoRange);

  ctx.ui.setText(ctx.refs.main.serial, std::to_string(hw.serial));
  ctx.ui.setValue(ctx.refs.calib.hwType, hw.hwType);
  ctx.ui.setValue(ctx.refs.calib.hwTypeDisp, hw.hwType);
  ctx.ui.setValue(ctx.refs.calib.calSerial, calib::serial(ctx.calib.record));

  fillSampleTables(ctx);
  applyUnitToGraphs(ctx);
}

void ApplyCalibrationRange(Context& ctx) {
  auto e = catalogue::lookup(ctx.ident.hw.boardCode, ctx.ident.hw.hwType);
  if (!e.rangeFromCalibration) return;
  // Derived from the record of this connection, in millimetres.
  auto& m = ctx.ident.model;
  int pixels = ctx.ident.hw.pixelCount > 0 ? ctx.ident.hw.pixelCount : 1;
  m.workingRangeMm = calib::slopeX16384(ctx.calib.record) / 16384.0 * ctx.ident.hw.pixelCount / 1000.0;
  m.mmPerPixel = m.workingRangeMm / pixels;
  fillSampleTables(ctx);
  applyUnitToGraphs(ctx);
}

void selectHARDWARE(Context& ctx, unsigned hwType, int boardCode) {
  (void)boardCode;
  auto& ui = ctx.ui;
  const auto& cr = ctx.refs.calib;
  ui.setValue(cr.xfDivisor, 1);
  ui.setValue(cr.offset, 0);
  auto d = catalogue::defaultsFor(hwType);
  auto& p = ctx.params;
  int speed = param::get(p, param::CCD_OPERATION_MODE);
  int resolution = d.known ? d.resolution[static_cast<size_t>(speed > 2 ? 0 : speed)] : 2;
  double rangeMm = ctx.ident.model.workingRangeMm;
  std::string banner = "-------- " + ctx.ident.model.designation + " --------";
  if (d.known) {
    ui.setValue(cr.slope, d.umPerPixel);
    ui.setValue(cr.range, d.rangeUm);
    ui.setValue(cr.xfSize, d.xfSize);
    ui.setValue(cr.serviceWord, d.serviceWord);
    param::ApplyModelDefaults(p.set, p.teach, hwType);
    rangeMm = d.rangeUm / 1000.0;
    banner = "-------- " + d.banner + " --------";
  }
  char range[32];
  std::snprintf(range, sizeof range, "%.3f", rangeMm);
  setInfoLines(ctx, {banner, Localized(ctx, "subpixel = %1", {std::to_string(ctx.ident.hw.subPixel)}),
                     Localized(ctx, "working range = %1 [mm]", {range}),
                     Localized(ctx, "resolution = +/- %1 [µm]", {std::to_string(resolution)})});
}

void RebuildModelUi(Context& ctx) {
  ApplyModelTexts(ctx);
  applyUnitToGraphs(ctx);
  SetDistanceCalibPageVisible(ctx, ctx.ident.distanceCalibPageVisible);
}

void SetDistanceCalibPageVisible(Context& ctx, bool visible) {
  ui::CtlRef tab = ctx.refs.calib.tabCalib;
  if (!ctx.ui.valid(tab)) return;
  const auto& pages = ctx.ui.at(tab).pages;
  if (pages.size() < 3) return;
  ctx.ui.setPageVisible(pages[2], visible);
}

}  // namespace bx
