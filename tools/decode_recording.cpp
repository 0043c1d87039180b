#include "tools/decode_recording.h"

#include "receiver/app/picture_image.h"
#include "signal/rounding.h"
#include "signal/timing.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace mosaic::tool {

namespace {

// libsoxr's high quality (20-bit precision, linear phase): a stop band at least 120 dB down from
// the output's Nyquist frequency (4800 Hz) on, a pass band flat to 91 % of it (4380 Hz), far beyond
// the highest carrier (3425 Hz), and linear phase with the filter's delay removed, so the output
// lines up with the input in time. It is several times faster than a plain sinc converter of that
// quality.
constexpr long kPieceFrames = 16384;  // [frames] read from the file at a time

}  // namespace

Resampler::Resampler(int inputRateHz) : ratio_(double(kRxSampleRateHz) / inputRateHz) {
  if (inputRateHz == kRxSampleRateHz) return;
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, SOXR_LINEAR_PHASE);
  soxr_error_t error = nullptr;
  state_ = soxr_create(inputRateHz, kRxSampleRateHz, 1, &error, &io, &quality, nullptr);
  if (error) {
    error_ = error;
    state_ = nullptr;
  }
}

Resampler::~Resampler() {
  if (state_) soxr_delete(state_);
}

bool Resampler::ready(std::string& error) const {
  if (error_.empty()) return true;
  error = "cannot resample: " + error_;
  return false;
}

bool Resampler::convert(const float* input, long count, bool last, std::vector<std::int16_t>& out,
                        std::string& error) {
  // lrint rounds to nearest, ties to even, in the default rounding mode, without the cost of
  // saving and restoring the floating-point environment that nearbyint has.
  auto store = [&out](float v) { out.push_back(saturate16(std::isfinite(v) ? std::lrint(v) : 0)); };
  if (!state_) {
    for (long i = 0; i < count; ++i) store(input[i]);
    return true;
  }
  scratch_.resize(static_cast<std::size_t>(static_cast<double>(count) * ratio_) + 4096);
  out.reserve(out.size() + scratch_.size());
  // Everything given is taken in one call as long as the output has room; at the end, calls
  // without input drain what the converter still holds.
  for (;;) {
    std::size_t used = 0, made = 0;
    const soxr_error_t result =
        soxr_process(state_, count > 0 ? input : nullptr, static_cast<std::size_t>(count), &used,
                     scratch_.data(), scratch_.size(), &made);
    if (result) {
      error = std::string("cannot resample: ") + result;
      return false;
    }
    for (std::size_t i = 0; i < made; ++i) store(scratch_[i]);
    input += used;
    count -= static_cast<long>(used);
    if (count > 0) continue;
    if (!last || made == 0) return true;
  }
}

bool RecordingReader::open(const std::string& path, ChannelChoice channel, std::string& error) {
  if (!file_.open(path, channel, error)) return false;
  resampler_ = std::make_unique<Resampler>(file_.rateHz());
  if (!resampler_->ready(error)) return false;
  mono_.resize(static_cast<std::size_t>(kPieceFrames));
  return true;
}

bool RecordingReader::next(std::vector<std::int16_t>& out, std::string& error) {
  out.clear();
  if (finished_) return true;
  const long got = file_.read(mono_.data(), kPieceFrames, error);
  if (got < 0) return false;
  const bool last = got < kPieceFrames;
  finished_ = last;
  return resampler_->convert(mono_.data(), got, last, out, error);
}

bool feedRecording(RecordingReader& reader, BufferFeeder& feeder, std::string& error) {
  std::vector<std::int16_t> piece;
  for (;;) {
    if (!reader.next(piece, error)) return false;
    if (piece.empty()) return true;
    if (!feeder.feed(piece.data(), piece.size())) return false;
  }
}

DecodedRecording decodeRecording(const std::vector<std::int16_t>& samples, int rateHz,
                                 const DemodSettings& demod, const DisplaySettings& display) {
  DecodedRecording result;
  std::vector<std::int16_t> at9600;
  if (rateHz == kRxSampleRateHz) {
    at9600 = samples;
  } else {
    Resampler resampler(rateHz);
    std::string error;
    std::vector<float> input(samples.begin(), samples.end());
    if (resampler.ready(error)) {
      resampler.convert(input.data(), static_cast<long>(input.size()), true, at9600, error);
    }
  }
  ReceiverEngine engine(pictureSettings(demod, display));
  BufferFeeder feeder(engine, [&result](const ReceiverEngine& received) {
    const auto frame = received.movieFrame();
    result.movie.insert(result.movie.end(), frame.begin(), frame.end());
    ++result.buffers;
    return true;
  });
  feeder.feed(at9600.data(), at9600.size());
  result.droppedSamples = feeder.leftOver();
  result.lastRun.assign(engine.runBytes().begin(), engine.runBytes().end());
  result.picture = pictureImage(engine.bitmap(), display.screenSize);
  return result;
}

}  // namespace mosaic::tool
