#include "live/run_loop.h"

#include <chrono>
#include <string>

#include "connection/link_area.h"

#include "commands/commands.h"
#include "context/context.h"
#include "context/connection_hooks.h"
#include "link/events.h"
#include "link/exchange.h"
#include "link/ownership.h"
#include "link/report.h"
#include "live/frame.h"
#include "live/live_view.h"
#include "live/pending.h"
#include "wire/live_record.h"

namespace bx {
namespace {

// The serial adapter was unplugged under the loop: the message naming it
// says more than any time-out text, and stays.
bool adapterRemoved(const Context& ctx) { return ctx.link.adapterRemoved; }

// The tool's own cycles per second over a window of about a second: a
// clock read and two additions per cycle.
class CycleRate {
 public:
  void cycle(Context& ctx) {
    const auto now = Clock::now();
    if (count_ == 0) start_ = now;
    ++count_;
    const double s = std::chrono::duration<double>(now - start_).count();
    if (s > 0) ctx.live.toolCycleHz = (count_ - 1) / s;
    if (s >= 1.0) count_ = 0;
  }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point start_{};
  int count_ = 0;
};

// A pair of status texts the loop alternates between, translated once per
// language so showing them every cycle costs no heap.
struct Heartbeat {
  const char* a;
  const char* b;
  std::string shownA{}, shownB{};
  int language = -1;
};

// Everything one run of the loop keeps between its cycles.
struct Loop {
  Loop(Context& c, LoopOwnership& own, const RunObserver* o)
      : ctx(c), ownership(own), observer(o), frame(DecodeLiveFrame(c.live)) {}

  Context& ctx;
  LoopOwnership& ownership;
  const RunObserver* observer;
  // The live record as last fetched, decoded once; every display of the
  // cycle draws from it.
  LiveFrame frame;
  int page = 0;
  bool heartbeat = false;
  CycleRate rate;
  Heartbeat transmission{"Transmission successful  ---> Line Ok!", "Transmission successful <---  Line Ok!"};
  Heartbeat waiting{"Waiting for trigger ... ---> Line Ok!", "Waiting for trigger ... <--- Line Ok!"};

  bool armed() const { return ctx.live.armedTrigger != 0; }

  void beat(Heartbeat& h) {
    heartbeat = !heartbeat;
    if (h.language != ctx.app.language) {
      h.shownA = ctx.app.texts.message(h.a);
      h.shownB = ctx.app.texts.message(h.b);
      h.language = ctx.app.language;
    }
    ctx.status = heartbeat ? h.a : h.b;
    ctx.ui.setText(ctx.refs.main.status, heartbeat ? h.shownA : h.shownB);
  }

  void barGraph() {
    if (armed())
      PlotVIDEOBarGraphTrigger(ctx, frame);
    else
      PlotVIDEOBarGraph(ctx, frame);
  }

  // The low 16 bits of the counter, when they announce an event not yet
  // handled; 0 otherwise (a counter of 0 never announces one).
  uint16_t newTriggerEvent() const {
    const auto count = static_cast<uint16_t>(frame.values.triggerCount);
    return count != 0 && count != ctx.live.lastTriggerCount ? count : 0;
  }

  bool fetchLive(int trigger) {
    if (GetLiveData(ctx, trigger) != 1) return false;
    liverec::sanitise(ctx.live.record);
    frame = DecodeLiveFrame(ctx.live);
    return true;
  }

  // Ends the loop after a failed exchange; the failure text (nullptr: the
  // one the exchange left) stands in the status line until PushSTOP
  // replaces it.
  void fail(const char* text) {
    // An exchange cut short by the abort flag (disconnect, closing) is the
    // operator ending live mode, not a dead line.
    if (ctx.link.abort == 1) {
      ctx.run.state = RUN_IDLE;
      PushSTOP(ctx);
      return;
    }
    if (text && !adapterRemoved(ctx)) ctx.status = text;
    ShowStatus(ctx);
    if (observer && observer->failed) observer->failed(ctx, observer->user, ctx.status.c_str());
    ctx.run.state = RUN_TIMEOUT;
    PushSTOP(ctx);
    // STOP offers RUN and GET again; without the adapter there is nothing
    // to run them on.
    if (adapterRemoved(ctx)) NotifyLinkDown(ctx);
  }

