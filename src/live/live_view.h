#pragma once
// What the run loop shows every cycle. The loop calls these by name with
// the cycle's frame; they draw into the panel model only and never talk to
// the sensor. The forms without a frame show what the live buffers hold now.
namespace bx {
struct Context;
struct LanguageData;
struct LiveFrame;

// Value fields, state text and lamps, limits and the range bar from the
// live record.
void PlotVIDEOBarGraph(Context& ctx, const LiveFrame& frame);
void PlotVIDEOBarGraph(Context& ctx);
// The same while an edge trigger is armed: no lamps, value fields or range
// bar; the trigger-level field shows the trigger counter.
void PlotVIDEOBarGraphTrigger(Context& ctx, const LiveFrame& frame);
void PlotVIDEOBarGraphTrigger(Context& ctx);
// The sensor stopped answering or the link went down: the state text reads
// "COM ERR" (white on red) and the live values are dimmed as stale until
// the next live record refreshes them.
void ShowLiveValuesStale(Context& ctx);
// Marks every live display (value fields, lamps, the video, roll and range
// graphs) as older than the last good cycle, or fresh again. Cheap when
// nothing changes, so a cycle may call it.
void SetLiveDisplaysStale(Context& ctx, bool stale);
// After a language switch: the state text shown in the old language, in
// the language now in force.
void RelocalizeStateText(Context& ctx, const LanguageData& oldTexts);
// Redraws the video graph of the page showing (0 measurement, 3 teach) with
// its threshold curve and edge markers; triggered: the frame captured at the
// trigger event.
void PlotLiveVideo(Context& ctx, const LiveFrame& frame, int page, bool triggered);
void PlotLiveVideo(Context& ctx, int page, bool triggered);
// Appends the live record's point to the roll graph.
void PlotRAWGraph(Context& ctx, const LiveFrame& frame);
void PlotRAWGraph(Context& ctx);

// The line test's answer (the sensor's serial number) in the main panel's
// test field.
void ShowLineTestAnswer(Context& ctx);

// The trigger text fields of the measurement and teach pages.
enum class TriggerText { Hidden, Waiting, Triggered };
void ShowTriggerText(Context& ctx, TriggerText text);
// Shows the video graph (1) or the roll graph (0) on the measurement page.
void ShowGraphView(Context& ctx, int graphSwitch);
// Axes of the live graphs for the unit in force, when RUN is pressed.
void PrepareLiveAxes(Context& ctx);

}  // namespace bx
