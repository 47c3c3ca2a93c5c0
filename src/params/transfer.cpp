#include "params/transfer.h"

#include <algorithm>
#include <cstring>

#include "commands/commands.h"
#include "context/context.h"
#include "link/exchange.h"
#include "link/ownership.h"
#include "link/report.h"
#include "params/edits.h"
#include "params/fields.h"
#include "params/model_config.h"
#include "params/panel_values.h"
#include "params/para_file_ui.h"
#include "params/teach.h"
#include "wire/orders.h"

namespace bx {
namespace {

// A reply shorter than the record would leave it half old, half new.
bool fetch(Context& ctx, int order, int param, uint8_t* dest, unsigned size) {
  if (Exchange(ctx, order, param) != 1 || ReplyLength(ctx) < size) return false;
  std::memcpy(dest, ReplyData(ctx), size);
  return true;
}

int selectorOf(const Context& ctx) { return ctx.params.memory; }

}  // namespace

int PushGET(Context& ctx, int selector) {
  auto& p = ctx.params;
  const bool fromSensor = selector != MEM_FILE;
  if (!fromSensor) {
    ctx.status = "Parameter-frame received from file!";
  } else {
    const int order = selector == MEM_EEPROM ? order::kReadEeprom : order::kReadRam;
    // Records read of the two; the time-outs say enough on failure, so no
    // cancel of its own (Disconnect still ends the wait).
    ProgressScope progress(ctx, selector == MEM_EEPROM ? "Reading the EEPROM: record" : "Reading the parameters: record",
                           2, false);
    std::array<uint8_t, ParamState::kParamSize> set{};
    if (!fetch(ctx, order, 0, set.data(), ParamState::kParamSize)) {
      ctx.status = FailureText(ctx, "Timeout-RS-232...");
      ShowStatus(ctx);
      return -1;
    }
    p.set = set;
    p.setRead = true;
    StepProgress(ctx, 1);
    if (selector == MEM_RAM) p.sensorRs232Mode = param::get(p, param::RS232_MODE);
    ctx.status = "Parameter-frame received! - Line Ok!";
    std::array<uint8_t, ParamState::kTeachSize> teach{};
    if (!fetch(ctx, order, 1, teach.data(), ParamState::kTeachSize)) {
      ctx.status = FailureText(ctx, "Timeout-RS-232 table ...");
      ShowStatus(ctx);
      return -1;
    }
    p.teach = teach;
    p.teachRead = true;
    StepProgress(ctx, 2);
    ctx.status = "Teach-Table: Frame received! - Line Ok!";
    ShowStatus(ctx);
  }
  if (fromSensor && param::get(p, param::VIDEO_THRESHOLD_MODE) == 1 && ctx.run.state == RUN_IDLE &&
      !ctx.run.pending.has(PENDING_TEACH)) {
    ShowVideoView(ctx);
    GetDATA(ctx, 1);
  }
  if (GetEDGE(ctx, 0) < 0) ctx.status = FailureText(ctx, "GET-EDGE: Timeout RS232-Line!");
  SetPanelValues(ctx);
  NoteRecordsInSync(ctx);
  ShowStatus(ctx);
  return 1;
}

bool RefuseUnreadRecords(Context& ctx) {
  if (ctx.params.recordsRead()) return false;
  ctx.status = kRecordsNotRead;
  ShowStatus(ctx);
  return true;
}

int PushSEND(Context& ctx, int selector) {
  const int order = selector == MEM_EEPROM ? order::kWriteEeprom : order::kWriteRam;
  auto& p = ctx.params;
  if (RefuseUnreadRecords(ctx)) return -1;
  int r = -1;
  ProgressScope progress(ctx, selector == MEM_EEPROM ? "Writing the EEPROM: record" : "Sending the parameters: record",
                         2, false);
  if (Exchange(ctx, order, 0, p.set.data(), ParamState::kParamSize) == 1) {
    StepProgress(ctx, 1);
    if (selector != MEM_EEPROM) p.sensorRs232Mode = param::get(p, param::RS232_MODE);
    if (Exchange(ctx, order, 1, p.teach.data(), ParamState::kTeachSize) == 1) {
      ctx.status = "Transmission successful - Line Ok!";
      NoteRecordsInSync(ctx);
      StepProgress(ctx, 2);
      r = 1;
    } else {
      ctx.status = "Transmission error [SEND-TTABLE]!";
    }
  } else {
    ctx.status = "Transmission error [SEND]!";
  }
  ShowStatus(ctx);
  return r;
}

int CC_BTNGet(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    ShowStatusText(ctx, "Waiting for parameter-frame ...");
    return 0;
  }
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const int sel = selectorOf(ctx);
  // A file read now while another operation waits on the link would change
  // the records underneath it.
  if (LinkRefusesAction(ctx)) return 0;
  // Another file's records would replace changes never sent.
  if (sel == MEM_FILE && (!AskAboutUnsentEdits(ctx) || GetParaFromFile(ctx) != 1)) return 0;
  RequestGET(ctx, sel);
  return 0;
}

void RequestGET(Context& ctx, int selector) {
  const auto r = PerformOrLeavePending(ctx, PENDING_GET, [&] { PushGET(ctx, selector); });
  ctx.params.pendingGetFromFile = r == LinkAction::LeftPending && selector == MEM_FILE;
}

