#pragma once
// What the data recorder shows: its page's fields and texts, the recorder
// roll graph and the value fields of the sample just taken.
#include <string_view>

#include "ui/types.h"

namespace bx {
struct Context;
struct LiveFrame;

namespace recorder {
// The recorder status field's colours.
inline constexpr ui::Color kStatusBlue{0, 102, 255};
}  // namespace recorder

// Clears the recorder roll graph for a new recording: 4 traces, 100 points,
// scrolling, the y axis of the unit in force.
void PrepareRecorderChart(Context& ctx);
// The roll graph's y axis and caption for the unit and language in force,
// keeping what it shows.
void ShowRecorderAxis(Context& ctx);
// The sample just taken as the live displays take a frame: its values as a
// live record would carry them, with the set value of the program's teach
// row; no video or edges.
LiveFrame RecorderFrame(const Context& ctx);
// Appends the sample to the recorder roll graph (unless it is paused):
// upper and lower limit, set value and the recorded value.
void PlotRECGraph(Context& ctx, const LiveFrame& frame);
void PlotRECGraph(Context& ctx);
// The value, edges, program and state of the sample, the value fields green
// inside the limits and red outside.
void PlotVIDEOBarGraphRecord(Context& ctx, const LiveFrame& frame);
void PlotVIDEOBarGraphRecord(Context& ctx);
// The y axis of the recorder roll graph: automatic with the zoom toggle on,
// else the whole measuring range.
void ApplyRecorderZoom(Context& ctx);

// Shows a duration in the days, hours, minutes and seconds fields.
void CalcRecTime(Context& ctx, long seconds);
// The recorder status field, in the language in force.
void ShowRecorderStatus(Context& ctx, std::string_view english, ui::Color colour);
// The main panel's first input lamp (the sample flash of triggered mode).
void SetInputLamp(Context& ctx, bool on);
// Date, time and sample counter of the recording.
void ShowRecordingStart(Context& ctx, const char* date, const char* time);
void ShowSampleCounter(Context& ctx, int counter);

}  // namespace bx
