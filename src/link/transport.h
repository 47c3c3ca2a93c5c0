#pragma once
// Opening and closing the transports, and the TCP callback.
#include <cstdint>

namespace bx {
struct Context;

int InitRS232(Context& ctx, int port, unsigned baudIndex);
int InitTCP_IP(Context& ctx);
int CC_ClientTCP(Context& ctx, uint32_t handle, int event, int error);
// The open transport reports that the other end has gone: "SERVER HAS
// CLOSED CONNECTION!", or for the serial port the removed adapter by name;
// the transport is closed and the link shown as down.
void LinkPortClosed(Context& ctx);

// Closes what is open. onDisconnect: flush both queues always (Disconnect
// button); otherwise only when they hold bytes (before a new connection).
void CloseLink(Context& ctx, bool onDisconnect);

const char* SerialErrorText(int code);
const char* TcpErrorText(int code);

}  // namespace bx
