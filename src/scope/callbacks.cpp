#include "scope/callbacks.h"

#include "context/context.h"
#include "link/ownership.h"
#include "scope/export.h"
#include "scope/print.h"
#include "scope/scope.h"
#include "scope/view.h"

namespace bx {
namespace {

constexpr size_t kCommentMax = 1024;

void refreshWhenIdle(Context& ctx) {
  PerformIfIdle(ctx, [&] { RefreshCYCLE(ctx); });
}

bool runInstead(Context& ctx) {
  if (!ScopePageShowing(ctx)) return false;
  PushSCOPE(ctx);
  return true;
}

void redraw(Context& ctx) {
  PrepareScopeAxes(ctx);
  SetScopeTimeAxis(ctx, ctx.scope.periodMs);
  if (ctx.scope.hasRecord) PlotScopeRecord(ctx);
  calcScopDeltaXY(ctx);
}

// After a bring-up the link is already held by the connect procedure. The
// bring-up reports how its own steps went; a good refresh adds nothing to it.
void refreshAfterBringUp(Context& ctx) {
  const LinkFailure before = ctx.link.failure;
  if (RefreshCYCLE(ctx) == 1) ctx.link.failure = before;
}

}  // namespace

bool ScopePageShowing(const Context& ctx) {
  const ui::CtlRef tab = ctx.refs.main.tab;
  if (!ctx.scope.refs.resolved || !ctx.ui.valid(tab)) return false;
  const auto& pages = ctx.ui.at(tab).pages;
  const int page = ctx.ui.activePage(tab);
  return page >= 0 && page < static_cast<int>(pages.size()) &&
         pages[static_cast<size_t>(page)] == ctx.scope.refs.graph.panel;
}

void ScopeTabChanged(Context& ctx) {
  if (!ctx.scope.refs.resolved) return;
  if (ScopePageShowing(ctx)) {
    // The scope runs instead of the run loop.
    if (ctx.run.state == RUN_LOOP && !ctx.scope.active) ctx.run.state = RUN_IDLE;
    PlaceTriggerMarker(ctx, ReadScopeSettings(ctx).triggerLevel);
  } else {
    StopScope(ctx);
  }
}

int CC_PICBTNPrintScope(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) PrintScopeGraph(ctx);
  return 0;
}

int CC_EditScopeComment(Context& ctx, const ui::EventArgs& ev) {
  const ui::CtlRef r{ev.panel, ev.control};
  if (ev.event == ui::EVENT_RIGHT_DOUBLE_CLICK) {
    ctx.ui.setText(r, "");
  } else if (ev.event == ui::EVENT_COMMIT || ev.event == ui::EVENT_VAL_CHANGED) {
    const std::string& text = ctx.ui.text(r);
    if (text.size() > kCommentMax) {
      // Cut on a character boundary: a UTF-8 sequence is never split.
      size_t end = kCommentMax;
      while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
      ctx.ui.setText(r, text.substr(0, end));
    }
  }
  return 0;
}

// Read when the scope starts; right-click help only.
int CC_DROPtriggmode(Context&, const ui::EventArgs&) { return 0; }
int CC_SLIDEpretrigger(Context&, const ui::EventArgs&) { return 0; }

int CC_SLIDEtrigglevel(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) PlaceTriggerMarker(ctx, ReadScopeSettings(ctx).triggerLevel);
  return 0;
}

int CC_PICrefresh(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) refreshWhenIdle(ctx);
  return 0;
}

int CC_NUMscanRate(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_VAL_CHANGED || ev.event == ui::EVENT_COMMIT) refreshWhenIdle(ctx);
  return 0;
}

int CC_GRAPHScope(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT || ev.event == ui::EVENT_VAL_CHANGED) calcScopDeltaXY(ctx);
  return 0;
}

int CC_DISPDeltaY(Context&, const ui::EventArgs&) { return 0; }
int CC_DISPDeltaX(Context&, const ui::EventArgs&) { return 0; }

const ui::CallbackEntry* ScopeCallbacks(size_t& count) {
#define BX_CB(name) {#name, &name}
  static const ui::CallbackEntry kTable[] = {
      BX_CB(CC_PICBTNPrintScope), BX_CB(CC_PICBTNExportScope), BX_CB(CC_EditScopeComment), BX_CB(CC_DROPtriggmode), BX_CB(CC_SLIDEpretrigger),
      BX_CB(CC_SLIDEtrigglevel),  BX_CB(CC_PICrefresh),       BX_CB(CC_NUMscanRate),   BX_CB(CC_GRAPHScope),
      BX_CB(CC_DISPDeltaY),       BX_CB(CC_DISPDeltaX),
  };
#undef BX_CB
  count = sizeof kTable / sizeof kTable[0];
  return kTable;
}

bool InstallScope(Context& ctx, std::vector<std::string>& missing) {
  if (!ResolveScopeRefs(ctx, missing)) return false;
  const auto& r = ctx.scope.refs;
  auto& graph = ctx.ui.graph(r.graph);
  // Two measuring cursors a quarter of the record apart.
  graph.cursors[0].x = 32;
  graph.cursors[1].x = 96;
  for (int i = 0; i < 2; ++i) {
    graph.cursors[static_cast<size_t>(i)].visible = true;
    graph.cursors[static_cast<size_t>(i)].color = i == 0 ? ui::kBlack : ui::Color{128, 0, 128};
  }
  auto& digi = ctx.ui.graph(r.digiGraph);
  for (int i = 0; i < 2 && i < digi.cursorCount; ++i) {
    digi.cursors[static_cast<size_t>(i)].visible = true;
    digi.cursors[static_cast<size_t>(i)].selectable = false;
    digi.cursors[static_cast<size_t>(i)].color = graph.cursors[static_cast<size_t>(i)].color;
  }
  PrepareScopeAxes(ctx);
  SetScopeTimeAxis(ctx, ctx.scope.periodMs > 0 ? ctx.scope.periodMs : 1.0);
  ctx.scope.periodMs = ctx.scope.periodMs > 0 ? ctx.scope.periodMs : 1.0;
  calcScopDeltaXY(ctx);
  ctx.scopeHooks.runInstead = &runInstead;
  ctx.scopeHooks.refreshCycle = &refreshAfterBringUp;
  ctx.scopeHooks.redraw = &redraw;
  return true;
}

}  // namespace bx
