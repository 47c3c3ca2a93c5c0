#pragma once
// Moving values between the parameter records and the editing controls.
namespace bx {
struct Context;

// Sanitises the parameter set and shows every field, the teach table, the
// status summary, the graphs and the trigger controls, in the unit that the
// mm/pixel switch shows.
void SetPanelValues(Context& ctx);
// Collects the edited values into the parameter set and teach table.
void GetPanelValues(Context& ctx);

// The teach-table editor: all rows, one row (clamped to 0..3).
void SetTableValues(Context& ctx);
void SetTableRowValues(Context& ctx, int row);
void GetTableValues(Context& ctx);
void GetTableRowValues(Context& ctx, int row);
// Marks one row of the editor (all others unmarked).
void MarkTableRow(Context& ctx, int row);
// Edge B of a row: read-only for POSITION and under an edge trigger.
bool EdgeBReadOnly(int evalMode, int intTriggerMode);

// The status summary labels of the measurement page.
void RefreshStatusMessage(Context& ctx);
// Exposure-time minimum and resolution line for the read-out speed shown.
void RefreshSpeedSwitch(Context& ctx);
// Lamps, counter, search direction, edge toggles and trigger cursors for an
// internal trigger mode (no questions asked, output mode untouched).
void ApplyTriggerControls(Context& ctx, int intTriggerMode);
// Program number of the teach page (the active row), 0..3.
int ActiveRow(const Context& ctx);
// Shows the measurement page with the video graph.
void ShowVideoView(Context& ctx);

}  // namespace bx
