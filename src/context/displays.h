#pragma once
// Displays that protocol operations trigger but that belong to a higher
// layer (live/ draws the video and range graphs). The operations call them
// by name; the display's own layer installs the drawing function when the
// panels are loaded, so no lower folder includes a higher one.
namespace bx {
struct Context;

struct DisplayHooks {
  void (*videoCurve)(Context& ctx, int row) = nullptr;
  void (*recorderMode)(Context& ctx) = nullptr;
  void (*calibRecord)(Context& ctx) = nullptr;
};

// Redraws the measurement video graph; nothing while no display is installed.
void PlotVIDEOCurve(Context& ctx, int row);
// Shows the parameter set's RS-232 mode on the recorder page with its
// enabling rules, and its graph's axis in the unit in force; nothing while
// no recorder is installed.
void ShowRecorderModeHook(Context& ctx);
// Shows the calibration record in memory on the calibration settings page;
// nothing while no calibration page is installed.
void ShowCalibRecordHook(Context& ctx);

}  // namespace bx
