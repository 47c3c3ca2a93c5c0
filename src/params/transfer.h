#pragma once
// Moving the parameter set and teach table between the tool and the
// sensor's RAM or EEPROM (or a parameter file).
#include "ui/types.h"

namespace bx {
struct Context;

// GET from RAM, EEPROM or (after the file was read) FILE: records in,
// edges refreshed, everything shown. 1 complete, -1 a failed exchange.
int PushGET(Context& ctx, int selector);
// SEND of the records in memory to RAM (any selector but EEPROM) or EEPROM.
// 1 both frames sent, -1 otherwise.
int PushSEND(Context& ctx, int selector);

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

}  // namespace bx
