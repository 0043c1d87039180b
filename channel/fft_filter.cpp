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

CentredFilter::CentredFilter(const std::vector<double>& h)
    : taps_(h.size()), delay_((h.size() - 1) / 2), size_(1) {
  while (size_ < 4 * taps_) size_ <<= 1;
  block_ = size_ - taps_ + 1;
  spectrum_.assign(size_, {});
  for (std::size_t k = 0; k < taps_; ++k) spectrum_[k] = h[k];
  fftInPlace(spectrum_, false);
  buffer_.resize(size_);
  sum_.assign(size_, 0.0);
  pending_.reserve(block_);
}

void CentredFilter::process(const float* x, std::size_t count, std::vector<float>& out) {
  received_ += count;
  while (count > 0) {
    const std::size_t take = std::min(count, block_ - pending_.size());
    pending_.insert(pending_.end(), x, x + take);
    x += take;
    count -= take;
    if (pending_.size() == block_) runBlock(block_, out);
  }
}

void CentredFilter::finish(std::vector<float>& out) {
  // The input is followed by `delay_` zeros, so that the centred output covers all of it.
  const std::size_t total = received_ + delay_;
  while (blockStart_ < total) runBlock(pending_.size(), out);
}

void CentredFilter::runBlock(std::size_t valid, std::vector<float>& out) {
  std::fill(buffer_.begin(), buffer_.end(), std::complex<double>());
  for (std::size_t i = 0; i < valid; ++i) buffer_[i] = pending_[i];
  pending_.clear();
  fftInPlace(buffer_, false);
  for (std::size_t i = 0; i < size_; ++i) buffer_[i] *= spectrum_[i];
  fftInPlace(buffer_, true);
  for (std::size_t i = 0; i < size_; ++i) sum_[i] += buffer_[i].real();
  // The next block starts block_ samples on: what lies before it is complete. The plain
  // convolution's sample m is the centred output's sample m - delay.
  for (std::size_t i = 0; i < block_; ++i) {
    const std::size_t m = blockStart_ + i;
    if (m >= delay_ && m - delay_ < received_) out.push_back(static_cast<float>(sum_[i]));
  }
  std::copy(sum_.begin() + static_cast<std::ptrdiff_t>(block_), sum_.end(), sum_.begin());
  std::fill(sum_.end() - static_cast<std::ptrdiff_t>(block_), sum_.end(), 0.0);
  blockStart_ += block_;
}

std::vector<float> filterCentred(const std::vector<float>& x, const std::vector<double>& h) {
  CentredFilter filter(h);
  std::vector<float> out;
  out.reserve(x.size());
  filter.process(x.data(), x.size(), out);
  filter.finish(out);
  return out;
}

}  // namespace mosaic
