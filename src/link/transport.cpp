#include "link/transport.h"

#include <memory>

#include "context/context.h"
#include "context/connection_hooks.h"
#include "link/port_reason.h"
#include "link/report.h"
#include "platform/serial_port.h"
#include "platform/tcp_client.h"

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

platform::SerialPort* OpenSerialPort(const LinkState& link) {
  auto* serial = dynamic_cast<platform::SerialPort*>(link.port.get());
  return serial != nullptr && serial->isOpen() ? serial : nullptr;
}

platform::TcpClient* OpenTcpClient(const LinkState& link) {
  auto* tcp = dynamic_cast<platform::TcpClient*>(link.port.get());
  return tcp != nullptr && tcp->isOpen() ? tcp : nullptr;
}

bool SerialOpen(const LinkState& link) { return OpenSerialPort(link) != nullptr; }

bool TcpOpen(const LinkState& link) { return OpenTcpClient(link) != nullptr; }

void ClosePort(LinkState& link, QueueFlush flush) {
  platform::SerialPort* serial = OpenSerialPort(link);
  if (serial != nullptr && flush != QueueFlush::Never) {
    const bool always = flush == QueueFlush::Always;
    if (always || serial->outQLen() > 0) serial->flushOutQ();
    if (always || serial->inQLen() > 0) serial->flushInQ();
  }
  if (link.port != nullptr) link.port->close();
  link.port.reset();
}

int InitRS232(Context& ctx, int port, unsigned baudIndex) {
  auto& L = ctx.link;
  // A port open in the slot (the same device at another rate) is given
  // back before the new open claims it.
  ClosePort(L, QueueFlush::Never);
  long baud = platform::baudOfIndex(static_cast<int>(baudIndex));
  auto serial = std::make_unique<platform::SerialPort>();
  int r = serial->open(port, baud);
  L.openReason.clear();
  L.adapterRemoved = false;
  if (r < 0) {
    ctx.status = SerialErrorText(r);
    ReportStatus(ctx);
    // The code's text stays as it is; the line below it says why and what
    // to do.
    L.openReason = SerialOpenReason(ctx, serial->diagnosis());
    if (!L.openReason.empty()) AppendMessageBox(ctx, L.openReason + "\n");
    return r;
  }
  serial->setTimeout(L.replyTimeout);
  serial->flushInQ();
  serial->flushOutQ();
  serial->setCtsMode(false);
  ctx.status = "RS232 open com-port - successful!";
  L.port = std::move(serial);
  L.drainFirst = false;
  ReportStatus(ctx);
  return 1;
}

int InitTCP_IP(Context& ctx) {
  auto& L = ctx.link;
  ClosePort(L, QueueFlush::Never);
  auto tcp = std::make_unique<platform::TcpClient>();
  int r = tcp->connect(L.ipAddress, L.tcpPort, 2 * L.tcpTimeoutMs);
  if (r < 0) {
    ctx.status = TcpErrorText(r);
  } else {
    ctx.status = "TCP-server-connect successful!";
    L.rxCount = 0;
    tcp->setWriteTimeoutMs(L.tcpTimeoutMs);
    L.port = std::move(tcp);
    L.drainFirst = false;
    L.adapterRemoved = false;
  }
  ReportStatus(ctx);
  return TcpOpen(L) ? 1 : 0;
}

int CC_ClientTCP(Context& ctx, uint32_t handle, int event, int error) {
  (void)handle;
  (void)error;
  auto& L = ctx.link;
  platform::TcpClient* tcp = OpenTcpClient(L);
  if (event == platform::TCP_EVENT_DATAREADY) {
    // The bytes go to the client's own queue; the waits take them from there.
    if (tcp != nullptr) (void)tcp->available();
  } else if (event == platform::TCP_EVENT_DISCONNECT) {
    ctx.status = "SERVER HAS CLOSED CONNECTION!";
    if (tcp != nullptr) ClosePort(L, QueueFlush::Never);
    NotifyLinkDown(ctx);
  }
  return 0;
}

void LinkPortClosed(Context& ctx) {
  auto& L = ctx.link;
  if (OpenTcpClient(L) != nullptr) {
    CC_ClientTCP(ctx, 0, platform::TCP_EVENT_DISCONNECT, 0);
    return;
  }
  if (platform::SerialPort* serial = OpenSerialPort(L)) {
    // The adapter was unplugged: the link is lost now, not after a round
    // of time-outs, and the port is free for a later connect.
    L.removedDevice = serial->device();
    ctx.status = AdapterRemovedText(ctx, L.removedDevice);
    serial->close();
    L.port.reset();
    L.adapterRemoved = true;
    ReportStatus(ctx);
    NotifyLinkDown(ctx);
    return;
  }
  ctx.status = "SERVER HAS CLOSED CONNECTION!";
  if (L.port != nullptr) L.port->close();
  L.port.reset();
}

void CloseLink(Context& ctx, bool onDisconnect) {
  ClosePort(ctx.link, onDisconnect ? QueueFlush::Always : QueueFlush::IfQueued);
  ctx.link.drainFirst = false;
  ctx.link.adapterRemoved = false;
}

}  // namespace bx
