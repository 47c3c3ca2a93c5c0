#include "calib_pages/settings_page.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "calib/backup.h"
#include "calib/calib_file.h"
#include "calib/limits.h"
#include "calib/lookup_write.h"
#include "wire/calib_record.h"
#include "calib_pages/record_binding.h"
#include "calib/xflash_record.h"
#include "calib_pages/calib_lock.h"
#include "calib_pages/calib_pages.h"
#include "context/context.h"
#include "link/ownership.h"
#include "link/report.h"
#include "wire/calib_record.h"

namespace bx {

namespace {

// With neither selector on there is nothing to write.
void updateWriteButton(Context& ctx) {
  const bool any = ctx.ui.intValue(ctx.refs.calib.headerSel) != 0 || ctx.ui.intValue(ctx.refs.calib.lookupSel) != 0;
  ctx.ui.setDimmed(ctx.refs.calib.writeXf, !any);
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
  const std::string text = why.refused(ctx.app.texts);
  ShowStatusText(ctx, text);
  ctx.ui.message(Localized(ctx, "A T T E N T I O N !"), text);
  return true;
}

bool ConfirmCalibWrite(Context& ctx, const std::string& what, const CalibValues& now, const std::string& warning) {
  const CalibRecord& old = ctx.calib.sensorRecordKnown ? ctx.calib.sensorRecord : ctx.calib.record;
  // The slope as it will be stored, not as typed.
  const double newSlope = calib::slopeFromFixed(calib::StoredSlope(ctx.calib.record, now.slopeUm));
  std::string text = Localized(ctx, "Write to the sensor's flash: %1?", {what}) + "\n\n";
  if (!warning.empty()) text += warning + "\n\n";
  auto row = [&](const char* name, const std::string& was, const std::string& will) {
    text += Localized(ctx, name) + "   " + was + "  ->  " + will + "\n";
  };
  row("SLOPE [µm/pixel]:", slopeText(calib::slopeFromFixed(calib::slopeX16384(old))),
      slopeText(newSlope));
  row("OFFSET [µm]:", wholeText(calib::offsetUm(old)), wholeText(now.offsetUm));
  row("RANGE [µm]:", wholeText(calib::rangeUm(old)), wholeText(now.rangeUm));
  if (ctx.ui.confirm(Localized(ctx, "A T T E N T I O N !"), text)) return true;
  ShowStatusText(ctx, "Writing to flash cancelled - nothing written!");
  return false;
}

void CollectCalibRecord(Context& ctx) { calib::CollectRecordFields(ctx); }

namespace {

// The record and/or the table, once the values are checked and the
// operator has seen what changes; nothing is written otherwise.
void writeSelection(Context& ctx, bool header, bool table) {
  const auto sensorType = static_cast<uint32_t>(ctx.ident.hw.hwType);
  // Nothing of a sequence is written when a part of it cannot be.
  if (table && LookupBlockCount(sensorType) == 0) {
    ShowStatusText(ctx, "No lookup table for this sensor's hardware type - nothing written!");
    ctx.ui.message(Localized(ctx, "A T T E N T I O N !"),
                   ctx.app.texts.message("No lookup table for this sensor's hardware type - nothing written!"));
    return;
  }
  // With the header the record comes from the fields; the table alone
  // carries the calibration of the file it came from.
  const CalibValues values = header ? panelValues(ctx) : CalibValuesOf(ctx.calib.record);
  if (RefuseCalibValues(ctx, values)) return;
  std::string warning;
  if (table && ctx.calib.fileHwType != sensorType) {
    warning = Localized(ctx, "ATTENTION: the calibration file is for hardware type %1, the sensor is of type %2!",
                        {std::to_string(ctx.calib.fileHwType), std::to_string(sensorType)});
  }
  const char* what = header && table ? "calibration record and lookup table"
                     : header        ? "calibration record"
                                     : "lookup table";
  if (!ConfirmCalibWrite(ctx, Localized(ctx, what), values, warning)) return;
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
  calib::ShowRecordFields(ctx);
  // The two calibration pages start from the sensor's own line.
  const auto& p = ctx.refs.calib;
  for (ui::CtlRef slope : {p.twoPoint.slope, p.distance.slope}) ui.setValue(slope, calib::slopeFromFixed(calib::slopeX16384(r)));
  for (ui::CtlRef offset : {p.twoPoint.offset, p.distance.offset}) ui.setValue(offset, calib::offsetUm(r));
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
  const ui::CtlRef box = ctx.refs.calib.calFile;
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
    // A refusal that names a value is put together in the language in force.
    ShowStatusText(ctx, ctx.calib.fileRefusal.empty() ? why : ctx.calib.fileRefusal.rejected(ctx.app.texts));
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
  const ui::CtlRef lookupSel = ctx.refs.calib.lookupSel;
  const bool header = ctx.ui.intValue(ctx.refs.calib.headerSel) != 0;
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

int CC_BTNRestoreCalib(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  RestoreCalibration(ctx);
  return 0;
}

int RestoreCalibration(Context& ctx) {
  const std::string attention = Localized(ctx, "A T T E N T I O N !");
  if (!ctx.link.shownConnected) {
    ShowStatusText(ctx, "No sensor connected - nothing restored!");
    ctx.ui.message(attention, Localized(ctx, "No sensor connected - nothing restored!"));
    return 0;
  }
  const int serial = ctx.ident.hw.serial;
  const std::vector<CalibBackup> saved = ListCalibBackups(ctx.calib.backupDir, serial);
  if (saved.empty()) {
    const std::string text = Localized(ctx, "No saved calibration for the sensor with serial number %1!",
                                       {std::to_string(serial)});
    ShowStatusText(ctx, text);
    ctx.ui.message("I n f o !", text);
    return 0;
  }
  std::vector<std::string> labels;
  for (const CalibBackup& b : saved) labels.push_back(CalibBackupLabel(b));
  const int pick = ctx.ui.selectFromList(Localized(ctx, "Restore calibration ..."), labels);
  if (pick < 0 || pick >= static_cast<int>(saved.size())) return 0;
  const CalibBackup& chosen = saved[static_cast<size_t>(pick)];
  const CalibValues values = CalibValuesOf(chosen.record);
  if (RefuseCalibValues(ctx, values)) return 0;
  const std::string what = Localized(ctx, "calibration record saved %1", {chosen.time});
  // The record goes back byte for byte; the slope the question shows is
  // the one stored.
  const CalibRecord before = ctx.calib.record;
  ctx.calib.record = chosen.record;
  if (!ConfirmCalibWrite(ctx, what, values, "")) {
    ctx.calib.record = before;
    return 0;
  }
  ComputeCalibDisplayRange(ctx);
  ShowCalibRecord(ctx);
  RequestCalibRecordWrite(ctx);
  return 1;
}

#define BX_CB(name) {#name, &name}

const ui::CallbackEntry* CalibrationCallbacks(size_t& count) {
  static const ui::CallbackEntry kTable[] = {
      BX_CB(CC_ReadXFLASH), BX_CB(CC_PICBTNcalibfile), BX_CB(CC_WriteXFLASH),
      BX_CB(CC_RBTHeader),  BX_CB(CC_RBTLookup), BX_CB(CC_BTNRestoreCalib),
      // The lock, and the two-point and distance pages.
      BX_CB(CC_TEXTcalibration), BX_CB(CC_TOGGlookup), BX_CB(CC_TBoxCalib), BX_CB(CC_BIN_RES), BX_CB(CC_CheckStep1),
      BX_CB(CC_CheckStep2), BX_CB(CC_ButtonAcceptObject1), BX_CB(CC_ButtonAcceptObject2), BX_CB(CC_ButtonCALC),
      BX_CB(CC_ButtonDISCARD), BX_CB(CC_WriteXFCALIB), BX_CB(CC_CheckDistance1), BX_CB(CC_CheckDistance2),
      BX_CB(CC_NUMslope), BX_CB(CC_NUMoffset),
  };
  count = sizeof kTable / sizeof kTable[0];
  return kTable;
}

#undef BX_CB

}  // namespace bx
