#include "cli/calib_cmds.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "calib/calib_file.h"
#include "calib/fit.h"
#include "calib/limits.h"
#include "calib/lookup_write.h"
#include "calib/xflash_record.h"
#include "cli/session.h"
#include "commands/commands.h"
#include "context/context.h"
#include "link/ownership.h"
#include "wire/calib_record.h"

namespace bx::cli {
namespace {

const char* kUsage =
    "  quellan-bx-cli calib read (--tcp HOST[:PORT] | --serial DEV [--baud INDEX])\n"
    "  quellan-bx-cli calib fit --point PX:UM [--point PX:UM]\n"
    "  quellan-bx-cli calib save (--slope A | --slope-x16384 N) --offset B [--force]\n"
    "                            (--tcp HOST[:PORT] | --serial DEV [--baud INDEX])\n"
    "  quellan-bx-cli calib write-lookup FILE.dat [--force] (--tcp HOST[:PORT] | --serial DEV [--baud INDEX])\n"
    "\n"
    "calib read          prints the sensor's calibration record, one NAME<TAB>VALUE\n"
    "                    line per field.\n"
    "calib fit           fits slope (um/pixel) and offset (um) through the points;\n"
    "                    one point gives a line through the origin. No sensor needed.\n"
    "                    Prints what would be stored: the slope exactly as stored,\n"
    "                    the offset and the fixed-point slope (slope x16384); either\n"
    "                    slope given to calib save stores the same.\n"
    "calib save          stores slope and offset in the sensor. Values the record\n"
    "                    cannot hold are refused; so are values outside what the\n"
    "                    sensor's model can measure, unless --force is given.\n"
    "calib write-lookup  writes the calibration data file's record and lookup table.\n"
    "                    Refused, with nothing written, for a sensor type without a\n"
    "                    lookup table; and, unless --force is given, for a file of\n"
    "                    another hardware type or with values outside what the\n"
    "                    sensor's model can measure.\n";

struct Options {
  std::string sub;
  LinkOptions link;
  std::vector<std::pair<double, double>> points;
  bool haveSlope = false, haveOffset = false, haveFixed = false;
  double slope = 0;
  double offset = 0;
  long long fixed = 0;
  bool force = false;
  std::string file;
};

int usage(const std::string& msg) {
  std::fprintf(stderr, "quellan-bx-cli: %s\nUsage:\n%s", msg.c_str(), kUsage);
  return 2;
}

bool parseReal(const std::string& s, double& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtod(s.c_str(), &end);
  return !s.empty() && errno == 0 && *end == '\0' && std::isfinite(out);
}

// A whole number; its range is checked with the other values, so that the
// refusal names the limit.
bool parseWhole(const std::string& s, long long& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtoll(s.c_str(), &end, 10);
  return !s.empty() && errno == 0 && *end == '\0';
}

int parse(int argc, char** argv, Options& o) {
  if (argc < 3) return usage("calib: no sub-command given");
  o.sub = argv[2];
  if (o.sub != "read" && o.sub != "fit" && o.sub != "save" && o.sub != "write-lookup")
    return usage("calib: unknown sub-command " + o.sub);
  for (int i = 3; i < argc; ++i) {
    std::string error;
    if (o.sub != "fit") {
      const OptionResult r = parseLinkOption(argc, argv, i, o.link, error);
      if (r == OPTION_BAD) return usage(error);
      if (r == OPTION_TAKEN) continue;
    }
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (o.sub == "fit" && a == "--point" && hasValue) {
      const std::string v = argv[++i];
      const size_t colon = v.find(':');
      double px = 0, um = 0;
      if (colon == std::string::npos || !parseReal(v.substr(0, colon), px) || !parseReal(v.substr(colon + 1), um))
        return usage("--point takes PX:UM");
      o.points.emplace_back(px, um);
    } else if (o.sub == "save" && a == "--slope" && hasValue) {
      if (!parseReal(argv[++i], o.slope)) return usage("--slope takes a number");
      o.haveSlope = true;
    } else if (o.sub == "save" && a == "--slope-x16384" && hasValue) {
      if (!parseWhole(argv[++i], o.fixed)) return usage("--slope-x16384 takes a whole number");
      o.haveFixed = true;
    } else if (o.sub == "save" && a == "--offset" && hasValue) {
      long long whole = 0;
      if (!parseWhole(argv[++i], whole)) return usage("--offset takes a whole number of micrometres");
      o.offset = static_cast<double>(whole);
      o.haveOffset = true;
    } else if ((o.sub == "save" || o.sub == "write-lookup") && a == "--force") {
      o.force = true;
    } else if (o.sub == "write-lookup" && !a.empty() && a[0] != '-' && o.file.empty()) {
      o.file = a;
    } else {
      return usage("unexpected argument " + a);
    }
  }
  if (o.sub == "fit") {
    if (o.points.empty() || o.points.size() > 2) return usage("calib fit takes one or two --point PX:UM");
    return -1;
  }
  if (o.sub == "save" && (o.haveSlope == o.haveFixed || !o.haveOffset))
    return usage("calib save needs --offset and one of --slope and --slope-x16384");
  // The fixed-point slope as given, in micrometres per pixel (exact).
  if (o.haveFixed) o.slope = static_cast<double>(o.fixed) / 16384.0;
  if (o.sub == "write-lookup" && o.file.empty()) return usage("calib write-lookup needs a calibration data file");
  std::string error;
  if (!linkOptionsComplete(o.link, error)) return usage("calib " + o.sub + ": " + error);
  return -1;
}

int runFit(const Options& o) {
  // One point: the line through the origin and that point.
  double x[2] = {0, o.points[0].first}, y[2] = {0, o.points[0].second};
  if (o.points.size() == 2) {
    x[0] = o.points[0].first;
    y[0] = o.points[0].second;
    x[1] = o.points[1].first;
    y[1] = o.points[1].second;
  }
  LineFit fit;
  if (!FitLine(x, y, 2, fit)) {
    std::printf("status: CALC refused: both objects have the same pixel value!\n");
    return 1;
  }
  // What WRITE would store: the slope truncated to its fixed-point form, the
  // offset rounded to whole micrometres.
  CalibValues v;
  v.slopeUm = fit.slope;
  v.offsetUm = std::round(fit.offset);
  CalibRefusal why;
  if (!CheckCalibFields(v, why)) {
    std::printf("status: %s\n", why.refused(LanguageData{}).c_str());
    return 1;
  }
  const int32_t fixed = calib::slopeToFixed(fit.slope);
  std::printf("slope\t%s\noffset\t%.0f\nslope x16384\t%d\n", ExactSlopeText(fixed).c_str(), v.offsetUm, fixed);
  std::printf("status: Calibration values calculated!\n");
  return 0;
}

void printRecord(const CalibRecord& r) {
  const int32_t fixed = calib::slopeX16384(r);
  std::printf("hardware type\t%u\n", calib::hwType(r));
  std::printf("serial number\t%d\n", calib::serial(r));
  std::printf("slope x16384\t%d\n", fixed);
  std::printf("slope um/pixel\t%.5f\n", calib::slopeFromFixed(fixed));
  std::printf("offset\t%d\n", calib::offsetUm(r));
  std::printf("range\t%d\n", calib::rangeUm(r));
  std::printf("XF divisor\t%u\n", calib::field16(r, calib::OFF_XF_DIVISOR));
  std::printf("XF size\t%u\n", calib::field16(r, calib::OFF_XF_SIZE));
  std::printf("interface type\t%u\n", calib::field16(r, calib::OFF_IF_TYPE));
  std::printf("lookup flag\t%u\n", calib::field16(r, calib::OFF_LOOKUP));
  std::printf("first pixel\t%u\n", calib::field16(r, calib::OFF_PIXEL_START));
  std::printf("last pixel\t%u\n", calib::field16(r, calib::OFF_PIXEL_END));
}

}  // namespace

bool IsCalibCommand(const std::string& c) { return c == "calib"; }

const char* CalibCommandsUsage() { return kUsage; }

int RunCalibCommand(int argc, char** argv, const std::string& resourceDir) {
  Options o;
  const int rc = parse(argc, argv, o);
  if (rc >= 0) return rc;
  if (o.sub == "fit") return runFit(o);

  // The file and the values are checked before anything reaches the sensor.
  CalibState fromFile;
  std::string error;
  if (o.sub == "write-lookup" && ReadCalibrationDataFromFile(o.file, fromFile, error) != 1) {
    std::printf("status: %s\n", error.c_str());
    return 1;
  }
  CalibValues values;
  values.slopeUm = o.slope;
  values.offsetUm = o.offset;
  CalibRefusal refusal;
  if (o.sub == "save" && !CheckCalibFields(values, refusal)) {
    std::printf("status: %s\n", refusal.refused(LanguageData{}).c_str());
    return 1;
  }

  Session session;
  if (!session.open(o.link, resourceDir, error)) {
    std::fprintf(stderr, "quellan-bx-cli: cannot load the panel resource: %s\n", error.c_str());
    return 1;
  }
  Context& ctx = session.ctx;
  if (session.connect() != 1) return session.finish(false);
  LinkHold hold(ctx);

  if (o.sub == "read") {
    CalibRecord r;
    if (ReadCalibDataFromXF(ctx, r.bytes.data(), CalibRecord::kSize) != 1) return session.finish(false);
    ctx.calib.record = r;
    printRecord(r);
    return session.finish(true);
  }
  if (o.sub == "save") {
    values.rangeUm = calib::rangeUm(ctx.calib.record);
    if (!o.force && !CheckCalibReach(values, ModelReachOf(ctx), refusal)) {
      ctx.status = refusal.refused(LanguageData{}) + " (give --force to store it anyway)";
      return session.finish(false);
    }
    const bool ok =
        CalibrationCommand(ctx, 2, calib::slopeToFixed(o.slope), static_cast<int32_t>(o.offset));
    return session.finish(ok);
  }
  // write-lookup: nothing is written unless the whole sequence can be.
  const uint32_t sensorType = static_cast<uint32_t>(ctx.ident.hw.hwType);
  if (LookupBlockCount(sensorType) == 0) {
    ctx.status = "No lookup table for this sensor's hardware type - nothing written!";
    return session.finish(false);
  }
  const uint32_t fileType = calib::hwType(fromFile.record);
  if (!o.force && fileType != sensorType) {
    ctx.status = "Refused: the calibration file is for hardware type " + std::to_string(fileType) +
                 ", the sensor is of type " + std::to_string(sensorType) +
                 " - nothing written (give --force to write it anyway)!";
    return session.finish(false);
  }
  if (!o.force && !CheckCalibReach(CalibValuesOf(fromFile.record), ModelReachOf(ctx), refusal)) {
    ctx.status = refusal.refused(LanguageData{}) + " (give --force to write it anyway)";
    return session.finish(false);
  }
  // write-lookup: the file's header over the record the sensor holds, then
  // the record and the table.
  auto print = [](const std::string& s) {
    std::printf("%s\n", s.c_str());
    std::fflush(stdout);
  };
  if (ReadCalibrationDataFromFile(o.file, ctx.calib, error) != 1) {
    ctx.status = error;
    return session.finish(false);
  }
  ComputeCalibDisplayRange(ctx);
  const bool recordOk = WriteCalibDataToXF(ctx, ctx.calib.record.bytes.data()) == 1;
  print(ctx.status);
  if (!recordOk) return session.finish(false);
  return session.finish(WriteLookupTable(ctx, print) == 1);
}

}  // namespace bx::cli
