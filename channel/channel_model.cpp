#include "channel/channel_model.h"

#include "channel/channel_stages.h"
#include "signal/rounding.h"

#include <memory>

namespace mosaic {

namespace {

// The mean power of a stream, summed in the order the samples come.
struct PowerMeter {
  double sum = 0.0;
  std::size_t count = 0;
  void add(const float* x, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) sum += static_cast<double>(x[i]) * x[i];
    count += n;
  }
  double mean() const { return count == 0 ? 0.0 : sum / static_cast<double>(count); }
};

// Stages run one after the other on each piece.
class StageChain {
 public:
  void add(std::unique_ptr<ChannelStage> stage) { stages_.push_back(std::move(stage)); }

  template <typename Sink>
  bool push(const float* x, std::size_t count, Sink& sink) {
    for (auto& stage : stages_) {
      next_.clear();
      stage->process(x, count, next_);
      held_.swap(next_);
      x = held_.data();
      count = held_.size();
    }
    return count == 0 || sink(x, count);
  }

  template <typename Sink>
  bool finish(Sink& sink) {
    held_.clear();
    for (auto& stage : stages_) {
      next_.clear();
      stage->process(held_.data(), held_.size(), next_);
      stage->finish(next_);
      held_.swap(next_);
    }
    return held_.empty() || sink(held_.data(), held_.size());
  }

 private:
  std::vector<std::unique_ptr<ChannelStage>> stages_;
  std::vector<float> held_, next_;
};

// One run over the whole source through `chain`.
template <typename Sink>
bool runPass(ChannelSource& source, StageChain& chain, Sink& sink, long pieceSamples) {
  if (!source.rewind()) return false;
  std::vector<float> piece(static_cast<std::size_t>(pieceSamples));
  for (;;) {
    const long got = source.read(piece.data(), pieceSamples);
    if (got < 0) return false;
    if (got == 0) break;
    if (!chain.push(piece.data(), static_cast<std::size_t>(got), sink)) return false;
  }
  return chain.finish(sink);
}

class VectorSource : public ChannelSource {
 public:
  explicit VectorSource(const std::vector<float>& x) : x_(x) {}
  bool rewind() override {
    at_ = 0;
    return true;
  }
  long read(float* out, long max) override {
    const std::size_t n = std::min(x_.size() - at_, static_cast<std::size_t>(max));
    std::copy_n(x_.begin() + static_cast<std::ptrdiff_t>(at_), n, out);
    at_ += n;
    return static_cast<long>(n);
  }

 private:
  const std::vector<float>& x_;
  std::size_t at_ = 0;
};

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

bool runChannel(ChannelSource& source, int rateHz, const ChannelSettings& s,
                const std::function<bool(const float* y, std::size_t count)>& sink,
                long pieceSamples) {
  // In the order a signal meets them: the sending sound card's clock, the path through the
  // ionosphere, the receiver's mistuning, the noise, the receiver's filter.
  const bool fading = s.fading != Fading::None && fadingProfile(s.fading).spreadHz > 0.0;
  std::size_t length = 0;  // after the clock error, which the fading needs to know
  if (fading) {
    StageChain chain;
    chain.add(std::make_unique<ClockErrorStage>(s.clockPpm));
    auto count = [&length](const float*, std::size_t n) {
      length += n;
      return true;
    };
    if (!runPass(source, chain, count, pieceSamples)) return false;
  }
  auto upToNoise = [&] {
    StageChain chain;
    chain.add(std::make_unique<ClockErrorStage>(s.clockPpm));
    if (fading)
      chain.add(std::make_unique<FadingStage>(rateHz, fadingProfile(s.fading), s.seed, length));
    chain.add(std::make_unique<ShiftStage>(rateHz, s.offsetHz));
    return chain;
  };
  double power = 0.0;
  if (s.snrDb) {
    StageChain chain = upToNoise();
    PowerMeter meter;
    auto measure = [&meter](const float* y, std::size_t n) {
      meter.add(y, n);
      return true;
    };
    if (!runPass(source, chain, measure, pieceSamples)) return false;
    power = meter.mean();
  }
  StageChain chain = upToNoise();
  if (s.snrDb) chain.add(std::make_unique<NoiseStage>(rateHz, *s.snrDb, s.seed, power));
  if (s.passLowHz && s.passHighHz)
    chain.add(std::make_unique<FilterStage>(bandPassTaps(rateHz, *s.passLowHz, *s.passHighHz)));
  auto out = [&sink](const float* y, std::size_t n) { return sink(y, n); };
  return runPass(source, chain, out, pieceSamples);
}

std::vector<float> applyChannel(const std::vector<float>& input, int rateHz,
                                const ChannelSettings& settings) {
  VectorSource source(input);
  std::vector<float> out;
  out.reserve(input.size());
  runChannel(source, rateHz, settings, [&out](const float* y, std::size_t n) {
    out.insert(out.end(), y, y + n);
    return true;
  });
  return out;
}

std::vector<float> hilbertTransform(const std::vector<float>& x) {
  return filterCentred(x, hilbertTaps());
}

std::vector<float> shiftFrequency(const std::vector<float>& x, int rateHz, double offsetHz) {
  ShiftStage stage(rateHz, offsetHz);
  return runStage(stage, x);
}

std::vector<float> applyFading(const std::vector<float>& x, int rateHz, FadingProfile profile,
                               std::uint64_t seed) {
  if (profile.spreadHz <= 0.0) return x;
  FadingStage stage(rateHz, profile, seed, x.size());
  return runStage(stage, x);
}

std::vector<float> addNoise(const std::vector<float>& x, int rateHz, double snrDb,
                            std::uint64_t seed) {
  PowerMeter meter;
  meter.add(x.data(), x.size());
  NoiseStage stage(rateHz, snrDb, seed, meter.mean());
  return runStage(stage, x);
}

std::vector<float> bandPass(const std::vector<float>& x, int rateHz, double lowHz, double highHz) {
  return filterCentred(x, bandPassTaps(rateHz, lowHz, highHz));
}

std::vector<float> clockError(const std::vector<float>& x, double ppm) {
  ClockErrorStage stage(ppm);
  return runStage(stage, x);
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
