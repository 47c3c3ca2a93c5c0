#include "ui/resource.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "ui/resource_file.h"

namespace bx::ui {
namespace {

// Bounds that keep a damaged resource from costing unbounded time or memory;
// the product's own resource is far below each of them.
constexpr size_t kMaxFileBytes = 1024 * 1024;       // one file
constexpr size_t kMaxTotalBytes = 4 * 1024 * 1024;  // all files with their includes
constexpr int kMaxIncludeDepth = 8;
constexpr int kMaxGrid = 1000;         // grid rows and columns, positions and spans
constexpr int kMaxPixels = 100000;     // panel width and height
constexpr int kMaxTableSide = 1000;    // table rows, table columns
constexpr size_t kMaxCells = 200000;   // table cells of the whole resource
constexpr size_t kMaxSamples = 4000000;  // strip chart samples of the whole resource

struct Token {
  std::string key;    // empty for positional words
  std::string value;
};

bool tokenize(const std::string& line, std::vector<Token>& out, std::string& err) {
  out.clear();
  size_t i = 0, n = line.size();
  while (i < n) {
    while (i < n && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= n) break;
    Token t;
    std::string cur;
    bool haveKey = false;
    while (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
      char ch = line[i];
      if (ch == '=' && !haveKey) {
        t.key = cur;
        cur.clear();
        haveKey = true;
        ++i;
        continue;
      }
      if (ch == '"') {
        ++i;
        bool closed = false;
        while (i < n) {
          char q = line[i++];
          if (q == '"') {
            closed = true;
            break;
          }
          if (q == '\\' && i < n) {
            char e = line[i++];
            cur += e == 'n' ? '\n' : e == 't' ? '\t' : e;
          } else {
            cur += q;
          }
        }
        if (!closed) {
          err = "unterminated quote";
          return false;
        }
        continue;
      }
      cur += ch;
      ++i;
    }
    t.value = cur;
    out.push_back(std::move(t));
  }
  return true;
}

bool parseInt(const std::string& s, int& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  long x = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0' || x < -1000000 || x > 1000000) return false;
  v = static_cast<int>(x);
  return true;
}

bool parseDouble(const std::string& s, double& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  v = std::strtod(s.c_str(), &end);
  return *end == '\0';
}

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string cur;
  for (char ch : s) {
    if (ch == sep) {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += ch;
    }
  }
  parts.push_back(cur);
  return parts;
}

bool parseInts(const std::string& s, char sep, std::vector<int>& out) {
  out.clear();
  for (const auto& p : split(s, sep)) {
    int v;
    if (!parseInt(p, v)) return false;
    out.push_back(v);
  }
  return true;
}

bool parseColor(const std::string& s, Color& c) {
  std::vector<int> v;
  if (!parseInts(s, ',', v) || v.size() != 3) return false;
  for (int x : v)
    if (x < 0 || x > 255) return false;
  c = Color{static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1]), static_cast<uint8_t>(v[2])};
  return true;
}

// items="LABEL:VALUE|LABEL:VALUE"; a label without value gets its index.
bool parseItems(const std::string& s, std::vector<Item>& items) {
  items.clear();
  if (s.empty()) return true;
  auto parts = split(s, '|');
  for (size_t i = 0; i < parts.size(); ++i) {
    Item it;
    size_t colon = parts[i].rfind(':');
    double v;
    if (colon != std::string::npos && parseDouble(parts[i].substr(colon + 1), v)) {
      it.label = parts[i].substr(0, colon);
      it.value = v;
    } else {
      it.label = parts[i];
      it.value = static_cast<double>(i);
    }
    items.push_back(std::move(it));
  }
  return true;
}

struct PendingTab {
  int panel;
  int control;
  std::vector<std::string> pageNames;
  int line;
};