int CC_BTNSend(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_LEFT_CLICK) {
    ShowStatusText(ctx, "Transmit parameter-frame ...");
    return 0;
  }
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const int sel = selectorOf(ctx);
  if (sel == MEM_FILE) {
    SendParaToFile(ctx);
    return 0;
  }
  if (LinkRefusesAction(ctx)) return 0;
  GetPanelValues(ctx);
  PerformOrLeavePending(ctx, PENDING_SEND, [&] { PushSEND(ctx, sel); });
  return 0;
}

int CC_RBTRamEEFile(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT && ev.event != ui::EVENT_VAL_CHANGED) return 0;
  ctx.params.memory = std::clamp(ctx.ui.intValue(ctx.refs.main.memSel), 0, 2);
  return 0;
}

int CC_CMD_SND(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const int sel = selectorOf(ctx);
  if (sel == MEM_FILE) {
    SendParaToFile(ctx);
    return 0;
  }
  if (LinkRefusesAction(ctx)) return 0;
  GetPanelValues(ctx);
  PerformIfIdle(ctx, [&] { PushSEND(ctx, sel); });
  return 0;
}

namespace {

// The calibration settings page repeats the parameter fields a calibration
// sets up (laser power, read-out speed, trigger pixel, evaluation range),
// so the service need not leave the page. A copy goes into the parameter
// page's own control, whose rules then apply; that control stays what the
// parameter set is collected from.
struct SettingsCopy {
  const char* own;
  const char* panel;
  const char* control;
};
constexpr SettingsCopy kSettingsCopies[] = {
    {"CAL_POWER", "PARA1", "POWER"},       {"CAL_SPEED", "PARA1", "CCDMODE"},
    {"CAL_TRIGPIX", "PARA2", "TRIGPIX"},   {"CAL_RANGEBEG", "VIDEO", "RANGEBEG"},
    {"CAL_RANGEEND", "VIDEO", "RANGEEND"},
};

bool sameItems(const std::vector<ui::Item>& a, const std::vector<ui::Item>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const ui::Item& x, const ui::Item& y) { return x.label == y.label && x.value == y.value; });
}

int copyToParameterPage(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const ui::CtlRef own{ev.panel, ev.control};
  if (!ctx.ui.valid(own)) return 0;
  const CalibPageRefs& r = ctx.refs.calib;
  for (size_t i = 0; i < r.copies.size() && i < r.copied.size(); ++i) {
    if (r.copies[i] != own) continue;
    const ui::CtlRef target = r.copied[i];
    if (!ctx.ui.valid(target) || ctx.ui.dimmed(target)) break;
    ctx.ui.setValue(target, ctx.ui.value(own));
    ctx.ui.fire(target, ui::EVENT_VAL_CHANGED);
    ctx.ui.fire(target, ui::EVENT_COMMIT);
    break;
  }
  // The parameter page's rules may have limited the value.
  ShowCalibSettingsCopies(ctx);
  return 0;
}

}  // namespace

void ResolveCalibSettingsCopies(Context& ctx, std::vector<std::string>& missing) {
  CalibPageRefs& r = ctx.refs.calib;
  r.copies.clear();
  r.copied.clear();
  for (const SettingsCopy& c : kSettingsCopies) {
    r.copies.push_back(ctx.ui.find("TAB_SETT", c.own));
    r.copied.push_back(ctx.ui.find(c.panel, c.control));
    if (!r.copies.back().valid()) missing.push_back(std::string("TAB_SETT.") + c.own);
    if (!r.copied.back().valid()) missing.push_back(std::string(c.panel) + "." + c.control);
  }
}

void ShowCalibSettingsCopies(Context& ctx) {
  auto& ui = ctx.ui;
  const CalibPageRefs& r = ctx.refs.calib;
  for (size_t i = 0; i < r.copies.size() && i < r.copied.size(); ++i) {
    const ui::CtlRef own = r.copies[i], target = r.copied[i];
    if (!ui.valid(own) || !ui.valid(target)) continue;
    const ui::Control& from = ui.at(target);
    ui::Control& to = ui.at(own);
    if (!sameItems(to.items, from.items) || to.precision != from.precision || to.min != from.min ||
        to.max != from.max || to.step != from.step) {
      to.items = from.items;
      to.step = from.step;
      to.precision = from.precision;
      to.min = from.min;
      to.max = from.max;
      ui.touch(own);
    }
    ui.setValue(own, from.value);
    ui.setDimmed(own, from.dimmed);
  }
}

int CC_NUM_PWR(Context& ctx, const ui::EventArgs& ev) { return copyToParameterPage(ctx, ev); }
int CC_DROPopMode(Context& ctx, const ui::EventArgs& ev) { return copyToParameterPage(ctx, ev); }
int CC_NUMtrgPix(Context& ctx, const ui::EventArgs& ev) { return copyToParameterPage(ctx, ev); }
int CC_NEDITRangeTeachBeg(Context& ctx, const ui::EventArgs& ev) { return copyToParameterPage(ctx, ev); }
int CC_NEDITRangeTeachEnd(Context& ctx, const ui::EventArgs& ev) { return copyToParameterPage(ctx, ev); }

int CC_DROPhwtype(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  const int chosen = ctx.ui.intValue(ctx.refs.calib.hwType);
  selectHARDWARE(ctx, static_cast<unsigned>(chosen), ctx.ident.hw.hwType);
  SetPanelValues(ctx);
  return 0;
}

}  // namespace bx
