#include "calibration/settings_page.h"

#include <cmath>
#include <string>

#include "calib/calib_file.h"
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

}  // namespace

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

int CC_ReadXFLASH(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  // The read shows its result at once: it does not wait for a loop.
  PerformIfIdle(ctx, [&] {
    CalibRecord r;
    if (ReadCalibDataFromXF(ctx, r.bytes.data(), CalibRecord::kSize) == 1) {
      ctx.calib.record = r;
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
    ShowStatusText(ctx, why);
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
  if (ctx.ui.intValue(ctl(ctx, "HEADERSEL")) != 0) {
    CollectCalibRecord(ctx);
    ComputeCalibDisplayRange(ctx);
    RequestCalibRecordWrite(ctx);
  }
  if (ctx.ui.intValue(lookupSel) != 0) {
    if (ctx.calib.fileLoaded == 0) {
      ctx.ui.message("ATTENTION !", ctx.app.texts.message("No valid calibration file selected!"));
    } else {
      RequestLookupWrite(ctx);
    }
    ctx.ui.setValue(lookupSel, 0);
  }
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
