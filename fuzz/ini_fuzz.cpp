// The INI reader fed whole files: parsing, the lookups the parameter and
// settings files make, and the writer's round trip, which must give back
// the document that was read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/ini_document.h"
#include "files/para_file.h"

namespace {

using bx::ini::Document;

void check(bool ok) {
  if (!ok) __builtin_trap();
}

bool sameDocument(const Document& a, const Document& b) {
  if (a.sections.size() != b.sections.size()) return false;
  for (size_t s = 0; s < a.sections.size(); ++s) {
    const auto& x = a.sections[s];
    const auto& y = b.sections[s];
    if (x.name != y.name || x.items.size() != y.items.size()) return false;
    for (size_t i = 0; i < x.items.size(); ++i)
      if (x.items[i].tag != y.items[i].tag || x.items[i].value != y.items[i].value) return false;
  }
  return true;
}

// Longest line the writer produces for doc ("TAG = VALUE\r", "[NAME]\r"),
// as the reader measures it: up to the line feed.
size_t longestLine(const Document& doc) {
  size_t longest = 0;
  for (const auto& sec : doc.sections) {
    longest = std::max(longest, sec.name.size() + 3);
    for (const auto& item : sec.items) longest = std::max(longest, item.tag.size() + 4 + item.value.size());
  }
  return longest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Document doc;
  std::string error;
  if (!bx::ini::parse(bytes, doc, &error)) {
    check(doc.sections.empty() && !error.empty());
    return 0;
  }

  uint8_t params[bx::files::kParamBytes] = {};
  uint8_t teach[bx::files::kTeachBytes] = {};
  uint8_t calib[bx::files::kCalibBytes] = {};
  bx::files::GetIniParaTags(doc, params, teach, calib);
  std::string text;
  long long number = 0;
  doc.getString("CONNECTION", "IP ADDRESS", text, 260);
  doc.getString("IP ADDRESSES", "IP ADDR 1", text, 1024);
  doc.getString("HARDWARE INFO", "DATA", text, 4096);
  doc.getInt("APPLICATION", "Panel width", number);
  doc.has("GENERAL INFO", "FILE TYPE:");

  // What the writer writes reads back as the same document, unless a line
  // grew past the reader's line limit by the blanks around "=".
  const std::string written = bx::ini::serialize(doc);
  Document back;
  check(bx::ini::parse(written, back, &error));
  if (longestLine(doc) <= bx::ini::kMaxLineBytes) check(sameDocument(doc, back));

  // A string value survives quoting, and a long one its continuation items.
  if (!doc.sections.empty() && !doc.sections[0].items.empty()) {
    const std::string value = bx::ini::unquoteValue(doc.sections[0].items[0].value).substr(0, 1000);
    check(bx::ini::unquoteValue(bx::ini::quoteValue(value)) == value);
    Document fresh;
    fresh.setString("S", "T", value);
    check(fresh.getString("S", "T", text, value.size()) && text == value);
  }
  return 0;
}
