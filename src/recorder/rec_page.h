#pragma once
// The recorder page: file choice, RS-232 mode, time increment and samples
// with the expected duration, start, pause, stop and the roll graph's zoom.
//
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include <cstddef>

#include "recorder/recording.h"
#include "ui/ui.h"

namespace bx {
struct Context;

// START's commit: the overwrite question for an existing file, then one
// recording with the settings of the page. Also what the command-line tool
// runs.
RecordOutcome PushRECORD(Context& ctx, const RecordObserver* observer = nullptr);
// Enables the page's controls for the RS-232 mode of the parameter set and
// shows it in the page's ring (after the parameter set was shown).
void ShowRecorderMode(Context& ctx);

int CC_PICBTNrecfile(Context& ctx, const ui::EventArgs& ev);
int CC_CBTNStartRecord(Context& ctx, const ui::EventArgs& ev);
int CC_PICBTNPauseRecord(Context& ctx, const ui::EventArgs& ev);
int CC_PICBTNStopRecord(Context& ctx, const ui::EventArgs& ev);
int CC_DROPrs232mode(Context& ctx, const ui::EventArgs& ev);
int CC_NUMsample(Context& ctx, const ui::EventArgs& ev);
int CC_NUMinctime(Context& ctx, const ui::EventArgs& ev);
int CC_TOGGZoomRecorder(Context& ctx, const ui::EventArgs& ev);
int CC_GRAPHRecorder(Context& ctx, const ui::EventArgs& ev);

const ui::CallbackEntry* RecorderCallbacks(size_t& count);
// Installs the display hook through which showing the parameter set reaches
// this page.
void InstallRecorderDisplays(Context& ctx);

}  // namespace bx
