#pragma once
// Callbacks of the calibration settings page: read the record, load the
// calibration data file, write the record and/or the lookup table.
#include <cstddef>

#include "ui/ui.h"

namespace bx {

const ui::CallbackEntry* CalibrationCallbacks(size_t& count);

int CC_ReadXFLASH(Context& ctx, const ui::EventArgs& ev);
int CC_PICBTNcalibfile(Context& ctx, const ui::EventArgs& ev);
int CC_WriteXFLASH(Context& ctx, const ui::EventArgs& ev);
int CC_RBTHeader(Context& ctx, const ui::EventArgs& ev);
int CC_RBTLookup(Context& ctx, const ui::EventArgs& ev);

// The record from the settings page's fields (slope x 16384 truncated).
void CollectCalibRecord(Context& ctx);

}  // namespace bx
