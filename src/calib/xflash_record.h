#pragma once
// Reading and writing the calibration record in page 1 of the external
// flash, and taking a read record over. Nothing here shows the record: the
// calibration settings page does (ShowCalibRecord).
//
// Results: the flash operations return 1 on success and -1 on failure; the
// status line (ctx.status, shown) holds the outcome, on failure its reason.
#include <cstdint>

namespace bx {
struct Context;

// Writes the 32-byte record; on success it is what the sensor holds now.
int WriteCalibDataToXF(Context& ctx, const uint8_t* record32);
// Copies min(count, 512) reply bytes into dest. 1 or -1; a shorter reply
// fails and leaves dest unchanged.
int ReadCalibDataFromXF(Context& ctx, uint8_t* dest, unsigned count);
// Derives the scale and display range from the record in memory (just read
// from the sensor).
void TakeOverCalibRecord(Context& ctx);
// The derived display range after the record was written from the panel.
void ComputeCalibDisplayRange(Context& ctx);
// The sensor took slope and offset of the record in memory (save command):
// what it holds now, for the next write's comparison.
void NoteCalibLineSaved(Context& ctx);

}  // namespace bx