class Loader {
 public:
  Loader(Ui& ui, std::string baseDir) : ui_(ui), baseDir_(std::move(baseDir)) {
    for (size_t p = 0; p < ui_.panels.size(); ++p) {
      panelIndex_.emplace(ui_.panels[p].name, static_cast<int>(p));
      for (const Control& c : ui_.panels[p].controls) controlNames_.insert(controlKey(static_cast<int>(p), c.name));
    }
  }

  // file: the real path of the text's own file, if it has one, so that an
  // include cannot lead back to it.
  bool run(const std::string& text, const std::string& file, std::string& error) {
    if (!file.empty()) includeStack_.push_back(file);
    if (!parse(text, error, 0)) return false;
    return resolveTabs(error);
  }

 private:
  static std::string controlKey(int panel, const std::string& name) {
    std::string key = std::to_string(panel);
    key += '\x1f';
    key += name;
    return key;
  }

  int findPanel(const std::string& name) const {
    auto it = panelIndex_.find(name);
    return it == panelIndex_.end() ? -1 : it->second;
  }

  // Reads an included file; false with the reason when it may not or cannot be.
  bool readInclude(const std::string& name, int depth, std::string& path, std::string& text, std::string& err) {
    if (depth >= kMaxIncludeDepth) {
      err = "includes nested too deep";
      return false;
    }
    if (!resolveInclude(baseDir_, name, path, err)) return false;
    for (const std::string& open : includeStack_)
      if (open == path) {
        err = name + " includes itself";
        return false;
      }
    return readResourceFile(path, kMaxFileBytes, text, err);
  }

  bool parse(const std::string& text, std::string& error, int depth) {
    totalBytes_ += text.size();
    if (totalBytes_ > kMaxTotalBytes) {
      error = "resource too large";
      return false;
    }
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    std::vector<Token> toks;
    while (std::getline(in, line)) {
      ++lineNo;
      size_t first = line.find_first_not_of(" \t\r");
      if (first == std::string::npos || line[first] == '#') continue;
      std::string err;
      if (!tokenize(line, toks, err)) {
        error = "line " + std::to_string(lineNo) + ": " + err;
        return false;
      }
      if (toks.size() == 2 && toks[0].key.empty() && toks[0].value == "include") {
        // Pages kept in files of their own, beside this one.
        std::string sub, path;
        if (!readInclude(toks[1].value, depth, path, sub, err)) {
          error = "line " + std::to_string(lineNo) + ": cannot include " + toks[1].value + ": " + err;
          return false;
        }
        includeStack_.push_back(path);
        const bool ok = parse(sub, err, depth + 1);
        includeStack_.pop_back();
        if (!ok) {
          error = toks[1].value + ": " + err;
          return false;
        }
        continue;
      }
      if (!handle(toks, err)) {
        error = "line " + std::to_string(lineNo) + ": " + err;
        return false;
      }
    }
    return true;
  }

  bool handle(const std::vector<Token>& t, std::string& err) {
    if (t.size() < 2 || !t[0].key.empty() || !t[1].key.empty()) {
      err = "expected '<kind> NAME ...'";
      return false;
    }
    const std::string& word = t[0].value;
    if (word == "panel") return addPanel(t, err);
    if (word == "menu") return addMenu(t, err);
    if (word == "item") return addItem(t, err);
    return addControl(t, err);
  }

