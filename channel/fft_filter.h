#pragma once
// Long FIR filters applied by fast convolution, for the channel simulator, as a stream: the
// output does not depend on how the input is cut into pieces.

#include <complex>
#include <cstddef>
#include <vector>

namespace mosaic {

// In-place radix-2 FFT of a power-of-two length; `inverse` uses the opposite sign and divides by
// the length.
void fftInPlace(std::vector<std::complex<double>>& a, bool inverse);

// The convolution of a stream x with h, advanced by the filter's centre d = (len(h) - 1) / 2:
// y[n] = sum_k h[k] x[n + d - k], as many samples out as went in (x counts as 0 outside its
// ends). Overlap-add over fixed blocks of the input counted from its first sample.
class CentredFilter {
 public:
  explicit CentredFilter(const std::vector<double>& h);

  // Takes `count` input samples and appends the output samples that are complete.
  void process(const float* x, std::size_t count, std::vector<float>& out);
  // The input has ended: appends the rest of the output.
  void finish(std::vector<float>& out);

 private:
  // Transforms the block of input held (zeros after the first `valid` samples), adds it into
  // the running sum and appends the output that no later block changes.
  void runBlock(std::size_t valid, std::vector<float>& out);

  std::size_t taps_, delay_, size_, block_;
  std::vector<std::complex<double>> spectrum_, buffer_;
  std::vector<double> sum_;     // the plain convolution at blockStart_ .. blockStart_ + size_
  std::vector<float> pending_;  // input of the block being filled
  std::size_t blockStart_ = 0;
  std::size_t received_ = 0;
};

// The whole of x through CentredFilter(h).
std::vector<float> filterCentred(const std::vector<float>& x, const std::vector<double>& h);

}  // namespace mosaic
