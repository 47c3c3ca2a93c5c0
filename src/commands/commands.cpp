#include "commands/commands.h"

#include <algorithm>
#include <cstring>

#include "context/context.h"
#include "context/displays.h"
#include "link/exchange.h"
#include "link/report.h"
#include "wire/edge_reply.h"
#include "wire/orders.h"

namespace bx {
namespace {

const char* transportText(Context& ctx, const char* rs232, const char* tcp) { return FailureText(ctx, rs232, tcp); }

void copySamples(const Context& ctx, std::array<uint16_t, 256>& dest) {
  uint8_t bytes[512] = {};
  std::memcpy(bytes, ReplyData(ctx), std::min<unsigned>(512, ReplyLength(ctx)));
  for (size_t i = 0; i < 256; ++i) dest[i] = frame::get16(bytes + 2 * i);
}

// A simple request whose status text gets " -> Ok!" on success.
int simpleOrder(Context& ctx, int order, int param, const char* text, const char* errRs232, const char* errTcp) {
  ctx.status = text;
  int r;
  if (Exchange(ctx, order, param) == 1) {
    ctx.status += " -> Ok!";
    r = 0;
  } else {
    ctx.status = transportText(ctx, errRs232, errTcp);
    r = -1;
  }
  ShowStatus(ctx);
  return r;
}

}  // namespace

int GetLiveData(Context& ctx, int trigger) {
  if (Exchange(ctx, order::kLiveData, trigger != 0 ? 1 : 0) != 1) {
    ctx.status = transportText(ctx, "Timeout RS232-Line!", "TCP-Server-error!");
    ctx.run.state = RUN_IDLE;
    return -1;
  }
  ctx.status = "Transmission successful - Line Ok!";
  ctx.live.record.fill(0);
  std::memcpy(ctx.live.record.data(), ReplyData(ctx), std::min<unsigned>(64, ReplyLength(ctx)));
  return 1;
}

int GetDATA(Context& ctx, int kind) {
  if (ctx.live.armedTrigger != 0 && (kind == 1 || kind == -1)) kind = 2;
  if (Exchange(ctx, order::kVideoData, kind) != 1) {
    ctx.status = transportText(ctx, "Timeout RS232-Line!", "TCP-Server-error!");
    ctx.run.state = RUN_IDLE;
    return -1;
  }
  ctx.status = "Transmission successful  - Line Ok!";
  copySamples(ctx, kind == 0 ? ctx.live.video : kind == 1 ? ctx.live.thresholdProfile : ctx.live.triggeredVideo);
  return 1;
}

int PushRefreshDATA(Context& ctx, int row) {
  if (Exchange(ctx, order::kVideoData, ctx.live.armedTrigger != 0 ? 2 : 0) != 1) {
    ctx.status = FailureText(ctx, "VIDEO: Timeout RS232-Line!");
    ShowStatus(ctx);
    // Only a loop is ended by the time-out state; outside one the tool stays
    // idle and usable.
    if (ctx.run.state == RUN_LOOP) ctx.run.state = RUN_TIMEOUT;
    return -1;
  }
  ctx.status = "Transmission successful  <---> Line Ok!";
  ShowStatus(ctx);
  copySamples(ctx, ctx.live.video);
  PlotVIDEOCurve(ctx, row);
  return 1;
}

int PushRESET(Context& ctx) {
  return simpleOrder(ctx, order::kResetOutputs, 0, "RESET analog/digital output ...", "Reset-Error:Timeout RS232-Line!",
                     "Reset-Error:Timeout TCP-Server-error!");
}

int PushTEST(Context& ctx, int order) {
  ctx.status = "GET LINE OK from sensor ...";
  int r;
  if (Exchange(ctx, order, 0) == 1) {
    ctx.status += " -> Ok!";
    r = 0;
  } else {
    ctx.status = transportText(ctx, "BTN-TEST-Error:Timeout RS232-Line!", "BTN-TEST-Error:Timeout TCP-Server-error!");
    r = -1;
  }
  ShowStatus(ctx);
  return r;
}

int WriteVideoDataToEE(Context& ctx, int value) {
  return simpleOrder(ctx, order::kVideoThresholdEeprom, value, "SAVE video-threshold to EEPROM ...", "VTHD-Write-Error:Timeout RS232-Line!",
                     "VTHD-Write-Error:Timeout TCP-Server-error!");
}

int WriteVideoDataToRAM(Context& ctx, int value) {
  return simpleOrder(ctx, order::kVideoThresholdRam, value, "SAVE video-threshold to RAM ...", "VTHD-Write-Error:Timeout RS232-Line!",
                     "VTHD-Write-Error:Timeout TCP-Server-error!");
}

int SetLaserPower(Context& ctx, int power) {
  return simpleOrder(ctx, order::kLaserPower, power, power == 0 ? "LASER OFF at hardware ..." : "SET LASER POWER at hardware ...",
                     "Timeout RS232-Line!", "Timeout TCP-Server-error!");
}

void MergeEdges(const EdgeList& p, const EdgeList& n, int16_t out[32]) {
  const bool nFirst = p.pos[0] > n.pos[0];
  for (size_t i = 0; i < 16; ++i) {
    out[2 * i] = nFirst ? n.pos[i] : p.pos[i];
    out[2 * i + 1] = nFirst ? p.pos[i] : n.pos[i];
  }
}

int GetEDGE(Context& ctx, int kind) {
  if (Exchange(ctx, order::kEdgeQuery, kind != 0 ? 1 : 0) != 1) {
    ctx.status = transportText(ctx, "EDGE: Timeout RS232-Line!", "EDGE: Timeout TCP-Server-error!");
    return -1;
  }
  ctx.status = "Transmission successful - Line Ok!";
  auto& L = ctx.live;
  edgereply::decode(ReplyData(ctx), ReplyLength(ctx), L.edgeP, L.edgeN);
  L.edgeTotal = static_cast<uint16_t>(L.edgeP.count + L.edgeN.count);
  L.edgeParam = ctx.link.hdr.param;
  MergeEdges(L.edgeP, L.edgeN, L.edgesMerged.data());
  return L.edgeTotal;
}

bool CalibrationCommand(Context& ctx, unsigned mode, int32_t slopeX16384, int32_t offsetUm) {
  static const char* kTexts[] = {"STOP calibration ...", "START calibration ...", "SAVE calibration ..."};
  ctx.status = kTexts[mode > 2 ? 2 : mode];
  uint8_t data[8];
  frame::put32(data, static_cast<uint32_t>(slopeX16384));
  frame::put32(data + 4, static_cast<uint32_t>(offsetUm));
  bool ok = Exchange(ctx, order::kCalibCommand, static_cast<int>(mode), mode == 2 ? data : nullptr, mode == 2 ? 8 : 0) == 1;
  if (ok)
    ctx.status += " -> Ok!";
  else
    ctx.status = transportText(ctx, "Timeout RS232-Line!", "Timeout TCP-Server-error!");
  ShowStatus(ctx);
  return ok;
}

}  // namespace bx
