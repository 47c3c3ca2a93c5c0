#pragma once
// Proving the line, reading the firmware text and the connect procedure.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
namespace bx {
struct Context;

// The echo: 1 answered, 0 not (the status says why).
int CheckComLine(Context& ctx);
// The firmware text: its length, -1 when it timed out.
int ReadFirmwareInfo(Context& ctx);
// The whole bring-up: first stage here, identification after it.
int InitDataExchange(Context& ctx);
// Close, open the configured transport, bring it up. Returns the bring-up
// result (1 connected), 0 when bring-up failed, -1 when the transport did
// not open.
int ConnectProcedure(Context& ctx);

}  // namespace bx
