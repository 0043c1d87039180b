#pragma once
// The texts of the three value labels beside the sliders.

#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/picture/display_settings.h"

#include <QString>

namespace mosaic {

// The colour balance as a plain signed integer: "67", "-35".
QString balanceText(const DemodSettings& demod);

// Half the saturation as a whole number and "%": "100%", "50%", "0%". Odd saturations give
// x.5, rounded to the even neighbour like every other conversion to an integer in the receiver.
QString saturationText(const DisplaySettings& display);

// The total tuning offset, fine plus coarse, with one decimal and " Hz": "0.0 Hz", "-12.4 Hz".
// Offsets are whole multiples of 0.02 Hz, so the hundredths never sit half-way and the tenths
// are exact; an offset that rounds to zero shows without a sign.
QString tuningText(const DemodSettings& demod);

}  // namespace mosaic
