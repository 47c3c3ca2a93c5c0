#include "factory/adjust_panel.h"

#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "context/context.h"
#include "factory/adjust_record.h"
#include "link/exchange.h"
#include "ui/ui.h"

namespace bx {
namespace {

using namespace factory;

// One binding per field of the record the pages show: where, and which
// setting (if any) the operator's edit of it is collected into.
enum class Shown : uint8_t { Word, Byte, Mode };
struct FieldBinding {
  int page;
  const char* name;
  int offset;
  Shown shown;
  int* (*setting)(AdjustSettings&);  // null: shown only
};
#define BX_SLOT(member) [](AdjustSettings& s) -> int* { return &s.member; }
constexpr FieldBinding kFields[] = {
    {2, "MODEWORD", 0, Shown::Mode, nullptr},
    {0, "BYTE6", kByte6Offset, Shown::Byte, BX_SLOT(byte6)},
    {0, "WORD8", 8, Shown::Word, BX_SLOT(page1[0])},
    {0, "WORD10", 10, Shown::Word, BX_SLOT(page1[1])},
    {2, "WORD12", 12, Shown::Word, nullptr},
    {2, "WORD14", 14, Shown::Word, nullptr},
    {1, "WORD16", 16, Shown::Word, BX_SLOT(page2[0])},
    {1, "WORD18", 18, Shown::Word, BX_SLOT(page2[1])},
    {2, "WORD20", 20, Shown::Word, nullptr},
    {2, "WORD22", 22, Shown::Word, nullptr},
    {1, "WORD24", 24, Shown::Word, BX_SLOT(page2[2])},
    {1, "WORD26", 26, Shown::Word, BX_SLOT(page2[3])},
    {2, "WORD28", 28, Shown::Word, nullptr},
    {2, "WORD30", 30, Shown::Word, nullptr},
};
#undef BX_SLOT
static_assert(std::size(kFields) == std::tuple_size_v<decltype(AdjustRefs::fields)>);

int shownValue(const AdjustRecord& r, const FieldBinding& f) {
  switch (f.shown) {
    case Shown::Byte:
      return r[static_cast<size_t>(f.offset)];
    case Shown::Mode:
      return ModeOf(r);
    case Shown::Word:
      break;
  }
  return Word(r, f.offset);
}

void setPanelVisible(Context& ctx, int h, bool visible) {
  if (h < 0 || ctx.ui.panel(h).visible == visible) return;
  ctx.ui.panel(h).visible = visible;
  ctx.ui.touchPanel(h);
}

struct StoreSwitch {
  int page;
  const char* name;
  uint8_t flag;
};
constexpr StoreSwitch kStores[] = {{0, "STORE1", kStorePage1}, {1, "STORE2A", kStorePage2A}, {1, "STORE2B", kStorePage2B}};

// The pages' controls by name, once; a page the panel lacks gives none.
ui::CtlRef find(const Context& ctx, const int (&pages)[3], int page, const char* name,
                std::vector<std::string>& missing) {
  const std::string& panel = ctx.ui.panel(pages[page]).name;
  const ui::CtlRef r = ctx.ui.find(panel, name);
  if (!r.valid()) missing.push_back(panel + "." + name);
  return r;
}

// Group 1 (page 1) answers to mode 1, group 2 (page 2) to mode 2; any other
// mode leaves both operable.
bool groupDimmed(int page, int mode) { return (mode == 1 && page == 1) || (mode == 2 && page == 0); }

bool isTakenStore(Context& ctx, int page, const std::string& name) {
  for (const StoreSwitch& st : kStores)
    if (st.page == page && name == st.name) return (ctx.factory.storesTaken & st.flag) != 0;
  return false;
}

void dimGroups(Context& ctx, int mode) {
  for (int page = 0; page < 2; ++page) {
    const int h = ctx.factory.pages[page];
    const auto& controls = ctx.ui.panel(h).controls;
    for (size_t c = 0; c < controls.size(); ++c) {
      // Store switches already taken over stay dimmed.
      if (isTakenStore(ctx, page, controls[c].name)) continue;
      ctx.ui.setDimmed(ui::CtlRef{h, static_cast<int>(c)}, groupDimmed(page, mode));
    }
  }
}

// A store switch taken over by the sensor in the last exchange switches
// off and is available again: dimmed, the operator could not switch it off.
void releaseStores(Context& ctx) {
  for (size_t i = 0; i < std::size(kStores); ++i) {
    const StoreSwitch& st = kStores[i];
    const ui::CtlRef r = ctx.factory.refs.stores[i];
    if (ctx.factory.storesTaken & st.flag) {
      ctx.factory.storesTaken = static_cast<uint8_t>(ctx.factory.storesTaken & ~st.flag);
      ctx.ui.setValue(r, 0);
      ctx.ui.setDimmed(r, groupDimmed(st.page, ctx.factory.lastMode & 0x3));
    }
  }
}

void showMeasured(Context& ctx, const AdjustRecord& r) {
  const auto& R = ctx.factory.refs;
  const int unit = ctx.ui.intValue(R.unit);
  ctx.ui.setValue(R.measured, ShowMeasured(static_cast<int16_t>(Word(r, kMeasuredOffset)), unit));
}

// wholeRecord: every field (mode 1); otherwise only the measured value.
void showRecord(Context& ctx, const AdjustRecord& r, bool wholeRecord) {
  showMeasured(ctx, r);
  if (!wholeRecord) return;
  // What the panel now shows is the sensor's: only a later edit is a change.
  AdjustSettings& shown = ctx.factory.shown;
  for (size_t i = 0; i < std::size(kFields); ++i) {
    const int v = shownValue(r, kFields[i]);
    ctx.ui.setValue(ctx.factory.refs.fields[i], v);
    if (kFields[i].setting) *kFields[i].setting(shown) = v;
  }
  dimGroups(ctx, ModeOf(r));
}

// The outgoing record from the panel; the store flags of switches that are
// on and not yet taken over.
AdjustSettings collect(Context& ctx) {
  const auto& R = ctx.factory.refs;
  AdjustSettings s;
  s.setValue = ctx.ui.value(R.setValue);
  s.unit = ctx.ui.intValue(R.unit);
  for (size_t i = 0; i < std::size(kFields); ++i)
    if (kFields[i].setting) *kFields[i].setting(s) = ctx.ui.intValue(R.fields[i]);
  for (size_t i = 0; i < std::size(kStores); ++i) {
    if (ctx.ui.value(R.stores[i]) != 0 && !(ctx.factory.storesTaken & kStores[i].flag)) s.storeFlags |= kStores[i].flag;
  }
  return s;
}

void runStarting(Context& ctx) { i2cadjust_preload(ctx); }
// Until the sensor's record has been read the cycle only reads it: what
// the panel holds before is not the sensor's and must not be sent. The
// panel shows its own record, nothing of the live frame.
void cycleAfterVideo(Context& ctx, const LiveFrame&) {
  if (ctx.factory.needRead)
    i2cadjust_preload(ctx);
  else
    i2cadjust_single_iter(ctx);
}

}  // namespace

int i2cadjust_init(Context& ctx, std::vector<std::string>& missing) {
  FactoryState& f = ctx.factory;
  f = FactoryState{};
  const int panel = ctx.ui.findPanel("ADJUST");
  const int print = ctx.ui.findPanel("ADJPRINT");
  const char* pages[] = {"ADJ_P1", "ADJ_P2", "ADJ_P3"};
  int found[3];
  for (int i = 0; i < 3; ++i) found[i] = ctx.ui.findPanel(pages[i]);
  if (panel < 0 || print < 0 || found[0] < 0 || found[1] < 0 || found[2] < 0) return -1;
  const size_t before = missing.size();
  AdjustRefs& R = f.refs;
  for (size_t i = 0; i < std::size(kFields); ++i) R.fields[i] = find(ctx, found, kFields[i].page, kFields[i].name, missing);
  for (size_t i = 0; i < std::size(kStores); ++i) R.stores[i] = find(ctx, found, kStores[i].page, kStores[i].name, missing);
  R.setValue = find(ctx, found, 0, "SETVAL", missing);
  R.unit = find(ctx, found, 0, "UNIT", missing);
  R.measured = find(ctx, found, 0, "MEASURED", missing);
  R.refresh1 = find(ctx, found, 0, "REFRESH1", missing);
  R.refresh2 = find(ctx, found, 1, "REFRESH2", missing);
  for (size_t i = 0; i < R.modes.size(); ++i)
    R.modes[i] = find(ctx, found, 0, ("MODE" + std::to_string(16 + i)).c_str(), missing);
  R.sync = ctx.ui.find("ADJUST", "ADJSYNC");
  if (!R.sync.valid()) missing.push_back("ADJUST.ADJSYNC");
  if (missing.size() != before) {
    f.refs = AdjustRefs{};
    return -1;
  }
  f.panel = panel;
  f.printPanel = print;
  for (int i = 0; i < 3; ++i) f.pages[i] = found[i];
  size_t n = 0;
  const ui::CallbackEntry* table = FactoryCallbacks(n);
  ctx.ui.bindCallbacks(table, n);
  return 0;
}

int i2cadjust_activate(Context& ctx, bool show) {
  FactoryState& f = ctx.factory;
  if (f.panel < 0) return -1;
  f.active = show ? 1 : 0;
  if (show) {
    const bool wasShown = ctx.ui.panel(f.panel).visible;
    setPanelVisible(ctx, f.panel, true);
    ctx.loop.runStarting = &runStarting;
    ctx.loop.cycleAfterVideo = &cycleAfterVideo;
    // The panel opens on the sensor's record: now when the link is free,
    // else in the next cycle of the loop that holds it.
    if (!wasShown) {
      f.needRead = true;
      if (ctx.run.state == RUN_IDLE && ctx.run.linkHeld == 0 && OpenPort(ctx) != nullptr) i2cadjust_preload(ctx);
    }
  } else {
    setPanelVisible(ctx, f.panel, false);
    setPanelVisible(ctx, f.printPanel, false);
    ctx.loop.runStarting = nullptr;
    ctx.loop.cycleAfterVideo = nullptr;
  }
  return 0;
}

void i2cadjust_cleanup(Context& ctx) {
  if (ctx.factory.active) i2cadjust_activate(ctx, false);
  ctx.factory = FactoryState{};
}

int i2cadjust_preload(Context& ctx) {
  if (ctx.factory.panel < 0) return -1;
  AdjustRecord r{};
  if (ReadAdjustRecord(ctx, r) != 1) return -1;
  FactoryState& f = ctx.factory;
  f.needRead = false;
  f.sensor = r;
  f.lastMode = Word(r, 0);
  showRecord(ctx, r, true);
  // The set value counts as changed once the operator edits it after this.
  f.shown.setValue = ctx.ui.value(f.refs.setValue);
  f.shown.unit = ctx.ui.intValue(f.refs.unit);
  return 0;
}

int i2cadjust_single_iter(Context& ctx) {
  FactoryState& f = ctx.factory;
  if (f.panel < 0) return -1;
  if (f.needRead) return i2cadjust_preload(ctx);
  releaseStores(ctx);
  const AdjustSettings s = collect(ctx);
  AdjustRecord got{};
  if (ExchangeAdjustRecord(ctx, AssembleChanges(f.sensor, s, f.shown), got) != 1) return -1;
  f.sensor = got;
  // Taken over: a store switch stays on but dimmed, so it is sent once.
  f.storesTaken |= s.storeFlags;
  for (size_t i = 0; i < std::size(kStores); ++i)
    if (s.storeFlags & kStores[i].flag) ctx.ui.setDimmed(f.refs.stores[i], true);

  f.syncToggle = !f.syncToggle;
  ctx.ui.setText(f.refs.sync, f.syncToggle ? "Sync data == >> OK!" : "Sync data << == OK!");

  const ui::CtlRef refresh1 = f.refs.refresh1;
  const ui::CtlRef refresh2 = f.refs.refresh2;
  if (ctx.ui.value(refresh1) != 0 || ctx.ui.value(refresh2) != 0) {
    showRecord(ctx, got, true);
    ctx.ui.setValue(refresh1, 0);
    ctx.ui.setValue(refresh2, 0);
  } else {
    showRecord(ctx, got, Word(got, 0) != f.lastMode);
  }
  f.lastMode = Word(got, 0);
  ctx.ui.processEvents();
  return 0;
}

int CC_I2CADJPNL(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_CLOSE) i2cadjust_activate(ctx, false);
  return 0;
}

int CC_I2CADJPRNT(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_CLOSE) setPanelVisible(ctx, ctx.factory.printPanel, false);
  return 0;
}

int CC_TOGB_MODE_SEL(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event != ui::EVENT_COMMIT || ev.panel < 0) return 0;
  // The three toggles act as one choice: the one pressed stays on.
  for (const ui::CtlRef r : ctx.factory.refs.modes)
    ctx.ui.setValue(r, r.panel == ev.panel && r.control == ev.control ? 1 : 0);
  return 0;
}

int CC_MENUTrimm(Context& ctx, const ui::EventArgs& ev) {
  (void)ev;
  i2cadjust_activate(ctx, true);
  return 0;
}

#define BX_CB(name) {#name, &name}

const ui::CallbackEntry* FactoryCallbacks(size_t& count) {
  static const ui::CallbackEntry kTable[] = {
      BX_CB(CC_I2CADJPNL),
      BX_CB(CC_I2CADJPRNT),
      BX_CB(CC_TOGB_MODE_SEL),
      BX_CB(CC_MENUTrimm),
  };
  count = sizeof kTable / sizeof kTable[0];
  return kTable;
}

#undef BX_CB

}  // namespace bx
