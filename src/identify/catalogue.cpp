#include "identify/catalogue.h"

#include <initializer_list>

namespace bx::catalogue {
namespace {

struct TypeRow {
  int group;
  std::initializer_list<int32_t> types;
  std::initializer_list<const char*> names;  // per type, in the same order
  const char* subPixel;
  const char* range;
  const char* resolution;
  double rangeMm;  // < 0: from the calibration record
  double minNormal, minFast, minFastest;  // < 0: not set at all
};

const TypeRow kRows[] = {
    {1, {803509, 803756}, {"Quellan-BX-W-16-K-P", "Quellan-BX-16-K-P"}, "Subpixel = 18432", "working range = 16.128 mm",
     "resolution = +/- 1 µm", 16.128, 1.5, 0.8, 0.5},
    {2, {803045, 803698}, {"Quellan-BX-16-K", "Quellan-BX-W-16-K"}, "Subpixel = 2048", "working range = 16.256mm",
     "resolution = +/- 8 µm", 16.256, 0.3, 0.2, 0},
    {2, {802982}, {"Quellan-BX-50-K"}, "subpixel = 6144", "working range = 48.768mm", "resolution    = +/- 8 µm", 48.768,
     0.5, 0.3, 0},
    {2, {804671}, {"Quellan-BX-75-K"}, "subpixel = 10240", "working range = 77.728mm", "resolution    = +/- 8 µm", -1,
     0.9, 0.45, 0},
    {2, {800000}, {"Quellan-BX-100-K"}, "subpixel = 12288", "working range = 97.539mm", "resolution    = +/- 8 µm", -1,
     0.9, 0.45, 0},
    {2, {803047}, {"Quellan-BX-100-K"}, "subpixel = 9216", "working range = 97.536mm", "resolution    = +/- 8 µm", -1,
     0.83, 0.5, 0},
    {3, {802776, 801595}, {"Quellan-BX-28-K", "Tarnis-T2-28"}, "Subpixel = 16384", "working range = 28.672 mm",
     "resolution = +/- 2 µm", 28.672, 1.25, 0.7, 0.5},
    {4, {80, 800859}, {"Quellan-BX-8", "Quellan-BX-8"}, "8192 subpixel - pixel-pitch = 0.975µm", "working range = 7.9 mm",
     "resolution    = +/- 1 µm", 7.987, -1, -1, -1},
    {5, {822001}, {"Quellan-BX-6-N"}, "subpixel      = 4096", "working range = 6.4 mm", "resolution    = +/- 2 µm", 6.4,
     0.5, 0.3, 0},
    {5, {803498}, {"Quellan-BX-W-6-N-K"}, "subpixel      = 3584", "working range = 5.6 mm", "resolution    = +/- 2 µm",
     5.6, 0.5, 0.25, 0},
    {5, {802811, 803423}, {"Quellan-BX-6-K", "Quellan-BX-W-6-K"}, "subpixel = 4096", "working range = 6.4 mm",
     "resolution    = +/- 2 µm", 6.4, 0.5, 0.25, 0},
    {6, {803045, 803214}, {"Quellan-BX-16-K", "Tarnis-T2-16"}, "Subpixel = 2048", "working range = 16.256mm",
     "resolution = +/- 8 µm", 16.256, 0.3, 0.2, 0},
    {6, {802982, 803217}, {"Quellan-BX-50-K", "Tarnis-T2-48"}, "subpixel = 6144", "working range = 48.768mm",
     "resolution    = +/- 8 µm", 48.768, 0.5, 0.3, 0},
    {6, {802984, 803218}, {"Quellan-BX-75-K", "Tarnis-T2-73"}, "subpixel = 9216", "working range = 73.152mm",
     "resolution    = +/- 8 µm", 73.152, 0.66, 0.4, 0},
    {6, {803047, 803219}, {"Quellan-BX-100-K", "Tarnis-T2-98"}, "subpixel = 9216", "working range = 97.536mm",
     "resolution    = +/- 8 µm", 97.536, 0.83, 0.5, 0},
};

struct GroupRow {
  int group;
  int precision;
  int axisDecimals;
  int outputConfig;
  int speedSet;
  double mmStep;  // < 0: not set
  double umPerPixel;
  bool rangeOrigin;
};

const GroupRow kGroups[] = {
    {1, 3, 1, 3, 1, 0.1, 0.875, false}, {2, 2, 1, 3, 2, 1.0, 0, false},  {3, 3, 1, 3, 1, 0.1, 1.75, false},
    {4, 3, 0, 1, 4, -1, 0, true},       {5, 3, 1, 3, 2, 0.1, 0, true},    {6, 2, 1, 3, 2, 1.0, 0, false},
    {7, 2, 0, 1, 2, 0.1, 0, true},
};

}  // namespace

int groupOfBoard(int32_t b) {
  switch (b) {
    case 402142: return 1;
    case 402132: case 402140: case 402144: return 2;
    case 402111: case 402119: return 3;
    case 402058: return 4;
    case 402059: return 5;
    case 102132: case 402067: case 402072: case 402078: return 6;
    default: return 7;
  }
}

ModelEntry lookup(int32_t boardCode, int32_t hwType) {
  ModelEntry e;
  e.group = groupOfBoard(boardCode);
  for (const auto& g : kGroups) {
    if (g.group != e.group) continue;
    e.displayPrecision = g.precision;
    e.axisDecimals = g.axisDecimals;
    e.outputConfig = g.outputConfig;
    e.speedSet = g.speedSet;
    e.hasMmStep = g.mmStep > 0;
    e.mmStep = g.mmStep > 0 ? g.mmStep : 0.1;
    e.umPerPixel = g.umPerPixel;
    e.rangeOrigin = g.rangeOrigin;
  }
  if (e.group == 5) e.outputConfig = (hwType == 822001 || hwType == 803498) ? 4 : 3;
  if (e.group == 7) return e;
  for (const auto& row : kRows) {
    if (row.group != e.group) continue;
    size_t i = 0;
    for (int32_t t : row.types) {
      if (t == hwType) {
        e.known = true;
        e.designation = *(row.names.begin() + i);
        e.lines = {row.subPixel, row.range, row.resolution};
        e.linesLocalized = e.group != 4;
        e.workingRangeMm = row.rangeMm;
        e.rangeFromCalibration = row.rangeMm < 0;
        e.hasMinIntegration = row.minNormal >= 0;
        if (e.hasMinIntegration) e.minIntegrationMs = {row.minNormal, row.minFast, row.minFastest};
        return e;
      }
      ++i;
    }
  }
  // A listed group with an unlisted hardware type keeps the group's
  // settings; the designation and lines say the type is not known.
  e.designation = "UNKNOWN";
  return e;
}

int subPixelFactor(int s, int& countOut) {
  static const int kTable[][2] = {{256, 1},    {512, 2},    {768, 3},     {1024, 4},   {1280, 5},   {1536, 6},
                                  {2048, 8},   {3072, 12},  {3584, 16},   {4096, 16},  {6144, 24},  {8192, 32},
                                  {9216, 40},  {10240, 40}, {12288, 48},  {16384, 64}, {18432, 72}, {19968, 78}};
  for (const auto& e : kTable) {
    if (e[0] == s) {
      countOut = s;
      return e[1];
    }
  }
  countOut = 1024;
  return 4;
}

int videoFullScale(int group, int videoRange) {
  if (group == 7) return 1024;
  if (group == 4) return videoRange == 1024 ? 1024 : 256;
  return videoRange == 256 ? 256 : 1024;
}

std::vector<SpeedChoice> speedChoices(int group) {
  int set = 2;
  for (const auto& g : kGroups)
    if (g.group == group) set = g.speedSet;
  if (set == 1) return {{2, "FASTEST"}, {1, "FAST"}, {0, "NORMAL"}};
  if (set == 4) return {{0, "LOW CCD-GAIN"}, {1, "HIGH CCD-GAIN"}};
  return {{1, "FAST"}, {0, "NORMAL"}};
}

ModelDefaults defaultsFor(uint32_t hwType) {
  struct Row {
    std::initializer_list<uint32_t> types;
    std::initializer_list<const char*> banners;
    double um;
    int32_t range;
    int xf, service, beg, end, teach, up, lo;
    int32_t umEnd, umTeach, umUp, umLo;
    std::initializer_list<int> res;
  };
  static const Row kDefaults[] = {
      {{822001}, {"Quellan-BX-6-N"}, 1.562, 6400, 4096, 1, 1, 4096, 2048, 256, 256, 6400, 3200, 400, 400, {2, 4}},
      {{803498}, {"Quellan-BX-W-6-N-K"}, 1.562, 5600, 4096, 2, 1, 3584, 1792, 128, 128, 5600, 2800, 200, 200, {2, 4}},
      {{802811, 803423}, {"Quellan-BX-6-K", "Quellan-BX-W-6-K"}, 1.562, 6400, 4096, 2, 1, 4096, 2048, 256, 256, 6400,
       3200, 400, 400, {2, 4}},
      {{803509, 803756}, {"Quellan-BX-W-16-K-P", "Quellan-BX-16-K-P"}, 0.875, 16128, 4992, 7, 1, 18432, 10000, 2000,
       2000, 16128, 8750, 1750, 1750, {1, 2, 4}},
      {{803702, 803704}, {"Quellan-BX-W-16-K-45-P", "Quellan-BX-16-K-45-P"}, 0.875, 16128, 5120, 7, 1, 19968, 10000,
       2000, 2000, 12354, 6177, 1750, 1750, {1, 2, 4}},
      {{803703, 803705}, {"Quellan-BX-W-16-K-60-P", "Quellan-BX-16-K-60-P"}, 0.875, 16128, 5120, 7, 1, 19968, 10000,
       2000, 2000, 8736, 4368, 1750, 1750, {1, 2, 4}},
      {{803045, 803698}, {"Quellan-BX-16-K", "Quellan-BX-W-16-K"}, 7.9375, 16256, 2048, 8, 1, 2048, 1024, 126, 126,
       16256, 8128, 1000, 1000, {8, 16}},
      {{802982}, {"Quellan-BX-50-K"}, 7.9375, 48768, 6144, 4, 1, 6144, 3072, 252, 252, 48768, 24384, 2000, 2000, {8, 16}},
      {{802984}, {"Quellan-BX-75-K"}, 7.9375, 73152, 5120, 4, 1, 9216, 4608, 504, 504, 73152, 36576, 4000, 4000, {8, 16}},
      {{804671}, {"Quellan-BX-75-K"}, 7.5906, 93274, 8192, 7, 1, 12288, 6144, 132, 132, 93274, 46632, 1002, 1002,
       {2, 4, 8}},
      {{803047}, {"Quellan-BX-100-K"}, 7.9375, 97536, 6144, 4, 1, 12288, 6144, 630, 630, 96774, 48387, 5000, 5000,
       {8, 16}},
      {{800000}, {"Quellan-BX-100-K"}, 7.9375, 97539, 8192, 7, 1, 12288, 6144, 126, 126, 97539, 48768, 1000, 1000,
       {2, 4, 8}},
      {{802776}, {"Quellan-BX-28-K"}, 1.75, 28672, 8192, 5, 1, 16384, 8192, 571, 571, 28672, 14336, 1000, 1000,
       {2, 4, 8}},
  };
  // The second brand's types take their twins' rows, banner included.
  switch (hwType) {
    case 801595: hwType = 802776; break;
    case 803217: hwType = 802982; break;
    case 803218: hwType = 802984; break;
    case 803219: hwType = 803047; break;
    default: break;
  }
  ModelDefaults d;
  for (const auto& r : kDefaults) {
    size_t i = 0;
    for (uint32_t t : r.types) {
      if (t == hwType) {
        d.known = true;
        d.banner = *(r.banners.begin() + i);
        d.umPerPixel = r.um;
        d.rangeUm = r.range;
        d.xfSize = r.xf;
        d.serviceWord = r.service;
        d.evalBegin = r.beg;
        d.evalEnd = r.end;
        d.teachValue = r.teach;
        d.upperTol = r.up;
        d.lowerTol = r.lo;
        d.umEnd = r.umEnd;
        d.umTeach = r.umTeach;
        d.umTolUp = r.umUp;
        d.umTolLo = r.umLo;
        int k = 0;
        for (int v : r.res) d.resolution[static_cast<size_t>(k++)] = v;
        for (; k < 3; ++k) d.resolution[static_cast<size_t>(k)] = d.resolution[static_cast<size_t>(k - 1)];
        return d;
      }
      ++i;
    }
  }
  return d;
}

}  // namespace bx::catalogue
