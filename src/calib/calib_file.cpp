#include "calib/calib_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "calib/limits.h"
#include "wire/calib_record.h"
#include "context/context.h"
#include "calib/state.h"
#include "files/atomic_file.h"
#include "wire/calib_record.h"
#include "platform/file_info.h"

namespace bx {

namespace {

constexpr long kMaxFileBytes = 1 << 20;

// Splits off the next line (without CR/LF); false at the end of the text.
bool nextLine(std::string_view& text, std::string_view& line) {
  if (text.empty()) return false;
  size_t nl = text.find('\n');
  line = text.substr(0, nl);
  text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

// The value of a "label TAB value" line: what follows the last TAB, or the
// last word when the line has no TAB.
std::string valueOf(std::string_view line) {
  size_t tab = line.rfind('\t');
  if (tab != std::string_view::npos) return trimmed(line.substr(tab + 1));
  std::string t = trimmed(line);
  size_t sp = t.find_last_of(' ');
  return sp == std::string::npos ? t : t.substr(sp + 1);
}

bool parseInt(const std::string& s, long long& out) {
  if (s.empty()) return false;
  errno = 0;
  char* end = nullptr;
  out = std::strtoll(s.c_str(), &end, 10);
  // The whole token: a NUL inside it must not end the number early.
  return errno == 0 && end != s.c_str() && end == s.c_str() + s.size();
}

bool parseReal(const std::string& s, double& out) {
  if (s.empty()) return false;
  errno = 0;
  char* end = nullptr;
  out = std::strtod(s.c_str(), &end);
  return errno == 0 && end != s.c_str() && end == s.c_str() + s.size() && std::isfinite(out);
}

bool startsWith(std::string_view line, std::string_view tag) { return line.substr(0, tag.size()) == tag; }

// A value out of its range: the reason names it; the refusal is kept in
// parts for the language in force.
void refuse(CalibState& calib, std::string& why, const CalibRefusal& refusal) {
  calib.fileRefusal = refusal;
  why = calib.fileRefusal.rejected(LanguageData{});
}

}  // namespace

unsigned LookupBytesForXfSize(unsigned xfSize) {
  static constexpr unsigned kSizes[] = {1536, 2048, 2496, 2560, 3072, 4096, 4992, 5120, 6144, 8192};
  for (unsigned s : kSizes)
    if (s == xfSize) return s;
  return 1024;
}

int ParseCalibrationData(std::string_view text, CalibState& calib, std::string& why) {
  calib.fileRefusal = CalibRefusal{};
  std::string_view line;
  if (!nextLine(text, line) || !startsWith(line, "[HEADER]")) {
    why = "Calibration file rejected: the first line is not [HEADER]!";
    return 0;
  }
  // Which of the twelve values are real numbers; the others are integers.
  static constexpr bool kReal[12] = {false, false, false, false, true, false, false, false, true, false, false, false};
  long long ints[12]{};
  double reals[12]{};
  for (int i = 0; i < 12; ++i) {
    const std::string v = nextLine(text, line) ? valueOf(line) : std::string();
    const bool ok = kReal[i] ? parseReal(v, reals[i]) : parseInt(v, ints[i]);
    if (!ok) {
      why = "Calibration file rejected: a header value is not a number!";
      return 0;
    }
  }
  // Every value must fit its field before any of them is taken over.
  static constexpr struct {
    int index;
    const char* name;
  } k16[] = {{5, "A"}, {6, "B"}, {7, "C"}, {9, "XF-DIVISOR"}, {10, "XF-SIZE"}, {11, "PFLASH area"}};
  for (const auto& f : k16) {
    if (ints[f.index] < 0 || ints[f.index] > 65535) {
      CalibRefusal field;
      field.kind = ints[f.index] < 0 ? CalibRefusal::Kind::Below : CalibRefusal::Kind::Above;
      field.name = f.name;
      field.value = std::to_string(ints[f.index]);
      field.limit = ints[f.index] < 0 ? "0" : "65535";
      field.whose = "that the field holds";
      refuse(calib, why, field);
      return 0;
    }
  }
  CalibValues values;
  values.hwType = static_cast<double>(ints[0]);
  values.serial = static_cast<double>(ints[1]);
  values.hasIdentity = true;
  values.rangeUm = static_cast<double>(ints[2]);
  values.offsetUm = static_cast<double>(ints[3]);
  values.slopeUm = reals[4];
  CalibRefusal refusal;
  if (!CheckCalibFields(values, refusal)) {
    refuse(calib, why, refusal);
    return 0;
  }
  // The header is complete: its values go into the record.
  CalibRecord& r = calib.record;
  calib::setField32(r, calib::OFF_HWTYPE, static_cast<uint32_t>(ints[0]));
  calib::setField16(r, calib::OFF_SERIAL, static_cast<uint16_t>(ints[1]));
  calib::setField32(r, calib::OFF_RANGE, static_cast<uint32_t>(ints[2]));
  calib::setField32(r, calib::OFF_OFFSET, static_cast<uint32_t>(ints[3]));
  calib.fileSlopeUm = reals[4];
  calib.fileHwType = static_cast<uint32_t>(ints[0]);
  for (int k = 0; k < 3; ++k) calib.fileUnused16[k] = static_cast<uint16_t>(ints[5 + k]);
  calib.fileUnusedReal = reals[8];
  calib::setField16(r, calib::OFF_XF_DIVISOR, static_cast<uint16_t>(ints[9]));
  calib::setField16(r, calib::OFF_XF_SIZE, static_cast<uint16_t>(ints[10]));
  calib.pflashArea = static_cast<uint16_t>(ints[11]);
  calib::setField32(r, calib::OFF_SLOPE, static_cast<uint32_t>(calib::slopeToFixed(reals[4])));

  if (!nextLine(text, line) || !startsWith(line, "[XFLASH]")) {
    why = "Calibration file rejected: no [XFLASH] section!";
    return 0;
  }
  const unsigned want = LookupBytesForXfSize(static_cast<uint16_t>(ints[10]));
  std::vector<uint8_t> bytes;
  bytes.reserve(want);
  size_t i = 0;
  while (bytes.size() < want && i < text.size()) {
    const char c = text[i];
    if (isBlank(c) || c == '\n' || c == ',') {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && !isBlank(text[end]) && text[end] != '\n' && text[end] != ',') ++end;
    long long v = 0;
    if (!parseInt(std::string(text.substr(i, end - i)), v)) {
      why = "Calibration file rejected: a lookup value is not a number!";
      return 0;
    }
    bytes.push_back(static_cast<uint8_t>(v & 0xFF));  // low 8 bits
    i = end;
  }
  if (bytes.size() < want) {
    why = "Calibration file rejected: fewer lookup values than its XF size!";
    return 0;
  }
  calib.lookup.fill(0);
  std::copy(bytes.begin(), bytes.end(), calib.lookup.begin());
  why.clear();
  return 1;
}

int ReadCalibrationDataFromFile(const std::string& path, CalibState& calib, std::string& why) {
  calib.fileLoaded = 0;
  calib.pflashArea = 0;
  // Opened without blocking and refused unless a regular file: a FIFO
  // given as the file must not hang the tool. More than the cap is not a
  // calibration data file.
  std::string text;
  if (!readWholeFile(path, text, static_cast<size_t>(kMaxFileBytes), nullptr)) {
    // Only named here, after the refusal: nothing of it was read.
    const platform::PathFacts st = platform::FactsOf(path);
    if (!st.exists)
      why = "Calibration file could not be opened!";
    else if (st.folder)
      why = "Calibration file rejected: it is a folder!";
    else if (!st.regular)
      why = "Calibration file rejected: not a regular file!";
    else if (st.size > kMaxFileBytes)
      why = "Calibration file rejected: larger than 1 MiB!";
    else
      why = "Calibration file could not be opened!";
    return 0;
  }
  const int r = ParseCalibrationData(text, calib, why);
  if (r == 1) {
    calib.fileLoaded = 1;
    calib.filePath = path;
  }
  return r;
}

}  // namespace bx
