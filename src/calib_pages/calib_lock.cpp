#include "calib_pages/calib_lock.h"

#include "context/context.h"

namespace bx {

namespace {

using Allows = bool (*)(const Context&);

struct Lockable {
  const char* panel;
  const char* control;
  Allows allows;  // what the page's own step allows; null: always
};

const Lockable kLockables[] = {
    {"TAB_SETT", "XF_DIVISOR", nullptr},
    {"TAB_SETT", "XF_SIZE", nullptr},
    {"TAB_SETT", "IF_TYPE", nullptr},
    {"TAB_SETT", "SLOPE", nullptr},
    {"TAB_SETT", "OFFSET", nullptr},
    {"TAB_SETT", "RANGE", nullptr},
    {"TAB_SETT", "LOOKUP", nullptr},
    {"TAB_SETT", "PIXEL_START", nullptr},
    {"TAB_SETT", "PIXEL_END", nullptr},
    {"TAB_SETT", "SERVICE_WORD", nullptr},
    {"TAB_SETT", "CALFILEBTN", nullptr},
    {"TAB_SETT", "HEADERSEL", nullptr},
    {"TAB_SETT", "LOOKUPSEL", nullptr},
    // With neither selector on there is nothing to write.
    {"TAB_SETT", "WRITEXF",
     [](const Context& c) {
       return c.ui.intValue(c.refs.calib.headerSel) != 0 || c.ui.intValue(c.refs.calib.lookupSel) != 0;
     }},
    {"TAB_SETT", "LOOKUPTOGG", nullptr},
    {"TAB_SETT", "RESTORE", nullptr},
    {"TAB_SETT", "SERVICESW", nullptr},
    {"TAB_2P", "CHECKSTEP1", [](const Context& c) { return c.calib.page.stepBox[0]; }},
    {"TAB_2P", "CHECKSTEP2", [](const Context& c) { return c.calib.page.stepBox[1]; }},
    {"TAB_2P", "DIAMETER1", nullptr},
    {"TAB_2P", "DIAMETER2", nullptr},
    {"TAB_2P", "ACCEPT1", [](const Context& c) { return c.calib.page.accept[0]; }},
    {"TAB_2P", "ACCEPT2", [](const Context& c) { return c.calib.page.accept[1]; }},
    {"TAB_2P", "CALC", [](const Context& c) { return c.calib.page.calc; }},
    {"TAB_2P", "DISCARD", [](const Context& c) { return c.calib.page.discard; }},
    {"TAB_2P", "WRITE", [](const Context& c) { return c.calib.page.write; }},
    {"TAB_2P", "SLOPE", nullptr},
    {"TAB_2P", "OFFSET", nullptr},
    {"TAB_DIST", "CHECKDIST1", [](const Context& c) { return c.calib.page.distBox[0]; }},
    {"TAB_DIST", "CHECKDIST2", [](const Context& c) { return c.calib.page.distBox[1]; }},
    {"TAB_DIST", "DIAMETER", nullptr},
    {"TAB_DIST", "ACCEPT", [](const Context& c) { return c.calib.page.distAccept; }},
    {"TAB_DIST", "CALC", [](const Context& c) { return c.calib.page.calc; }},
    {"TAB_DIST", "DISCARD", [](const Context& c) { return c.calib.page.discard; }},
    {"TAB_DIST", "WRITE", [](const Context& c) { return c.calib.page.write; }},
    {"TAB_DIST", "SLOPE", nullptr},
    {"TAB_DIST", "OFFSET", nullptr},
};

const char* const kLookupControls[] = {"CALFILE", "CALFILEBTN", "LOOKUPSEL"};
// Three pairs of fields only the service needs.
const char* const kServiceFields[] = {"XF_DIVISOR", "XF_SIZE", "IF_TYPE", "SERVICE_WORD", "PIXEL_START", "PIXEL_END"};

}  // namespace

void ResolveCalibLock(Context& ctx, std::vector<std::string>& missing) {
  auto find = [&](const char* panel, const char* name) {
    const ui::CtlRef r = ctx.ui.find(panel, name);
    if (!r.valid()) missing.push_back(std::string(panel) + "." + name);
    return r;
  };
  CalibPageRefs& r = ctx.refs.calib;
  r.lockables.clear();
  for (const Lockable& l : kLockables) r.lockables.push_back(find(l.panel, l.control));
  r.lookupControls.clear();
  for (const char* name : kLookupControls) r.lookupControls.push_back(find("TAB_SETT", name));
  r.serviceFields.clear();
  for (const char* name : kServiceFields) r.serviceFields.push_back(find("TAB_SETT", name));
  r.lookupToggle = find("TAB_SETT", "LOOKUPTOGG");
  r.serviceSwitch = find("TAB_SETT", "SERVICESW");
}

void ShowCalibControls(Context& ctx) {
  auto& ui = ctx.ui;
  const auto& pg = ctx.calib.page;
  const CalibPageRefs& r = ctx.refs.calib;
  for (size_t i = 0; i < r.lockables.size() && i < std::size(kLockables); ++i) {
    const Lockable& l = kLockables[i];
    const bool operable = ctx.calib.locked == 0 && (l.allows == nullptr || l.allows(ctx));
    ui.setDimmed(r.lockables[i], !operable);
  }
  for (ui::CtlRef c : r.lookupControls) ui.setVisible(c, pg.lookupShown);
  for (ui::CtlRef c : r.serviceFields) ui.setVisible(c, pg.serviceShown);
  ui.setValue(r.lookupToggle, pg.lookupShown ? 1 : 0);
  ui.setValue(r.serviceSwitch, pg.serviceShown ? 1 : 0);
}

int CC_TEXTcalibration(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_RIGHT_DOUBLE_CLICK) return 0;
  ctx.calib.locked = ctx.calib.locked == 0 ? 1 : 0;
  ShowCalibControls(ctx);
  return 0;
}

int CC_TOGGlookup(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_VAL_CHANGED) return 0;
  auto& pg = ctx.calib.page;
  pg.lookupShown = ctx.ui.intValue(ui::CtlRef{ev.panel, ev.control}) != 0;
  if (!pg.lookupShown) {
    // A hidden selector must not write the table behind the operator's back.
    ctx.ui.setValue(ctx.refs.calib.lookupSel, 0);
    ctx.calib.locked = 1;
  }
  ShowCalibControls(ctx);
  return 0;
}

int CC_TBoxCalib(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_RIGHT_DOUBLE_CLICK || ctx.calib.locked != 0) return 0;
  ctx.calib.page.serviceShown = !ctx.calib.page.serviceShown;
  ShowCalibControls(ctx);
  return 0;
}

int CC_BIN_RES(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT) return 0;
  ctx.calib.page.serviceShown = ctx.ui.intValue(ui::CtlRef{ev.panel, ev.control}) != 0;
  ShowCalibControls(ctx);
  return 0;
}

}  // namespace bx
