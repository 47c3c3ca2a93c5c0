#pragma once
// The connection page and the main-panel controls that follow the link.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include <cstdint>
#include <string>

#include "ui/types.h"

namespace bx {
struct Context;
struct LanguageData;

void DimmConnectElements(Context& ctx, int transportKind);
void SetConnectionIndicator(Context& ctx, bool connected);
// The service line beside the status: why the last exchange failed, in the
// language in force; empty once one succeeds. A stop or an abort leaves it.
void ShowServiceLine(Context& ctx);
// RUN, STOP, SEND, GET and the recorder's start button.
void EnableSensorControls(Context& ctx, bool enable);
// No usable sensor (failed open, refused or failed bring-up, lost link):
// "DISCONNECTED", the sensor controls dimmed, the status texts red.
void ShowLinkDown(Context& ctx);
// Closes the open link and shows it closed: the commit work of Disconnect.
void DisconnectLink(Context& ctx);
// True when a serial port is open and no TCP conversation: the only state in
// which the sensor's baud rate can be changed.
bool SerialLinkOpen(const Context& ctx);
// Hands ShowLinkDown and DisconnectLink to the link below.
void InstallConnectionHooks(Context& ctx);
// Reads transport, port, baud, address and TCP port from the page.
void ReadConnectionPage(Context& ctx);
// Puts the connection values into the page.
void ShowConnectionValues(Context& ctx);
// What "Find COM ports" shows: the heading, one line per port with its
// device and description, an empty line; "" when there is no port.
std::string FormatPortList(const LanguageData& texts);

int CC_DROPComType(Context& ctx, const ui::EventArgs& ev);
int CC_NUMrs232comport(Context& ctx, const ui::EventArgs& ev);
int CC_DROPBaudRate(Context& ctx, const ui::EventArgs& ev);
int CC_EDITIpAdress(Context& ctx, const ui::EventArgs& ev);
int CC_STRINGipAddress(Context& ctx, const ui::EventArgs& ev);
int CBF_StringPortNumber(Context& ctx, const ui::EventArgs& ev);
int CC_NUMtcpport(Context& ctx, const ui::EventArgs& ev);
int CC_CBTNTryToConnect(Context& ctx, const ui::EventArgs& ev);
int CC_CBTNDisconnect(Context& ctx, const ui::EventArgs& ev);
int CC_CBTNChangeBaudRate(Context& ctx, const ui::EventArgs& ev);
int CC_ButtonFindComPorts(Context& ctx, const ui::EventArgs& ev);

}  // namespace bx
