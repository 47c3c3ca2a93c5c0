#pragma once
// Opening and closing the transports, and the TCP callback. The link has one
// port slot (LinkState::port): opening a transport fills it, closing empties
// it, so no other code asks which transport it runs on.
//
// Results: the opens return 1 on success; on failure the status line
// (ctx.status) holds the reason, and InitRS232 returns the negative code of
// the serial port (its text is SerialErrorText) with the operator's remedy
// in ctx.link.openReason. Nothing here draws on a page but the status line
// and the connection page's message box.
#include <cstdint>

namespace bx {
struct Context;
struct LinkState;
namespace platform {
class SerialPort;
class TcpClient;
}  // namespace platform

// Opens COM `port` at the rate of baudIndex into the slot, closing what the
// slot held. 1 or the negative serial code.
int InitRS232(Context& ctx, int port, unsigned baudIndex);
// Connects to ctx.link.ipAddress:tcpPort into the slot, closing what the
// slot held. 1 connected, 0 not (the reason in the status line).
int InitTCP_IP(Context& ctx);
int CC_ClientTCP(Context& ctx, uint32_t handle, int event, int error);
// The open transport reports that the other end has gone: "SERVER HAS
// CLOSED CONNECTION!", or for the serial port the removed adapter by name;
// the transport is closed and the link shown as down.
void LinkPortClosed(Context& ctx);

// How a close treats bytes still queued on a serial port.
enum class QueueFlush { Never, IfQueued, Always };
// Closes the port in the slot and empties the slot; the one place a port is
// closed. A serial port's queues are flushed first as `flush` says.
void ClosePort(LinkState& link, QueueFlush flush);
// Closes what is open and forgets the last exchange's line state.
// onDisconnect: flush both queues always (Disconnect button); otherwise
// only when they hold bytes (before a new connection).
void CloseLink(Context& ctx, bool onDisconnect);

// What the slot holds, open: the serial port or the TCP client; nullptr
// when it holds another carrier or nothing open.
platform::SerialPort* OpenSerialPort(const LinkState& link);
platform::TcpClient* OpenTcpClient(const LinkState& link);
// A serial port, or a TCP conversation, is open in the slot.
bool SerialOpen(const LinkState& link);
bool TcpOpen(const LinkState& link);

const char* SerialErrorText(int code);
const char* TcpErrorText(int code);

}  // namespace bx
