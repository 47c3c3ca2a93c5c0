#pragma once
// The flash commands: erasing, writing and reading external-flash pages and
// writing blocks of the program flash's lookup area. Addresses are checked
// before anything is sent; data blocks are cut to 512 bytes.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
#include <cstdint>

namespace bx {
struct Context;

namespace flash {
constexpr uint16_t kXfBase = 0x8000;
constexpr uint16_t kXfPageWords = 0x400;
constexpr int kXfPages = 8;
constexpr uint16_t kXfWriteEnd = 0xBFFF;   // last address a write accepts
constexpr uint16_t kPfBase = 0xB000;
constexpr uint16_t kPfEnd = 0xCFFF;        // last address of the lookup area
constexpr unsigned kMaxBlock = 512;
}  // namespace flash

// 0 or -1; an address other than a page start sends nothing.
int ClearXFLASHpage(Context& ctx, uint16_t pageAddress);
// 1, -1 on a failed exchange, -2 for an address outside 0x8000..0xBFFF.
int WriteXFLASH(Context& ctx, uint16_t address, const uint8_t* data, unsigned bytes);
// Asks for bytes / 2 words (at most 256) and copies what was asked for. 1 or 0.
int ReadXFLASH(Context& ctx, uint16_t address, uint8_t* dest, unsigned bytes);
// 1, -1 on a failed exchange, -2 for an address outside 0xB000..0xCFFF.
int WritePFLASH(Context& ctx, uint16_t address, const uint8_t* data, unsigned bytes);

}  // namespace bx
