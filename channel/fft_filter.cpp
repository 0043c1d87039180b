#include "channel/fft_filter.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace mosaic {

void fftInPlace(std::vector<std::complex<double>>& a, bool inverse) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const double angle = (inverse ? 2.0 : -2.0) * M_PI / static_cast<double>(len);
    const std::complex<double> step(std::cos(angle), std::sin(angle));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w(1.0, 0.0);
      for (std::size_t k = 0; k < len / 2; ++k) {
        const auto u = a[i + k];
        const auto v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        w *= step;
      }
    }
  }
  if (inverse)
    for (auto& v : a) v /= static_cast<double>(n);
}

std::vector<float> filterCentred(const std::vector<float>& x, const std::vector<double>& h) {
  const std::size_t taps = h.size();
  const std::size_t delay = (taps - 1) / 2;
  std::size_t size = 1;
  while (size < 4 * taps) size <<= 1;
  const std::size_t block = size - taps + 1;

  std::vector<std::complex<double>> H(size);
  for (std::size_t k = 0; k < taps; ++k) H[k] = h[k];
  fftInPlace(H, false);

  // Overlap-add over the input followed by `delay` zeros, so that the centred output covers x.
  const std::size_t total = x.size() + delay;
  std::vector<double> y(total + size, 0.0);
  std::vector<std::complex<double>> buf(size);
  for (std::size_t start = 0; start < total; start += block) {
    std::fill(buf.begin(), buf.end(), std::complex<double>());
    for (std::size_t i = 0; i < block && start + i < x.size(); ++i) buf[i] = x[start + i];
    fftInPlace(buf, false);
    for (std::size_t i = 0; i < size; ++i) buf[i] *= H[i];
    fftInPlace(buf, true);
    for (std::size_t i = 0; i < size; ++i) y[start + i] += buf[i].real();
  }
  // The plain convolution's sample n + delay is the centred output's sample n.
  std::vector<float> out(x.size());
  for (std::size_t n = 0; n < x.size(); ++n) out[n] = static_cast<float>(y[n + delay]);
  return out;
}

}  // namespace mosaic
