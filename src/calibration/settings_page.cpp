#include "calibration/settings_page.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "calib/calib_file.h"
#include "calib/limits.h"
#include "calib/lookup_write.h"
#include "calib/record.h"
#include "calib/xflash_record.h"
#include "calibration/calib_lock.h"
#include "calibration/calib_pages.h"
#include "context/context.h"
#include "link/ownership.h"
#include "link/report.h"

namespace bx {

namespace {

ui::CtlRef ctl(Context& ctx, const char* name) { return ctx.ui.find("TAB_SETT", name); }

// With neither selector on there is nothing to write.
void updateWriteButton(Context& ctx) {
  const bool any = ctx.ui.intValue(ctl(ctx, "HEADERSEL")) != 0 || ctx.ui.intValue(ctl(ctx, "LOOKUPSEL")) != 0;
  ctx.ui.setDimmed(ctl(ctx, "WRITEXF"), !any);
}

std::string slopeText(double um) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.5f", um);
  return buf;
}

std::string wholeText(double v) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.0f", v);
  return buf;
}

// The settings page's fields as they stand, before any of them is cut to
// its field in the record.
CalibValues panelValues(Context& ctx) {
  const auto& p = ctx.refs.calib;
  CalibValues v;
  v.slopeUm = ctx.ui.value(p.slope);
  v.offsetUm = std::round(ctx.ui.value(p.offset));
  v.rangeUm = std::round(ctx.ui.value(p.range));
  v.hasIdentity = true;
  v.serial = std::round(ctx.ui.value(p.calSerial));
  v.hwType = std::round(ctx.ui.value(p.hwTypeDisp));
  return v;
}

}  // namespace

bool RefuseCalibValues(Context& ctx, const CalibValues& v) {
  CalibRefusal why;
  if (CheckCalibValues(v, ModelReachOf(ctx), why)) return false;
  const std::string text = why.refused(ctx.app.language);
  ShowStatusText(ctx, text);
  ctx.ui.message(Lang(ctx, "A T T E N T I O N !", "A C H T U N G !"), text);
  return true;
}

bool ConfirmCalibWrite(Context& ctx, const std::string& what, const CalibValues& now, const std::string& warning) {
  const CalibRecord& old = ctx.calib.sensorRecordKnown ? ctx.calib.sensorRecord : ctx.calib.record;
  const bool de = ctx.app.language == 1;
  // The slope as it will be stored, not as typed.
  const double newSlope = calib::slopeFromFixed(calib::slopeToFixed(now.slopeUm));
  std::string text = (de ? "In den Flash des Sensors schreiben: " : "Write to the sensor's flash: ") + what + "?\n\n";
  if (!warning.empty()) text += warning + "\n\n";
  auto row = [&](const char* name, const std::string& was, const std::string& will) {
    text += std::string(name) + "   " + was + "  ->  " + will + "\n";
  };
  row(de ? "STEIGUNG [µm/Pixel]:" : "SLOPE [µm/pixel]:", slopeText(calib::slopeFromFixed(calib::slopeX16384(old))),
      slopeText(newSlope));
  row("OFFSET [µm]:", wholeText(calib::offsetUm(old)), wholeText(now.offsetUm));
  row(de ? "BEREICH [µm]:" : "RANGE [µm]:", wholeText(calib::rangeUm(old)), wholeText(now.rangeUm));
  if (ctx.ui.confirm(Lang(ctx, "A T T E N T I O N !", "A C H T U N G !"), text)) return true;
  ShowStatusText(ctx, "Writing to flash cancelled - nothing written!");
  return false;
}

