#pragma once
// The picture settings, written by the receiver's controls and read at every run.

namespace mosaic {

// Weights (a, b) of the noise filter: the stored value is (a * old + new) / b.
struct NoiseWeights {
  int a;
  int b;
  friend bool operator==(const NoiseWeights&, const NoiseWeights&) = default;
};
inline constexpr NoiseWeights kLightNoiseFilter = {1, 2};
inline constexpr NoiseWeights kMediumNoiseFilter = {3, 4};
inline constexpr NoiseWeights kHeavyNoiseFilter = {15, 16};

enum class ScreenSize { Small, Large };

struct DisplaySettings {
  int brightness = 0;        // 0..256, added to every component
  int contrast = 178;        // 0..256, component scale
  int saturation = 200;      // 0..400; 200 shows as 100 %, 0 is monochrome
  bool noiseFilter = false;  // blend each new picture with the previous one
  NoiseWeights noiseWeights = kLightNoiseFilter;
  bool horizontalFilter = false;
  bool verticalInterpolation = false;
  ScreenSize screenSize = ScreenSize::Small;
};

}  // namespace mosaic
