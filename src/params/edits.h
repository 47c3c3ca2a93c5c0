#pragma once
// Fields edited since the records were last read or sent. The parameter
// pages' controls and the teach table's cells are compared with what they
// would show for the records as last read (from the sensor or a parameter
// file) or sent: a control that differs by more than the last digit it
// shows carries the edited mark, and the main panel's title says that
// changes are unsent. Changing a value back takes its mark away.
namespace bx {
struct Context;

// The records in memory are what the sensor (or the file) holds now: the
// comparison starts afresh from them.
void NoteRecordsInSync(Context& ctx);
// A row taught: the sensor holds that row (and its set-point) as shown.
void NoteRowTaught(Context& ctx, int row);
// The comparison forgotten (a new link: nothing is marked until a read).
void ForgetRecordsSync(Context& ctx);
// Compares, sets every mark and the title's note. Returns the number of
// controls and cells marked.
int RefreshEditMarks(Context& ctx);
// True when a control or cell is marked now.
bool HasUnsentEdits(const Context& ctx);
// Before unsent changes would be lost: asks Save parameter file / Send /
// Discard / Cancel. True when the caller may go on (none, saved, sent or
// discarded); false when cancelled, or when the save or the send did not
// succeed (its status shown) - the changes are still there.
bool AskAboutUnsentEdits(Context& ctx);

}  // namespace bx
