#include "recorder/rec_reader.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "context/context.h"
#include "files/atomic_file.h"
#include "link/report.h"
#include "recorder/state.h"

namespace bx::recorder {
namespace {

// The reasons, as the language files know them.
constexpr const char* kNotRecorder = "not a recorder file";
constexpr const char* kExpected = "\"%1\" expected";
constexpr const char* kBadNumber = "the number after \"%1\" is not valid";
constexpr const char* kBadColumns = "the column header is not the recorder's";
constexpr const char* kBadFieldCount = "a sample row holds 9 values, this one %1";
constexpr const char* kBadDateTime = "the date or time of the row is not valid";
constexpr const char* kBadValue = "the value in column %1 is not valid";
constexpr const char* kTooManyRows = "more rows than the header's number of samples";
constexpr const char* kCutShort = "the file is cut short";

constexpr std::string_view kBlanks = " \t";

std::string_view trim(std::string_view s) {
  const size_t a = s.find_first_not_of(kBlanks);
  if (a == std::string_view::npos) return {};
  return s.substr(a, s.find_last_not_of(kBlanks) - a + 1);
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// A whole number of exactly the text, within [lo, hi].
bool parseInt(std::string_view s, long long lo, long long hi, long long& out) {
  if (s.empty()) return false;
  long long v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v < lo || v > hi) return false;
  out = v;
  return true;
}

// A finite decimal number of exactly the text ("1", "0.1", "1.000000e+000").
bool parseReal(std::string_view s, double& out) {
  if (s.empty()) return false;
  if (s.front() == '+') s.remove_prefix(1);
  double v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

// A header number written as a whole number, or by earlier tools as a
// decimal with zero fraction ("100.000000").
bool parseWholeReal(std::string_view s, long long lo, long long hi, long long& out) {
  if (parseInt(s, lo, hi, out)) return true;
  double d = 0;
  if (!parseReal(s, d) || d != std::floor(d) || d < static_cast<double>(lo) || d > static_cast<double>(hi)) return false;
  out = static_cast<long long>(d);
  return true;
}

// Digits at s[from, from+n).
bool digits(std::string_view s, size_t from, size_t n, int& out) {
  int v = 0;
  for (size_t i = from; i < from + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  out = v;
  return true;
}

// "MM-DD-YYYY"
bool parseDate(std::string_view s, RecordedRow& r) {
  int m = 0, d = 0, y = 0;
  if (s.size() != 10 || s[2] != '-' || s[5] != '-' || !digits(s, 0, 2, m) || !digits(s, 3, 2, d) ||
      !digits(s, 6, 4, y))
    return false;
  if (m < 1 || m > 12 || d < 1 || d > 31) return false;
  r.year = static_cast<uint16_t>(y);
  r.month = static_cast<uint8_t>(m);
  r.day = static_cast<uint8_t>(d);
  return true;
}

// "HH:MM:SS"
bool parseTime(std::string_view s, RecordedRow& r) {
  int h = 0, m = 0, sec = 0;
  if (s.size() != 8 || s[2] != ':' || s[5] != ':' || !digits(s, 0, 2, h) || !digits(s, 3, 2, m) ||
      !digits(s, 6, 2, sec))
    return false;
  // 60: a leap second as the clock may show it.
  if (h > 23 || m > 59 || sec > 60) return false;
  r.hour = static_cast<uint8_t>(h);
  r.minute = static_cast<uint8_t>(m);
  r.second = static_cast<uint8_t>(sec);
  return true;
}

// The values of a line between tabs; empty fields (the column header's and
// the rows' double tabs) are not values.
size_t splitFields(std::string_view line, std::string_view (&out)[10]) {
  size_t n = 0;
  size_t from = 0;
  for (;;) {
    const size_t tab = line.find('\t', from);
    const std::string_view f = trim(line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
    if (!f.empty()) {
      if (n < 10) out[n] = f;
      ++n;
    }
    if (tab == std::string_view::npos) break;
    from = tab + 1;
  }
  return n;
}

constexpr std::string_view kColumns[9] = {"DATE", "TIME", "M-VALUE", "EDG-A", "EDG-B", "EDG-N", "M-VAL[um]", "PROG", "STATE"};

class Parser {
 public:
  Parser(Recording& rec, ReadFailure& why) : rec_(rec), why_(why) {}

  bool line(std::string_view l, int number) {
    number_ = number;
    // Blank lines carry nothing; an earlier writer's line ends may leave one.
    if (trim(l).empty()) return true;
    switch (stage_) {
      case 0:
        if (!startsWith(l, "Date:")) return fail(kNotRecorder);
        rec_.date = std::string(trim(l.substr(5)));
        {
          RecordedRow probe;
          if (!parseDate(rec_.date, probe)) return fail(kBadNumber, "Date:");
        }
        break;
      case 1:
        if (!startsWith(l, "Time:")) return fail(kExpected, "Time:");
        rec_.time = std::string(trim(l.substr(5)));
        {
          RecordedRow probe;
          if (!parseTime(rec_.time, probe)) return fail(kBadNumber, "Time:");
        }
        break;
      case 2: {
        constexpr std::string_view label = "Time-Increment[s]:";
        if (!startsWith(l, label)) return fail(kExpected, label);
        double v = 0;
        if (!parseReal(trim(l.substr(label.size())), v) || v < 0 || v > 3600) return fail(kBadNumber, label);
        rec_.incrementS = v;
        break;
      }
      case 3: {
        constexpr std::string_view label = "Number of Samples:";
        if (!startsWith(l, label)) return fail(kExpected, label);
        long long v = 0;
        if (!parseWholeReal(trim(l.substr(label.size())), 0, kRecorderMaxSamples, v)) return fail(kBadNumber, label);
        rec_.samples = static_cast<int>(v);
        break;
      }
      case 4: {
        // The micro sign is one Latin-1 byte as written; a file saved again
        // by an editor may hold it in UTF-8: the label is matched up to it.
        const std::string_view value = afterLabel(l, "Offset-Value [");
        if (value.data() == nullptr) return fail(kExpected, "Offset-Value [\xC2\xB5m]:");
        long long v = 0;
        if (!parseWholeReal(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), v))
          return fail(kBadNumber, "Offset-Value [\xC2\xB5m]:");
        rec_.offsetUm = static_cast<int32_t>(v);
        break;
      }
      case 5: {
        const std::string_view value = afterLabel(l, "Slope-Value [");
        if (value.data() == nullptr) return fail(kExpected, "Slope-Value [\xC2\xB5m/pixel]:");
        if (!parseReal(value, rec_.slopeUmPerPixel)) return fail(kBadNumber, "Slope-Value [\xC2\xB5m/pixel]:");
        break;
      }
      case 6: {
        std::string_view f[10];
        const size_t n = splitFields(l, f);
        if (n != 9) return fail(kBadColumns);
        for (size_t i = 0; i < 9; ++i)
          if (f[i] != kColumns[i]) return fail(kBadColumns);
        break;
      }
      default:
        return row(l);
    }
    ++stage_;
    return true;
  }

  // After the last line: a header that never ended is cut short.
  bool end(int nextLine) {
    number_ = nextLine;
    if (stage_ == 0) return fail(kNotRecorder);
    if (stage_ < 7) return fail(kCutShort);
    return true;
  }

  bool failAt(int line, const char* reason) {
    number_ = line;
    return fail(reason);
  }

  bool fail(const char* reason, std::string_view arg = {}) {
    why_.line = number_;
    why_.reason = reason;
    why_.arg = std::string(arg);
    return false;
  }

 private:
  // The text after "LABEL...]:" where the label is matched up to its unit.
  static std::string_view afterLabel(std::string_view l, std::string_view label) {
    if (!startsWith(l, label)) return {};
    const size_t close = l.find("]:", label.size());
    if (close == std::string_view::npos) return {};
    const std::string_view v = trim(l.substr(close + 2));
    return v.data() ? v : l.substr(l.size());
  }

  bool row(std::string_view l) {
    std::string_view f[10];
    const size_t n = splitFields(l, f);
    if (n != 9) return fail(kBadFieldCount, std::to_string(n));
    if (static_cast<int>(rec_.rows.size()) >= rec_.samples) return fail(kTooManyRows);
    RecordedRow r;
    if (!parseDate(f[0], r) || !parseTime(f[1], r)) return fail(kBadDateTime);
    long long v[7] = {};
    struct Range {
      long long lo, hi;
    };
    constexpr Range kRanges[7] = {{0, 65535}, {0, 65535}, {0, 65535}, {0, 65535},
                                  {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()},
                                  {0, 65535}, {std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()}};
    for (size_t i = 0; i < 7; ++i)
      if (!parseInt(f[i + 2], kRanges[i].lo, kRanges[i].hi, v[i])) return fail(kBadValue, kColumns[i + 2]);
    r.sample.value = static_cast<uint16_t>(v[0]);
    r.sample.edgeA = static_cast<uint16_t>(v[1]);
    r.sample.edgeB = static_cast<uint16_t>(v[2]);
    r.sample.edges = static_cast<uint16_t>(v[3]);
    r.sample.valueUm = static_cast<int32_t>(v[4]);
    r.sample.program = static_cast<uint16_t>(v[5]);
    r.sample.status = static_cast<int16_t>(v[6]);
    rec_.rows.push_back(r);
    return true;
  }

  Recording& rec_;
  ReadFailure& why_;
  int stage_ = 0;
  int number_ = 0;
};

std::string twoDigits(int v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}

}  // namespace

bool ParseRecording(std::string_view text, Recording& out, ReadFailure& why) {
  Recording rec;
  Parser p(rec, why);
  int number = 0;
  size_t from = 0;
  // A file saved again by an editor may begin with a UTF-8 byte order mark.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") from = 3;
  while (from < text.size()) {
    ++number;
    const size_t nl = text.find('\n', from);
    if (nl == std::string_view::npos) {
      // Every line the recorder writes ends with its line end: a last line
      // without one was cut off while it was written.
      if (!trim(text.substr(from)).empty()) return p.failAt(number, kCutShort);
      break;
    }
    std::string_view l = text.substr(from, nl - from);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    if (!p.line(l, number)) return false;
    from = nl + 1;
  }
  if (!p.end(number + 1)) return false;
  out = std::move(rec);
  return true;
}

bool ReadRecording(const std::string& path, Recording& out, ReadFailure& why) {
  std::string text, error;
  if (!readWholeFile(path, text, kMaxRecorderFileBytes, &error)) {
    why.line = 0;
    why.reason = "";
    why.arg = error;
    return false;
  }
  return ParseRecording(text, out, why);
}

std::string ReadFailureText(const Context& ctx, const std::string& path, const ReadFailure& why) {
  if (why.line <= 0) return Localized(ctx, "%1 cannot be read: %2", {path, why.arg});
  return Localized(ctx, "%1, line %2: %3", {path, std::to_string(why.line), Localized(ctx, why.reason, {why.arg})});
}

std::string RowDate(const RecordedRow& r) {
  char b[32];
  std::snprintf(b, sizeof b, "%02d-%02d-%04d", r.month, r.day, r.year);
  return b;
}

std::string RowTime(const RecordedRow& r) {
  return twoDigits(r.hour) + ":" + twoDigits(r.minute) + ":" + twoDigits(r.second);
}

std::string RowIsoDateTime(const RecordedRow& r) {
  char b[40];
  std::snprintf(b, sizeof b, "%04d-%02d-%02dT%02d:%02d:%02d", r.year, r.month, r.day, r.hour, r.minute, r.second);
  return b;
}

}  // namespace bx::recorder
