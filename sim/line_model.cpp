#include "sim/line_model.h"

#include <algorithm>
#include <cmath>

namespace bx::sim {
namespace {

constexpr double kBrightLevel = 0.85;  // of full scale at the beam centre
constexpr double kDarkLevel = 0.02;    // light that still reaches the shadow
constexpr int kSearchGrid = 2048;      // steps of the edge search
constexpr double kPi = 3.14159265358979323846;

}  // namespace

uint64_t Rng::next() {
  state ^= state >> 12;
  state ^= state << 25;
  state ^= state >> 27;
  return state * 0x2545F4914F6CDD1DULL;
}

double Rng::symmetric() { return static_cast<double>(next() >> 11) * (2.0 / 9007199254740992.0) - 1.0; }

LineModel::LineModel(const Config& c)
    : cfg_(c),
      pixels_(std::max<int>(c.pixelCount, 256)),
      fullScale_(std::max<int>(c.videoRange, 1)),
      step_(static_cast<double>(pixels_) / kVideoSamples) {}

Shadow LineModel::shadowAt(int64_t nowMs) const {
  const double t = static_cast<double>(nowMs) / 1000.0;
  const double period = cfg_.shadowPeriodS > 0 ? cfg_.shadowPeriodS : 20.0;
  const double centre = pixels_ * (cfg_.shadowCenter + cfg_.shadowTravel * std::sin(2 * kPi * t / period));
  // The object is not perfectly round: its width breathes a little.
  const double width = pixels_ * cfg_.shadowWidth * (1.0 + cfg_.shadowBreath * std::sin(2 * kPi * t / (period * 0.37)));
  Shadow s;
  s.present = width > 0;
  s.left = centre - width / 2;
  s.right = centre + width / 2;
  return s;
}

namespace {

// The intensity profile with what stays fixed during one scan worked out
// once: the edge search asks for thousands of points a reply.
struct Beam {
  double half;
  double brightScale;
  double ramp;
  Shadow shadow;
  double fullScale;

