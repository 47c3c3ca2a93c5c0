// Placeholder bodies of the live displays until they draw.
#include "live/live_view.h"

namespace bx {

void PlotVIDEOBarGraph(Context&) {}
void PlotVIDEOBarGraphTrigger(Context&) {}
void PlotLiveVideo(Context&, int, bool) {}
void PlotRAWGraph(Context&) {}
void ShowTriggerText(Context&, TriggerText) {}
void ShowGraphView(Context&, int) {}
void PrepareLiveAxes(Context&) {}

}  // namespace bx
