#include "channel/channel_stages.h"

#include "channel/channel_model.h"

#include <algorithm>
#include <cmath>

namespace mosaic {

namespace {

constexpr double kNoiseBandwidthHz = 3000.0;

// Blackman window over 2 half + 1 taps, at offset j from the centre.
double blackman(int j, int half) {
  const double t = M_PI * (j + half) / half;  // 0 .. 2 pi
  return 0.42 - 0.5 * std::cos(t) + 0.08 * std::cos(2 * t);
}

// Taps each side of the centre for filters at `rateHz`: about 40 ms, which leaves transition
// bands near 100 Hz wide.
int halfLength(int rateHz) { return std::max(64, rateHz / 25); }

// [Hz] the rate of a fading path's gain process.
double gainRate(double spreadHz) { return std::max(50.0, 20.0 * spreadHz); }

// The Gaussian filter that shapes the gain process to the Doppler spread, with unit output power
// from unit input power.
std::vector<double> dopplerTaps(double spreadHz) {
  const double sigmaHz = spreadHz / 2.0;  // one standard deviation of the spectrum
  const double sigmaT = 1.0 / (2.0 * M_PI * sigmaHz) * gainRate(spreadHz);  // [taps]
  const int half = static_cast<int>(std::ceil(4.0 * sigmaT));
  std::vector<double> h(2 * half + 1);
  double energy = 0.0;
  for (int j = -half; j <= half; ++j) {
    h[j + half] = std::exp(-0.5 * (j / sigmaT) * (j / sigmaT));
    energy += h[j + half] * h[j + half];
  }
  for (auto& v : h) v /= std::sqrt(energy);
  return h;
}

// How many Gaussian numbers one path's gain process draws for a signal of `samples`: a complex
// value for every gain tap plus the filter's length.
std::size_t gainDraws(std::size_t samples, int rateHz, double spreadHz, std::size_t filterTaps) {
  const auto taps = static_cast<std::size_t>(
                        std::ceil(static_cast<double>(samples) / (rateHz / gainRate(spreadHz)))) +
                    2;
  return 2 * (taps + filterTaps);
}

}  // namespace

std::vector<double> hilbertTaps() {
  // The ideal 90-degree shifter has taps 2 / (pi j) at odd offsets j; windowed to a finite length.
  const int half = 255;
  std::vector<double> h(2 * half + 1, 0.0);
  for (int j = -half; j <= half; ++j)
    if (j % 2 != 0) h[j + half] = 2.0 / (M_PI * j) * blackman(j, half + 1);
  return h;
}

std::vector<double> bandPassTaps(int rateHz, double lowHz, double highHz) {
  const int half = halfLength(rateHz);
  std::vector<double> h(2 * half + 1);
  const double lo = lowHz / rateHz, hi = highHz / rateHz;  // [cycles/sample]
  for (int j = -half; j <= half; ++j) {
    const double ideal =
        j == 0 ? 2.0 * (hi - lo)
               : (std::sin(2.0 * M_PI * hi * j) - std::sin(2.0 * M_PI * lo * j)) / (M_PI * j);
    h[j + half] = ideal * blackman(j, half + 1);
  }
  return h;
}

AnalyticSignal::AnalyticSignal() : hilbert_(hilbertTaps()) {}

// --- clock error ---

// The sending card plays 1 + ppm 1e-6 samples in the time the receiving card takes one.
ClockErrorStage::ClockErrorStage(double ppm) : resampler_(1.0 + ppm * 1e-6, 1.0) {}

void ClockErrorStage::process(const float* x, std::size_t count, std::vector<float>& out) {
  resampler_.convert(x, count, false, out, error_);
}

void ClockErrorStage::finish(std::vector<float>& out) {
  resampler_.convert(nullptr, 0, true, out, error_);
}

// --- fading ---

class FadingStage::Gains {
 public:
  Gains(int rateHz, double spreadHz, std::mt19937_64 rng)
      : h_(dopplerTaps(spreadHz)),
        tapsPerSample_(gainRate(spreadHz) / rateHz),
        rng_(rng),
        gauss_(0.0, std::sqrt(0.5)) {}

  std::size_t filterTaps() const { return h_.size(); }

  // The gain at sample n (n never decreasing).
  std::complex<double> at(std::size_t n) {
    const double pos = static_cast<double>(n) * tapsPerSample_;
    const auto i = static_cast<std::size_t>(pos);
    const double frac = pos - static_cast<double>(i);
    if (!have_ || i != index_) {
      if (have_ && i == index_ + 1) {
        slow0_ = slow1_;
      } else {
        slow0_ = slow(i);
      }
      slow1_ = slow(i + 1);
      index_ = i;
      have_ = true;
    }
    return slow0_ * (1.0 - frac) + slow1_ * frac;
  }