  double at(double x) const {
    const double u = (x - half) / half;
    const double bright = brightScale * (1.0 - 0.25 * u * u);
    double transmission = 1.0;
    if (shadow.present) {
      // Edges blur over about two video samples, as an optics would.
      const double tl = std::clamp((shadow.left + ramp / 2 - x) / ramp, 0.0, 1.0);
      const double tr = std::clamp((x - (shadow.right - ramp / 2)) / ramp, 0.0, 1.0);
      const double open = std::min(1.0, tl + tr);
      transmission = kDarkLevel + (1.0 - kDarkLevel) * open;
    }
    return std::min<double>(bright * transmission, fullScale);
  }
};

Beam beamOf(double pixels, int fullScale, double step, const Shadow& s, double powerFactor) {
  return Beam{pixels / 2.0, fullScale * kBrightLevel * std::clamp(powerFactor, 0.0, 1.15), 2.0 * step, s,
              static_cast<double>(fullScale)};
}

}  // namespace

double LineModel::intensity(double x, const Shadow& s, double powerFactor) const {
  return beamOf(pixels_, fullScale_, step_, s, powerFactor).at(x);
}

VideoProfile LineModel::cleanVideo(const Shadow& s, double powerFactor) const {
  VideoProfile v{};
  const Beam beam = beamOf(pixels_, fullScale_, step_, s, powerFactor);
  for (int i = 0; i < kVideoSamples; ++i)
    v[static_cast<size_t>(i)] = static_cast<uint16_t>(std::lround(beam.at(i * step_)));
  return v;
}

double LineModel::threshold(double x, const ScanSettings& st, double cleanPeak) const {
  const int pct = std::clamp(st.thresholdPercent, 1, 100);
  switch (st.thresholdMode) {
    case kTrackThreshold:
      if (st.trackProfile != nullptr) {
        const double pos = std::clamp(x / step_, 0.0, kVideoSamples - 1.0);
        const int i = std::min(static_cast<int>(pos), kVideoSamples - 2);
        const double f = pos - i;
        const auto& p = *st.trackProfile;
        return p[static_cast<size_t>(i)] * (1 - f) + p[static_cast<size_t>(i + 1)] * f;
      }
      return fullScale_ * pct / 100.0;
    case kAutoThreshold:
      return cleanPeak * pct / 100.0;
    default:
      return fullScale_ * pct / 100.0;
  }
}

Scan LineModel::scan(const Shadow& s, const ScanSettings& st, Rng& rng) const {
  Scan out;
  const VideoProfile clean = cleanVideo(s, st.powerFactor);
  const double cleanPeak = *std::max_element(clean.begin(), clean.end());

  // Video with noise; averaging over line scans calms it down.
  const double noise = cfg_.videoNoise * fullScale_ / std::sqrt(std::max(1, st.average));
  std::array<double, kVideoSamples> v{};
  for (int i = 0; i < kVideoSamples; ++i) v[static_cast<size_t>(i)] = clean[static_cast<size_t>(i)] + noise * rng.symmetric();
  if (st.videoSmooth > 1) {
    const int half = st.videoSmooth / 2;
    std::array<double, kVideoSamples> sm{};
    for (int i = 0; i < kVideoSamples; ++i) {
      double sum = 0;
      int n = 0;
      for (int k = std::max(0, i - half); k <= std::min(kVideoSamples - 1, i + half); ++k, ++n) sum += v[static_cast<size_t>(k)];
      sm[static_cast<size_t>(i)] = sum / n;
    }
    v = sm;
  }
  int first = 0, last = 0;
  for (int i = 0; i < kVideoSamples; ++i) {
    const auto sample = static_cast<uint16_t>(std::lround(std::clamp(v[static_cast<size_t>(i)], 0.0, double(fullScale_))));
    out.video[static_cast<size_t>(i)] = sample;
    out.peak = std::max(out.peak, sample);
    if (i < 8) first += sample;
    if (i >= kVideoSamples - 8) last += sample;
  }
  out.dirtFirst = static_cast<uint16_t>(first / 8);
  out.dirtLast = static_cast<uint16_t>(last / 8);

  // Edges: where the noise-free intensity crosses the threshold inside the
  // evaluation range, refined by bisection.
  const int begin = std::clamp(st.evalBegin, 1, pixels_);
  const int end = st.evalEnd <= 0 ? pixels_ : std::clamp(st.evalEnd, begin, pixels_);
  const Beam beam = beamOf(pixels_, fullScale_, step_, s, st.powerFactor);
  // Only the tracking threshold changes along the line.
  const bool tracking = st.thresholdMode == kTrackThreshold && st.trackProfile != nullptr;
  const double flat = tracking ? 0.0 : threshold(0.0, st, cleanPeak);
  auto level = [&](double x) { return beam.at(x) - (tracking ? threshold(x, st, cleanPeak) : flat); };
  const double dx = static_cast<double>(end - begin) / kSearchGrid;
  double x0 = begin;
  double f0 = level(x0);
  int darkSteps = 0;
  for (int k = 1; k <= kSearchGrid && dx > 0; ++k) {
    const double x1 = begin + k * dx;
    const double f1 = level(x1);
    if (f1 < 0) ++darkSteps;
    if ((f0 >= 0) != (f1 >= 0)) {
      double lo = x0, hi = x1;
      for (int it = 0; it < 30; ++it) {
        const double mid = (lo + hi) / 2;
        if ((level(mid) >= 0) == (f0 >= 0)) lo = mid; else hi = mid;
      }
      const double jitter = cfg_.edgeJitterPx * rng.symmetric();
      const int pos = std::clamp(static_cast<int>(std::lround((lo + hi) / 2 + jitter)), begin, end);
      auto& list = f0 >= 0 ? out.negEdges : out.posEdges;
      if (list.size() < kEdgeListSlots) list.push_back(pos);
    }
    x0 = x1;
    f0 = f1;
  }
  const int span = end - begin + 1;
  out.darkPixels = dx > 0 ? static_cast<int>(std::lround(static_cast<double>(darkSteps) / kSearchGrid * span)) : 0;
  out.lightPixels = span - out.darkPixels;
  return out;
}

}  // namespace bx::sim