  bool addPanel(const std::vector<Token>& t, std::string& err) {
    if (findPanel(t[1].value) >= 0) {
      err = "panel " + t[1].value + " defined twice";
      return false;
    }
    Panel p;
    p.name = t[1].value;
    for (size_t i = 2; i < t.size(); ++i) {
      const auto& k = t[i].key;
      const auto& v = t[i].value;
      std::vector<int> nums;
      if (k == "id") {
        if (!parseInt(v, p.resourceId)) return bad(k, err);
      } else if (k == "title") {
        p.title = v;
      } else if (k == "grid") {
        if (!parseInts(v, 'x', nums) || nums.size() != 2 || !inRange(nums, 1, kMaxGrid)) return bad(k, err);
        p.gridRows = nums[0];
        p.gridCols = nums[1];
      } else if (k == "size") {
        if (!parseInts(v, 'x', nums) || nums.size() != 2 || !inRange(nums, 1, kMaxPixels)) return bad(k, err);
        p.width = nums[0];
        p.height = nums[1];
      } else if (k == "parent") {
        p.parent = findPanel(v);
        if (p.parent < 0) {
          err = "unknown parent panel " + v;
          return false;
        }
      } else if (k == "cb") {
        p.callbackName = v;
      } else if (k == "visible") {
        p.visible = v == "1";
      } else if (k == "popup") {
        p.popup = v == "1";
      } else {
        return bad(k, err);
      }
    }
    current_ = static_cast<int>(ui_.panels.size());
    panelIndex_.emplace(p.name, current_);
    ui_.panels.push_back(std::move(p));
    return true;
  }

  bool addMenu(const std::vector<Token>& t, std::string& err) {
    Menu m;
    m.name = t[1].value;
    for (size_t i = 2; i < t.size(); ++i) {
      if (t[i].key == "label")
        m.label = t[i].value;
      else
        return bad(t[i].key, err);
    }
    ui_.menuBar.menus.push_back(std::move(m));
    return true;
  }

  bool addItem(const std::vector<Token>& t, std::string& err) {
    if (ui_.menuBar.menus.empty()) {
      err = "item before any menu";
      return false;
    }
    MenuItem it;
    it.name = t[1].value;
    for (size_t i = 2; i < t.size(); ++i) {
      const auto& k = t[i].key;
      const auto& v = t[i].value;
      if (k == "label")
        it.label = v;
      else if (k == "cb")
        it.callbackName = v;
      else if (k == "separator")
        it.separator = v == "1";
      else if (k == "checked")
        it.checked = v == "1";
      else if (k == "dimmed")
        it.dimmed = v == "1";
      else if (k == "key")
        it.shortcut = v;
      else
        return bad(k, err);
    }
    ui_.menuBar.menus.back().items.push_back(std::move(it));
    return true;
  }

