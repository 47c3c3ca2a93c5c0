#include "calib/limits.h"

#include <cmath>
#include <cstdio>

#include "context/context.h"
#include "wire/calib_record.h"

namespace bx {

namespace {

constexpr double kInt32Min = -2147483648.0;
constexpr double kInt32Max = 2147483647.0;

std::string num(double v, int decimals) {
  char buf[64];
  if (!std::isfinite(v) || std::fabs(v) >= 1e15)
    std::snprintf(buf, sizeof buf, "%g", v);
  else
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// A whole number of micrometres as given; fractions shown as they came.
std::string whole(double v) { return v == std::floor(v) ? num(v, 0) : num(v, 3); }

// "NAME VALUE UNIT is below/above the limit of LIMIT UNIT WHOSE"
bool outside(CalibRefusal& why, const char* name, const std::string& value, bool below, const std::string& limit,
             const char* unit, const char* whose, const std::string& arg1 = {}, const std::string& arg2 = {}) {
  why = CalibRefusal{};
  why.kind = below ? CalibRefusal::Kind::Below : CalibRefusal::Kind::Above;
  why.name = name;
  why.value = value;
  why.limit = limit;
  why.unit = unit;
  why.whose = whose;
  why.reasonArgs[0] = arg1;
  why.reasonArgs[1] = arg2;
  return false;
}

constexpr const char* kRecordHolds = "that the calibration record holds";
constexpr const char* kAtLeastOne = "(slope x 16384 must be at least 1)";

bool inField(CalibRefusal& why, const char* name, double v, double lo, double hi, const char* unit,
             const std::string& value) {
  if (std::isnan(v)) {
    why = CalibRefusal{};
    why.kind = CalibRefusal::Kind::NotANumber;
    why.name = name;
    return false;
  }
  if (v < lo) return outside(why, name, value, true, whole(lo), unit, kRecordHolds);
  if (v > hi) return outside(why, name, value, false, whole(hi), unit, kRecordHolds);
  return true;
}

}  // namespace

bool CheckCalibFields(const CalibValues& v, CalibRefusal& why) {
  // The slope is checked before it is multiplied: a value beyond the field
  // has no fixed-point form at all.
  const std::string slope = num(v.slopeUm, 5);
  if (!(v.slopeUm > 0))
    return outside(why, "SLOPE", slope, true, num(calib::kMinSlope, 8), " µm/pixel", kAtLeastOne);
  if (!(v.slopeUm < calib::kSlopeBeyond))
    return outside(why, "SLOPE", slope, false, num(calib::kMaxSlope, 5), " µm/pixel", kRecordHolds);
  if (std::trunc(v.slopeUm * 16384.0) < 1)
    return outside(why, "SLOPE", num(v.slopeUm, 8), true, num(calib::kMinSlope, 8), " µm/pixel", kAtLeastOne);
  if (!inField(why, "OFFSET", v.offsetUm, kInt32Min, kInt32Max, " µm", whole(v.offsetUm))) return false;
  if (!inField(why, "RANGE", v.rangeUm, 0, kInt32Max, " µm", whole(v.rangeUm))) return false;
  // The display range ends at offset + range; that sum is kept in 32 bits too.
  if (v.offsetUm + v.rangeUm > kInt32Max)
    return outside(why, "OFFSET + RANGE", whole(v.offsetUm + v.rangeUm), false, whole(kInt32Max), " µm",
                   kRecordHolds);
  if (v.hasIdentity) {
    if (!inField(why, "SER-NO", v.serial, 0, 65535, "", whole(v.serial))) return false;
    if (!inField(why, "HW-TYPE", v.hwType, 0, 4294967295.0, "", whole(v.hwType))) return false;
  }
  return true;
}

bool CheckCalibReach(const CalibValues& v, const ModelReach& m, CalibRefusal& why) {
  if (!m.known || m.pixelCount <= 0 || !(m.workingRangeUm > 0)) return true;
  const std::string slope = num(v.slopeUm, 5);
  const std::string widthMm = num(m.workingRangeUm / 1000.0, 3), pixels = std::to_string(m.pixelCount);
  constexpr const char* kModel = "this model can measure (%1 mm over %2 pixels)";
  const double nominal = m.nominalSlope();
  const double lo = nominal / calib::kSlopeFactor, hi = nominal * calib::kSlopeFactor;
  if (v.slopeUm < lo)
    return outside(why, "SLOPE", slope, true, num(lo, 5), " µm/pixel", kModel, widthMm, pixels);
  if (v.slopeUm > hi)
    return outside(why, "SLOPE", slope, false, num(hi, 5), " µm/pixel", kModel, widthMm, pixels);
  const double reach = std::round(m.workingRangeUm);
  if (v.offsetUm < -reach)
    return outside(why, "OFFSET", whole(v.offsetUm), true, whole(-reach), " µm", kModel, widthMm, pixels);
  if (v.offsetUm > reach)
    return outside(why, "OFFSET", whole(v.offsetUm), false, whole(reach), " µm", kModel, widthMm, pixels);
  const double rangeMax = std::round(m.workingRangeUm * calib::kRangeFactor);
  if (v.rangeUm > rangeMax)
    return outside(why, "RANGE", whole(v.rangeUm), false, whole(rangeMax), " µm", kModel, widthMm, pixels);
  return true;
}

bool CheckCalibValues(const CalibValues& v, const ModelReach& model, CalibRefusal& why) {
  return CheckCalibFields(v, why) && CheckCalibReach(v, model, why);
}

ModelReach ModelReachOf(const Context& ctx) {
  ModelReach m;
  const auto& model = ctx.ident.model;
  m.known = model.group >= 1 && model.group <= 6;
  m.workingRangeUm = model.workingRangeMm * 1000.0;
  m.pixelCount = ctx.ident.hw.pixelCount;
  return m;
}

CalibValues CalibValuesOf(const CalibRecord& r) {
  CalibValues v;
  v.slopeUm = calib::slopeX16384(r) / 16384.0;
  v.offsetUm = calib::offsetUm(r);
  v.rangeUm = calib::rangeUm(r);
  v.hasIdentity = true;
  v.serial = calib::field16(r, calib::OFF_SERIAL);
  v.hwType = calib::hwType(r);
  return v;
}

std::string CalibRefusal::text(const LanguageData& texts) const {
  const std::string field = texts.message(name);
  switch (kind) {
    case Kind::None: return {};
    case Kind::NotANumber: return texts.format("%1 is not a number", {field});
    case Kind::Below:
    case Kind::Above: break;
  }
  const std::string reason = texts.format(whose, {reasonArgs[0], reasonArgs[1]});
  return texts.format(kind == Kind::Below ? "%1 %2%3 is below the limit of %4%3 %5" : "%1 %2%3 is above the limit of %4%3 %5",
                      {field, value, unit, limit, reason});
}

std::string CalibRefusal::refused(const LanguageData& texts) const {
  return texts.format("Refused: %1 - nothing written!", {text(texts)});
}

std::string CalibRefusal::rejected(const LanguageData& texts) const {
  return texts.format("Calibration file rejected: %1!", {text(texts)});
}

std::string ExactSlopeText(int32_t fixed) {
  // fixed / 16384 has at most 14 decimals, all of them exact in a double.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14f", fixed / 16384.0);
  std::string s = buf;
  const size_t dot = s.find('.');
  while (s.size() > dot + 6 && s.back() == '0') s.pop_back();
  return s;
}

}  // namespace bx
