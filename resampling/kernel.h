#pragma once
// The resampler's low-pass kernel: a Kaiser-windowed sinc on the time scale of the lower of the
// two rates, cut off at 93 % of its Nyquist frequency, 56 of its sample periods wide on each
// side. With the window's beta of 12.265 the pass band is flat to 86 % of that Nyquist frequency
// (4128 Hz at 9600 Hz, 3440 Hz at 8000 Hz) and the stop band lies 120 dB down from the Nyquist
// frequency on, so nothing folds back.
//
// Its values come from additions, multiplications, divisions and square roots of doubles in a
// fixed order, and from the time given as a ratio of integers, so they are the same to the last
// bit on every processor with IEEE doubles: no library sine, cosine or exponential is used.

#include <cstdint>

namespace mosaic::resampling {

inline constexpr int kKernelHalfWidth = 56;  // [periods of the lower rate]

// The kernel at the time numerator / denominator (periods of the lower rate); its integral is
// 1. Zero from the half width on. 0 < denominator < 2^40, |numerator| < 2^40.
double kernelAt(std::int64_t numerator, std::int64_t denominator);

}  // namespace mosaic::resampling
