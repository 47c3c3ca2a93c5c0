#include "live/pending.h"

#include "calib/backup.h"
#include "calib/lookup_write.h"
#include "calib/xflash_record.h"
#include "commands/commands.h"
#include "context/context.h"
#include "link/events.h"
#include "link/ownership.h"
#include "live/live_view.h"
#include "params/panel_values.h"
#include "params/teach.h"
#include "params/transfer.h"
#include "wire/calib_record.h"
#include "wire/orders.h"

namespace bx {

bool ServePendingRequests(Context& ctx) {
  LinkHold hold(ctx);
  auto& q = ctx.run.pending;
  if (q.take(PENDING_SEND)) PushSEND(ctx, ctx.params.memory);
  if (q.take(PENDING_GET)) {
    // A file already read must be shown, not replaced by the sensor's records.
    const int sel = ctx.params.pendingGetFromFile ? MEM_FILE : ctx.params.memory;
    ctx.params.pendingGetFromFile = false;
    PushGET(ctx, sel);
  }
  if (q.take(PENDING_TEACH)) PushTEACH(ctx, ActiveRow(ctx));
  if (q.take(PENDING_RESET)) PushRESET(ctx);
  if (q.take(PENDING_TEST) && PushTEST(ctx, order::kEcho) == 0) ShowLineTestAnswer(ctx);
  if (q.take(PENDING_EDGE_REFRESH)) GetEDGE(ctx, ctx.live.armedTrigger != 0 ? 1 : 0);
  if (q.take(PENDING_REFRESH_DATA)) RefreshTeachVideo(ctx, ActiveRow(ctx));
  if (q.take(PENDING_WRITE_CALIB)) ServeCalibRecordWrite(ctx);
  if (q.take(PENDING_SAVE_CALIB) && TakeDueCalibBackup(ctx) &&
      CalibrationCommand(ctx, 2, calib::slopeX16384(ctx.calib.record), calib::offsetUm(ctx.calib.record)))
    NoteCalibLineSaved(ctx);
  // The operator's START and STOP cancel each other; were both pending,
  // the stop that ends the run comes last.
  if (q.take(PENDING_START_CALIB)) CalibrationCommand(ctx, 1);
  if (q.take(PENDING_STOP_CALIB)) {
    CalibrationCommand(ctx, 0);
    ctx.run.state = RUN_IDLE;
    DelayWithEventProcessing(ctx, 0.5);
  }
  // The table goes in with the run stopped and the sensor settled.
  if (q.take(PENDING_WRITE_LOOKUP)) ServeLookupWrite(ctx);
  if (ctx.link.abort == 1) {
    ctx.run.state = RUN_IDLE;
    DelayWithEventProcessing(ctx, 0.5);
    return true;
  }
  return false;
}

}  // namespace bx
