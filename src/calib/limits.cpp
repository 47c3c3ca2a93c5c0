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

bool refuse(CalibRefusal& why, std::string en, std::string de) {
  why.en = std::move(en);
  why.de = std::move(de);
  return false;
}

// "NAME VALUE UNIT is below/above the limit of LIMIT UNIT REASON"
bool outside(CalibRefusal& why, const char* nameEn, const char* nameDe, const std::string& value, bool below,
             const std::string& limit, const char* unit, const char* reasonEn, const char* reasonDe) {
  return refuse(why,
                std::string(nameEn) + " " + value + unit + (below ? " is below" : " is above") + " the limit of " +
                    limit + unit + " " + reasonEn,
                std::string(nameDe) + " " + value + unit + (below ? " liegt unter" : " liegt über") +
                    " der Grenze von " + limit + unit + " " + reasonDe);
}

bool inField(CalibRefusal& why, const char* nameEn, const char* nameDe, double v, double lo, double hi,
             const char* unit, const std::string& value) {
  const char* en = "that the calibration record holds";
  const char* de = "des Kalibrierdatensatzes";
  if (std::isnan(v)) return refuse(why, std::string(nameEn) + " is not a number", std::string(nameDe) + " ist keine Zahl");
  if (v < lo) return outside(why, nameEn, nameDe, value, true, whole(lo), unit, en, de);
  if (v > hi) return outside(why, nameEn, nameDe, value, false, whole(hi), unit, en, de);
  return true;
}

}  // namespace

bool CheckCalibFields(const CalibValues& v, CalibRefusal& why) {
  // The slope is checked before it is multiplied: a value beyond the field
  // has no fixed-point form at all.
  const std::string slope = num(v.slopeUm, 5);
  if (!(v.slopeUm > 0))
    return outside(why, "SLOPE", "STEIGUNG", slope, true, num(calib::kMinSlope, 8), " µm/pixel",
                   "(slope x 16384 must be at least 1)", "(Steigung x 16384 muss mindestens 1 sein)");
  if (!(v.slopeUm < calib::kSlopeBeyond))
    return outside(why, "SLOPE", "STEIGUNG", slope, false, num(calib::kMaxSlope, 5), " µm/pixel",
                   "that the calibration record holds", "des Kalibrierdatensatzes");
  if (std::trunc(v.slopeUm * 16384.0) < 1)
    return outside(why, "SLOPE", "STEIGUNG", num(v.slopeUm, 8), true, num(calib::kMinSlope, 8), " µm/pixel",
                   "(slope x 16384 must be at least 1)", "(Steigung x 16384 muss mindestens 1 sein)");
  if (!inField(why, "OFFSET", "OFFSET", v.offsetUm, kInt32Min, kInt32Max, " µm", whole(v.offsetUm))) return false;
  if (!inField(why, "RANGE", "BEREICH", v.rangeUm, 0, kInt32Max, " µm", whole(v.rangeUm))) return false;
  // The display range ends at offset + range; that sum is kept in 32 bits too.
  if (v.offsetUm + v.rangeUm > kInt32Max)
    return outside(why, "OFFSET + RANGE", "OFFSET + BEREICH", whole(v.offsetUm + v.rangeUm), false,
                   whole(kInt32Max), " µm", "that the calibration record holds", "des Kalibrierdatensatzes");
  if (v.hasIdentity) {
    if (!inField(why, "SER-NO", "SER-NR", v.serial, 0, 65535, "", whole(v.serial))) return false;
    if (!inField(why, "HW-TYPE", "HW-TYP", v.hwType, 0, 4294967295.0, "", whole(v.hwType))) return false;
  }
  return true;
}

bool CheckCalibReach(const CalibValues& v, const ModelReach& m, CalibRefusal& why) {
  if (!m.known || m.pixelCount <= 0 || !(m.workingRangeUm > 0)) return true;
  const std::string slope = num(v.slopeUm, 5);
  char reasonEn[160], reasonDe[160];
  std::snprintf(reasonEn, sizeof reasonEn, "this model can measure (%s mm over %d pixels)",
                num(m.workingRangeUm / 1000.0, 3).c_str(), m.pixelCount);
  std::snprintf(reasonDe, sizeof reasonDe, "dessen, was dieses Modell messen kann (%s mm über %d Pixel)",
                num(m.workingRangeUm / 1000.0, 3).c_str(), m.pixelCount);
  const double nominal = m.nominalSlope();
  const double lo = nominal / calib::kSlopeFactor, hi = nominal * calib::kSlopeFactor;
  if (v.slopeUm < lo)
    return outside(why, "SLOPE", "STEIGUNG", slope, true, num(lo, 5), " µm/pixel", reasonEn, reasonDe);
  if (v.slopeUm > hi)
    return outside(why, "SLOPE", "STEIGUNG", slope, false, num(hi, 5), " µm/pixel", reasonEn, reasonDe);
  const double reach = std::round(m.workingRangeUm);
  if (v.offsetUm < -reach)
    return outside(why, "OFFSET", "OFFSET", whole(v.offsetUm), true, whole(-reach), " µm", reasonEn, reasonDe);
  if (v.offsetUm > reach)
    return outside(why, "OFFSET", "OFFSET", whole(v.offsetUm), false, whole(reach), " µm", reasonEn, reasonDe);
  const double rangeMax = std::round(m.workingRangeUm * calib::kRangeFactor);
  if (v.rangeUm > rangeMax)
    return outside(why, "RANGE", "BEREICH", whole(v.rangeUm), false, whole(rangeMax), " µm", reasonEn, reasonDe);
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

std::string CalibRefusal::refused(int language) const {
  return language == 1 ? "Abgelehnt: " + de + " - nichts geschrieben!" : "Refused: " + en + " - nothing written!";
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
