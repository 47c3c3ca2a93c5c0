#pragma once
// Moving the parameter set and teach table between the tool and the
// sensor's RAM or EEPROM (or a parameter file).
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include <string>
#include <vector>

#include "ui/types.h"

namespace bx {
struct Context;

// GET from RAM, EEPROM or (after the file was read) FILE: records in,
// edges refreshed, everything shown. 1 complete, -1 a failed exchange.
int PushGET(Context& ctx, int selector);
// SEND of the records in memory to RAM (any selector but EEPROM) or EEPROM.
// 1 both frames sent, -1 otherwise; records never read are refused
// (nothing sent).
int PushSEND(Context& ctx, int selector);

// The status text of a refused send of records that hold start values.
inline constexpr const char* kRecordsNotRead = "Parameter-frame not read - nothing sent! Press GET first!";
// True (status shown) when the parameter set or teach table in memory was
// never read from the sensor or a file: such records are not sent anywhere.
bool RefuseUnreadRecords(Context& ctx);

// GET at once when the link is idle, left pending while a loop owns it,
// refused while another operation holds it.
void RequestGET(Context& ctx, int selector);

int CC_BTNGet(Context& ctx, const ui::EventArgs& ev);
int CC_BTNSend(Context& ctx, const ui::EventArgs& ev);
int CC_RBTRamEEFile(Context& ctx, const ui::EventArgs& ev);
// Calibration settings page: collect, then send when the link is idle.
int CC_CMD_SND(Context& ctx, const ui::EventArgs& ev);
// Calibration settings page: model defaults of the chosen hardware type.
int CC_DROPhwtype(Context& ctx, const ui::EventArgs& ev);

// Calibration settings page: its copies of laser power, read-out speed,
// trigger pixel and evaluation range. On commit each goes into the
// parameter page's control (whose rules apply); Show... refreshes the
// copies from those controls (values, choices, limits, dimmed).
int CC_NUM_PWR(Context& ctx, const ui::EventArgs& ev);
int CC_DROPopMode(Context& ctx, const ui::EventArgs& ev);
int CC_NUMtrgPix(Context& ctx, const ui::EventArgs& ev);
int CC_NEDITRangeTeachBeg(Context& ctx, const ui::EventArgs& ev);
int CC_NEDITRangeTeachEnd(Context& ctx, const ui::EventArgs& ev);
void ShowCalibSettingsCopies(Context& ctx);
// Finds the copies and the fields they copy once; a control the resource
// lacks is added to `missing` by its name.
void ResolveCalibSettingsCopies(Context& ctx, std::vector<std::string>& missing);

}  // namespace bx
