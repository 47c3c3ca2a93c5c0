#include "connection/conn_page.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "context/context.h"
#include "link/events.h"
#include "link/exchange.h"
#include "link/ownership.h"
#include "link/report.h"
#include "link/transport.h"
#include "platform/com_ports.h"
#include "connection/bringup.h"
#include "connection/link_area.h"
#include "wire/orders.h"

namespace bx {

void DimmConnectElements(Context& ctx, int kind) {
  const bool tcp = kind == TRANSPORT_TCP;
  auto& ui = ctx.ui;
  const auto& c = ctx.refs.conn;
  ui.setDimmed(c.baudRate, tcp);
  ui.setDimmed(c.comPort, tcp);
  // Over an open TCP conversation there is no serial port whose rate could
  // change, whatever the ring shows.
  ui.setDimmed(c.changeBaud, tcp || TcpOpen(ctx.link));
  ui.setVisible(ctx.refs.main.comPortDisp, !tcp);
  ui.setDimmed(c.ipAddr, !tcp);
  ui.setDimmed(c.tcpPort, !tcp);
  ui.setVisible(ctx.refs.main.ipDisp, tcp);
}

void SetConnectionIndicator(Context& ctx, bool connected) {
  auto r = ctx.refs.main.connected;
  ctx.link.shownConnected = connected;
  if (connected && ctx.link.silent) {
    // Open, but the last request went unanswered.
    ctx.ui.setText(r, Localized(ctx, "NO ANSWER"));
    ctx.ui.setTextColor(r, ui::kBlack);
    ctx.ui.setBgColor(r, ui::kYellow);
    ShowLinkArea(ctx);
    return;
  }
  ctx.ui.setText(r, Localized(ctx, connected ? "CONNECTED" : "DISCONNECTED"));
  ctx.ui.setTextColor(r, connected ? ui::kBlack : ui::kWhite);
  ctx.ui.setBgColor(r, connected ? ui::kWhite : ui::kRed);
  ShowLinkArea(ctx);
}

namespace {
void ShowAnswering(Context& ctx) {
  if (ctx.link.shownConnected) SetConnectionIndicator(ctx, OpenPort(ctx) != nullptr);
}
}  // namespace

void EnableSensorControls(Context& ctx, bool enable) {
  for (ui::CtlRef r : {ctx.refs.main.run, ctx.refs.main.stop, ctx.refs.main.send, ctx.refs.main.get,
                       ctx.refs.main.recStart})
    ctx.ui.setOperable(r, enable);
}

void ShowLinkDown(Context& ctx) {
  SetConnectionIndicator(ctx, false);
  EnableSensorControls(ctx, false);
  ctx.ui.setTextColor(ctx.refs.main.status, ui::kRed);
  ctx.ui.setTextColor(ctx.refs.conn.msgBox, ui::kRed);
}

void ShowServiceLine(Context& ctx) {
  NoteExchangeInLinkArea(ctx);
  const LinkFailure why = ctx.link.failure;
  if (why == LinkFailure::Aborted || why == LinkFailure::Stopped) return;
  const ui::CtlRef r = ctx.refs.main.serviceLine;
  const std::string text = LinkFailureReason(ctx);
  if (ctx.ui.valid(r) && ctx.ui.text(r) != text) ctx.ui.setText(r, text);
}

void InstallConnectionHooks(Context& ctx) {
  ctx.connection.exchangeEnded = &ShowServiceLine;
  ctx.connection.linkDown = &ShowLinkDown;
  ctx.connection.disconnect = &DisconnectLink;
  ctx.connection.answering = &ShowAnswering;
}

bool SerialLinkOpen(const Context& ctx) { return SerialOpen(ctx.link); }

void DisconnectLink(Context& ctx) {
  auto& L = ctx.link;
  if (SerialOpen(L)) L.comPort = static_cast<uint16_t>(ctx.ui.intValue(ctx.refs.conn.comPort));
  ClosePort(L, QueueFlush::Always);
  // A press that found nothing open must not leave the next wait aborted.
  L.abort = 0;
  ShowStatusText(ctx, "SENSOR DISCONNECTED!");
  AppendMessageBox(ctx, "SENSOR DISCONNECTED!\n");
  SetConnectionIndicator(ctx, false);
  EnableSensorControls(ctx, false);
  DimmConnectElements(ctx, ctx.ui.intValue(ctx.refs.conn.comType));
}

void ReadConnectionPage(Context& ctx) {
  auto& ui = ctx.ui;
  const auto& c = ctx.refs.conn;
  auto& L = ctx.link;
  L.transport = static_cast<uint16_t>(ui.intValue(c.comType) == 1 ? TRANSPORT_TCP : TRANSPORT_RS232);
  L.comPort = static_cast<uint16_t>(ui.intValue(c.comPort));
  L.baudIndex = static_cast<uint16_t>(ui.intValue(c.baudRate));
  L.ipAddress = ui.text(c.ipAddr);
  L.tcpPort = std::atoi(ui.text(c.tcpPort).c_str());
  ui.setText(ctx.refs.main.ipDisp, L.ipAddress);
}

void ShowConnectionValues(Context& ctx) {
  auto& ui = ctx.ui;
  const auto& c = ctx.refs.conn;
  const auto& L = ctx.link;
  ui.setValue(c.comType, L.transport);
  ui.setValue(c.comPort, L.comPort);
  ui.setValue(c.baudRate, L.baudIndex);
  ui.setText(c.ipAddr, L.ipAddress);
  ui.setText(c.tcpPort, std::to_string(L.tcpPort));
  ui.setValue(ctx.refs.main.comPortDisp, L.comPort);
  ui.setText(ctx.refs.main.ipDisp, L.ipAddress);
  DimmConnectElements(ctx, L.transport);
}

int CC_DROPComType(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) DimmConnectElements(ctx, ctx.ui.intValue(ctx.refs.conn.comType));
  return 0;
}

