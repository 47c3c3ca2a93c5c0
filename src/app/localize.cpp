#include "app/localize.h"

#include <string>
#include <vector>

#include "app/help.h"
#include "context/context.h"
#include "context/scope_hooks.h"
#include "files/atomic_file.h"
#include "link/report.h"
#include "live/live_view.h"
#include "params/edits.h"
#include "params/model_config.h"
#include "params/panel_values.h"
#include "connection/conn_page.h"
#include "connection/identify.h"
#include "ui/resource_file.h"

namespace bx {

namespace {

constexpr size_t kMaxLanguageFileBytes = 4 * 1024 * 1024;
// All files of one language together: a file that includes another many
// times over must not cost unbounded time.
constexpr size_t kMaxLanguageBytes = 16 * 1024 * 1024;
constexpr int kMaxIncludeDepth = 4;

// What one parse has read so far: the files open now (an include may not
// lead back to one of them) and the bytes of all files.
struct ParseBudget {
  std::vector<std::string> open;
  size_t bytes = 0;
};

std::string_view trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// "\n" is a line break and "\\" a backslash, in a key "\=" an equals sign;
// any other backslash stays.
std::string unescape(std::string_view v, bool key = false) {
  std::string out;
  out.reserve(v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\\' && i + 1 < v.size() && (v[i + 1] == 'n' || v[i + 1] == '\\' || (key && v[i + 1] == '='))) {
      out += v[i + 1] == 'n' ? '\n' : v[i + 1];
      ++i;
    } else {
      out += v[i];
    }
  }
  return out;
}

bool validUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    auto c = static_cast<unsigned char>(s[i]);
    size_t n;
    if (c < 0x80)
      n = 0;
    else if ((c & 0xE0) == 0xC0)
      n = 1;
    else if ((c & 0xF0) == 0xE0)
      n = 2;
    else if ((c & 0xF8) == 0xF0)
      n = 3;
    else
      return false;
    if (s.size() - i - 1 < n) return false;
    for (size_t k = 1; k <= n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n + 1;
  }
  return true;
}

bool parseInto(const std::string& text, const std::string& baseDir, const std::string& name, int depth,
               ParseBudget& budget, LanguageData& out, std::string& error) {
  budget.bytes += text.size();
  if (budget.bytes > kMaxLanguageBytes) {
    error = name + ": language texts too large";
    return false;
  }
  if (!validUtf8(text)) {
    error = name + ": not UTF-8 text";
    return false;
  }
  std::string section;
  size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // byte-order mark
  int lineNo = 0;
  while (pos <= text.size()) {
    size_t nl = text.find('\n', pos);
    std::string_view line(text.data() + pos, (nl == std::string::npos ? text.size() : nl) - pos);
    pos = nl == std::string::npos ? text.size() + 1 : nl + 1;
    ++lineNo;
    std::string_view t = trim(line);
    if (t.empty() || t[0] == '#') continue;
    auto fail = [&](const std::string& why) {
      error = name + " line " + std::to_string(lineNo) + ": " + why;
      return false;
    };
    if (t.substr(0, 8) == "include " || t.substr(0, 8) == "include\t") {
      std::string file(trim(t.substr(8)));
      if (depth >= kMaxIncludeDepth) return fail("includes nested too deep");
      std::string path, sub, why;
      if (!ui::resolveInclude(baseDir, file, path, why)) return fail("bad include: " + why);
      for (const std::string& open : budget.open)
        if (open == path) return fail(file + " includes itself");
      if (!readWholeFile(path, sub, kMaxLanguageFileBytes, &why)) return fail("cannot include " + file);
      budget.open.push_back(path);
      const bool ok = parseInto(sub, baseDir, file, depth + 1, budget, out, error);
      budget.open.pop_back();
      if (!ok) return false;
      continue;
    }
    if (t.front() == '[') {
      if (t.back() != ']' || t.size() < 3) return fail("bad section header");
      section = std::string(trim(t.substr(1, t.size() - 2)));
      if (section.empty()) return fail("empty section name");
      continue;
    }
    // A key may hold "\=" (a message that has "=" in it) and "\n" (one of
    // several lines); the first bare "=" ends it.
    size_t eq = 0;
    while ((eq = line.find('=', eq)) != std::string_view::npos && eq > 0 && line[eq - 1] == '\\') ++eq;
    if (eq == std::string_view::npos) return fail("expected 'KEY = text'");
    if (section.empty()) return fail("entry before any [SECTION]");
    const std::string key = unescape(trim(line.substr(0, eq)), true);
    if (key.empty()) return fail("empty key");
    std::string_view value = line.substr(eq + 1);
    size_t b = value.find_first_not_of(" \t");
    value = b == std::string_view::npos ? std::string_view{} : value.substr(b);
    while (!value.empty() && value.back() == '\r') value.remove_suffix(1);
    out.entries[LanguageData::makeKey(section, key)] = unescape(value);
  }
  return true;
}

