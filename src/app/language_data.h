#pragma once
// Texts of one language as loaded from its language file: labels, ring item
// labels, texts, panel titles, menu labels and help texts, keyed by section
// (panel name or MENU) and key (CONTROL, CONTROL.items, CONTROL.text,
// CONTROL.help, .title, MENUNAME.ITEMNAME).
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
    std::string out;
    size_t start = 0;
    for (;;) {
      size_t nl = english.find('\n', start);
      std::string_view line = english.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
      // Blanks at the end of a line are kept, not looked up.
      const size_t end = line.find_last_not_of(' ') + 1;
      const std::string* t = end == 0 ? nullptr : find("MESSAGES", line.substr(0, end));
      out.append(t ? std::string_view(*t) : line.substr(0, end));
      out.append(line.substr(end));
      if (nl == std::string_view::npos) break;
      out += '\n';
      start = nl + 1;
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
    return std::string(shown);
  }
};

}  // namespace bx
