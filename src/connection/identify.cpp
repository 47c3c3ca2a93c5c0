#include "connection/identify.h"

#include <cmath>
#include <cstring>
#include <string>

#include "calib/xflash_record.h"
#include "context/context.h"
#include "context/scope_hooks.h"
#include "identify/gate.h"
#include "link/exchange.h"
#include "link/report.h"
#include "params/model_config.h"
#include "params/transfer.h"
#include "connection/conn_page.h"
#include "wire/calib_record.h"
#include "wire/hw_record.h"
#include "wire/orders.h"

namespace bx {
namespace {

constexpr const char* kAttention = "Attention !!!";
constexpr const char* kGetFailedAtBringUp = "Parameter-frame not read! - GET again before SEND!";

struct Sibling {
  const char* prefix;
  const char* message;
  const char* status;
};

// Checked in this order; "Tarnis-T" warns but does not refuse.
const Sibling kSiblings[] = {
    {"Quellan-KV", "Incompatible hardware detected!\nPlease use Quellan-KV-Scope software version!",
     "Please use Quellan-KV-Scope software version!"},
    {"Quellan-ZN", "Incompatible hardware detected!\nPlease use Quellan-ZN-Scope software version!",
     "Please use Quellan-ZN-Scope software version!"},
    {"Tarnis-T", "Velmar Tarnis-TOOL firmware-version detected!\nPlease use Tarnis-TOOL software!",
     "Please use Tarnis-TOOL software!"},
    {"Quellan-MW", "Incompatible hardware detected!\nPlease use Quellan-MW-Scope software version!",
     "Please use Quellan-MW-Scope software version!"},
    {"Prismar", "Incompatible hardware detected!\nPlease use Prismar-Scope software version!",
     "Please use Prismar-Scope software version!"},
    {"Texor", "Incompatible hardware detected!\nPlease use Texor-Scope software version!",
     "Please use Texor-Scope software version!"},
};

bool startsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

}  // namespace

void DimmButtons(Context& ctx, unsigned dim) {
  bool d = dim >= 1;
  ctx.ui.setOperable(ctx.refs.main.send, !d);
  ctx.ui.setOperable(ctx.refs.main.get, !d);
  ctx.ui.setOperable(ctx.refs.main.run, !d);
  // STOP stays usable once a sensor was connected: it only ends a loop.
  if (!d) ctx.ui.setOperable(ctx.refs.main.stop, true);
  ui::Color c = d ? ui::kRed : ui::kBlack;
  ctx.ui.setTextColor(ctx.refs.main.status, c);
  ctx.ui.setTextColor(ctx.refs.conn.msgBox, c);
}

int GetHARDWAREInfo(Context& ctx) {
  if (Exchange(ctx, order::kHardwareInfo, 0) != 1) {
    ctx.status = FailureText(ctx, "Timeout-RS-232...");
    return 0;
  }
  hwrec::decode(ReplyData(ctx), ReplyLength(ctx), ctx.ident.hw);
  if (ctx.link.hdr.order == order::kHardwareInfo) ConfigureModel(ctx);
  return 1;
}

int IdentifySensor(Context& ctx) {
  auto& L = ctx.link;
  std::string boxLine;
  int result = 0;
  const char* fw = L.fwInfoWork;
  const bool tarnis = startsWith(fw, "Tarnis-T");

  if (startsWith(fw, "Quellan-BX") || tarnis) {
    DimmButtons(ctx, 0);
    L.identFailed = 0;
  } else {
    DimmButtons(ctx, 1);
    L.identFailed = 1;
  }
  for (const auto& s : kSiblings) {
    if (!startsWith(fw, s.prefix)) continue;
    DimmButtons(ctx, 1);
    ctx.ui.message(ctx.app.texts.message(kAttention), ctx.app.texts.message(s.message));
    ctx.status = s.status;
    boxLine = std::string(L.fwInfo) + "\n";
  }

  do {
    if (L.identFailed == 1) break;
    if (GetHARDWAREInfo(ctx) == 0) {
      ctx.status = "Error reading HARDWARE-info!";
      L.identFailed = 1;
      break;
    }
    GateDecision g = FirmwareGate(tarnis, ctx.ident.hw.fwVersion);
    if (!g.message.empty()) {
      ctx.ui.message(ctx.app.texts.message(kAttention), ctx.app.texts.message(g.message));
      ctx.status = g.status;
      boxLine = std::string(L.fwInfo) + "\n";
    }
    if (g.refuse) {
      DimmButtons(ctx, 1);
      L.identFailed = 1;
      break;
    }
    ctx.ident.distanceCalibPageVisible = g.showDistancePage;
    SetDistanceCalibPageVisible(ctx, g.showDistancePage);

    CalibRecord rec = ctx.calib.record;
    if (ReadCalibDataFromXF(ctx, rec.bytes.data(), CalibRecord::kSize) <= 0) {
      ctx.status = "Error reading CALIBRATION-Data";
      L.identFailed = 1;
      break;
    }
    ctx.calib.record = rec;
    TakeOverCalibRecord(ctx);
    ShowCalibRecordHook(ctx);
    ApplyCalibrationRange(ctx);

    const bool got = PushGET(ctx, MEM_RAM) == 1;
    const std::string getFailure = ctx.status;
    RefreshScopeCycle(ctx);

    ctx.status.assign(L.fwInfo);
    boxLine = std::string(L.fwInfo) + "\nSerial-No: #" + std::to_string(ctx.ident.hw.serial) + "\n";
    if (!got) {
      // The sensor answers, but its records are not in the tool: the
      // operator must know before pressing SEND, which is refused now.
      ctx.status = kGetFailedAtBringUp;
      boxLine += getFailure + "\n" + kGetFailedAtBringUp + "\n";
      ctx.ui.setTextColor(ctx.refs.main.status, ui::kRed);
    }
    L.identFailed = 0;
    result = 1;
    SetConnectionIndicator(ctx, true);
  } while (false);

  // Every refusal or failed step leaves the sensor buttons dimmed and the
  // status texts red.
  if (result != 1) DimmButtons(ctx, 1);
  ShowStatus(ctx);
  boxLine += '\n';
  AppendMessageBox(ctx, boxLine);
  return result;
}

}  // namespace bx
