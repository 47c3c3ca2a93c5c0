#include "calib/flash.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "context/context.h"
#include "link/exchange.h"
#include "link/report.h"
#include "wire/frame_format.h"
#include "wire/orders.h"

namespace bx {

namespace {

void setStatusHex(Context& ctx, const char* prefix, uint16_t address) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s%x", prefix, static_cast<unsigned>(address));
  ctx.status = buf;
}

}  // namespace

int ClearXFLASHpage(Context& ctx, uint16_t pageAddress) {
  int page = -1;
  for (int n = 0; n < flash::kXfPages; ++n)
    if (pageAddress == flash::kXfBase + flash::kXfPageWords * n) page = n;
  if (page < 0) return -1;  // not a page start: nothing is sent
  char buf[32];
  std::snprintf(buf, sizeof buf, "Erase XFLASH-PAGE%d", page);
  ctx.status = buf;
  int r;
  if (Exchange(ctx, order::kXFlashErase, pageAddress) == 1) {
    ctx.status += " -> Ok!";
    r = 0;
  } else {
    ctx.status = FailureText(ctx, "Erase-Error:Timeout RS232-Line!");
    r = -1;
  }
  ShowStatus(ctx);
  return r;
}

int WriteXFLASH(Context& ctx, uint16_t address, const uint8_t* data, unsigned bytes) {
  if (address < flash::kXfBase || address > flash::kXfWriteEnd) {
    ctx.status = "XFLASH write-error -2:address out of range!";
    ShowStatus(ctx);
    return -2;
  }
  const unsigned n = std::min(bytes, flash::kMaxBlock);
  const bool ok = Exchange(ctx, order::kXFlashWrite, address, data, n) == 1;
  setStatusHex(ctx, ok ? "Write XFLASH OK Addr=0x" : "Write XFLASH Error Addr=0x", address);
  ShowStatus(ctx);
  return ok ? 1 : -1;
}

int ReadXFLASH(Context& ctx, uint16_t address, uint8_t* dest, unsigned bytes) {
  const unsigned words = std::min(bytes, flash::kMaxBlock) / 2;
  const unsigned want = words * 2;
  char buf[96];
  std::snprintf(buf, sizeof buf, "Read XFLASH-ADDR: 0x%x ... Bytes OK: %i ", static_cast<unsigned>(address), 0);
  ctx.status = buf;
  ShowStatus(ctx);
  uint8_t count[2];
  frame::put16(count, static_cast<uint16_t>(words));
  // A short reply would leave part of dest as it was: a failed read.
  if (Exchange(ctx, order::kXFlashRead, address, count, 2) == 1 && ReplyLength(ctx) >= want) {
    std::memcpy(dest, ReplyData(ctx), want);
    std::snprintf(buf, sizeof buf, "Read XFLASH-ADDR: 0x%x ... Bytes OK: %i", static_cast<unsigned>(address),
                  static_cast<int>(want));
    ctx.status = buf;
    ShowStatus(ctx);
    return 1;
  }
  ctx.status = "XFlash-Read-Error:";
  ctx.status.append(43, ' ');
  ctx.status += FailureText(ctx, "Timeout RS232-Line!");
  ShowStatus(ctx);
  return 0;
}

int WritePFLASH(Context& ctx, uint16_t address, const uint8_t* data, unsigned bytes) {
  if (address < flash::kPfBase || address > flash::kPfEnd) {
    ctx.status = "PFLASH lookup-table write-error -2:";
    ctx.status.append(26, ' ');
    ctx.status += "address out of range!";
    ShowStatus(ctx);
    return -2;
  }
  const unsigned n = std::min(bytes, flash::kMaxBlock);
  const bool ok = Exchange(ctx, order::kWritePFlash, address, data, n) == 1;
  setStatusHex(ctx, ok ? "Write to PFLASH OK Addr=0x" : "Write PFLASH Error Addr=0x", address);
  ShowStatus(ctx);
  return ok ? 1 : -1;
}

}  // namespace bx
