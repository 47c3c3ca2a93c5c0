#include "sim/scope_wave.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace bx::sim {

void shapeScopeEvent(std::vector<int32_t>& valuesUm, int mode, int levelPercent, int pretrigger, int32_t rangeUm) {
  if (valuesUm.empty() || mode < 1 || mode > 3 || rangeUm <= 0) return;
  const double mean = std::accumulate(valuesUm.begin(), valuesUm.end(), 0.0) / static_cast<double>(valuesUm.size());
  const double level = rangeUm * std::clamp(levelPercent, 0, 100) / 100.0;
  const double swing = rangeUm * 0.08;
  for (size_t k = 0; k < valuesUm.size(); ++k) {
    const double noise = valuesUm[k] - mean;
    const double x = static_cast<double>(k) - pretrigger;
    double v = 0;
    if (mode == 3) {
      // A part shades the beam for about 40 samples from the trigger on.
      const double inside = 0.5 * (std::tanh(x / 2.0) - std::tanh((x - 40.0) / 2.0));
      v = mean - swing * 1.5 * inside;
    } else {
      // The crossing that fired the trigger, passing the level at the
      // pretrigger sample.
      const double dir = mode == 1 ? 1.0 : -1.0;
      v = level + dir * swing * std::tanh(x / 4.0);
    }
    valuesUm[k] = static_cast<int32_t>(std::clamp(std::lround(v + noise), 0L, static_cast<long>(rangeUm)));
  }
}

}  // namespace bx::sim
