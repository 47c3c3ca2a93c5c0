#pragma once
// One binding per field of the calibration record on the settings page:
// the control that shows it, its conversion and its limits. Showing the
// record and collecting it back both walk this table.
#include <cstdint>
#include <span>

#include "calib/state.h"
#include "context/refs.h"

namespace bx {
struct Context;

namespace calib {

enum class FieldConv : uint8_t {
  Word16,    // unsigned 16-bit
  Word32,    // unsigned 32-bit
  Signed32,  // signed 32-bit micrometres, rounded to the nearest
  Slope,     // micrometres per pixel, stored as slope x 16384
};

struct RecordBinding {
  const char* control;             // "PANEL.CONTROL", to name it
  ui::CtlRef CalibPageRefs::*ref;  // resolved at start-up
  int off;
  FieldConv conv;
};

std::span<const RecordBinding> RecordBindings();

// The record in ctx.calib.record to the settings page, and back. A typed
// value beyond its field is held at the field's limit; a slope shown and
// left as it was keeps the stored bits (the shown value is rounded).
void ShowRecordFields(Context& ctx);
void CollectRecordFields(Context& ctx);
// The slope x 16384 that collecting a shown slope into r stores.
int32_t StoredSlope(const CalibRecord& r, double shownUmPerPixel);

}  // namespace calib
}  // namespace bx
