#pragma once
// How the receiver's slider positions stand for its settings, for the window's sliders and the
// mosaic tool's options alike: the tuning sliders in steps of 0.1 Hz (coarse) and 0.02 Hz (fine)
// either side of the middle, colour balance either side of the middle, saturation as it is,
// and brightness and contrast on vertical sliders whose top end is the highest value.

#include "signal/extended.h"

#include <cmath>
#include <optional>

namespace mosaic {

inline constexpr int kSliderMiddle = 200;   // tuning 0 Hz, colour balance 0
inline constexpr int kSliderMaximum = 400;  // tuning, balance and saturation run 0..400
inline constexpr int kLevelMaximum = 256;   // brightness and contrast run 0..256
inline constexpr int kCoarseStepsPerHz = 10;
inline constexpr int kFineStepsPerHz = 50;

// The tuning at `position`: (position - 200) / stepsPerHz, divided in extended precision.
inline float tuningAt(int position, int stepsPerHz) {
  return (Extended(position - kSliderMiddle) / Extended(stepsPerHz)).toFloat();
}

// The position that shows `hz`; the product of a float and a small whole number is exact.
inline int tuningPosition(float hz, int stepsPerHz) {
  return static_cast<int>(std::lround(static_cast<double>(hz) * stepsPerHz)) + kSliderMiddle;
}

// The position for a tuning given as a number, when it is one the slider can show.
inline std::optional<int> tuningPositionOnGrid(double hz, int stepsPerHz) {
  const double position = hz * stepsPerHz + kSliderMiddle;
  const double nearest = std::nearbyint(position);
  if (!(std::abs(position - nearest) <= 1e-6) || nearest < 0.0 || nearest > kSliderMaximum)
    return std::nullopt;
  return static_cast<int>(nearest);
}

inline int balanceAt(int position) { return position - kSliderMiddle; }
inline int balancePosition(int balance) { return balance + kSliderMiddle; }

// Brightness and contrast: the same rule both ways, as the slider is turned upside down.
inline int levelAt(int position) { return kLevelMaximum - position; }
inline int levelPosition(int level) { return kLevelMaximum - level; }

}  // namespace mosaic
