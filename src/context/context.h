#pragma once
// The one application context: every program-wide record of the product,
// one struct per subsystem. Every procedure receives it; a test builds a
// fresh one.
#include <string>

#include "app/state.h"
#include "calib/state.h"
#include "context/displays.h"
#include "context/loop_hooks.h"
#include "context/param_refs.h"
#include "context/refs.h"
#include "context/scope_hooks.h"
#include "context/connection_hooks.h"
#include "context/report_hooks.h"
#include "factory/state.h"
#include "identify/state.h"
#include "link/state.h"
#include "live/state.h"
#include "params/state.h"
#include "recorder/state.h"
#include "scope/state.h"
#include "ui/ui.h"

namespace bx {

struct Context {
  Context() {
    status.reserve(1024);
    ui.ctx = this;
  }
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  ui::Ui ui;
  Refs refs;
  ParaRefs para;
  DisplayHooks displays;
  ConnectionHooks connection;
  LoopHooks loop;
  ScopeHooks scopeHooks;
  ReportHooks report;

  std::string status;   // the status line
  MessageLog messageLog;
  Progress progress;
  LinkState link;
  IdentState ident;
  CalibState calib;
  ParamState params;
  LiveState live;
  RunState run;
  AppState app;
  FactoryState factory;
  RecorderState recorder;
  ScopeState scope;
};

}  // namespace bx
