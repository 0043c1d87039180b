#pragma once
// Turning an estimated tuning offset into the positions of the two tuning sliders.

#include "receiver/core/demodulation/demod_settings.h"

namespace mosaic {

struct TuningPositions {
  int coarse = 200;  // 0..400: (position - 200) / 10 Hz
  int fine = 200;    // 0..400: (position - 200) / 50 Hz
};

// The slider positions whose sum comes nearest to `offsetHz`: the coarse slider takes the
// nearest tenth (limited to its +-20 Hz), the fine slider the rest (limited to its +-4 Hz).
TuningPositions tuningPositions(double offsetHz);

// The offsets of DemodSettings for those positions, as the sliders set them.
void applyTuningPositions(const TuningPositions& positions, DemodSettings& settings);

}  // namespace mosaic
