#include "signal/sound_level.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace mosaic {

namespace {

constexpr double kFullScale = 32767.0;

float toDbfs(double amplitude) {
  return amplitude > 0.0 ? static_cast<float>(20.0 * std::log10(amplitude / kFullScale))
                         : kSilentDbfs;
}

}  // namespace

SoundLevel measureLevel(const std::int16_t* samples, int count) {
  SoundLevel level;
  if (count <= 0) return level;
  int peak = 0;
  int nearFullScale = 0;
  double sumOfSquares = 0.0;
  for (int i = 0; i < count; ++i) {
    // -32768 is as loud as 32767: both are the end of the scale.
    const int magnitude = std::min(std::abs(static_cast<int>(samples[i])), 32767);
    peak = std::max(peak, magnitude);
    if (magnitude >= kNearFullScale) ++nearFullScale;
    sumOfSquares += static_cast<double>(magnitude) * magnitude;
  }
  level.peakDbfs = toDbfs(peak);
  level.rmsDbfs = toDbfs(std::sqrt(sumOfSquares / count));
  level.nearFullScale = nearFullScale;
  level.samples = count;
  return level;
}

void LevelMeter::measure(const std::int16_t* samples, int count) {
  latest_ = measureLevel(samples, count);
  if (latest_.clipping())
    clipBlocksLeft_ = clipHoldBlocks_;
  else if (clipBlocksLeft_ > 0)
    --clipBlocksLeft_;
}

void LevelMeter::clear() {
  latest_ = SoundLevel{};
  clipBlocksLeft_ = 0;
}

}  // namespace mosaic