bool endsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

std::vector<std::string> splitItems(const std::string& v) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t bar = v.find('|', start);
    parts.emplace_back(trim(std::string_view(v).substr(start, bar == std::string::npos ? std::string::npos : bar - start)));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return parts;
}

void applyMenuEntry(ui::Ui& ui, std::string_view key, const std::string& value) {
  size_t dot = key.find('.');
  std::string_view menuName = key.substr(0, dot);
  for (auto& m : ui.menuBar.menus) {
    if (m.name != menuName) continue;
    if (dot == std::string_view::npos) {
      m.label = value;
      return;
    }
    std::string_view itemName = key.substr(dot + 1);
    for (auto& it : m.items)
      if (it.name == itemName) it.label = value;
    return;
  }
}

void applyControlEntry(ui::Ui& ui, int panel, std::string_view key, const std::string& value) {
  std::string_view control = key;
  std::string_view what;
  for (std::string_view suffix : {".items", ".text", ".help", ".menu", ".collabels", ".cellitems", ".ycaption"}) {
    if (endsWith(key, suffix)) {
      control = key.substr(0, key.size() - suffix.size());
      what = suffix;
      break;
    }
  }
  ui::CtlRef r = ui.find(ui.panel(panel).name, control);
  if (!r.valid()) return;
  if (what.empty()) {
    ui.setLabel(r, value);
  } else if (what == ".text") {
    ui.setText(r, value);
  } else if (what == ".items") {
    // Only the labels change: the values are what the core reads.
    auto items = ui.at(r).items;
    auto labels = splitItems(value);
    for (size_t i = 0; i < items.size() && i < labels.size(); ++i) items[i].label = labels[i];
    ui.setItems(r, std::move(items));
  } else if (what == ".menu") {
    SetContextMenuLabels(ui, r, value);
  } else if (what == ".ycaption") {
    // The value axis of a graph or strip chart.
    ui::Control& c = ui.edit(r);
    (c.kind == ui::Kind::Strip ? c.strip.yCaption : c.graph.y.caption) = value;
  } else if (what == ".collabels" || what == ".cellitems") {
    // Table headers and the labels of ring cells; values stay as they are.
    auto labels = splitItems(value);
    ui::TableModel& t = ui.table(r);
    if (what == ".collabels") {
      for (size_t i = 0; i < t.colLabels.size() && i < labels.size(); ++i) t.colLabels[i] = labels[i];
    } else {
      for (size_t i = 0; i < t.ringItems.size() && i < labels.size(); ++i) t.ringItems[i].label = labels[i];
    }
  }
}

}  // namespace

const LanguageInfo& LanguageOf(int language) {
  static constexpr LanguageInfo kLanguages[] = {{kLanguageFileEn, "flag-gb.ico", "en"},
                                                {kLanguageFileDe, "flag-de.ico", "de"}};
  return kLanguages[NormalLanguage(language)];
}

std::string LanguageFilePath(const std::string& dir, int language) { return dir + "/" + LanguageOf(language).file; }

bool ParseLanguageText(const std::string& text, const std::string& baseDir, LanguageData& out, std::string& error) {
  LanguageData parsed;
  ParseBudget budget;
  if (!parseInto(text, baseDir, "language text", 0, budget, parsed, error)) return false;
  out = std::move(parsed);
  return true;
}

