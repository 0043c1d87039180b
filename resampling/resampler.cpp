#include "resampling/resampler.h"

#include "resampling/kernel.h"
#include "signal/rounding.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace mosaic {

using resampling::kernelAt;
using resampling::kKernelHalfWidth;

namespace {

constexpr std::int64_t kMostExactPhases = 512;  // more, and the taps come from the fine kernel
constexpr std::int64_t kFineSteps = 1024;       // kernel values per period of the lower rate
constexpr double kLargestRatio = 128.0;

bool wholeRate(double rate) { return rate >= 1.0 && rate <= 0x1p31 && rate == std::floor(rate); }

void store(double v, std::vector<float>& out) { out.push_back(static_cast<float>(v)); }

void store(double v, std::vector<std::int16_t>& out) {
  if (!(v > -32768.5)) v = std::isnan(v) ? 0.0 : -32768.0;
  if (v > 32767.0) v = 32767.0;
  out.push_back(saturate16(std::lrint(v)));
}

// Eight running sums, in pairs that the processor adds side by side in its vector registers
// (two doubles each on x86-64 and arm64 alike), added in a fixed order at the end: every lane
// is a plain IEEE double, so the bits are the same on every processor.
typedef double Pair __attribute__((vector_size(16)));

Pair pairAt(const double* p) {
  Pair v;
  __builtin_memcpy(&v, p, sizeof v);
  return v;
}

double dot(const double* x, const double* h, std::size_t n) {
  Pair a = {0.0, 0.0}, b = a, c = a, d = a;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    a += pairAt(x + i) * pairAt(h + i);
    b += pairAt(x + i + 2) * pairAt(h + i + 2);
    c += pairAt(x + i + 4) * pairAt(h + i + 4);
    d += pairAt(x + i + 6) * pairAt(h + i + 6);
  }
  double rest = 0.0;
  for (; i < n; ++i) rest += x[i] * h[i];
  return (((a[0] + a[1]) + (b[0] + b[1])) + ((c[0] + c[1]) + (d[0] + d[1]))) + rest;
}

}  // namespace

Resampler::Resampler(double inputRate, double outputRate) {
  if (!(inputRate > 0.0 && outputRate > 0.0 && inputRate / outputRate <= kLargestRatio &&
        outputRate / inputRate <= kLargestRatio)) {
    error_ = "the rates' ratio is out of range";
    return;
  }
  if (inputRate == outputRate) return;
  passThrough_ = false;
  if (wholeRate(inputRate) && wholeRate(outputRate)) {
    up_ = static_cast<std::int64_t>(outputRate);
    down_ = static_cast<std::int64_t>(inputRate);
  } else {
    up_ = std::int64_t{1} << 30;
    down_ = std::llround(inputRate / outputRate * 0x1p30);
  }
  const std::int64_t common = std::gcd(up_, down_);
  up_ /= common;
  down_ /= common;

  // An input sample m - phase / up_ input samples from an output's time lies
  // (m up_ - phase) / max(up_, down_) periods of the lower rate from it.
  const std::int64_t scale = std::max(up_, down_);
  reach_ = (kKernelHalfWidth * scale + up_ - 1) / up_;
  tapCount_ = static_cast<std::size_t>(2 * reach_);
  gain_ = static_cast<double>(std::min(up_, down_)) / static_cast<double>(down_);
  if (up_ <= kMostExactPhases) {
    phases_.resize(static_cast<std::size_t>(up_) * tapCount_);
    for (std::int64_t phase = 0; phase < up_; ++phase)
      for (std::size_t t = 0; t < tapCount_; ++t) {
        const std::int64_t m = static_cast<std::int64_t>(t) - reach_ + 1;
        phases_[static_cast<std::size_t>(phase) * tapCount_ + t] =
            kernelAt(m * up_ - phase, scale) * gain_;
      }
  } else {
    fine_.resize(kKernelHalfWidth * kFineSteps + 2);
    for (std::size_t i = 0; i < fine_.size(); ++i)
      fine_[i] = kernelAt(static_cast<std::int64_t>(i), kFineSteps);
    taps_.resize(tapCount_);
  }
  held_.assign(static_cast<std::size_t>(reach_ - 1), 0.0);
  heldStart_ = 1 - reach_;
}

bool Resampler::ready(std::string& error) const {
  if (error_.empty()) return true;
  error = "cannot resample: " + error_;
  return false;
}

bool Resampler::convert(const float* input, std::size_t count, bool last, std::vector<float>& out,
                        std::string& error) {
  return run(input, count, last, out, error);
}

bool Resampler::convert(const float* input, std::size_t count, bool last,
                        std::vector<std::int16_t>& out, std::string& error) {
  return run(input, count, last, out, error);
}

// The kernel between two of its fine steps, by a straight line: at most about 1e-6 of its peak
// off, far below the stop band's level.
double Resampler::tapFromFineKernel(std::int64_t numerator) const {
  const double periods =
      std::fabs(static_cast<double>(numerator)) / static_cast<double>(std::max(up_, down_));
  const double at = periods * kFineSteps;
  const auto below = static_cast<std::size_t>(at);
  if (below + 1 >= fine_.size()) return 0.0;
  const double between = at - static_cast<double>(below);
  return (fine_[below] + between * (fine_[below + 1] - fine_[below])) * gain_;
}

const double* Resampler::tapsOfPhase(std::int64_t phase) {
  if (!phases_.empty()) return phases_.data() + static_cast<std::size_t>(phase) * tapCount_;
  for (std::size_t t = 0; t < tapCount_; ++t)
    taps_[t] = tapFromFineKernel((static_cast<std::int64_t>(t) - reach_ + 1) * up_ - phase);
  return taps_.data();
}

template <typename Sample>
bool Resampler::run(const float* input, std::size_t count, bool last, std::vector<Sample>& out,
                    std::string& error) {
  if (!ready(error)) return false;
  if (passThrough_) {
    for (std::size_t i = 0; i < count; ++i) store(input[i], out);
    return true;
  }
  if (finished_) return true;
  held_.insert(held_.end(), input, input + count);
  inputCount_ += static_cast<std::int64_t>(count);
  if (last) {
    // Silence after the end, as before the start; the outputs stop at the input's end.
    held_.resize(held_.size() + static_cast<std::size_t>(reach_), 0.0);
    finished_ = true;
  }
  const std::int64_t heldEnd = heldStart_ + static_cast<std::int64_t>(held_.size());
  while (base_ + reach_ < heldEnd && base_ < inputCount_) {
    const double* x = held_.data() + (base_ - reach_ + 1 - heldStart_);
    store(dot(x, tapsOfPhase(phase_), tapCount_), out);
    phase_ += down_;
    base_ += phase_ / up_;
    phase_ %= up_;
  }
  const std::int64_t firstNeeded = std::min(base_ - reach_ + 1, heldEnd);
  held_.erase(held_.begin(), held_.begin() + (firstNeeded - heldStart_));
  heldStart_ = firstNeeded;
  return true;
}

}  // namespace mosaic
