#pragma once
// One request frame, one reply frame: building, sending, waiting with the
// time-out and the abort flag, and validating with the CRC-8.
#include <cstdint>

namespace bx {
struct Context;

// Builds a request in the transmit buffer; returns the header CRC.
int FillTxBuf(Context& ctx, int order, int parameter, const uint8_t* payload, unsigned length);
// Sends count bytes of the transmit buffer and receives the reply. 1 or -1.
int DataExchange(Context& ctx, unsigned count);
int GetHeaderFrame(Context& ctx, uint8_t* order, uint16_t* parameter, uint16_t* length, uint8_t* dataCrc);
int GetDataFrame(Context& ctx, unsigned length);
int CheckHeaderCRC(Context& ctx, uint8_t* order, uint16_t* parameter, uint16_t* length, uint8_t* dataCrc);

// Convenience: FillTxBuf + DataExchange with 8 + length bytes.
int Exchange(Context& ctx, int order, int parameter, const uint8_t* payload = nullptr, unsigned length = 0);

// Reply payload (offset 8 of the receive buffer) and its length.
const uint8_t* ReplyData(const Context& ctx);
unsigned ReplyLength(const Context& ctx);

bool IsTcp(const Context& ctx);

}  // namespace bx
