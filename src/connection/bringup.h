#pragma once
// Proving the line, reading the firmware text and the connect procedure.
namespace bx {
struct Context;

int CheckComLine(Context& ctx);
int ReadFirmwareInfo(Context& ctx);
// The whole bring-up: first stage here, identification after it.
int InitDataExchange(Context& ctx);
// Close, open the configured transport, bring it up. Returns the bring-up
// result (1 connected), 0 when bring-up failed, -1 when the transport did
// not open.
int ConnectProcedure(Context& ctx);

}  // namespace bx
