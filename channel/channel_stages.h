#pragma once
// The radio channel's stages as streams: each takes the signal piece by piece, keeps what it
// needs of the past, and gives the same output however the signal is cut into pieces. The
// whole-recording functions of channel_model.h run the same stages.

#include "channel/fft_filter.h"
#include "resampling/resampler.h"

#include <complex>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace mosaic {

struct FadingProfile;

class ChannelStage {
 public:
  virtual ~ChannelStage() = default;
  // Takes `count` samples and appends the output that is ready.
  virtual void process(const float* x, std::size_t count, std::vector<float>& out) = 0;
  // The input has ended: appends the rest.
  virtual void finish(std::vector<float>& out) = 0;
};

// The taps of the windowed FIR that shifts every frequency by 90 degrees.
std::vector<double> hilbertTaps();
// The taps of the linear-phase band pass lowHz..highHz at `rateHz`.
std::vector<double> bandPassTaps(int rateHz, double lowHz, double highHz);

// A stream together with its 90-degree shifted copy: a(n) = x(n) + j q(n).
class AnalyticSignal {
 public:
  AnalyticSignal();
  // Takes `count` samples; calls `use(x, q)` for every sample whose shifted copy is complete.
  template <typename Use>
  void process(const float* x, std::size_t count, Use use) {
    for (std::size_t i = 0; i < count; ++i) waiting_.push_back(x[i]);
    shifted_.clear();
    hilbert_.process(x, count, shifted_);
    deliver(use);
  }
  template <typename Use>
  void finish(Use use) {
    shifted_.clear();
    hilbert_.finish(shifted_);
    deliver(use);
  }

 private:
  template <typename Use>
  void deliver(Use use) {
    for (float q : shifted_) {
      use(waiting_.front(), q);
      waiting_.pop_front();
    }
  }
  CentredFilter hilbert_;
  std::deque<float> waiting_;
  std::vector<float> shifted_;
};

// The sending sound card's clock running `ppm` fast: the same sound in fewer samples, every
// frequency higher by the factor 1 + ppm 1e-6. `ppm` > -1e6 (no clock runs backwards).
class ClockErrorStage : public ChannelStage {
 public:
  explicit ClockErrorStage(double ppm);
  void process(const float* x, std::size_t count, std::vector<float>& out) override;
  void finish(std::vector<float>& out) override;

 private:
  Resampler resampler_;
  std::string error_;  // the converter's complaint, which it has for no ratio above 0
};

// Two-path fading. Each path's gain is complex Gaussian noise at a low rate, shaped to the
// Doppler spread and interpolated to the audio rate; the second path's noise follows the
// first path's in the generator's sequence, so the stage is told the signal's whole length.
class FadingStage : public ChannelStage {
 public:
  FadingStage(int rateHz, FadingProfile profile, std::uint64_t seed, std::size_t totalSamples);
  ~FadingStage() override;
  void process(const float* x, std::size_t count, std::vector<float>& out) override;
  void finish(std::vector<float>& out) override;

 private:
  class Gains;
  void take(float x, float q, std::vector<float>& out);
  AnalyticSignal analytic_;
  std::unique_ptr<Gains> first_, second_;
  std::size_t delay_;
  std::deque<std::complex<double>> past_;  // a(n - delay) .. a(n - 1)
  std::size_t n_ = 0;
};

// Every frequency moved by `offsetHz`.
class ShiftStage : public ChannelStage {
 public:
  ShiftStage(int rateHz, double offsetHz);
  void process(const float* x, std::size_t count, std::vector<float>& out) override;
  void finish(std::vector<float>& out) override;

 private:
  void take(float x, float q, std::vector<float>& out);
  AnalyticSignal analytic_;
  double step_;  // [rad/sample]
  std::size_t n_ = 0;
};

// White Gaussian noise at `snrDb` in 3000 Hz, for a signal of mean power `signalPower`.
class NoiseStage : public ChannelStage {
 public:
  NoiseStage(int rateHz, double snrDb, std::uint64_t seed, double signalPower);
  void process(const float* x, std::size_t count, std::vector<float>& out) override;
  void finish(std::vector<float>&) override {}

 private:
  std::mt19937_64 rng_;
  std::normal_distribution<double> gauss_;
};

// A centred FIR filter as a stage.
class FilterStage : public ChannelStage {
 public:
  explicit FilterStage(const std::vector<double>& h) : filter_(h) {}
  void process(const float* x, std::size_t count, std::vector<float>& out) override {
    filter_.process(x, count, out);
  }
  void finish(std::vector<float>& out) override { filter_.finish(out); }

 private:
  CentredFilter filter_;
};

// The whole of x through one stage.
std::vector<float> runStage(ChannelStage& stage, const std::vector<float>& x);

}  // namespace mosaic