void CollectCalibRecord(Context& ctx) {
  auto& ui = ctx.ui;
  const auto& p = ctx.refs.calib;
  CalibRecord& r = ctx.calib.record;
  auto u16 = [&](ui::CtlRef c) { return static_cast<uint16_t>(ui.intValue(c)); };
  calib::setField16(r, calib::OFF_SERIAL, u16(p.calSerial));
  calib::setField32(r, calib::OFF_HWTYPE, static_cast<uint32_t>(ui.value(p.hwTypeDisp)));
  calib::setField16(r, calib::OFF_IF_TYPE, u16(p.ifType));
  calib::setField16(r, calib::OFF_XF_SIZE, u16(p.xfSize));
  calib::setField16(r, calib::OFF_XF_DIVISOR, u16(p.xfDivisor));
  calib::setField16(r, calib::OFF_LOOKUP, u16(p.lookup));
  calib::setField16(r, calib::OFF_PIXEL_START, u16(p.pixelStart));
  calib::setField16(r, calib::OFF_PIXEL_END, u16(p.pixelEnd));
  calib::setField32(r, calib::OFF_OFFSET, static_cast<uint32_t>(static_cast<int32_t>(std::lround(ui.value(p.offset)))));
  calib::setField32(r, calib::OFF_RANGE, static_cast<uint32_t>(static_cast<int32_t>(std::lround(ui.value(p.range)))));
  calib::setField32(r, calib::OFF_SLOPE, static_cast<uint32_t>(calib::slopeToFixed(ui.value(p.slope))));
}

namespace {

// The record and/or the table, once the values are checked and the
// operator has seen what changes; nothing is written otherwise.
void writeSelection(Context& ctx, bool header, bool table) {
  const bool de = ctx.app.language == 1;
  const auto sensorType = static_cast<uint32_t>(ctx.ident.hw.hwType);
  // Nothing of a sequence is written when a part of it cannot be.
  if (table && LookupBlockCount(sensorType) == 0) {
    ShowStatusText(ctx, "No lookup table for this sensor's hardware type - nothing written!");
    ctx.ui.message(Lang(ctx, "A T T E N T I O N !", "A C H T U N G !"),
                   ctx.app.texts.message("No lookup table for this sensor's hardware type - nothing written!"));
    return;
  }
  // With the header the record comes from the fields; the table alone
  // carries the calibration of the file it came from.
  const CalibValues values = header ? panelValues(ctx) : CalibValuesOf(ctx.calib.record);
  if (RefuseCalibValues(ctx, values)) return;
  std::string warning;
  if (table && ctx.calib.fileHwType != sensorType) {
    warning = (de ? "ACHTUNG: die Kalibrierdatei ist für Hardware-Typ " : "ATTENTION: the calibration file is for hardware type ") +
              std::to_string(ctx.calib.fileHwType) + (de ? ", der Sensor ist vom Typ " : ", the sensor is of type ") +
              std::to_string(sensorType) + "!";
  }
  const char* what = header && table ? (de ? "Kalibrierdatensatz und Lookup-Tabelle" : "calibration record and lookup table")
                     : header        ? (de ? "Kalibrierdatensatz" : "calibration record")
                                     : (de ? "Lookup-Tabelle" : "lookup table");
  if (!ConfirmCalibWrite(ctx, what, values, warning)) return;
  if (header) {
    CollectCalibRecord(ctx);
    ComputeCalibDisplayRange(ctx);
  }
  RequestCalibWrites(ctx, header, table);
}

}  // namespace

void ShowCalibRecord(Context& ctx) {
  const auto& r = ctx.calib.record;
  auto& ui = ctx.ui;
  const auto& p = ctx.refs.calib;
  ui.setValue(p.hwTypeDisp, calib::hwType(r));
  ui.setValue(p.calSerial, calib::serial(r));
  ui.setValue(p.xfDivisor, calib::field16(r, calib::OFF_XF_DIVISOR));
  ui.setValue(p.xfSize, calib::field16(r, calib::OFF_XF_SIZE));
  ui.setValue(p.ifType, calib::field16(r, calib::OFF_IF_TYPE));
  ui.setValue(p.slope, calib::slopeFromFixed(calib::slopeX16384(r)));
  ui.setValue(p.offset, calib::offsetUm(r));
  ui.setValue(p.range, calib::rangeUm(r));
  ui.setValue(p.lookup, calib::field16(r, calib::OFF_LOOKUP));
  ui.setValue(p.pixelStart, calib::field16(r, calib::OFF_PIXEL_START));
  ui.setValue(p.pixelEnd, calib::field16(r, calib::OFF_PIXEL_END));
  // The two calibration pages start from the sensor's own line.
  for (const char* page : {"TAB_2P", "TAB_DIST"}) {
    ui.setValue(ui.find(page, "SLOPE"), calib::slopeFromFixed(calib::slopeX16384(r)));
    ui.setValue(ui.find(page, "OFFSET"), calib::offsetUm(r));
  }
}

