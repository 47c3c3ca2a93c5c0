#include "params/hwinfo.h"

#include <cstring>
#include <string>

#include "context/context.h"
#include "files/hwinfo_file.h"
#include "link/exchange.h"
#include "link/ownership.h"
#include "link/report.h"
#include "wire/orders.h"

namespace bx {

int GenerateHardwareInfoFile(Context& ctx, std::string* fileError) {
  uint8_t block[files::kHwInfoBlockBytes] = {};
  // A short block would be dumped with invented zeros: count it as a failed transfer.
  if (Exchange(ctx, order::kHardwareInfoFile, order::kHardwareInfoFileKey) != 1 || ReplyLength(ctx) < files::kHwInfoBlockBytes) {
    ctx.status = "Transmission error [GENERATE HW-INFO-FILE]!";
    ShowStatus(ctx);
    return -1;
  }
  std::memcpy(block, ReplyData(ctx), files::kHwInfoBlockBytes);
  ctx.status = "Transmission [HW-INFO-FILE] successful!";

  ui::FileRequest req;
  req.save = true;
  req.directory = ctx.app.userFilesDir;
  req.defaultName = files::kHwInfoFileName;
  req.filter = "*.ini";
  req.title = ctx.app.texts.message("Generate Hardware Info File");
  req.restrictExtension = false;
  req.allowNewFolder = true;
  std::string path;
  int result = 0;
  if (ctx.ui.fileSelect(req, path) != ui::FILE_CANCEL && !path.empty()) {
    ctx.app.hwInfoVersionText = files::VersionText();
    std::string error;
    const auto& p = ctx.params;
    // Start values are no snapshot of the sensor: records never read are
    // left out (and the file cannot pass them on as a parameter file).
    if (files::WriteHardwareInfoFile(path, ctx.link.fwInfo, block, p.setRead ? p.set.data() : nullptr,
                                     p.teachRead ? p.teach.data() : nullptr,
                                     ctx.calib.record.bytes.data(), ctx.calib.locked == 0, &error) == 1) {
      result = 1;
    } else {
      ctx.status = "Hardware-Info-File - Write error!";
      ctx.ui.message(Localized(ctx, "ATTENTION"), ctx.app.texts.message(ctx.status) + "\n" + error);
      if (fileError) *fileError = error;
      result = -1;
    }
  }
  ShowStatus(ctx);
  return result;
}

int CC_CBTNGenerateHWInfoFile(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    ctx.run.state = RUN_IDLE;
    return 0;
  }
  if (ev.event != ui::EVENT_COMMIT) return 0;
  PerformIfIdle(ctx, [&] { GenerateHardwareInfoFile(ctx); });
  return 0;
}

}  // namespace bx
