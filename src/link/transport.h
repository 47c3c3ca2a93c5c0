#pragma once
// Opening and closing the transports, and the TCP receive callback.
#include <cstdint>

namespace bx {
struct Context;

int InitRS232(Context& ctx, int port, unsigned baudIndex);
int InitTCP_IP(Context& ctx);
int CC_ClientTCP(Context& ctx, uint32_t handle, int event, int error);
// The data-ready work of the callback: appends what the socket holds to the
// receive buffer (within 4096 bytes). wait: sleep up to 1 ms for it in the
// same call, when the socket is the only thing a wait waits for.
void ReceiveTcp(Context& ctx, bool wait);

// Closes what is open. onDisconnect: flush both queues always (Disconnect
// button); otherwise only when they hold bytes (before a new connection).
void CloseLink(Context& ctx, bool onDisconnect);

const char* SerialErrorText(int code);
const char* TcpErrorText(int code);

}  // namespace bx
