#pragma once
// Writing the lookup table of the calibration data file into the program
// flash, block by block, and the record from the settings panel.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
#include <cstdint>
#include <functional>
#include <string>

namespace bx {
struct Context;

// 512-byte blocks of the lookup table for a sensor hardware type; 0 for a
// type that takes no table.
int LookupBlockCount(uint32_t hwType);
// The first block's address for the area flag of the calibration file.
uint16_t LookupBaseAddress(uint16_t areaFlag);

// Writes every block for the sensor's hardware type, waiting after each;
// a failed block does not stop the others. The caller holds the link. The
// final status names the failed blocks. 1 when every block was written, -1
// otherwise (also for a hardware type without a table: nothing is sent).
// onStatus, when given, sees every status text as it is shown.
using StatusSink = std::function<void(const std::string&)>;
int WriteLookupTable(Context& ctx, const StatusSink& onStatus = {});
// The run stopped (1.5 s to settle), then the table written: now when the
// link is idle, from the run loop's next pass while it runs.
void RequestLookupWrite(Context& ctx);
// The record in memory to the sensor: now when idle, else from the run loop.
void RequestCalibRecordWrite(Context& ctx);
// The settings page's write: the record, the table or both, in that order,
// now when idle, else from the run loop's next pass. A failed record write
// ends the sequence (the table is not written) and is its result; the
// table's result is shown in a pop-up and, when the write ended live mode,
// stays the last status text.
void RequestCalibWrites(Context& ctx, bool record, bool table);
// The run loop's part of the above.
void ServeCalibRecordWrite(Context& ctx);
void ServeLookupWrite(Context& ctx);

}  // namespace bx
