#include "transmitter/core/grab_reduction.h"

#include <memory>

namespace mosaic {

namespace {
// The colour conversion's coefficients are these single-precision constants. The luminance
// weights are 0.3 / 0.6 / 0.1 on purpose.
constexpr float kYr = 0.3f, kYg = 0.6f, kYb = 0.1f;
constexpr float kVr = 0.615f, kVg = 0.515f, kVb = 0.1f;
constexpr float kUr = 0.147f, kUg = 0.289f, kUb = 0.436f;
}  // namespace

void unpackGrab(const GrabBitmap& grab, GrabSamples& out) {
  const std::uint8_t* p = grab.bits.data();
  for (int m = 0; m < GrabBitmap::kHeight; ++m) {
    // The first pixel in a row is the leftmost (client column 32) and goes to k = 95.
    for (int k = GrabBitmap::kWidth - 1; k >= 0; --k) {
      out.Bs[m][k] = *p++;
      out.Gs[m][k] = *p++;
      out.Rs[m][k] = *p++;
    }
  }
}

void reduceBlocks(const GrabSamples& in, RgbPlanes& out) {
  // The sum of four bytes divided by 128: both steps are exact, in any order and precision.
  auto block = [](const std::uint8_t(&s)[GrabBitmap::kHeight][GrabBitmap::kWidth], int m, int k) {
    const int sum = s[m + 1][k] + s[m][k] + s[m][k + 1] + s[m + 1][k + 1];
    return static_cast<float>(sum) / 128.0f;
  };
  for (int c = 1; c <= 48; ++c) {
    const int k = 2 * (c - 1);
    for (int r = 1; r <= 64; ++r) {
      const int m = 2 * (r - 1);
      out.R[c][r] = block(in.Rs, m, k);
      out.G[c][r] = block(in.Gs, m, k);
      out.B[c][r] = block(in.Bs, m, k);
    }
  }
}

void convertColour(const RgbPlanes& in, PicturePlanes& out) {
  // Each plane is its three products summed in extended precision and rounded once to single
  // precision. Double precision computes the same: the samples are multiples of 2^-7 below 8
  // and the coefficients floats, so each product is a multiple of 2^-34 below 8 and so is every
  // partial sum -- 37 significant bits, exact in a double.
  for (int c = 0; c <= 47; ++c) {
    for (int r = 0; r < kPlaneRows; ++r) {
      const double R = in.R[c][r], G = in.G[c][r], B = in.B[c][r];
      out.Y[c][r] = static_cast<float>(kYr * R + kYg * G + kYb * B);
      out.V[c][r] = static_cast<float>(kVr * R - kVg * G - kVb * B);
      out.U[c][r] = static_cast<float>(-kUr * R - kUg * G + kUb * B);
    }
  }
  for (int r = 0; r < kPlaneRows; ++r) out.Y[48][r] = out.V[48][r] = out.U[48][r] = 0.0f;
}

void reduceGrab(const GrabBitmap& grab, PicturePlanes& out) {
  // Working arrays are recreated for every grab, once per 1.28 s frame.
  auto samples = std::make_unique<GrabSamples>();
  auto colour = std::make_unique<RgbPlanes>();
  unpackGrab(grab, *samples);
  reduceBlocks(*samples, *colour);
  out = PicturePlanes{};
  convertColour(*colour, out);
}

}  // namespace mosaic
