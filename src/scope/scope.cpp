#include "scope/scope.h"

#include <algorithm>
#include <cmath>

#include "commands/commands.h"
#include "context/context.h"
#include "link/exchange.h"
#include "link/ownership.h"
#include "link/report.h"
#include "live/frame.h"
#include "live/live_view.h"
#include "live/pending.h"
#include "live/run_loop.h"
#include "scope/view.h"
#include "wire/frame_format.h"
#include "wire/live_record.h"
#include "wire/orders.h"

namespace bx {
namespace {

constexpr const char* kArmFailed = "SCOPE-MODULE: Timeout RS232-Line!";
constexpr const char* kNoRecord = "SCOPE-MODULE: No record received - scope disarmed!";
constexpr const char* kShortRecord = "SCOPE-MODULE: Record incomplete - previous picture kept!";
constexpr const char* kDisarmRefused = "SCOPE-MODULE: Disarm refused - the scope may still be armed!";
constexpr const char* kDisarmLost = "SCOPE-MODULE: Disarm not confirmed - the scope may still be armed!";

const char* waitingText(int triggerMode) {
  return triggerMode != scoperec::TRIGGER_SINGLE ? "WAITING FOR TRIGGER ..." : "WAITING FOR DATA ...";
}

// A failure the operator must see: the message page, status and message
// field red, the status line appended to the message field.
void showFault(Context& ctx) {
  ctx.ui.setActivePage(ctx.refs.main.tab, kPageConnection);
  ctx.ui.setTextColor(ctx.refs.main.status, ui::kRed);
  ctx.ui.setTextColor(ctx.refs.conn.msgBox, ui::kRed);
  ShowStatus(ctx);
  AppendMessageBox(ctx, ctx.status + "\n");
}

// Controls back, the waiting text gone, the link free. A failed scope
// passes through the error state only: left there, it would lock every
// later request out.
void endQuietly(Context& ctx, LoopOwnership& own) {
  ctx.scope.active = false;
  ctx.ui.setVisible(ctx.scope.refs.waitText, false);
  ctx.ui.setOperable(ctx.refs.main.run, true);
  ctx.ui.setOperable(ctx.refs.main.get, true);
  own.end(false);
}

// The common stop of live mode, after requests the operator made while the
// scope was armed are carried out.
void endNormally(Context& ctx, LoopOwnership& own) {
  ctx.scope.active = false;
  ctx.ui.setVisible(ctx.scope.refs.waitText, false);
  own.end(ctx.link.abort != 1);
  PushSTOP(ctx);
}

// Order 110 with parameter 0: the sensor forgets the armed scope. False,
// with the status saying why, when the sensor did not confirm it.
bool disarm(Context& ctx) {
  if (Exchange(ctx, order::kScope, 0) == 1) return true;
  ctx.status = ctx.link.failure == LinkFailure::Refused ? kDisarmRefused : kDisarmLost;
  return false;
}

// What the streamed wait ended with, when it brought no record.
void waitFailed(Context& ctx, LoopOwnership& own) {
  auto& S = ctx.scope;
  switch (ctx.link.failure) {
    case LinkFailure::Stopped:
      S.outcome = ScopeOutcome::Stopped;
      if (!disarm(ctx)) break;
      endNormally(ctx, own);
      return;
    case LinkFailure::TimedOut:
      S.outcome = ScopeOutcome::TimedOut;
      if (!disarm(ctx)) break;
      ctx.status = kNoRecord;
      ShowStatus(ctx);
      endQuietly(ctx, own);
      return;
    case LinkFailure::Aborted:
      S.outcome = ScopeOutcome::Aborted;
      endQuietly(ctx, own);
      return;
    case LinkFailure::LineError:
      // The wait appended the port's COMM ERROR texts to the waiting text.
      S.outcome = ScopeOutcome::LineError;
      break;
    case LinkFailure::Closed:
      S.outcome = ScopeOutcome::LineError;
      ctx.status = FailureText(ctx, kArmFailed);
      break;
    default:
      // A record whose data failed its check, or a refusal: the picture on
      // show stays.
      S.outcome = ScopeOutcome::BadRecord;
      break;
  }
  ctx.run.state = RUN_TIMEOUT;
  showFault(ctx);
  endQuietly(ctx, own);
}

}  // namespace

void StopScope(Context& ctx) {
  if (ctx.scope.active) ctx.run.state = RUN_IDLE;
}

void PushSCOPE(Context& ctx) {
  auto& S = ctx.scope;
  if (!S.refs.resolved) return;
  LoopOwnership own(ctx, &ServePendingRequests);
  if (!own.owns()) return;
  S.outcome = ScopeOutcome::None;
  ctx.ui.setOperable(ctx.refs.main.run, false);
  ctx.ui.setOperable(ctx.refs.main.get, false);
  ctx.ui.setText(S.refs.waitText, "");
  ctx.ui.setVisible(S.refs.waitText, true);
  PrepareScopeAxes(ctx);

  const scoperec::Settings settings = ReadScopeSettings(ctx);
  const auto bytes = scoperec::encodeSettings(settings);
  if (Exchange(ctx, order::kScope, 1, bytes.data(), static_cast<unsigned>(bytes.size())) != 1) {
    if (ctx.link.abort == 1) {
      S.outcome = ScopeOutcome::Aborted;
      endQuietly(ctx, own);
      return;
    }
    S.outcome = ScopeOutcome::ArmFailed;
    ctx.status = FailureText(ctx, kArmFailed);
    // The request may have armed the sensor although its acknowledgement was
    // spoiled: left armed, it would send a record into later exchanges. A
    // refusal armed nothing; a closed link takes nothing more.
    const LinkFailure why = ctx.link.failure;
    if (why != LinkFailure::Refused && why != LinkFailure::Closed) {
      if (disarm(ctx)) {
        ctx.status = FailureText(ctx, kArmFailed);
        ctx.link.failure = why;
      }
    }
    ctx.run.state = RUN_TIMEOUT;
    showFault(ctx);
    endQuietly(ctx, own);
    return;
  }

  // A lost acknowledgement lets the record itself answer the arm request:
  // it is taken as it is rather than waited for a second time.
  if (ReplyLength(ctx) < scoperec::kRecordBytes) {
    ctx.status = waitingText(settings.triggerMode);
    ShowStatus(ctx);
    ctx.ui.setText(S.refs.waitText, ctx.app.texts.message(ctx.status));
    S.active = true;
    own.markRunning();
    // The wait shows its time; STOP ends it, as it always did.
    ProgressScope progress(ctx, "Scope: waiting for the record", 0, false);
    SetProgressCancel(ctx, &StopScope);
    // The streamed wait counts afresh from here: the arm reply's bytes are
    // no part of the record.
    const int got = GetSpontaneousFrame(ctx, order::kScope, S.recordTimeout,
                                        frame::kHeaderSize + static_cast<int>(scoperec::kRecordBytes));
    S.active = false;
    if (got != 1 && ctx.link.failure != LinkFailure::BadHeader) {
      waitFailed(ctx, own);
      return;
    }
    // A damaged header, another order or a frame without data is no
    // record: the scope ends as on STOP, with nothing to show and no fault.
    if (got != 1 || ctx.link.hdr.order != order::kScope || ctx.link.hdr.length == 0) {
      S.outcome = ScopeOutcome::Discarded;
      if (!disarm(ctx)) {
        // A disarm the sensor refused or never confirmed is said as such.
        ctx.run.state = RUN_TIMEOUT;
        showFault(ctx);
        endQuietly(ctx, own);
        return;
      }
      endNormally(ctx, own);
      return;
    }
  }
  std::array<uint32_t, scoperec::kSamples> samples{};
  if (!scoperec::decodeRecord(ReplyData(ctx), ReplyLength(ctx), samples)) {
    S.outcome = ScopeOutcome::ShortRecord;
    ctx.status = kShortRecord;
    ctx.run.state = RUN_TIMEOUT;
    showFault(ctx);
    endQuietly(ctx, own);
    return;
  }
  S.samples = samples;
  S.hasRecord = true;
  PlotScopeRecord(ctx);
  S.outcome = ScopeOutcome::Shown;
  endNormally(ctx, own);
}

int RefreshCYCLE(Context& ctx) {
  auto& S = ctx.scope;
  // A raised abort flag (disconnect, closing) sends nothing more.
  if (!S.refs.resolved || ctx.link.abort == 1) return 0;
  const scoperec::Settings settings = ReadScopeSettings(ctx);
  if (GetLiveData(ctx, 0) != 1) {
    ShowStatus(ctx);
    return 0;
  }
  liverec::sanitise(ctx.live.record);
  const LiveFrame frame = DecodeLiveFrame(ctx.live);
  // The main panel's live values show the record just fetched.
  PlotVIDEOBarGraph(ctx, frame);
  const int32_t cycleUs = frame.values.cycleUs;
  if (cycleUs > 0) {
    const double f = 1e6 / cycleUs;
    S.sampleRateHz = f / settings.scanRate;
    S.periodMs = 1000.0 / S.sampleRateHz;
    // Rounded as the scan rate is: whole hertz above 10 Hz.
    ctx.ui.setPrecision(S.refs.sampleRate, S.sampleRateHz > 10 ? 0 : 1);
    ctx.ui.setValue(S.refs.sampleRate, S.sampleRateHz);
    ctx.ui.setPrecision(S.refs.samplePeriod, S.periodMs < 10 ? 3 : 1);
    ctx.ui.setValue(S.refs.samplePeriod, S.periodMs);
  }
  PrepareScopeAxes(ctx);
  SetScopeTimeAxis(ctx, S.periodMs);
  calcScopDeltaXY(ctx);
  return 1;
}

}  // namespace bx