  // A triggered record that could not be fetched is lost: that is said to
  // a front-end that watches, though the loop then ends as a stop does (the
  // fetch has set the run state).
  void triggeredFetchFailed() {
    if (ctx.link.abort == 1) return;
    ShowStatus(ctx);
    if (observer && observer->failed) observer->failed(ctx, observer->user, ctx.status.c_str());
  }

  // Step 2 of the video view: the frame captured at a new trigger event.
  // False when the loop must end.
  bool videoTriggered(bool& triggered) {
    beat(waiting);
    const uint16_t count = newTriggerEvent();
    if (count == 0) return true;
    if (fetchLive(1)) {
      triggered = true;
      PlotVIDEOBarGraph(ctx, frame);
    } else {
      triggeredFetchFailed();
    }
    if (GetEDGE(ctx, 1) < 0) {
      fail(nullptr);
      return false;
    }
    if (page == kPageMeasurement || page == kPageTeach) {
      ShowTriggerText(ctx, TriggerText::Triggered);
      if (GetDATA(ctx, 2) == 1) {
        PlotLiveVideo(ctx, frame, page, true);
        ShowTriggerText(ctx, TriggerText::Waiting);
      }
    }
    ctx.live.lastTriggerCount = count;
    return true;
  }

  // Step 3: edges and the live profile every cycle. False when the loop
  // must end.
  bool videoLive() {
    if (GetEDGE(ctx, 0) < 0) {
      fail(nullptr);
      return false;
    }
    if (GetDATA(ctx, 0) != 1) {
      ctx.ui.setActivePage(ctx.refs.main.tab, kPageConnection);
      ctx.ui.setTextColor(ctx.refs.conn.msgBox, ui::kRed);
      ctx.ui.setTextColor(ctx.refs.main.status, ui::kRed);
      fail(FailureText(ctx, "VIDEO: Timeout RS232-Line!"));
      return false;
    }
    beat(transmission);
    if (page == kPageMeasurement || page == kPageTeach) PlotLiveVideo(ctx, frame, page, false);
    return true;
  }

  // Step 4: the roll graph, with or without a trigger armed.
  void roll(bool& triggered) {
    if (!armed()) {
      beat(transmission);
      PlotRAWGraph(ctx, frame);
      return;
    }
    beat(waiting);
    const uint16_t count = newTriggerEvent();
    if (count == 0) return;
    if (fetchLive(1)) {
      triggered = true;
      ShowTriggerText(ctx, TriggerText::Triggered);
      PlotVIDEOBarGraph(ctx, frame);
      ShowTriggerText(ctx, TriggerText::Waiting);
    } else {
      triggeredFetchFailed();
    }
    PlotRAWGraph(ctx, frame);
    ctx.live.lastTriggerCount = count;
  }

