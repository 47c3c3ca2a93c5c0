#pragma once
// A recording opened again on the REC page: read through the one reader,
// drawn in the recorder chart's place in the unit in force, its header in
// the page's header fields, and a cursor whose sample (number, date, time,
// values, state) the page's sample fields show. Exported as CSV from there.
#include <string>

#include "ui/types.h"

namespace bx {
struct Context;

// Reads the recorder file and shows it. A file refused by the reader
// changes nothing shown: the pop-up and the status line name the line at
// fault. False then.
bool OpenRecording(Context& ctx, const std::string& path);
// The opened recording again in the unit and language in force (after a
// switch of either); nothing when none is shown.
void RedrawOpenedRecording(Context& ctx);
// The cursor on the row (0-based, clamped) and its reading in the fields.
void ShowRecordingCursor(Context& ctx, int row);
// Back to the roll graph for a recording: the opened one is let go.
void CloseOpenedRecording(Context& ctx);
// Open and Export are offered while no recording runs; Export only with a
// recording opened.
void ApplyOpenedRecordingRules(Context& ctx);

int CC_PICBTNOpenRecording(Context& ctx, const ui::EventArgs& ev);
int CC_PICBTNExportCsv(Context& ctx, const ui::EventArgs& ev);
int CC_GRAPHRecording(Context& ctx, const ui::EventArgs& ev);

}  // namespace bx
