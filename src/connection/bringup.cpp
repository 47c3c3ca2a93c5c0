#include "connection/bringup.h"

#include <algorithm>
#include <cstring>

#include "context/context.h"
#include "link/events.h"
#include "link/exchange.h"
#include "link/ownership.h"
#include "link/report.h"
#include "link/transport.h"
#include "params/edits.h"
#include "params/model_config.h"
#include "connection/conn_page.h"
#include "connection/identify.h"
#include "wire/orders.h"

namespace bx {

int CheckComLine(Context& ctx) {
  int r = Exchange(ctx, order::kEcho, 0);
  int result = 0;
  if (r == 1) {
    ctx.link.echoSerial = static_cast<int16_t>(ctx.link.hdr.param);
    ctx.ident.hw.serial = ctx.link.echoSerial;
    ctx.status = "Echo Check - Line Ok!";
    result = 1;
  } else {
    ctx.status = "read error - not sync byte 0x55!";
  }
  ReportStatus(ctx);
  return result;
}

int ReadFirmwareInfo(Context& ctx) {
  FillTxBuf(ctx, order::kFirmwareInfo, 0, nullptr, 0);
  ShowStatusText(ctx, "Waiting for firmware info ...");
  AppendMessageBox(ctx, "Waiting for firmware info ...\n");
  if (DataExchange(ctx, 8) != 1) {
    ctx.status = "Timeout - reading firmware info!";
    return -1;
  }
  auto& L = ctx.link;
  std::memset(L.fwInfo, 0, sizeof L.fwInfo);
  std::memset(L.fwInfoWork, 0, sizeof L.fwInfoWork);
  ctx.status.clear();
  int len = std::min<int>(static_cast<int>(ReplyLength(ctx)), LinkState::kFwInfoMax);
  std::memcpy(L.fwInfo, ReplyData(ctx), static_cast<size_t>(len));
  L.fwInfo[len] = '\0';
  L.fwInfoParam = L.hdr.param;
  std::memcpy(L.fwInfoWork, L.fwInfo, sizeof L.fwInfo);
  // The text ends at its first zero byte, as the sensor pads it.
  ctx.status.assign(L.fwInfo, strnlen(L.fwInfo, LinkState::kFwInfoMax));
  return len;
}

int InitDataExchange(Context& ctx) {
  if (CheckComLine(ctx) != 1) {
    ctx.ui.setActivePage(ctx.refs.main.tab, kPageConnection);
    ctx.ui.setDimmed(ctx.refs.conn.accept, true);
    DimmButtons(ctx, 1);
    ctx.link.identFailed = 1;
    SetConnectionIndicator(ctx, false);
    ReportStatus(ctx);
    return 0;
  }
  DelayWithEventProcessing(ctx, 0.05);
  if (ReadFirmwareInfo(ctx) <= 0) {
    ctx.status = "Timeout/Error reading firmware-info!";
    ctx.link.identFailed = 1;
    DimmButtons(ctx, 1);
    ReportStatus(ctx);
    return 0;
  }
  return IdentifySensor(ctx);
}

namespace {

// The pictures of a sensor must not outlive its link: whatever is drawn
// next, before the first frame of the new sensor, is drawn from zeros.
void forgetSensorPictures(Context& ctx) {
  auto& live = ctx.live;
  live.video.fill(0);
  live.thresholdProfile.fill(0);
  live.triggeredVideo.fill(0);
  live.edgeP = EdgeList{};
  live.edgeN = EdgeList{};
  live.edgesMerged.fill(0);
  live.edgeTotal = 0;
  for (ui::CtlRef g : {ctx.refs.display.videoGraph, ctx.refs.display.teachGraph}) {
    if (!ctx.ui.valid(g) || ctx.ui.at(g).kind != ui::Kind::Graph) continue;
    ctx.ui.graph(g).clearPlots();
  }
}

}  // namespace

int ConnectProcedure(Context& ctx) {
  // The whole bring-up is one use of the link: an operator action arriving
  // during one of its waits must not slip an exchange in between.
  LinkHold hold(ctx);
  // The attempt shows its time; a cancel raises the abort flag, which ends
  // the wait in progress as a Disconnect would.
  ProgressScope progress(ctx, "Connecting to the sensor ...", 0, true);
  CloseLink(ctx, false);
  forgetSensorPictures(ctx);
  // The records of the last sensor (or the start values) are no reading of
  // this one: only the bring-up's GET makes them sendable again.
  ctx.params.setRead = ctx.params.teachRead = false;
  ForgetRecordsSync(ctx);
  DimmConnectElements(ctx, ctx.link.transport);
  int opened = 0;
  if (ctx.link.transport == TRANSPORT_TCP) {
    ctx.ui.setWaitCursor(true);
    opened = InitTCP_IP(ctx) == 1;
    ctx.ui.setWaitCursor(false);
  } else {
    ctx.ui.setValue(ctx.refs.main.comPortDisp, ctx.link.comPort);
    opened = InitRS232(ctx, ctx.link.comPort, ctx.link.baudIndex) == 1;
  }
  // The form of the page follows the link now open (or none).
  DimmConnectElements(ctx, ctx.link.transport);
  if (!opened) {
    ctx.ui.setDimmed(ctx.refs.conn.accept, true);
    ctx.link.identFailed = 1;
    ShowLinkDown(ctx);
    return -1;
  }
  int r = InitDataExchange(ctx);
  if (r == 1) {
    EnableSensorControls(ctx, true);
    // The settings of the link now open may be stored, whichever transport.
    ctx.ui.setDimmed(ctx.refs.conn.accept, false);
    RebuildModelUi(ctx);
    ctx.link.identFailed = 0;
  } else {
    ctx.link.identFailed = 1;
    ShowLinkDown(ctx);
  }
  return r;
}

}  // namespace bx