  bool addControl(const std::vector<Token>& t, std::string& err) {
    if (current_ < 0) {
      err = "control before any panel";
      return false;
    }
    Control c;
    if (!kindFromName(t[0].value, c.kind)) {
      err = "unknown control kind " + t[0].value;
      return false;
    }
    c.name = t[1].value;
    if (controlNames_.count(controlKey(current_, c.name)) != 0) {
      err = "control " + c.name + " defined twice";
      return false;
    }
    std::vector<std::string> pageNames;
    int rows = 0, cols = 0;
    for (size_t i = 2; i < t.size(); ++i) {
      const auto& k = t[i].key;
      const auto& v = t[i].value;
      std::vector<int> nums;
      double d;
      int n;
      if (k == "at") {
        if (!parseInts(v, ',', nums) || (nums.size() != 2 && nums.size() != 4)) return bad(k, err);
        if (!inRange({nums[0], nums[1]}, 0, kMaxGrid - 1)) return bad(k, err);
        if (nums.size() == 4 && !inRange({nums[2], nums[3]}, 1, kMaxGrid)) return bad(k, err);
        c.row = nums[0];
        c.col = nums[1];
        if (nums.size() == 4) {
          c.rowSpan = nums[2];
          c.colSpan = nums[3];
        }
      } else if (k == "label") {
        c.label = v;
      } else if (k == "cb") {
        c.callbackName = v;
      } else if (k == "items") {
        parseItems(v, c.items);
      } else if (k == "value") {
        if (!parseDouble(v, d)) return bad(k, err);
        c.value = d;
      } else if (k == "text") {
        c.text = v;
      } else if (k == "unit") {
        c.unit = v;
      } else if (k == "min") {
        if (!parseDouble(v, d)) return bad(k, err);
        c.min = d;
      } else if (k == "max") {
        if (!parseDouble(v, d)) return bad(k, err);
        c.max = d;
      } else if (k == "step") {
        if (!parseDouble(v, d)) return bad(k, err);
        c.step = d;
      } else if (k == "prec") {
        if (!parseInt(v, n)) return bad(k, err);
        c.precision = n;
      } else if (k == "dimmed") {
        c.dimmed = v == "1";
      } else if (k == "visible") {
        c.visible = v != "0";
      } else if (k == "readonly") {
        c.readOnly = v == "1";
      } else if (k == "color") {
        if (!parseColor(v, c.textColor)) return bad(k, err);
        c.hasTextColor = true;
      } else if (k == "bg") {
        if (!parseColor(v, c.bgColor)) return bad(k, err);
        c.hasBgColor = true;
      } else if (k == "oncolor") {
        if (!parseColor(v, c.onColor)) return bad(k, err);
      } else if (k == "rows" || k == "cols") {
        if (!parseInt(v, n) || n < 0 || n > kMaxTableSide) return bad(k, err);
        (k == "rows" ? rows : cols) = n;
      } else if (k == "collabels") {
        auto parts = split(v, '|');
        c.table.colLabels = parts;
      } else if (k == "colkinds") {
        if (!parseInts(v, ',', c.table.colKind)) return bad(k, err);
      } else if (k == "colprec") {
        if (!parseInts(v, ',', c.table.colPrecision)) return bad(k, err);
      } else if (k == "cellitems") {
        parseItems(v, c.table.ringItems);
      } else if (k == "pages") {
        pageNames = split(v, ',');
      } else if (k == "traces") {
        if (!parseInt(v, n) || n < 1 || n > 16) return bad(k, err);
        c.strip.traces = n;
      } else if (k == "points") {
        if (!parseInt(v, n) || n < 1 || n > 100000) return bad(k, err);
        c.strip.points = n;
      } else if (k == "cursors") {
        if (!parseInt(v, n) || n < 0 || n > 5) return bad(k, err);
        c.graph.cursorCount = n;
      } else if (k == "xrange" || k == "yrange") {
        std::vector<std::string> parts = split(v, ',');
        double a, b;
        if (parts.size() != 2 || !parseDouble(parts[0], a) || !parseDouble(parts[1], b)) return bad(k, err);
        Axis& ax = k == "xrange" ? c.graph.x : c.graph.y;
        ax.min = a;
        ax.max = b;
        if (k == "yrange") {
          c.strip.y.min = a;
          c.strip.y.max = b;
        }
      } else if (k == "xunit") {
        c.graph.x.unit = v;
      } else if (k == "yunit") {
        c.graph.y.unit = v;
        c.strip.y.unit = v;
      } else if (k == "zoom") {
        c.zoomable = v == "1";
      } else if (k == "xcaption") {
        c.graph.x.caption = v;
      } else if (k == "ycaption") {
        c.graph.y.caption = v;
        c.strip.yCaption = v;
      } else {
        return bad(k, err);
      }
    }
    if (!shapeTable(c.table, rows, cols, err)) return false;
    if (c.kind == Kind::Strip) {
      samples_ += static_cast<size_t>(c.strip.traces) * static_cast<size_t>(c.strip.points);
      if (samples_ > kMaxSamples) {
        err = "too many strip chart points";
        return false;
      }
      c.strip.data.assign(static_cast<size_t>(c.strip.traces * c.strip.points), 0.0);
    }
    controlNames_.insert(controlKey(current_, c.name));
    Panel& p = ui_.panel(current_);
    p.controls.push_back(std::move(c));
    if (!pageNames.empty())
      tabs_.push_back(PendingTab{current_, static_cast<int>(p.controls.size()) - 1, pageNames, 0});
    return true;
  }

