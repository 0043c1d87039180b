#pragma once
// Sample-rate conversion of a mono sound stream, shared by the mosaic tool (recordings to the
// receiver's rate, network sound) and the channel simulator (a sound card's clock error).
//
// Each output sample is the input filtered by the low-pass kernel of resampling/kernel.h, taken
// at the output sample's time: linear phase, the delay taken out, so the output lines up with
// the input in time (output sample 0 at input sample 0, silence before the start). The ratio of
// the rates is held as a ratio of integers, and every output is a sum of products of doubles in
// a fixed order, so the output is the same to the last bit on every processor, and whatever
// pieces the input comes in.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mosaic {

class Resampler {
 public:
  // Both rates > 0, in the same unit; only their ratio counts, which may be at most 128 either
  // way. Whole rates are converted exactly; others as a ratio with 2^30 below. Equal rates pass
  // the samples through untouched.
  Resampler(double inputRate, double outputRate);

  // False with `error` set when the rates cannot be converted.
  bool ready(std::string& error) const;
  // Converts `count` input samples and appends the output to `out`. `last` marks the end of the
  // input: the output is completed up to the input's end (the output sample times before it).
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
  const double* tapsOfPhase(std::int64_t phase);
  double tapFromFineKernel(std::int64_t numerator) const;

  // up_ output samples for every down_ input samples, in lowest terms.
  std::int64_t up_ = 1, down_ = 1;
  bool passThrough_ = true;
  std::string error_;
  std::int64_t reach_ = 0;      // [input samples] each side of an output's time it depends on
  std::size_t tapCount_ = 0;    // 2 reach_
  double gain_ = 1.0;           // the kernel's scale on the input's time axis
  std::vector<double> phases_;  // the taps of every phase, where there are few phases
  std::vector<double> fine_;    // else the kernel at fine steps, interpolated
  std::vector<double> taps_;    // the taps of the current phase, from fine_
  std::vector<double> held_;    // input samples from heldStart_ on, silence before the start
  std::int64_t heldStart_ = 0;
  std::int64_t inputCount_ = 0;
  // The next output's time: base_ + phase_ / up_ input samples.
  std::int64_t base_ = 0, phase_ = 0;
  bool finished_ = false;
};

}  // namespace mosaic
