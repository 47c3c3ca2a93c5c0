#include "link/transport.h"

#include "context/context.h"
#include "context/session_hooks.h"
#include "link/port_reason.h"
#include "link/report.h"
#include "platform/serial_port.h"

namespace bx {

const char* SerialErrorText(int code) {
  switch (code) {
    case -1: return "Unknown system error";
    case -2: return "Invalid port number";
    case -3: return "Port is not open";
    case -4: return "Unknown I/0 error";
    case -6: return "No serial port found";
    case -7: return "Cannot open port";
    case -13: return "Invalid parameter";
    case -99: return "Timeout";
    default: return "RS-232 error!";
  }
}

const char* TcpErrorText(int code) {
  static const char* const kTexts[] = {
      "UnableToRegisterService", "UnableToEstablishConnection", "ExistingServer",
      "FailedToConnect",         "ServerNotRegistered",         "TooManyConversations",
      "ReadFailed",              "WriteFailed",                 "InvalidParameter",
      "OutOfMemory",             "TimeOutError",                "NoConnectionEstablished",
      "GeneralIOErr",            "ConnectionClosed",            "UnableToLoadWinsockDLL",
      "IncorrectWinsockDLLVersion", "NetworkSubsystemNotReady", "ConnectionsStillOpen",
      "DisconnectPending",       "InfoNotAvailable"};
  if (code <= -1 && code >= -20) return kTexts[-code - 1];
  return "Connection to server failed";
}

int InitRS232(Context& ctx, int port, unsigned baudIndex) {
  ctx.ui.setValue(ctx.refs.main.comPortDisp, port);
  long baud = platform::baudOfIndex(static_cast<int>(baudIndex));
  int r = ctx.serial.open(port, baud);
  ctx.link.openReason.clear();
  ctx.link.adapterRemoved = false;
  if (r < 0) {
    ctx.status = SerialErrorText(r);
    ctx.link.portOpen = 0;
    ReportStatus(ctx);
    // The code's text stays as it is; the line below it says why and what
    // to do.
    ctx.link.openReason = SerialOpenReason(ctx, ctx.serial.diagnosis());
    if (!ctx.link.openReason.empty()) AppendMessageBox(ctx, ctx.link.openReason + "\n");
    return r;
  }
  ctx.serial.setTimeout(ctx.link.replyTimeout);
  ctx.serial.flushInQ();
  ctx.serial.flushOutQ();
  ctx.serial.setCtsMode(false);
  ctx.status = "RS232 open com-port - successful!";
  ctx.link.portOpen = 1;
  ctx.link.port = &ctx.serial;
  ctx.link.drainFirst = false;
  ReportStatus(ctx);
  return 1;
}

int InitTCP_IP(Context& ctx) {
  if (ctx.link.tcpConnected > 0) {
    ctx.tcp.disconnect();
    ctx.link.tcpConnected = 0;
    ctx.link.tcpHandle = 0;
    if (ctx.link.port == &ctx.tcp) ctx.link.port = nullptr;
  }
  ctx.ui.setWaitCursor(true);
  int r = ctx.tcp.connect(ctx.link.ipAddress, ctx.link.tcpPort, 2 * ctx.link.tcpTimeoutMs);
  ctx.ui.setWaitCursor(false);
  if (r < 0) {
    ctx.status = TcpErrorText(r);
    ctx.link.tcpConnected = 0;
    ctx.link.tcpHandle = 0;
  } else {
    ctx.status = "TCP-server-connect successful!";
    ctx.link.tcpConnected = 1;
    ctx.link.tcpHandle = static_cast<uint32_t>(r);
    ctx.link.rxCount = 0;
    ctx.tcp.setWriteTimeoutMs(ctx.link.tcpTimeoutMs);
    ctx.link.port = &ctx.tcp;
    ctx.link.drainFirst = false;
    ctx.link.adapterRemoved = false;
  }
  ReportStatus(ctx);
  return ctx.link.tcpConnected;
}

int CC_ClientTCP(Context& ctx, uint32_t handle, int event, int error) {
  (void)handle;
  (void)error;
  auto& L = ctx.link;
  if (event == platform::TCP_EVENT_DATAREADY) {
    // The bytes go to the client's own queue; the waits take them from there.
    (void)ctx.tcp.available();
  } else if (event == platform::TCP_EVENT_DISCONNECT) {
    ctx.status = "SERVER HAS CLOSED CONNECTION!";
    ctx.tcp.disconnect();
    L.tcpHandle = 0;
    L.tcpConnected = 0;
    if (L.port == &ctx.tcp) L.port = nullptr;
    NotifyLinkDown(ctx);
  }
  return 0;
}

void LinkPortClosed(Context& ctx) {
  auto& L = ctx.link;
  if (L.port == &ctx.tcp) {
    CC_ClientTCP(ctx, L.tcpHandle, platform::TCP_EVENT_DISCONNECT, 0);
    return;
  }
  if (L.port == &ctx.serial) {
    // The adapter was unplugged: the link is lost now, not after a round
    // of time-outs, and the port is free for a later connect.
    ctx.status = AdapterRemovedText(ctx, ctx.serial.device());
    ctx.serial.close();
    L.portOpen = 0;
    L.adapterRemoved = true;
    L.port = nullptr;
    ReportStatus(ctx);
    NotifyLinkDown(ctx);
    return;
  }
  ctx.status = "SERVER HAS CLOSED CONNECTION!";
  if (L.port != nullptr) L.port->close();
  L.port = nullptr;
}

void CloseLink(Context& ctx, bool onDisconnect) {
  if (ctx.link.portOpen > 0) {
    if (onDisconnect || ctx.serial.outQLen() > 0) ctx.serial.flushOutQ();
    if (onDisconnect || ctx.serial.inQLen() > 0) ctx.serial.flushInQ();
    ctx.serial.close();
    ctx.link.portOpen = 0;
  }
  if (ctx.link.tcpConnected > 0) {
    ctx.tcp.disconnect();
    ctx.link.tcpConnected = 0;
    ctx.link.tcpHandle = 0;
  }
  if (ctx.link.port == &ctx.serial || ctx.link.port == &ctx.tcp) ctx.link.port = nullptr;
  ctx.link.drainFirst = false;
  ctx.link.adapterRemoved = false;
}

}  // namespace bx
