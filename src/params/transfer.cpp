#include "params/transfer.h"

#include <algorithm>
#include <cstring>

#include "commands/commands.h"
#include "context/context.h"
#include "link/exchange.h"
#include "link/report.h"
#include "params/fields.h"
#include "params/panel_values.h"

namespace bx {

void PushGET(Context& ctx, int selector) {
  auto& p = ctx.params;
  const bool fromSensor = selector != MEM_FILE;
  if (!fromSensor) {
    ctx.status = "Parameter-frame received from file!";
  } else {
    const int order = selector == MEM_EEPROM ? 4 : 2;
    if (Exchange(ctx, order, 0) != 1) {
      ctx.status = "Timeout-RS-232...";
      ShowStatus(ctx);
      return;
    }
    std::memcpy(p.set.data(), ReplyData(ctx), std::min<unsigned>(ParamState::kParamSize, ReplyLength(ctx)));
    ctx.status = "Parameter-frame received! - Line Ok!";
    if (Exchange(ctx, order, 1) != 1) {
      ctx.status = "Timeout-RS-232 table ...";
      ShowStatus(ctx);
      return;
    }
    std::memcpy(p.teach.data(), ReplyData(ctx), std::min<unsigned>(ParamState::kTeachSize, ReplyLength(ctx)));
    ctx.status = "Teach-Table: Frame received! - Line Ok!";
    ShowStatus(ctx);
  }
  if (fromSensor && param::get(p, param::VIDEO_THRESHOLD_MODE) == 1 && ctx.run.state == RUN_IDLE &&
      !ctx.run.pendingTeach) {
    ShowVideoView(ctx);
    GetDATA(ctx, 1);
  }
  if (GetEDGE(ctx, 0) < 0) ctx.status = "GET-EDGE: Timeout RS232-Line!";
  SetPanelValues(ctx);
  ShowStatus(ctx);
}

void PushSEND(Context& ctx, int selector) {
  const int order = selector == MEM_EEPROM ? 3 : 1;
  auto& p = ctx.params;
  if (Exchange(ctx, order, 0, p.set.data(), ParamState::kParamSize) == 1) {
    if (Exchange(ctx, order, 1, p.teach.data(), ParamState::kTeachSize) == 1)
      ctx.status = "Transmission successful - Line Ok!";
    else
      ctx.status = "Transmission error [SEND-TTABLE]!";
  } else {
    ctx.status = "Transmission error [SEND]!";
  }
  ShowStatus(ctx);
}

}  // namespace bx
