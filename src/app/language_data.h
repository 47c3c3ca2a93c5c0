#pragma once
// Texts of one language as loaded from its language file: labels, ring item
// labels, texts, panel titles, menu labels and help texts, keyed by section
// (panel name or MENU) and key (CONTROL, CONTROL.items, CONTROL.text,
// CONTROL.help, .title, MENUNAME.ITEMNAME).
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

namespace bx {

struct LanguageData {
  std::map<std::string, std::string, std::less<>> entries;

  static std::string makeKey(std::string_view section, std::string_view key) {
    std::string k(section);
    k += '\x1f';
    k.append(key.data(), key.size());
    return k;
  }
  // nullptr when the file has no such entry.
  const std::string* find(std::string_view section, std::string_view key) const {
    auto it = entries.find(makeKey(section, key));
    return it == entries.end() ? nullptr : &it->second;
  }
  bool empty() const { return entries.empty(); }

  // A message of the core in this language: each line that the [MESSAGES]
  // section names (by its English text) is replaced, every other line stays.
  std::string message(std::string_view english) const {
    // A text of several lines may be translated whole, where its lines
    // break differently in the other language.
    if (english.find('\n') != std::string_view::npos)
      if (const std::string* whole = find("MESSAGES", english)) return *whole;
    std::string out;
    size_t start = 0;
    for (;;) {
      size_t nl = english.find('\n', start);
      std::string_view line = english.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
      // Blanks at the end of a line are kept, not looked up.
      const size_t end = line.find_last_not_of(' ') + 1;
      out += translated(line.substr(0, end));
      out.append(line.substr(end));
      if (nl == std::string_view::npos) break;
      out += '\n';
      start = nl + 1;
    }
    return out;
  }
  // One line: whole, or else a step and its result ("... -> Ok!") each on
  // its own, so a status composed of two known texts does not mix languages.
  std::string translated(std::string_view line) const {
    if (line.empty()) return {};
    if (const std::string* t = find("MESSAGES", line)) return *t;
    constexpr std::string_view kArrow = " -> ";
    const size_t at = line.find(kArrow);
    if (at == std::string_view::npos) return std::string(line);
    const std::string_view head = line.substr(0, at), tail = line.substr(at + kArrow.size());
    const std::string* h = find("MESSAGES", head);
    const std::string* t = find("MESSAGES", tail);
    return (h ? *h : std::string(head)) + std::string(kArrow) + (t ? *t : std::string(tail));
  }

  // A message whose words follow the language while what varies does not:
  // the English template is translated, then %1 ... %9 take the arguments.
  std::string format(std::string_view english, std::initializer_list<std::string> args) const {
    const std::string text = message(english);
    std::string out;
    out.reserve(text.size() + 64);
    for (size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
        const size_t n = static_cast<size_t>(text[i + 1] - '1');
        if (n < args.size()) out += *(args.begin() + n);
        ++i;
        continue;
      }
      out += c;
    }
    return out;
  }

  // The English text of a message shown in this language (itself when the
  // [MESSAGES] section does not hold it).
  std::string english(std::string_view shown) const {
    const std::string prefix = makeKey("MESSAGES", "");
    for (auto it = entries.lower_bound(prefix); it != entries.end() && it->first.compare(0, prefix.size(), prefix) == 0;
         ++it)
      if (it->second == shown) return it->first.substr(prefix.size());
    // A step and its result, each translated on its own.
    constexpr std::string_view kArrow = " -> ";
    const size_t at = shown.find(kArrow);
    if (at != std::string_view::npos && shown.find(kArrow, at + 1) == std::string_view::npos)
      return english(shown.substr(0, at)) + std::string(kArrow) + english(shown.substr(at + kArrow.size()));
    return std::string(shown);
  }
};

}  // namespace bx
