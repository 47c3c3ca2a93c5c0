#pragma once
// The synthetic line sensor: a laser line with a slightly curved intensity
// profile and the shadow of one object that drifts slowly back and forth.
// From it come the video profile (with noise) and the edges where the
// intensity crosses the video threshold.
#include <array>
#include <cstdint>
#include <vector>

#include "sim/config.h"
#include "sim/records.h"

namespace bx::sim {

// Small deterministic generator for noise and jitter (xorshift64*).
struct Rng {
  uint64_t state;
  explicit Rng(uint64_t seed) : state(seed ? seed : 0x9E3779B97F4A7C15ULL) {}
  uint64_t next();
  double symmetric();  // uniform in [-1, 1]
};

struct Shadow {
  bool present = true;
  double left = 0;   // pixel position of the light-to-dark edge
  double right = 0;  // pixel position of the dark-to-light edge
};

enum ThresholdMode : int { kFixThreshold = 0, kTrackThreshold = 1, kAutoThreshold = 2 };

using VideoProfile = std::array<uint16_t, kVideoSamples>;

struct ScanSettings {
  int evalBegin = 1;
  int evalEnd = 0;  // 0 = the last pixel
  int thresholdMode = kFixThreshold;
  int thresholdPercent = 25;
  const VideoProfile* trackProfile = nullptr;  // TRACK mode threshold
  double powerFactor = 1.0;  // 0 = laser off
  int average = 1;
  int videoSmooth = 0;
};

struct Scan {
  VideoProfile video{};
  std::vector<int> posEdges;  // dark-to-light, ascending, at most 16
  std::vector<int> negEdges;  // light-to-dark, ascending, at most 16
  uint16_t peak = 0;
  uint16_t dirtFirst = 0;  // mean of the first 8 samples
  uint16_t dirtLast = 0;   // mean of the last 8 samples
  int darkPixels = 0;      // pixels below threshold inside the evaluation range
  int lightPixels = 0;
};

class LineModel {
 public:
  explicit LineModel(const Config& c);

  Shadow shadowAt(int64_t nowMs) const;
  // Noise-free intensity at pixel position x.
  double intensity(double x, const Shadow& s, double powerFactor) const;
  VideoProfile cleanVideo(const Shadow& s, double powerFactor) const;
  Scan scan(const Shadow& s, const ScanSettings& settings, Rng& rng) const;

  int pixelCount() const { return pixels_; }
  int fullScale() const { return fullScale_; }
  double sampleStep() const { return step_; }

 private:
  double threshold(double x, const ScanSettings& st, double cleanPeak) const;

  Config cfg_;
  int pixels_;
  int fullScale_;
  double step_;
};

}  // namespace bx::sim
