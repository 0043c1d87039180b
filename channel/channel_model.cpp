#include "channel/channel_model.h"

#include "channel/fft_filter.h"
#include "signal/rounding.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>

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

double meanPower(const std::vector<float>& x) {
  double sum = 0.0;
  for (float v : x) sum += static_cast<double>(v) * v;
  return x.empty() ? 0.0 : sum / static_cast<double>(x.size());
}

// One path's complex fading gain at every sample: complex Gaussian noise at a low rate,
// shaped by a Gaussian filter to the Doppler spread, interpolated to the audio rate.
std::vector<std::complex<double>> fadingGains(std::size_t samples, int rateHz, double spreadHz,
                                              std::mt19937_64& rng) {
  const double sigmaHz = spreadHz / 2.0;                   // one standard deviation of the spectrum
  const double tapRate = std::max(50.0, 20.0 * spreadHz);  // [Hz] rate of the gain process
  const double sigmaT = 1.0 / (2.0 * M_PI * sigmaHz) * tapRate;  // [taps] of the Gaussian filter
  const int half = static_cast<int>(std::ceil(4.0 * sigmaT));
  std::vector<double> h(2 * half + 1);
  double energy = 0.0;
  for (int j = -half; j <= half; ++j) {
    h[j + half] = std::exp(-0.5 * (j / sigmaT) * (j / sigmaT));
    energy += h[j + half] * h[j + half];
  }
  for (auto& v : h) v /= std::sqrt(energy);  // unit output power from unit input power

  const auto taps =
      static_cast<std::size_t>(std::ceil(static_cast<double>(samples) / (rateHz / tapRate))) + 2;
  std::normal_distribution<double> gauss(0.0, std::sqrt(0.5));
  std::vector<std::complex<double>> noise(taps + h.size());
  for (auto& v : noise) v = {gauss(rng), gauss(rng)};
  std::vector<std::complex<double>> slow(taps);
  for (std::size_t i = 0; i < taps; ++i) {
    std::complex<double> acc;
    for (std::size_t k = 0; k < h.size(); ++k) acc += h[k] * noise[i + k];
    slow[i] = acc;
  }
  std::vector<std::complex<double>> gains(samples);
  const double tapsPerSample = tapRate / rateHz;
  for (std::size_t n = 0; n < samples; ++n) {
    const double pos = static_cast<double>(n) * tapsPerSample;
    const auto i = static_cast<std::size_t>(pos);
    const double frac = pos - static_cast<double>(i);
    gains[n] = slow[i] * (1.0 - frac) + slow[i + 1] * frac;
  }
  return gains;
}

}  // namespace

FadingProfile fadingProfile(Fading fading) {
  switch (fading) {
    case Fading::Good:
      return {0.5, 0.1};
    case Fading::Moderate:
      return {1.0, 0.5};
    case Fading::Poor:
      return {2.0, 1.0};
    case Fading::Flutter:
      return {0.5, 10.0};
    case Fading::None:
      break;
  }
  return {0.0, 0.0};
}

std::optional<Fading> parseFading(const std::string& name) {
  if (name == "none") return Fading::None;
  if (name == "good") return Fading::Good;
  if (name == "moderate") return Fading::Moderate;
  if (name == "poor") return Fading::Poor;
  if (name == "flutter") return Fading::Flutter;
  return std::nullopt;
}

std::vector<float> hilbertTransform(const std::vector<float>& x) {
  // The ideal 90-degree shifter has taps 2 / (pi j) at odd offsets j; windowed to a finite length.
  const int half = 255;
  std::vector<double> h(2 * half + 1, 0.0);
  for (int j = -half; j <= half; ++j)
    if (j % 2 != 0) h[j + half] = 2.0 / (M_PI * j) * blackman(j, half + 1);
  return filterCentred(x, h);
}

std::vector<float> shiftFrequency(const std::vector<float>& x, int rateHz, double offsetHz) {
  if (offsetHz == 0.0) return x;
  const auto q = hilbertTransform(x);
  std::vector<float> y(x.size());
  const double w = 2.0 * M_PI * offsetHz / rateHz;
  for (std::size_t n = 0; n < x.size(); ++n) {
    const double phase = std::fmod(w * static_cast<double>(n), 2.0 * M_PI);
    y[n] = static_cast<float>(x[n] * std::cos(phase) - q[n] * std::sin(phase));
  }
  return y;
}

