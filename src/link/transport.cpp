#include "link/transport.h"

#include <algorithm>

#include "context/context.h"
#include "context/session_hooks.h"
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
  if (r < 0) {
    ctx.status = SerialErrorText(r);
    ctx.link.portOpen = 0;
    ReportStatus(ctx);
    return r;
  }
  ctx.serial.setTimeout(ctx.link.replyTimeout);
  ctx.serial.flushInQ();
  ctx.serial.flushOutQ();
  ctx.serial.setCtsMode(false);
  ctx.status = Lang(ctx, "RS232 open com-port - successful!", "RS232 öffne COM-Port - erfolgreich!");
  ctx.link.portOpen = 1;
  ReportStatus(ctx);
  return 1;
}

int InitTCP_IP(Context& ctx) {
  if (ctx.link.tcpConnected > 0) {
    ctx.tcp.disconnect();
    ctx.link.tcpConnected = 0;
    ctx.link.tcpHandle = 0;
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
  }
  ReportStatus(ctx);
  return ctx.link.tcpConnected;
}

void ReceiveTcp(Context& ctx, bool wait) {
  auto& L = ctx.link;
  L.rxCount = std::clamp(L.rxCount, 0, frame::kRxBufferSize);
  int room = frame::kRxBufferSize - L.rxCount;
  if (room > 0) {
    uint8_t* at = L.rx.data() + L.rxCount;
    int n = wait ? ctx.tcp.readOrWait(at, room) : ctx.tcp.read(at, room, 0);
    if (n > 0) L.rxCount = std::min(L.rxCount + n, frame::kRxBufferSize);
    // Readable but nothing to read: the server has closed.
    if (n == platform::TCP_CONNECTION_CLOSED || n == platform::TCP_READ_FAILED)
      CC_ClientTCP(ctx, L.tcpHandle, platform::TCP_EVENT_DISCONNECT, 0);
  } else {
    // The buffer is full: what comes now cannot belong to a valid reply.
    // Drain it so the wait is not woken for it again and again.
    uint8_t sink[512];
    (void)ctx.tcp.read(sink, sizeof sink, 0);
  }
}

int CC_ClientTCP(Context& ctx, uint32_t handle, int event, int error) {
  (void)handle;
  (void)error;
  auto& L = ctx.link;
  if (event == platform::TCP_EVENT_DATAREADY) {
    ReceiveTcp(ctx, false);
  } else if (event == platform::TCP_EVENT_DISCONNECT) {
    ctx.status = "SERVER HAS CLOSED CONNECTION!";
    ctx.tcp.disconnect();
    L.tcpHandle = 0;
    L.tcpConnected = 0;
    NotifyLinkDown(ctx);
  }
  return 0;
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
}

}  // namespace bx
