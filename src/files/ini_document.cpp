#include "files/ini_document.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <unordered_map>
#include <utility>

#include "files/atomic_file.h"

namespace bx::ini {
namespace {

constexpr size_t kMaxSections = 1000;  // lookups by name are linear

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

bool sameName(std::string_view a, std::string_view b) { return equalNoCase(trim(a), trim(b)); }

// Number n of a continuation item "base Line000n"; 0 when tag is not one.
long continuationNumber(std::string_view tag, std::string_view base) {
  tag = trim(tag);
  base = trim(base);
  if (tag.size() <= base.size() || !equalNoCase(tag.substr(0, base.size()), base)) return 0;
  std::string_view rest = tag.substr(base.size());
  if (rest.empty() || !isBlank(rest.front())) return 0;
  rest = trim(rest);
  if (rest.size() <= 4 || !equalNoCase(rest.substr(0, 4), "line")) return 0;
  rest.remove_prefix(4);
  if (rest.size() > 9) return 0;
  long n = 0;
  for (char c : rest) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::string continuationTag(std::string_view base, long n) {
  char counter[32];
  std::snprintf(counter, sizeof counter, " Line%04ld", n);
  std::string tag(base);
  tag += counter;
  return tag;
}

// Whether tag (or one of its continuation items) can be the item: both
// start alike. Lookups scan a whole section for every field a parameter
// file holds, so most items are turned away on their first character.
bool mayBe(std::string_view itemTag, std::string_view trimmedTag) {
  size_t i = 0;
  while (i < itemTag.size() && isBlank(itemTag[i])) ++i;
  if (trimmedTag.empty()) return i == itemTag.size();
  return i < itemTag.size() && lower(itemTag[i]) == lower(trimmedTag.front());
}

const Item* findItem(const Section& sec, std::string_view tag) {
  tag = trim(tag);
  for (const Item& item : sec.items)
    if (mayBe(item.tag, tag) && sameName(item.tag, tag)) return &item;
  return nullptr;
}

// 64 bits on every system: a 32-bit field's whole range and more, also
// where long has 32 bits (Windows), so truncation stays modular there too.
bool parseLong(std::string_view text, long long& out) {
  text = trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  // Accumulate as a negative number so LLONG_MIN parses too.
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    int digit = c - '0';
    if (value < (LLONG_MIN + digit) / 10) return false;
    value = value * 10 - digit;
  }
  if (!negative) {
    if (value == LLONG_MIN) return false;
    value = -value;
  }
  out = value;
  return true;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Removes the item and its continuation items from sec; returns the index
// where the first of them stood (or the end), so a replacement keeps its place.
size_t removeTag(Section& sec, std::string_view tag) {
  tag = trim(tag);
  size_t pos = sec.items.size();
  for (size_t i = 0; i < sec.items.size();) {
    const std::string& t = sec.items[i].tag;
    if (mayBe(t, tag) && (sameName(t, tag) || continuationNumber(t, tag) > 0)) {
      pos = std::min(pos, i);
      sec.items.erase(sec.items.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  return pos;
}

Section& ensureSection(Document& doc, std::string_view name) {
  if (Section* sec = doc.findSection(name)) return *sec;
  doc.sections.push_back(Section{std::string(name), {}});
  return doc.sections.back();
}

void storeItems(Document& doc, std::string_view section, std::string_view tag, std::vector<Item> items) {
  Section& sec = ensureSection(doc, section);
  size_t pos = removeTag(sec, tag);
  sec.items.insert(sec.items.begin() + static_cast<std::ptrdiff_t>(pos), std::make_move_iterator(items.begin()),
                   std::make_move_iterator(items.end()));
}

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

}  // namespace

const Section* Document::findSection(std::string_view name) const {
  for (const Section& sec : sections)
    if (sameName(sec.name, name)) return &sec;
  return nullptr;
}

Section* Document::findSection(std::string_view name) {
  for (Section& sec : sections)
    if (sameName(sec.name, name)) return &sec;
  return nullptr;
}

void Document::setInt(std::string_view section, std::string_view tag, long long value) {
  storeItems(*this, section, tag, {Item{std::string(tag), std::to_string(value)}});
}

void Document::setString(std::string_view section, std::string_view tag, std::string_view text) {
  std::vector<Item> items;
  if (text.size() <= kMaxValueChars) {
    items.push_back(Item{std::string(tag), quoteValue(text)});
  } else {
    long n = 1;
    for (size_t at = 0; at < text.size(); at += kMaxValueChars, ++n)
      items.push_back(Item{continuationTag(tag, n), quoteValue(text.substr(at, kMaxValueChars))});
  }
  storeItems(*this, section, tag, std::move(items));
}

bool Document::getInt(std::string_view section, std::string_view tag, long long& out) const {
  const Section* sec = findSection(section);
  const Item* item = sec ? findItem(*sec, tag) : nullptr;
  return item && parseLong(item->value, out);
}

bool Document::getString(std::string_view section, std::string_view tag, std::string& out, size_t maxLen) const {
  const Section* sec = findSection(section);
  if (!sec) return false;
  if (const Item* item = findItem(*sec, tag)) {
    out = unquoteValue(item->value);
    if (out.size() > maxLen) out.resize(maxLen);
    return true;
  }
  // Continuation items, joined in counter order from 1 while the run lasts.
  std::vector<std::pair<long, size_t>> parts;
  tag = trim(tag);
  for (size_t i = 0; i < sec->items.size(); ++i) {
    if (!mayBe(sec->items[i].tag, tag)) continue;
    long n = continuationNumber(sec->items[i].tag, tag);
    if (n > 0) parts.emplace_back(n, i);
  }
  std::stable_sort(parts.begin(), parts.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string joined;
  long expected = 1;
  for (const auto& [n, index] : parts) {
    if (n < expected) continue;  // a repeated counter: the first one counts
    if (n > expected || joined.size() >= maxLen) break;
    joined += unquoteValue(sec->items[index].value);
    ++expected;
  }
  if (expected == 1) return false;
  if (joined.size() > maxLen) joined.resize(maxLen);
  out = std::move(joined);
  return true;
}

bool Document::has(std::string_view section, std::string_view tag) const {
  const Section* sec = findSection(section);
  if (!sec) return false;
  if (findItem(*sec, tag)) return true;
  tag = trim(tag);
  for (const Item& item : sec->items)
    if (mayBe(item.tag, tag) && continuationNumber(item.tag, tag) == 1) return true;
  return false;
}

std::string quoteValue(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '"') {
      out += "\\\"";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c == 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else {
      out += ch;
    }
  }
  out += '"';
  return out;
}

std::string unquoteValue(std::string_view value) {
  value = trim(value);
  if (value.empty() || value.front() != '"') return std::string(value);
  std::string out;
  out.reserve(value.size());
  for (size_t i = 1; i < value.size(); ++i) {
    char c = value[i];
    if (c == '"') break;  // anything after the closing quote is ignored
    if (c != '\\' || i + 1 >= value.size()) {
      out += c;
      continue;
    }
    char e = value[++i];
    switch (e) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'x': {
        int hi = i + 1 < value.size() ? hexDigit(value[i + 1]) : -1;
        int lo = i + 2 < value.size() ? hexDigit(value[i + 2]) : -1;
        if (hi >= 0 && lo >= 0) {
          out += static_cast<char>(hi * 16 + lo);
          i += 2;
        } else {
          out += 'x';  // not a valid escape: keep the letter
        }
        break;
      }
      default: out += e; break;  // \\, \" and anything unknown
    }
  }
  return out;
}

std::string serialize(const Document& doc) {
  std::string out;
  for (const Section& sec : doc.sections) {
    out += '[';
    out += sec.name;
    out += "]\r\n";
    for (const Item& item : sec.items) {
      out += item.tag;
      out += " = ";
      out += item.value;
      out += "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

bool parse(std::string_view bytes, Document& doc, std::string* error) {
  doc.sections.clear();
  if (bytes.size() >= 2 && ((bytes[0] == '\xff' && bytes[1] == '\xfe') || (bytes[0] == '\xfe' && bytes[1] == '\xff'))) {
    setError(error, "file is UTF-16 encoded");
    return false;
  }
  if (bytes.substr(0, 3) == "\xef\xbb\xbf") bytes.remove_prefix(3);

  // Header lines are looked up by their folded name, so a file of many
  // (repeated) headers costs time linear in its size.
  std::unordered_map<std::string, size_t> sectionIndex;
  std::string folded;
  Section* current = nullptr;
  size_t entries = 0;
  while (!bytes.empty()) {
    size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (line.size() > kMaxLineBytes) continue;  // no value of ours is that long
    line = trim(line);
    if (line.empty() || line.front() == ';') continue;

    if (line.front() == '[') {
      size_t close = line.rfind(']');
      std::string_view name = trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
      folded.assign(name);
      for (char& c : folded) c = lower(c);
      auto [at, added] = sectionIndex.try_emplace(folded, doc.sections.size());
      if (added) {
        if (doc.sections.size() >= kMaxSections) {
          doc.sections.clear();
          setError(error, "too many sections");
          return false;
        }
        doc.sections.push_back(Section{std::string(name), {}});
      }
      current = &doc.sections[at->second];
      continue;
    }

    size_t eq = line.find('=');
    if (eq == std::string_view::npos || !current) continue;  // not an item, or outside any section
    std::string_view tag = trim(line.substr(0, eq));
    if (tag.empty()) continue;
    if (++entries > kMaxItems) {
      doc.sections.clear();
      setError(error, "too many items");
      return false;
    }
    current->items.push_back(Item{std::string(tag), std::string(trim(line.substr(eq + 1)))});
  }
  return true;
}

bool readFile(const std::string& path, Document& doc, std::string* error) {
  doc.sections.clear();
  std::string bytes;
  if (!readWholeFile(path, bytes, kMaxFileBytes, error)) return false;
  return parse(bytes, doc, error);
}

bool writeFile(const std::string& path, const Document& doc, std::string* error) {
  return writeFileAtomic(path, serialize(doc), error);
}

}  // namespace bx::ini
