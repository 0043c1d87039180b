#include "media/yuv_to_rgb.h"

#include <algorithm>
#include <cmath>

namespace mosaic {

namespace {

// BT.601: Kr = 0.299, Kb = 0.114.
constexpr double kKr = 0.299, kKb = 0.114, kKg = 1.0 - kKr - kKb;

int units(double coefficient) { return static_cast<int>(std::lround(coefficient * 65536.0)); }

std::uint8_t component(int sum) {
  return static_cast<std::uint8_t>(std::clamp((sum + 32768) >> 16, 0, 255));
}

}  // namespace

YuvToRgb::YuvToRgb(YuvRange range) {
  const bool limited = range == YuvRange::Limited;
  const double luma = limited ? 255.0 / 219.0 : 1.0;
  const double chroma = limited ? 255.0 / 224.0 : 1.0;
  yOffset_ = limited ? 16 : 0;
  yScale_ = units(luma);
  redFromV_ = units(chroma * 2 * (1 - kKr));
  greenFromU_ = units(chroma * 2 * (1 - kKb) * kKb / kKg);
  greenFromV_ = units(chroma * 2 * (1 - kKr) * kKr / kKg);
  blueFromU_ = units(chroma * 2 * (1 - kKb));
}

void YuvToRgb::convertRow(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                          int width, std::uint8_t* rgb) const {
  for (int x = 0; x < width; ++x) {
    const int luma = yScale_ * (y[x] - yOffset_);
    const int cb = u[x] - 128, cr = v[x] - 128;
    rgb[3 * x] = component(luma + redFromV_ * cr);
    rgb[3 * x + 1] = component(luma - greenFromU_ * cb - greenFromV_ * cr);
    rgb[3 * x + 2] = component(luma + blueFromU_ * cb);
  }
}

}  // namespace mosaic