int CC_NUMrs232comport(Context&, const ui::EventArgs&) { return 0; }
int CC_DROPBaudRate(Context&, const ui::EventArgs&) { return 0; }
int CC_NUMtcpport(Context&, const ui::EventArgs&) { return 0; }

namespace {

int ipAddressCommit(Context& ctx) {
  ctx.ui.setDimmed(ctx.refs.conn.accept, true);
  std::string addr = ctx.ui.text(ctx.refs.conn.ipAddr);
  ctx.ui.comboInsertTop(ctx.refs.conn.ipAddr, addr, 10);
  return 0;
}

}  // namespace

int CC_EDITIpAdress(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  ipAddressCommit(ctx);
  ctx.link.ipAddress = ctx.ui.text(ctx.refs.conn.ipAddr);
  return 0;
}

int CC_STRINGipAddress(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) ipAddressCommit(ctx);
  return 0;
}

int CBF_StringPortNumber(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) ctx.ui.setDimmed(ctx.refs.conn.accept, true);
  return 0;
}

int CC_CBTNTryToConnect(Context& ctx, const ui::EventArgs& ev) {
  auto& ui = ctx.ui;
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    ctx.run.state = RUN_IDLE;
    // The lines of a bring-up still running stay; its connect is refused.
    if (ctx.run.linkHeld == 0) ui.setText(ctx.refs.conn.msgBox, "");
  } else if (ev.event == ui::EVENT_COMMIT) {
    ctx.run.state = RUN_IDLE;
    // A connect pressed while a bring-up or another exchange is waiting
    // would close the link underneath it.
    PerformIfIdle(ctx, [&] {
      ui.setTextColor(ctx.refs.conn.msgBox, ui::kBlack);
      ui.setTextColor(ctx.refs.main.status, ui::kBlack);
      ShowStatusText(ctx, "TRY TO CONNECT! ...");
      AppendMessageBox(ctx, "TRY TO CONNECT! ...\n");
      ReadConnectionPage(ctx);
      DelayWithEventProcessing(ctx, 0.2);
      ConnectProcedure(ctx);
    });
  }
  return 0;
}

int CC_CBTNDisconnect(Context& ctx, const ui::EventArgs& ev) {
  auto& L = ctx.link;
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    ShowStatusText(ctx, "DISCONNECTING ...");
    if (SerialOpen(L) || TcpOpen(L)) {
      ctx.run.state = RUN_IDLE;
      L.abort = 1;
    }
  } else if (ev.event == ui::EVENT_COMMIT) {
    if (ctx.run.linkHeld > 0) {
      // An operation is waiting on the link: the abort flag ends it, and the
      // link closes when it has returned, never underneath it.
      L.abort = 1;
      ctx.run.state = RUN_IDLE;
      ctx.run.disconnectPending = true;
      return 0;
    }
    {
      LinkHold hold(ctx);
      DelayWithEventProcessing(ctx, 0.1);
    }
    DisconnectLink(ctx);
  }
  return 0;
}

namespace {

void changeBaudRate(Context& ctx) {
  int newIndex = ctx.ui.intValue(ctx.refs.conn.baudRate);
  int port = ctx.ui.intValue(ctx.refs.conn.comPort);
  if (Exchange(ctx, order::kChangeBaudRate, newIndex) != 1) {
    ShowStatus(ctx);
    return;
  }
  ShowStatusText(ctx, "Baudrate-change OK!");
  AppendMessageBox(ctx, "Baudrate-change OK!\n");
  ClosePort(ctx.link, QueueFlush::Always);
  ctx.link.baudIndex = static_cast<uint16_t>(newIndex);
  ctx.link.comPort = static_cast<uint16_t>(port);
  ctx.ui.setValue(ctx.refs.main.comPortDisp, port);
  if (InitRS232(ctx, port, static_cast<unsigned>(newIndex)) == 1) {
    CheckComLine(ctx);
  } else {
    ctx.status = "Error: changing RS-232-baudrate...";
    ReportStatus(ctx);
    ShowLinkDown(ctx);
  }
}

}  // namespace

int CC_CBTNChangeBaudRate(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    ctx.run.state = RUN_IDLE;
    ctx.ui.processEvents();
    DelayWithEventProcessing(ctx, 0.1);
    ShowStatusText(ctx, "Try to change baudrate...");
    AppendMessageBox(ctx, "Try to change baudrate...\n");
  } else if (ev.event == ui::EVENT_COMMIT) {
    if (!SerialLinkOpen(ctx)) {
      ShowStatusText(ctx, "Change baudrate: no open RS-232 connection!");
      return 0;
    }
    PerformIfIdle(ctx, [&] { changeBaudRate(ctx); });
  }
  return 0;
}

std::string FormatPortList(const LanguageData& texts) {
  auto ports = platform::listPorts();
  if (ports.empty()) return {};
  std::string text = texts.message("Available COM PORTS:\n");
  for (const auto& p : ports) {
    text += "COM" + std::to_string(p.com) + "  " + p.device;
    if (!p.description.empty()) text += "  " + p.description;
    text += "\n";
  }
  text += "\n";
  return text;
}

int CC_ButtonFindComPorts(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  std::string text = FormatPortList(ctx.app.texts);
  if (!text.empty()) AppendMessageBox(ctx, text);
  return 0;
}

}  // namespace bx