 private:
  // Gain tap i: the filter over noise i .. i + len(h) - 1.
  std::complex<double> slow(std::size_t i) {
    while (first_ + noise_.size() < i + h_.size()) {
      const double re = gauss_(rng_);
      const double im = gauss_(rng_);
      noise_.emplace_back(re, im);
    }
    while (first_ < i) {
      noise_.pop_front();
      ++first_;
    }
    std::complex<double> acc;
    for (std::size_t k = 0; k < h_.size(); ++k) acc += h_[k] * noise_[k];
    return acc;
  }

  std::vector<double> h_;
  double tapsPerSample_;
  std::mt19937_64 rng_;
  std::normal_distribution<double> gauss_;
  std::deque<std::complex<double>> noise_;  // noise first_, first_ + 1, ...
  std::size_t first_ = 0;
  bool have_ = false;
  std::size_t index_ = 0;
  std::complex<double> slow0_, slow1_;  // gain taps index_ and index_ + 1
};

FadingStage::FadingStage(int rateHz, FadingProfile profile, std::uint64_t seed,
                         std::size_t totalSamples)
    : delay_(static_cast<std::size_t>(std::lround(profile.delayMs * 1e-3 * rateHz))) {
  std::mt19937_64 rng(seed ^ 0x5f3759dfULL);
  first_ = std::make_unique<Gains>(rateHz, profile.spreadHz, rng);
  // The second path's noise comes after all that the first path's process draws.
  std::normal_distribution<double> skip(0.0, std::sqrt(0.5));
  const std::size_t draws = gainDraws(totalSamples, rateHz, profile.spreadHz, first_->filterTaps());
  for (std::size_t i = 0; i < draws; ++i) skip(rng);
  second_ = std::make_unique<Gains>(rateHz, profile.spreadHz, rng);
}

FadingStage::~FadingStage() = default;

void FadingStage::process(const float* x, std::size_t count, std::vector<float>& out) {
  analytic_.process(x, count, [&](float v, float q) { take(v, q, out); });
}

void FadingStage::finish(std::vector<float>& out) {
  analytic_.finish([&](float v, float q) { take(v, q, out); });
}

void FadingStage::take(float x, float q, std::vector<float>& out) {
  // Each path carries half the power: Re{(g1 a(t) + g2 a(t - delay)) / sqrt 2}.
  const double scale = 1.0 / std::sqrt(2.0);
  const std::complex<double> a(x, q);
  past_.push_back(a);
  std::complex<double> b = 0.0;
  if (past_.size() > delay_) {
    b = past_.front();
    past_.pop_front();
  }
  out.push_back(static_cast<float>(((first_->at(n_) * a + second_->at(n_) * b) * scale).real()));
  ++n_;
}

// --- frequency shift ---

ShiftStage::ShiftStage(int rateHz, double offsetHz) : step_(2.0 * M_PI * offsetHz / rateHz) {}

void ShiftStage::process(const float* x, std::size_t count, std::vector<float>& out) {
  if (step_ == 0.0) {
    out.insert(out.end(), x, x + count);
    return;
  }
  analytic_.process(x, count, [&](float v, float q) { take(v, q, out); });
}

void ShiftStage::finish(std::vector<float>& out) {
  if (step_ != 0.0) analytic_.finish([&](float v, float q) { take(v, q, out); });
}

void ShiftStage::take(float x, float q, std::vector<float>& out) {
  const double phase = std::fmod(step_ * static_cast<double>(n_), 2.0 * M_PI);
  out.push_back(static_cast<float>(x * std::cos(phase) - q * std::sin(phase)));
  ++n_;
}

// --- noise ---

NoiseStage::NoiseStage(int rateHz, double snrDb, std::uint64_t seed, double signalPower)
    : rng_(seed),
      // White noise spreads its power over 0 .. rate/2; the SNR counts what falls into 3000 Hz.
      gauss_(0.0, std::sqrt(signalPower / std::pow(10.0, snrDb / 10.0) * (rateHz / 2.0) /
                            kNoiseBandwidthHz)) {}

void NoiseStage::process(const float* x, std::size_t count, std::vector<float>& out) {
  for (std::size_t n = 0; n < count; ++n) out.push_back(static_cast<float>(x[n] + gauss_(rng_)));
}

std::vector<float> runStage(ChannelStage& stage, const std::vector<float>& x) {
  std::vector<float> out;
  out.reserve(x.size());
  stage.process(x.data(), x.size(), out);
  stage.finish(out);
  return out;
}

}  // namespace mosaic