bool ParseLanguageFile(const std::string& path, LanguageData& out, std::string& error) {
  std::string text, why;
  if (!readWholeFile(path, text, kMaxLanguageFileBytes, &why)) {
    error = path + ": " + why;
    return false;
  }
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  LanguageData parsed;
  ParseBudget budget;
  std::string real;
  if (ui::resolveInclude(dir, name, real, why)) budget.open.push_back(real);
  if (!parseInto(text, dir, name, 0, budget, parsed, error)) return false;
  if (parsed.empty()) {
    error = name + ": no texts";
    return false;
  }
  out = std::move(parsed);
  return true;
}

void ApplyLanguage(ui::Ui& ui, const LanguageData& data) {
  for (const auto& [k, value] : data.entries) {
    size_t sep = k.find('\x1f');
    std::string_view section(k.data(), sep);
    std::string_view key(k.data() + sep + 1, k.size() - sep - 1);
    if (section == "MENU") {
      applyMenuEntry(ui, key, value);
      continue;
    }
    int p = ui.findPanel(section);
    if (p < 0) continue;
    if (key == ".title") {
      ui.panel(p).title = value;
      ui.touchPanel(p);
      continue;
    }
    applyControlEntry(ui, p, key, value);
  }
  ui.touchMenu();
}

bool LocalizeUi(Context& ctx) {
  LanguageData data;
  std::string error;
  if (!ParseLanguageFile(LanguageFilePath(ctx.app.resourceDir, ctx.app.language), data, error)) return false;
  ApplyLanguage(ctx.ui, data);
  ctx.app.texts = std::move(data);
  ctx.live.stateTextMemo = {};  // translated with the texts just replaced
  ApplyHelpTooltips(ctx);
  ui::FrontTexts front;
  front.language = LanguageOf(ctx.app.language).tag;
  front.wholeGraph = Localized(ctx, "Whole graph");
  ctx.ui.setFrontTexts(std::move(front));
  return true;
}

void ShowLanguageChoice(Context& ctx) {
  const bool german = ctx.app.language == kGerman;
  ctx.ui.setText(ctx.refs.main.langFlag, LanguageOf(ctx.app.language).flag);
  int m, i;
  if (ctx.ui.findMenuItem("SETTINGS", "English", m, i)) ctx.ui.setMenuChecked(m, i, !german);
  if (ctx.ui.findMenuItem("SETTINGS", "German", m, i)) ctx.ui.setMenuChecked(m, i, german);
}

void SetContextMenuLabels(ui::Ui& ui, ui::CtlRef r, const std::string& labels) {
  if (!ui.valid(r)) return;
  auto& entries = ui.edit(r).contextMenu;
  auto parts = splitItems(labels);
  for (size_t i = 0; i < entries.size() && i < parts.size(); ++i) entries[i].label = parts[i];
}

void SetLanguage(Context& ctx, int language) {
  // A help text stays in the language it was asked in: it goes.
  HideHelp(ctx);
  ctx.app.language = NormalLanguage(language);
  ShowLanguageChoice(ctx);
  // The status line as the old language showed it, in English.
  const std::string status = ctx.app.texts.english(ctx.ui.text(ctx.refs.main.status));
  // The old texts tell which text a field shows.
  const LanguageData oldTexts = ctx.app.texts;
  if (!LocalizeUi(ctx)) {
    ctx.ui.message("Info", "Error Localizing Language File");
    return;
  }
  ApplyModelTexts(ctx);
  // Texts the core wrote in the old language follow at once, without a GET:
  // the connection indicator, the service line and a status summary
  // already shown.
  if (!ctx.link.lastFailure.empty())
    ctx.link.lastFailure = ctx.app.texts.message(oldTexts.english(ctx.link.lastFailure));
  SetConnectionIndicator(ctx, ctx.link.shownConnected);
  ShowServiceLine(ctx);
  RelocalizeStateText(ctx, oldTexts);
  if (ctx.progress.active && ctx.report.progress) ctx.report.progress(ctx);
  if (!ctx.ui.text(ctx.para.sum.evalMode).empty()) RefreshStatusMessage(ctx);
  // The same status in the new language: shown, not logged a second time.
  ctx.ui.setText(ctx.refs.main.status, ctx.app.texts.message(status));
  RedrawScope(ctx);
  RefreshEditMarks(ctx);
  // The recorder's chart captions and an opened recording's texts.
  ShowRecorderModeHook(ctx);
}

}  // namespace bx
