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
};

}  // namespace bx
