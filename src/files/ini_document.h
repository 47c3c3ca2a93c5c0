#pragma once
// An unsorted INI document: the one text format shared by the parameter
// file, the settings file and the hardware info file.
//
// Sections keep the order in which their first item was stored, items the
// order in which they were stored; nothing is sorted. Lookups ignore letter
// case and white space around section names and tags. Item values are kept
// as the text that stands in the file (integers as "%d", strings quoted and
// escaped), so a document read from disk is written back as it was read.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace bx::ini {

// Limits that keep a damaged or hostile file from costing unbounded memory.
constexpr size_t kMaxFileBytes = 16u * 1024u * 1024u;
constexpr size_t kMaxLineBytes = 64u * 1024u;  // longer lines are skipped
constexpr size_t kMaxItems = 100000;           // more items: file unreadable

// Strings longer than this are stored as "TAG Line0001", "TAG Line0002", ...
constexpr size_t kMaxValueChars = 80;

struct Item {
  std::string tag;    // as stored (may carry blanks, e.g. "Panel width ")
  std::string value;  // file text of the value: 123, "quoted\ttext"
};

struct Section {
  std::string name;
  std::vector<Item> items;
};

struct Document {
  std::vector<Section> sections;

  // Store (or replace in place) an integer item.
  void setInt(std::string_view section, std::string_view tag, long long value);
  // Store (or replace in place) a string item; long strings become
  // continuation items.
  void setString(std::string_view section, std::string_view tag, std::string_view text);

  // False when the item is missing, empty or not a decimal integer that
  // fits a long; out is then left unchanged.
  bool getInt(std::string_view section, std::string_view tag, long long& out) const;
  // False when the item is missing (a present, empty value gives ""). The
  // text is cut to maxLen bytes. Continuation items are joined. A value not
  // in quotes is taken as it stands.
  bool getString(std::string_view section, std::string_view tag, std::string& out, size_t maxLen) const;
  // True when the item (or its first continuation item) is present.
  bool has(std::string_view section, std::string_view tag) const;

  const Section* findSection(std::string_view name) const;
  Section* findSection(std::string_view name);
};

// Quoting and escaping of one string value, and the reverse. unquoteValue
// takes a value that does not start with a quote as it stands.
std::string quoteValue(std::string_view text);
std::string unquoteValue(std::string_view value);

// The file text: CR LF line ends, one empty line after each section, no BOM.
std::string serialize(const Document& doc);

// Parses file bytes into doc (which is cleared first). False, with the
// reason, for a UTF-16 file or one with more than kMaxItems items; doc is
// then empty.
bool parse(std::string_view bytes, Document& doc, std::string* error);

// Reads and parses a file; false (empty document, reason) when it cannot be
// opened, is not a regular file, is larger than kMaxFileBytes or does not
// parse.
bool readFile(const std::string& path, Document& doc, std::string* error);

// Replaces path atomically with the serialized document.
bool writeFile(const std::string& path, const Document& doc, std::string* error);

}  // namespace bx::ini