void InstallCalibDisplays(Context& ctx) { ctx.displays.calibRecord = &ShowCalibRecord; }

int CC_ReadXFLASH(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  // The read shows its result at once: it does not wait for a loop.
  PerformIfIdle(ctx, [&] {
    CalibRecord r;
    if (ReadCalibDataFromXF(ctx, r.bytes.data(), CalibRecord::kSize) == 1) {
      ctx.calib.record = r;
      ctx.calib.sensorRecord = r;
      ctx.calib.sensorRecordKnown = true;
      ShowCalibRecord(ctx);
    }
  });
  return 0;
}

int CC_PICBTNcalibfile(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  ui::FileRequest req;
  req.directory = ctx.app.userFilesDir;
  req.defaultName = "XF-LINEAR.DAT";
  req.filter = "*.dat";
  req.title = "Quellan-Calibration-File";
  std::string path;
  const ui::CtlRef box = ctl(ctx, "CALFILE");
  ctx.calib.pflashArea = 0;
  if (ctx.ui.fileSelect(req, path) == ui::FILE_CANCEL || path.empty()) {
    ctx.calib.fileLoaded = 0;
    ctx.ui.setText(box, "WK No valid calib.-file selected!");
    return 0;
  }
  std::string why;
  if (ReadCalibrationDataFromFile(path, ctx.calib, why) == 1) {
    ctx.ui.setText(box, path);
  } else {
    ctx.ui.setText(box, "WK No valid calib.-file selected!");
    // A refusal that names a value has its German text beside it.
    ShowStatusText(ctx, ctx.app.language == 1 && !ctx.calib.fileRefusalDe.empty() ? ctx.calib.fileRefusalDe : why);
  }
  // Header values taken over even from a file without its table are shown.
  ShowCalibRecord(ctx);
  return 0;
}

int CC_RBTHeader(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT || ev.event == ui::EVENT_VAL_CHANGED) updateWriteButton(ctx);
  return 0;
}

int CC_RBTLookup(Context& ctx, const ui::EventArgs& ev) { return CC_RBTHeader(ctx, ev); }

int CC_WriteXFLASH(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const ui::CtlRef lookupSel = ctl(ctx, "LOOKUPSEL");
  const bool header = ctx.ui.intValue(ctl(ctx, "HEADERSEL")) != 0;
  bool table = ctx.ui.intValue(lookupSel) != 0;
  if (table) {
    // The selector is cleared whatever becomes of the table.
    ctx.ui.setValue(lookupSel, 0);
    if (ctx.calib.fileLoaded == 0) {
      ctx.ui.message("ATTENTION !", ctx.app.texts.message("No valid calibration file selected!"));
      table = false;
    }
  }
  if (header || table) writeSelection(ctx, header, table);
  updateWriteButton(ctx);
  return 0;
}

#define BX_CB(name) {#name, &name}

const ui::CallbackEntry* CalibrationCallbacks(size_t& count) {
  static const ui::CallbackEntry kTable[] = {
      BX_CB(CC_ReadXFLASH), BX_CB(CC_PICBTNcalibfile), BX_CB(CC_WriteXFLASH),
      BX_CB(CC_RBTHeader),  BX_CB(CC_RBTLookup),
      // The lock, and the two-point and distance pages.
      BX_CB(CC_TEXTcalibration), BX_CB(CC_TOGGlookup), BX_CB(CC_TBoxCalib), BX_CB(CC_CheckStep1),
      BX_CB(CC_CheckStep2), BX_CB(CC_ButtonAcceptObject1), BX_CB(CC_ButtonAcceptObject2), BX_CB(CC_ButtonCALC),
      BX_CB(CC_ButtonDISCARD), BX_CB(CC_WriteXFCALIB), BX_CB(CC_CheckDistance1), BX_CB(CC_CheckDistance2),
      BX_CB(CC_NUMslope), BX_CB(CC_NUMoffset),
  };
  count = sizeof kTable / sizeof kTable[0];
  return kTable;
}

#undef BX_CB

}  // namespace bx