  // One cycle after the live record arrived. False when the loop has ended.
  bool cycle() {
    bool triggered = false;
    // The page the operator looks at now: after a page change the new
    // page's video must follow, not the page shown at RUN.
    page = ctx.ui.activePage(ctx.refs.main.tab);
    barGraph();
    if (ctx.loop.cycleAfterVideo) ctx.loop.cycleAfterVideo(ctx, frame);
    if (ctx.live.graphSwitch == 1) {
      if (armed() ? !videoTriggered(triggered) : !videoLive()) return false;
    } else {
      roll(triggered);
    }
    rate.cycle(ctx);
    if (observer && observer->cycleDone) observer->cycleDone(ctx, observer->user, triggered);
    if (ownership.serveBetweenCycles()) {
      PushSTOP(ctx);
      return false;
    }
    ProcessSystemEvents(ctx, false);
    if (ctx.run.state != RUN_LOOP) {
      PushSTOP(ctx);
      return false;
    }
    return true;
  }
};

}  // namespace

void PushRUN(Context& ctx, const RunObserver* observer) {
  // One loop at a time, and never inside another operation's exchange.
  LoopOwnership own(ctx, &ServePendingRequests);
  if (!own.owns()) return;
  ctx.run.closingStatus.clear();  // left by a loop that ended without its stop
  ctx.ui.setOperable(ctx.refs.main.run, false);
  ctx.ui.setOperable(ctx.refs.main.get, false);
  own.markRunning();
  Loop loop(ctx, own, observer);
  loop.page = ctx.ui.activePage(ctx.refs.main.tab);
  ShowGraphView(ctx, ctx.live.graphSwitch);
  if (loop.armed()) ShowTriggerText(ctx, TriggerText::Waiting);
  if (ctx.loop.runStarting) ctx.loop.runStarting(ctx);

  while (true) {
    if (!loop.fetchLive(0)) {
      loop.fail(FailureText(ctx, "RAW: Timeout RS232-Line!"));
      return;
    }
    if (!loop.cycle()) return;
  }
}

void PushSTOP(Context& ctx) {
  // After a lost link the controls stay as the link-down display left them.
  const bool linkUp = OpenPort(ctx) != nullptr;
  ctx.ui.setOperable(ctx.refs.main.run, linkUp);
  ctx.ui.setOperable(ctx.refs.main.get, linkUp);
  ctx.ui.setOperable(ctx.refs.main.recStart, linkUp);
  if (!linkUp || ctx.run.state == RUN_TIMEOUT) ShowLiveValuesStale(ctx);
  // Whatever ended the loop, what the displays hold is no longer live.
  SetLiveDisplaysStale(ctx, true);
  ShowTriggerText(ctx, TriggerText::Hidden);
  if (!ctx.run.closingStatus.empty()) {
    ctx.status = ctx.run.closingStatus;
    ctx.run.closingStatus.clear();
    ShowStatus(ctx);
  } else if (ctx.run.state == RUN_LOOP || ctx.run.state == RUN_IDLE) {
    ctx.status = "Data-Transfer Stopped!";
    ShowStatus(ctx);
  } else if (ctx.run.state == RUN_TIMEOUT && !adapterRemoved(ctx)) {
    ctx.status = FailureText(ctx, "Timeout RS232 Line!", "Timeout TCP-Server-error!");
    ShowStatus(ctx);
  }
  ctx.run.state = RUN_IDLE;
  ctx.link.exchangesPerSecond = 0;
  ctx.link.rateCount = 0;
  ShowLinkArea(ctx);
}

int CC_BTNRun(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    // Without a link the red error text stays: nothing will run.
    if (OpenPort(ctx) == nullptr) return 0;
    if (LinkRefusesAction(ctx) || ctx.run.linkHeld > 0) return 0;
    PrepareLiveAxes(ctx);
    ctx.run.state = RUN_LOOP;
    ctx.ui.setTextColor(ctx.refs.main.status, ui::kBlack);
    ctx.ui.setTextColor(ctx.refs.conn.msgBox, ui::kBlack);
  } else if (ev.event == ui::EVENT_COMMIT) {
    // A press that did not reach the button (keyboard) starts the same way.
    if (ctx.run.linkHeld > 0 || OpenPort(ctx) == nullptr) return 0;
    if (ctx.run.state != RUN_LOOP) {
      if (LinkRefusesAction(ctx)) return 0;
      PrepareLiveAxes(ctx);
    }
    // On the scope page RUN arms the scope instead.
    if (ctx.scopeHooks.runInstead && ctx.scopeHooks.runInstead(ctx)) return 0;
    PushRUN(ctx);
  }
  return 0;
}

int CC_BTNStop(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) {
    ctx.run.state = RUN_IDLE;
    PushSTOP(ctx);
  } else if (ev.event == ui::EVENT_LEFT_CLICK || ev.event == ui::EVENT_KEYPRESS) {
    // The running loop notices it at the end of its cycle.
    ctx.run.state = RUN_IDLE;
  }
  return 0;
}

#define BX_CB(name) {#name, &name}

const ui::CallbackEntry* RunLoopCallbacks(size_t& count) {
  static const ui::CallbackEntry kTable[] = {BX_CB(CC_BTNRun), BX_CB(CC_BTNStop)};
  count = sizeof kTable / sizeof kTable[0];
  return kTable;
}

#undef BX_CB

}  // namespace bx
