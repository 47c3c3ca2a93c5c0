#include "app/startup.h"

#include "app/app_callbacks.h"
#include "app/message_sink.h"
#include "calib_pages/calib_lock.h"
#include "calib_pages/settings_page.h"
#include "connection/callbacks.h"
#include "connection/conn_page.h"
#include "params/bindings.h"
#include "params/callbacks.h"
#include "context/param_refs.h"
#include "wire/calib_record.h"
#include "context/context.h"
#include "factory/adjust_panel.h"
#include "live/display.h"
#include "live/live_callbacks.h"
#include "live/run_loop.h"
#include "params/defaults.h"
#include "params/fields.h"
#include "params/transfer.h"
#include "recorder/rec_page.h"
#include "scope/callbacks.h"
#include "platform/user_dirs.h"
#include "ui/resource.h"

namespace bx {

std::string ExecutableDir() { return platform::ProgramDir(); }

bool LoadPanels(Context& ctx, const std::string& resourcePath, std::string& error) {
  if (!ui::loadResourceFile(ctx.ui, resourcePath, error)) return false;
  // Each subsystem brings the table of its own callbacks.
  using TableFn = const ui::CallbackEntry* (*)(size_t&);
  for (TableFn fn : {&ConnectionCallbacks, &ParamCallbacks, &RunLoopCallbacks, &LiveCallbacks, &AppCallbacks, &CalibrationCallbacks, &RecorderCallbacks, &ScopeCallbacks}) {
    size_t n = 0;
    const ui::CallbackEntry* table = fn(n);
    if (table) ctx.ui.bindCallbacks(table, n);
  }
  // Every control the core uses is found once, here; a resource that lacks
  // one is refused with its name rather than leave a page dead.
  std::vector<std::string> missing;
  // The adjustment panel is optional: without it Help - Trimm does nothing.
  i2cadjust_init(ctx, missing);
  InstallLiveDisplays(ctx);
  InstallRecorderDisplays(ctx);
  InstallCalibDisplays(ctx);
  ResolveCalibLock(ctx, missing);
  ResolveCalibSettingsCopies(ctx, missing);
  InstallConnectionHooks(ctx);
  InstallReportHooks(ctx);
  InstallScope(ctx, missing);
  resolveCoreRefs(ctx.ui, ctx.refs, missing);
  resolveParaRefs(ctx.ui, ctx.para, missing);
  param::CheckTeachTableShape(ctx, missing);
  if (!missing.empty()) {
    error = resourcePath + ": missing controls:";
    for (const auto& m : missing) error += " " + m;
    return false;
  }
  return true;
}

void InitVars(Context& ctx) {
  auto& p = ctx.params;
  param::SetStartValues(p.set, p.teach);
  p.memory = MEM_RAM;

  ctx.calib.record.bytes.fill(0);
  calib::setField32(ctx.calib.record, calib::OFF_SLOPE, 16384);
  ctx.calib.locked = 1;

  ctx.link.transport = TRANSPORT_RS232;
  ctx.link.comPort = 1;
  ctx.link.baudIndex = 4;
  ctx.link.abort = 0;
  ctx.link.hdr = ExchangeHeader{};
  ctx.run = RunState{};
  ctx.ident.hw = HardwareRecord{};
  ctx.app.language = 0;
  ctx.app.maxMinState = 0;
  ctx.app.versionShort = "V5.5";
  ctx.app.buildText = "Build: V5.5.0  02/Jun/2026";
  ctx.app.appTitle = "Quellan-BX-Scope ";
}

}  // namespace bx
