#include "app/main_panel.h"

#include <algorithm>

#include "app/help.h"
#include "app/settings.h"
#include "commands/commands.h"
#include "context/context.h"
#include "link/events.h"
#include "link/ownership.h"
#include "link/report.h"
#include "params/edits.h"
#include "params/transfer.h"
#include "recorder/recording.h"
#include "scope/callbacks.h"
#include "wire/orders.h"
#include "link/transport.h"
#include "live/live_view.h"
#include "platform/serial_port.h"

namespace bx {

namespace {

constexpr int kMainWidth = 1000;
constexpr int kMainHeight = 680;
constexpr ui::Color kTitleGrey{128, 128, 128};

// Roll graph: upper and lower limit green, set value black, measured value
// and the two extra values red.
void setRollGraphTraces(Context& ctx) {
  ui::CtlRef roll = ctx.refs.live.rollGraph;
  if (!ctx.ui.valid(roll) || ctx.ui.at(roll).kind != ui::Kind::Strip) return;
  auto& s = ctx.ui.strip(roll);
  if (s.traces != 6) {
    s.traces = 6;
    s.data.assign(static_cast<size_t>(s.traces * s.points), 0.0);
  }
  s.colors = {ui::kDarkGreen, ui::kDarkGreen, ui::kBlack, ui::kRed, ui::kRed, ui::kRed};
}

}  // namespace

bool AskBeforeLeaving(Context& ctx) {
  if (ctx.recorder.running) {
    const int c = ctx.ui.choose(Localized(ctx, "A T T E N T I O N !"), Localized(ctx, "A recording is running."),
                                {Localized(ctx, "Stop the recording"), Localized(ctx, "Cancel")});
    if (c != 0) return false;
    StopRecording(ctx);
  }
  return AskAboutUnsentEdits(ctx);
}

void ExitApplication(Context& ctx) {
  if (ctx.app.quitRequested) return;
  // Without anyone to ask (a script, the command line) nothing is asked.
  if (ctx.ui.frontend != nullptr && !AskBeforeLeaving(ctx)) return;
  ctx.app.quitRequested = true;
  ctx.run.state = RUN_IDLE;
  ctx.link.abort = 1;
  WriteIniFile(ctx, ctx.app.settingsPath);
  DelayWithEventProcessing(ctx, 0.5);
  if (platform::SerialPort* serial = OpenSerialPort(ctx.link)) {
    if (serial->inQLen() > 0) serial->flushInQ();
    if (serial->outQLen() > 0) serial->flushOutQ();
  }
  if (ctx.ui.frontend) ctx.ui.frontend->quit();
}

void ShowLogo(Context& ctx) {
  auto& ui = ctx.ui;
  ui.setText(ctx.refs.main.logo, "logo_brand_a.bmp");
  ui::CtlRef title = ctx.refs.main.title;
  ui::CtlRef version = ctx.refs.main.version;
  ui.setText(title, ctx.app.appTitle);
  ui.setText(version, ctx.app.versionShort);
  for (ui::CtlRef r : {title, version}) {
    ui.setTextColor(r, kTitleGrey);
    ui.setBgColor(r, ui::kWhite);
  }
}

void ResetMainPanelPlacement(Context& ctx) {
  const int h = ctx.refs.main.panel;
  if (h < 0) return;
  ui::Panel& p = ctx.ui.panel(h);
  p.maximized = false;
  p.width = kMainWidth;
  p.height = kMainHeight;
  p.left = ctx.app.screenLeft + std::max(0, (ctx.app.screenWidth - kMainWidth) / 2);
  p.top = ctx.app.screenTop + std::max(0, (ctx.app.screenHeight - kMainHeight) / 2);
  ctx.ui.touchPanel(h);
}

int CC_PANEL(Context& ctx, const ui::EventArgs& ev) {
  switch (ev.event) {
    case ui::EVENT_CLOSE:
      ExitApplication(ctx);
      break;
    case ui::EVENT_RIGHT_DOUBLE_CLICK:
      ResetMainPanelPlacement(ctx);
      break;
    case ui::EVENT_PANEL_SIZE:
      setRollGraphTraces(ctx);
      break;
    default:
      break;
  }
  return 0;
}

int CC_TABmain(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_ACTIVE_TAB_CHANGE) {
    ctx.app.activePage = ctx.ui.activePage(ctx.refs.main.tab);
    HideHelp(ctx);
    ScopeTabChanged(ctx);
    // Parameter pages edited since: the calibration page's copies follow.
    ShowCalibSettingsCopies(ctx);
  }
  return 0;
}

int CC_TABGselect(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_ACTIVE_TAB_CHANGE) ctx.app.activeSubPage = ctx.ui.activePage(ui::CtlRef{ev.panel, ev.control});
  return 0;
}

int CC_ButtonTest(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    ctx.status = "TEST button pressed!";
    ShowStatus(ctx);
    ctx.ui.setValue(ctx.refs.main.testSwitch, 0);
    ctx.ui.setValue(ctx.refs.main.testField, 0);
  } else if (ev.event == ui::EVENT_COMMIT) {
    // A running loop owns the link; it sends the test between two cycles.
    PerformOrLeavePending(ctx, PENDING_TEST, [&] {
      if (PushTEST(ctx, order::kEcho) == 0) ShowLineTestAnswer(ctx);
    });
  }
  return 0;
}

int CC_ButtonReset(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    ctx.live.lastTriggerCount = 0;
  } else if (ev.event == ui::EVENT_COMMIT) {
    // The sensor starts its maximum and minimum afresh; a running loop sends
    // the reset between two cycles.
    PerformOrLeavePending(ctx, PENDING_RESET, [&] { PushRESET(ctx); });
  }
  return 0;
}

int CC_BINSWtest(Context&, const ui::EventArgs&) { return 0; }

int CC_CBTNAcceptComSetting(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  WriteIniFile(ctx, ctx.app.settingsPath);
  ctx.ui.setActivePage(ctx.refs.main.tab, kPageMeasurement);
  ctx.app.activePage = 0;
  return 0;
}

}  // namespace bx
