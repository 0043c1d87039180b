#pragma once
// Sample-rate conversion of a mono sound stream by libsoxr's high-quality converter: a stop band
// at least 120 dB down from the lower rate's Nyquist frequency on, a pass band flat to 91 % of it,
// and linear phase with the filter's delay taken out, so the output lines up with the input in
// time. The output does not depend on how the input is cut into pieces.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct soxr;

namespace mosaic {

class Resampler {
 public:
  // Both rates > 0, in the same unit; only their ratio counts. Equal rates pass the samples
  // through untouched.
  Resampler(double inputRate, double outputRate);
  ~Resampler();
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  // False with `error` set when the converter cannot be made.
  bool ready(std::string& error) const;
  // Converts `count` input samples and appends the output to `out`. `last` marks the end of the
  // input: what the converter still holds is appended too.
  bool convert(const float* input, std::size_t count, bool last, std::vector<float>& out,
               std::string& error);
  // The same with the output rounded to the nearest integer, ties to even, and limited to
  // 16 bits (input on the 16-bit scale).
  bool convert(const float* input, std::size_t count, bool last, std::vector<std::int16_t>& out,
               std::string& error);

 private:
  template <typename Sample>
  bool run(const float* input, std::size_t count, bool last, std::vector<Sample>& out,
           std::string& error);

  double ratio_;  // output samples per input sample
  soxr* state_ = nullptr;
  std::string error_;
  std::vector<float> scratch_;
};

}  // namespace mosaic
