#pragma once
// Callbacks of the calibration settings page: read the record, load the
// calibration data file, write the record and/or the lookup table.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include <cstddef>
#include <string>

#include "calib/limits.h"

#include "ui/ui.h"

namespace bx {

const ui::CallbackEntry* CalibrationCallbacks(size_t& count);

int CC_ReadXFLASH(Context& ctx, const ui::EventArgs& ev);
int CC_PICBTNcalibfile(Context& ctx, const ui::EventArgs& ev);
int CC_WriteXFLASH(Context& ctx, const ui::EventArgs& ev);
int CC_RBTHeader(Context& ctx, const ui::EventArgs& ev);
int CC_RBTLookup(Context& ctx, const ui::EventArgs& ev);
int CC_BTNRestoreCalib(Context& ctx, const ui::EventArgs& ev);

// "Restore calibration ...": lists the records saved before earlier writes
// for the connected sensor's serial number, newest first, and writes the
// chosen one back after the same confirmation as any write (and after
// saving the record it replaces). 1 when the write was performed or left
// to the run loop, 0 when nothing was chosen, confirmed or found.
int RestoreCalibration(Context& ctx);

// Shows the record in memory on the calibration settings page, and its line
// on the two calibration pages.
void ShowCalibRecord(Context& ctx);
// Lets the bring-up below show a record it read (ShowCalibRecordHook).
void InstallCalibDisplays(Context& ctx);

// The record from the settings page's fields (slope x 16384 truncated).
void CollectCalibRecord(Context& ctx);

// Before a calibration reaches the flash. Refuse: true, with the reason in
// the status line and a pop-up, when a value is beyond its field or what
// the sensor's model can measure. Confirm: asks, showing the sensor's
// slope, offset and range and the new ones (and a warning when given);
// false, with the status saying nothing was written, when declined.
bool RefuseCalibValues(Context& ctx, const CalibValues& values);
bool ConfirmCalibWrite(Context& ctx, const std::string& what, const CalibValues& values, const std::string& warning);

}  // namespace bx
