#pragma once
// A radio channel for testing Mosaic TV without a radio: multipath fading, mistuning, noise,
// the transceiver's passband and a sound card's clock error, applied to a recording.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mosaic {

// Two-path fading of an HF sky-wave channel: equal-power paths, each with a Gaussian Doppler
// spectrum, the second delayed.
enum class Fading { None, Good, Moderate, Poor, Flutter };

struct FadingProfile {
  double delayMs;   // [ms] delay of the second path
  double spreadHz;  // [Hz] Doppler spread (two standard deviations) of each path
};

// The standard profiles: good 0.5 ms / 0.1 Hz, moderate 1 ms / 0.5 Hz, poor 2 ms / 1 Hz,
// flutter 0.5 ms / 10 Hz.
FadingProfile fadingProfile(Fading fading);
std::optional<Fading> parseFading(const std::string& name);

struct ChannelSettings {
  std::optional<double> snrDb;  // [dB] signal to noise in a 3000 Hz bandwidth; none: no noise
  double offsetHz = 0.0;        // [Hz] every frequency moves by this much (mistuning)
  std::optional<double> passLowHz, passHighHz;  // [Hz] the transceiver's audio passband
  Fading fading = Fading::None;
  double clockPpm = 0.0;   // [ppm] the sending sound card's clock runs fast by this much
  std::uint64_t seed = 1;  // the same seed gives the same noise and fading
};

// A recording that the channel reads from the start as often as it needs (up to three times:
// the fading needs the signal's length and the noise its mean power before they begin).
class ChannelSource {
 public:
  virtual ~ChannelSource() = default;
  // Goes back to the first sample; false when that cannot be done.
  virtual bool rewind() = 0;
  // Reads up to `max` samples into `out`; how many, 0 at the end, -1 on an error.
  virtual long read(float* out, long max) = 0;
};

// The channel's output for `source` at `rateHz`, piece by piece: `sink` gets every piece in order
// and may stop the run by returning false. Memory does not grow with the recording's length, and
// the output does not depend on `pieceSamples`. False when the source or the sink failed.
bool runChannel(ChannelSource& source, int rateHz, const ChannelSettings& settings,
                const std::function<bool(const float* y, std::size_t count)>& sink,
                long pieceSamples = 65536);

// The channel's output for `input` at `rateHz`. The output has the input's length, apart from
// the length change of a clock error.
std::vector<float> applyChannel(const std::vector<float>& input, int rateHz,
                                const ChannelSettings& settings);

// The channel's output as 16-bit samples (nearest, ties to even, limited to full scale);
// `limited`, when given, counts the samples that had to be limited.
std::vector<std::int16_t> toSamples(const std::vector<float>& output, long* limited = nullptr);

// The stages, each usable alone, on whole recordings.
// The analytic signal's imaginary part (a 90-degree shift of every frequency) by a windowed FIR.
std::vector<float> hilbertTransform(const std::vector<float>& x);
// Shifts every frequency of `x` by `offsetHz`.
std::vector<float> shiftFrequency(const std::vector<float>& x, int rateHz, double offsetHz);
// Two-path fading with the given profile.
std::vector<float> applyFading(const std::vector<float>& x, int rateHz, FadingProfile profile,
                               std::uint64_t seed);
// Adds white Gaussian noise for the given SNR in a 3000 Hz bandwidth.
std::vector<float> addNoise(const std::vector<float>& x, int rateHz, double snrDb,
                            std::uint64_t seed);
// Keeps only lowHz..highHz (linear-phase FIR, delay compensated).
std::vector<float> bandPass(const std::vector<float>& x, int rateHz, double lowHz, double highHz);
// Plays `x` back on a clock that runs `ppm` fast: the same sound in fewer samples.
std::vector<float> clockError(const std::vector<float>& x, double ppm);

}  // namespace mosaic