  // Gives a table its final rows and columns, keeping the column labels,
  // kinds and precisions given before, whatever the key order was. Done for
  // every kind, so table keys on another control leave no half table.
  bool shapeTable(TableModel& table, int rows, int cols, std::string& err) {
    cells_ += static_cast<size_t>(rows) * static_cast<size_t>(cols);
    if (cells_ > kMaxCells) {
      err = "too many table cells";
      return false;
    }
    auto labels = table.colLabels;
    auto kinds = table.colKind;
    auto precs = table.colPrecision;
    table.resize(rows, cols);
    for (size_t i = 0; i < labels.size() && i < table.colLabels.size(); ++i) table.colLabels[i] = labels[i];
    for (size_t i = 0; i < kinds.size() && i < table.colKind.size(); ++i) table.colKind[i] = kinds[i];
    for (size_t i = 0; i < precs.size() && i < table.colPrecision.size(); ++i) table.colPrecision[i] = precs[i];
    return true;
  }

  // True when panel a is panel b or one of the panels b lies in.
  bool isAncestorOrSelf(int a, int b) const {
    for (size_t steps = 0; b >= 0 && steps <= ui_.panels.size(); ++steps) {
      if (b == a) return true;
      b = ui_.panel(b).parent;
    }
    return false;
  }

  bool resolveTabs(std::string& error) {
    for (const auto& pt : tabs_) {
      Control& tab = ui_.panel(pt.panel).controls[static_cast<size_t>(pt.control)];
      tab.pages.clear();
      for (size_t i = 0; i < pt.pageNames.size(); ++i) {
        int h = findPanel(pt.pageNames[i]);
        if (h < 0) {
          error = "tab " + tab.name + ": unknown page panel " + pt.pageNames[i];
          return false;
        }
        // A page shown on two tabs, or holding its own tab, would make the
        // panels a loop rather than a tree.
        if (ui_.panel(h).tabOwner >= 0 || isAncestorOrSelf(h, pt.panel)) {
          error = "tab " + tab.name + ": panel " + pt.pageNames[i] + " cannot be its page";
          return false;
        }
        Panel& page = ui_.panel(h);
        page.parent = pt.panel;
        page.tabOwner = pt.panel;
        page.tabControl = pt.control;
        page.tabIndex = static_cast<int>(i);
        page.visible = true;
        tab.pages.push_back(h);
      }
    }
    return true;
  }

  static bool inRange(const std::vector<int>& values, int lo, int hi) {
    for (int v : values)
      if (v < lo || v > hi) return false;
    return true;
  }

  static bool bad(const std::string& key, std::string& err) {
    err = "bad or unknown attribute '" + key + "'";
    return false;
  }

  Ui& ui_;
  std::string baseDir_;
  int current_ = -1;
  std::vector<PendingTab> tabs_;
  std::unordered_map<std::string, int> panelIndex_;
  std::unordered_set<std::string> controlNames_;
  std::vector<std::string> includeStack_;
  size_t totalBytes_ = 0;
  size_t cells_ = 0;
  size_t samples_ = 0;
};

bool loadText(Ui& ui, const std::string& text, const std::string& file, const std::string& baseDir,
              std::string& error) {
  Loader loader(ui, baseDir);
  const bool ok = loader.run(text, file, error);
  if (ok && ui.panels.empty()) error = "no panels";
  if (!ok || ui.panels.empty()) {
    // A menu bar without panels is no resource either: the model stays empty.
    ui.panels.clear();
    ui.menuBar.menus.clear();
    return false;
  }
  return true;
}

}  // namespace

bool loadResourceText(Ui& ui, const std::string& text, std::string& error, const std::string& baseDir) {
  return loadText(ui, text, "", baseDir, error);
}

bool loadResourceFile(Ui& ui, const std::string& path, std::string& error) {
  std::string text;
  if (!readResourceFile(path, kMaxFileBytes, text, error)) return false;
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string real, why;
  // The file's own real path, so that an include cannot lead back to it.
  if (!resolveInclude(dir, name, real, why)) real.clear();
  if (!loadText(ui, text, real, dir, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

}  // namespace bx::ui
