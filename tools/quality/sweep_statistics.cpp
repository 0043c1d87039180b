#include "tools/quality/sweep_statistics.h"

#include <cmath>

namespace mosaic::tool {

Figure figureOf(const std::vector<double>& samples) {
  Figure f;
  f.samples = samples.size();
  if (samples.empty()) return f;
  double sum = 0.0;
  for (double v : samples) sum += v;
  f.mean = sum / static_cast<double>(samples.size());
  if (samples.size() < 2) return f;
  double squares = 0.0;
  for (double v : samples) squares += (v - f.mean) * (v - f.mean);
  const double variance = squares / static_cast<double>(samples.size() - 1);
  f.standardError = std::sqrt(variance / static_cast<double>(samples.size()));
  return f;
}

}  // namespace mosaic::tool
