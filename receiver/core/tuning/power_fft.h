#pragma once
// Power spectra of real signals by a radix-2 transform of a power-of-two size, with a Hann
// window over the samples given (shorter stretches are padded with zeros).

#include <span>
#include <vector>

namespace mosaic {

class PowerFft {
 public:
  explicit PowerFft(int size);  // a power of two

  int size() const { return size_; }
  // Windows `samples` (at most `size` of them), transforms, and writes the power of bins
  // firstBin .. firstBin + power.size() - 1 to `power`; a full-scale sine over the whole
  // window gives 1 at its bin.
  void power(std::span<const float> samples, int firstBin, std::span<float> power);

 private:
  int size_;
  int bits_;
  std::vector<int> bitReverse_;
  std::vector<float> twiddleRe_;
  std::vector<float> twiddleIm_;
  std::vector<float> window_;
  std::vector<float> re_;
  std::vector<float> im_;
};

}  // namespace mosaic