std::vector<float> applyFading(const std::vector<float>& x, int rateHz, FadingProfile profile,
                               std::uint64_t seed) {
  if (profile.spreadHz <= 0.0) return x;
  std::mt19937_64 rng(seed ^ 0x5f3759dfULL);
  const auto q = hilbertTransform(x);
  const auto g1 = fadingGains(x.size(), rateHz, profile.spreadHz, rng);
  const auto g2 = fadingGains(x.size(), rateHz, profile.spreadHz, rng);
  const auto delay = static_cast<std::size_t>(std::lround(profile.delayMs * 1e-3 * rateHz));
  std::vector<float> y(x.size());
  // Each path carries half the power: Re{(g1 a(t) + g2 a(t - delay)) / sqrt 2}.
  const double scale = 1.0 / std::sqrt(2.0);
  for (std::size_t n = 0; n < x.size(); ++n) {
    const std::complex<double> a(x[n], q[n]);
    const std::complex<double> b =
        n >= delay ? std::complex<double>(x[n - delay], q[n - delay]) : 0.0;
    y[n] = static_cast<float>(((g1[n] * a + g2[n] * b) * scale).real());
  }
  return y;
}

std::vector<float> addNoise(const std::vector<float>& x, int rateHz, double snrDb,
                            std::uint64_t seed) {
  // White noise spreads its power over 0 .. rate/2; the SNR counts what falls into 3000 Hz.
  const double noisePower =
      meanPower(x) / std::pow(10.0, snrDb / 10.0) * (rateHz / 2.0) / kNoiseBandwidthHz;
  std::mt19937_64 rng(seed);
  std::normal_distribution<double> gauss(0.0, std::sqrt(noisePower));
  std::vector<float> y(x.size());
  for (std::size_t n = 0; n < x.size(); ++n) y[n] = static_cast<float>(x[n] + gauss(rng));
  return y;
}

std::vector<float> bandPass(const std::vector<float>& x, int rateHz, double lowHz, double highHz) {
  const int half = halfLength(rateHz);
  std::vector<double> h(2 * half + 1);
  const double lo = lowHz / rateHz, hi = highHz / rateHz;  // [cycles/sample]
  for (int j = -half; j <= half; ++j) {
    const double ideal =
        j == 0 ? 2.0 * (hi - lo)
               : (std::sin(2.0 * M_PI * hi * j) - std::sin(2.0 * M_PI * lo * j)) / (M_PI * j);
    h[j + half] = ideal * blackman(j, half + 1);
  }
  return filterCentred(x, h);
}

std::vector<float> clockError(const std::vector<float>& x, double ppm) {
  if (ppm == 0.0 || x.empty()) return x;
  const double ratio = 1.0 / (1.0 + ppm * 1e-6);
  std::vector<float> y(static_cast<std::size_t>(std::ceil(static_cast<double>(x.size()) * ratio)) +
                       16);
  SRC_DATA data{};
  data.data_in = x.data();
  data.input_frames = static_cast<long>(x.size());
  data.data_out = y.data();
  data.output_frames = static_cast<long>(y.size());
  data.src_ratio = ratio;
  if (src_simple(&data, SRC_SINC_BEST_QUALITY, 1) != 0) return x;
  y.resize(static_cast<std::size_t>(data.output_frames_gen));
  return y;
}

std::vector<float> applyChannel(const std::vector<float>& input, int rateHz,
                                const ChannelSettings& s) {
  // In the order a signal meets them: the sending sound card's clock, the path through the
  // ionosphere, the receiver's mistuning, the noise, the receiver's filter.
  std::vector<float> y = clockError(input, s.clockPpm);
  if (s.fading != Fading::None) y = applyFading(y, rateHz, fadingProfile(s.fading), s.seed);
  y = shiftFrequency(y, rateHz, s.offsetHz);
  if (s.snrDb) y = addNoise(y, rateHz, *s.snrDb, s.seed);
  if (s.passLowHz && s.passHighHz) y = bandPass(y, rateHz, *s.passLowHz, *s.passHighHz);
  return y;
}

std::vector<std::int16_t> toSamples(const std::vector<float>& output, long* limited) {
  std::vector<std::int16_t> samples(output.size());
  long count = 0;
  for (std::size_t n = 0; n < output.size(); ++n) {
    const long long v = roundHalfEven(output[n]);
    if (v != saturate16(v)) ++count;
    samples[n] = saturate16(v);
  }
  if (limited) *limited = count;
  return samples;
}

}  // namespace mosaic
