#include "identify/identify.h"

#include <cmath>
#include <cstring>
#include <string>

#include "calib/record.h"
#include "calib/xflash_record.h"
#include "context/context.h"
#include "link/conn_page.h"
#include "link/exchange.h"
#include "link/orders.h"
#include "link/report.h"
#include "params/transfer.h"

namespace bx {
namespace {

constexpr const char* kAttention = "Attention !!!";

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

GateDecision FirmwareGate(bool tarnis, int v) {
  GateDecision d;
  auto pick = [&](const char* bx, const char* tn) { return std::string(tarnis ? tn : bx); };
  if (v < 500) {
    d.refuse = true;
    d.message = pick("Incompatible hardware detected!\nPlease use Quellan-BX-Scope software version 4.x !",
                     "Incompatible hardware detected!\nPlease use Tarnis-T1-TOOL-Scope software version 4.x !");
    d.status = pick("Please use Quellan-BX-Scope Version 4.x !", "Please use Tarnis-T1-TOOL-Scope Version 4.x !");
  } else if (v <= 509) {
    d.refuse = true;
    d.message = pick("Incompatible or older firmware detected!\nPlease use Quellan-BX-Scope software version V5.0 !",
                     "Incompatible or older firmware detected!\nPlease use Tarnis-T2-TOOL-Scope software version V5.0 !");
    d.status = pick("Please use Quellan-BX-Scope software version V5.0 !",
                    "Please use Tarnis-T2-TOOL-Scope software version V5.0 !");
  } else if (v == 511) {
    // Accepted silently.
  } else if (v <= 519) {
    d.refuse = true;
    d.message = pick("Incompatible or older firmware detected!\nPlease use Quellan-BX-Scope software version V5.1 !",
                     "Incompatible or older firmware detected!\nPlease use Tarnis-T2-Tool-Scope software version V5.1 !");
    d.status = pick("Please use Quellan-BX-Scope software version V5.1 !",
                    "Please use Tarnis-T2-Tool-Scope software version V5.1 !");
  } else if (v <= 529) {
    d.message = pick("Incompatible or older firmware detected!\nPlease use Quellan-BX-Scope software version V5.2 !",
                     "Incompatible or older firmware detected!\nPlease use Tarnis-T2-Tool-Scope software version V5.2 !");
    d.status = pick("Please use Quellan-BX-Scope software version V5.2 !",
                    "Please use Tarnis-T2-Tool-Scope software version V5.2 !");
  } else if (v <= 539) {
    d.refuse = true;
    d.message = pick("Incompatible or older firmware detected!\nPlease use Quellan-BX-Scope software version V5.3 !",
                     "Incompatible or older firmware detected!\nPlease use Tarnis-T2-Tool-Scope software version V5.3 !");
    d.status = pick("Please use Quellan-BX-Scope software version V5.3 !",
                    "Please use Tarnis-T2-Tool-Scope software version V5.3 !");
  } else if (v == 540) {
    d.showDistancePage = false;
  } else if (v <= 550) {
    d.showDistancePage = true;
  } else {
    d.refuse = true;
    d.message = pick(
        "Incompatible or newer firmware detected!\nPlease use Quellan-BX-Scope software version newer than V5.5 !",
        "Incompatible or newer firmware detected!\nPlease use Tarnis-T2-Tool-Scope software version newer than V5.5 !");
    d.status = pick("Please use Quellan-BX-Scope software newer than V5.5 !",
                    "Please use Tarnis-T2-Tool-Scope software newer than V5.5 !");
  }
  return d;
}

void DimmButtons(Context& ctx, unsigned dim) {
  bool d = dim >= 1;
  ctx.ui.setOperable(ctx.refs.main.send, !d);
  ctx.ui.setOperable(ctx.refs.main.get, !d);
  ctx.ui.setOperable(ctx.refs.main.run, !d);
  ui::Color c = d ? ui::kRed : ui::kBlack;
  ctx.ui.setTextColor(ctx.refs.main.status, c);
  ctx.ui.setTextColor(ctx.refs.conn.msgBox, c);
}

int GetHARDWAREInfo(Context& ctx) {
  if (Exchange(ctx, order::kHardwareInfo, 0) != 1) {
    ctx.status = FailureText(ctx, "Timeout-RS-232...");
    return 0;
  }
  auto& hw = ctx.ident.hw;
  hw.raw.fill(0);
  std::memcpy(hw.raw.data(), ReplyData(ctx), std::min<unsigned>(32, ReplyLength(ctx)));
  const uint8_t* p = hw.raw.data();
  hw.boardCode = frame::gets32(p + 0);
  hw.hwType = frame::gets32(p + 4);
  hw.serial = frame::gets16(p + 8);
  hw.fwVersion = frame::gets16(p + 10);
  hw.subPixel = frame::gets16(p + 14);
  hw.lowestPixel = frame::gets16(p + 16);
  hw.highestPixel = frame::gets16(p + 18);
  hw.videoRange = frame::gets16(p + 20);
  hw.pixelCount = frame::gets16(p + 26);
  if (hw.subPixel < 256) hw.subPixel = 256;
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
    ctx.ui.message(kAttention, s.message);
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
      ctx.ui.message(kAttention, g.message);
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
    ApplyCalibrationRange(ctx);

    PushGET(ctx, MEM_RAM);

    ctx.status.assign(L.fwInfo);
    boxLine = std::string(L.fwInfo) + "\nSerial-No: #" + std::to_string(ctx.ident.hw.serial) + "\n";
    L.identFailed = 0;
    result = 1;
    SetConnectionIndicator(ctx, true);
  } while (false);

  ShowStatus(ctx);
  boxLine += '\n';
  AppendMessageBox(ctx, boxLine);
  return result;
}

}  // namespace bx
